// Unicode's simple lower-case mapping, from a table generated out of the Unicode character
// database (tools/gen/unicode_lower.py). Internal to the library.
#ifndef QUELLIX_SRC_UNICODE_LOWER_HPP
#define QUELLIX_SRC_UNICODE_LOWER_HPP

namespace quellix::detail {

// The simple (one code point to one) lower-case mapping of c: 'a' for 'A', U+00E9 for
// U+00C9, U+03C3 for U+03A3; c itself when it has none. Never throws.
char32_t simpleLowercase(char32_t c) noexcept;

}  // namespace quellix::detail

#endif
