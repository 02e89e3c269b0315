// The table of Unicode's simple lower-case mappings, and the lookup in it.
#include "unicode_lower.hpp"

#include <algorithm>
#include <iterator>

namespace quellix::detail {
namespace {

constexpr std::pair<char32_t, char32_t> kLowerCase[] = {
#include "unicode_lower.inc"
};

}  // namespace

std::span<const std::pair<char32_t, char32_t>> lowerCasePairs() noexcept { return kLowerCase; }

char32_t simpleLowercase(char32_t c) noexcept {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  const auto* found = std::lower_bound(std::begin(kLowerCase), std::end(kLowerCase), c,
                                       [](const auto& entry, char32_t key) { return entry.first < key; });
  return found != std::end(kLowerCase) && found->first == c ? found->second : c;
}

}  // namespace quellix::detail
