// Letters, their case, and combining marks of every Unicode code point, from a table
// generated out of the Unicode character database (tools/gen/unicode_letters.py).
// Internal to the library.
#ifndef QUELLIX_SRC_UNICODE_LETTERS_HPP
#define QUELLIX_SRC_UNICODE_LETTERS_HPP

#include <cstdint>

namespace quellix::detail {

// The general category of a code point, reduced to what running-text division needs.
enum class LetterClass : std::uint8_t {
  None = 0,     // not a letter or a mark (digits, punctuation, spaces, unassigned, ...)
  Uncased = 1,  // a letter without case: Lo, Lm (most scripts other than Latin, Greek, ...)
  Upper = 2,    // an upper-case or title-case letter: Lu, Lt
  Lower = 3,    // a lower-case letter: Ll
  Mark = 4,     // a combining mark: Mn, Mc, Me
};

// The class of c; None for a value past U+10FFFF. Never throws.
LetterClass letterClass(char32_t c) noexcept;

// Whether c is a letter or a combining mark, or one of the joiners U+200C and U+200D that
// live inside the words of Indic and Arabic scripts. Never throws.
bool isLetterOrMark(char32_t c) noexcept;

// Whether c separates tokens: the code points with the Unicode White_Space property
// (ASCII blanks and line ends, U+0085, no-break spaces, the U+2000 spaces, U+3000, ...).
// Never throws.
bool isWhiteSpace(char32_t c) noexcept;

}  // namespace quellix::detail

#endif
