// Text a message quotes (a word, a language name, a file name) made safe to show on a
// terminal: the one escaping that the library's C interface, the quellix-hyphenate tool
// and the bindings use for every byte of a caller's text they put into a message.
#ifndef QUELLIX_PRINTABLE_HPP
#define QUELLIX_PRINTABLE_HPP

#include <cstddef>
#include <string>
#include <string_view>

#include "quellix/export.hpp"

namespace quellix {

// Appends text to out with every character that could change what a terminal or a
// bidirectional text display shows written as \xhh, one escape per byte (lower-case hex):
// the C0 controls, DEL, the C1 controls (U+0080 to U+009F), the bidirectional controls
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069), the line and paragraph
// separators U+2028 and U+2029, and every byte that is not part of a well-formed UTF-8
// sequence. Letters of any script pass as they are. Stops before the character whose text
// would make the appended text longer than limit bytes, and never cuts a character.
// Returns how many bytes of text it took (text.size() when all of it fitted). Throws only
// std::bad_alloc. Thread-safe.
QUELLIX_API std::size_t appendPrintable(std::string_view text, std::size_t limit, std::string& out);

}  // namespace quellix

#endif
