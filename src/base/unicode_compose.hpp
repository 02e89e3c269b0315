// Canonical composition (Unicode Normalization Form C) of a word, keeping track of which
// characters of the word each composed character came from, from tables generated out of
// the Unicode character database (tools/gen/unicode_compose.py). Internal to the library.
#ifndef QUELLIX_SRC_UNICODE_COMPOSE_HPP
#define QUELLIX_SRC_UNICODE_COMPOSE_HPP

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quellix::detail {

// The canonical combining class of c: 0 for a starter (every letter, most marks of Indic
// scripts), non-zero for the combining marks that attach to what precedes them. Never throws.
std::uint8_t combiningClass(char32_t c) noexcept;

// False when composition certainly leaves c, and everything around it, as it is: a text
// without any character for which this is true is its own composed form. Never throws.
bool mayChangeInComposition(char32_t c) noexcept;

// A character of a composed text and the characters of the source it stands for:
// source[first, last] (a composed character may gather a base and its marks).
struct ComposedChar {
  char32_t code;
  std::size_t first;
  std::size_t last;
};

// Replaces out with the canonical composition (NFC) of source, each character with its
// source range. Code points above U+10FFFF and surrogates pass through as starters. Throws
// only std::bad_alloc.
void composeTracked(std::span<const char32_t> source, std::vector<ComposedChar>& out);

}  // namespace quellix::detail

#endif
