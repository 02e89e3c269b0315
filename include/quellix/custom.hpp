// Hyphenators of your own, derived from a built-in (or any) one: extra exception words,
// other patterns, other margins.
//
//   quellix::Hyphenator house = quellix::withExceptions(quellix::english_US,
//                                                       "quel-lix\nta-ble-spoon\n");
//   quellix::hyphenate(house, std::string_view("QUELLIX"));   // QUEL LIX
//
// A derived hyphenator shares every table of its base that it does not replace, builds
// nothing until first used (the base's tables are built, once, when the derived one first
// needs them), and is an ordinary Hyphenator: immutable and safe to use from any number
// of threads. Deriving is thread-safe.
#ifndef QUELLIX_CUSTOM_HPP
#define QUELLIX_CUSTOM_HPP

#include <cstdint>
#include <string_view>

#include "quellix/export.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/pattern.hpp"

namespace quellix {

// h with the words of a user exception list added to its exception table; each replaces
// the entry h may already have for the same word.
//
// The list is UTF-8 text, one word per line with a hyphen-minus at each allowed break
// ("hy-phen-ation"); a word without any hyphen is never divided. Blanks (spaces, tabs)
// around a word, a carriage return before the line feed and a byte-order mark at the
// start are ignored; empty lines and lines whose first character is '%' or '#' are
// comments. The words are matched like h's own exceptions, after h's character
// normalisation ("Quel-lix" also serves "QUELLIX"); two lines for one word combine as in
// parseExceptions. The list is read and checked at once; h's tables are not built here.
// Throws ArgumentError when the list is not UTF-8, with a message naming source, the line
// and the byte offset of the first bad byte, or when it passes the limits of
// quellix/user_files.hpp (8 MiB, lines of 4 KiB); nothing is derived then.
[[nodiscard]] QUELLIX_API Hyphenator withExceptions(const Hyphenator& h, std::string_view list,
                                                    std::string_view source = "exception list");

// h dividing with patterns instead of its own pattern trie. Never throws (beyond
// std::bad_alloc).
[[nodiscard]] QUELLIX_API Hyphenator withPatterns(const Hyphenator& h, Patterns patterns);

// h dividing with the patterns of a pattern file instead of its own: UTF-8 text holding
// patterns in the notation of parsePatterns ("1gr", ".ach4"), separated by white space
// (one or several on a line, as TeX pattern files have them). A byte-order mark at the
// start and a carriage return before each line feed are ignored; '%' starts a comment that
// runs to the end of its line, and so does '#' at the start of a line. For a text taken
// line by line and exactly, use withPatterns(h, parsePatterns(text)). The text is parsed
// at once. Throws ArgumentError naming source: when it is not UTF-8 (with the line and
// byte offset of the first bad byte), when it holds TeX markup ("\patterns{", a brace or
// a backslash: give the patterns alone), or when it passes the limits of
// quellix/user_files.hpp.
[[nodiscard]] QUELLIX_API Hyphenator withPatternText(const Hyphenator& h, std::string_view text,
                                                     std::string_view source = "pattern text");

// h with other margins. Never throws (beyond std::bad_alloc).
[[nodiscard]] QUELLIX_API Hyphenator withMargins(const Hyphenator& h, std::int64_t leftMin,
                                                 std::int64_t rightMin);

}  // namespace quellix

#endif
