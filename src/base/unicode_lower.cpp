// The table of Unicode's simple lower-case mappings.
#include "unicode_lower.hpp"

namespace quellix::detail {
namespace {

constexpr std::pair<char32_t, char32_t> kLowerCase[] = {
#include "unicode_lower.inc"
};

}  // namespace

std::span<const std::pair<char32_t, char32_t>> lowerCasePairs() noexcept { return kLowerCase; }

}  // namespace quellix::detail
