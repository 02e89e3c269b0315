// Unicode's simple lower-case mapping over the generated table of unicode_lower.inc.
#include "unicode_lower.hpp"

#include <algorithm>
#include <iterator>

namespace quellix::detail {
namespace {

struct LowerCase {
  char32_t from, to;
};

constexpr LowerCase kLowerCase[] = {
#include "unicode_lower.inc"
};

}  // namespace

char32_t simpleLowercase(char32_t c) noexcept {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  const auto* found = std::lower_bound(std::begin(kLowerCase), std::end(kLowerCase), c,
                                       [](const LowerCase& entry, char32_t key) { return entry.from < key; });
  return found != std::end(kLowerCase) && found->from == c ? found->to : c;
}

}  // namespace quellix::detail
