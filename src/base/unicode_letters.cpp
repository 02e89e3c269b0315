#include "unicode_letters.hpp"

#include <algorithm>
#include <iterator>

namespace quellix::detail {
namespace {

// Runs of code points of one class, ascending: (first << 3) | class.
constexpr std::uint32_t kRuns[] = {
#include "unicode_letters.inc"
};

}  // namespace

LetterClass letterClass(char32_t c) noexcept {
  if (c > 0x10FFFF) return LetterClass::None;
  // The last run starting at or before c: its key is at most (c << 3) | 7.
  const std::uint32_t key = (static_cast<std::uint32_t>(c) << 3) | 7u;
  const auto* next = std::upper_bound(std::begin(kRuns), std::end(kRuns), key);
  return static_cast<LetterClass>(next[-1] & 7u);  // kRuns[0] starts at 0
}

bool isLetterOrMark(char32_t c) noexcept {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return c == 0x200C || c == 0x200D || letterClass(c) != LetterClass::None;
}

bool isWhiteSpace(char32_t c) noexcept {
  switch (c) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

}  // namespace quellix::detail
