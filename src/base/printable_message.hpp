// Messages that quote a caller's text, made short and safe to print: shared by the C API
// and the Python module, so that both cut and escape alike (and as the command-line tool,
// which uses the public appendPrintable()).
#ifndef QUELLIX_SRC_PRINTABLE_MESSAGE_HPP
#define QUELLIX_SRC_PRINTABLE_MESSAGE_HPP

#include <cstddef>
#include <string>
#include <string_view>

namespace quellix::detail {

// How much of a message printableMessage() keeps, in bytes.
inline constexpr std::size_t kMessageLimit = 256;

// message cut to at most kMessageLimit bytes at a character boundary ("..." where it was
// cut) and escaped by appendPrintable() (quellix/printable.hpp): C0 and C1 controls, DEL,
// the bidirectional controls (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069, which
// could reorder what a terminal or a log viewer shows), U+2028, U+2029 and bytes that are
// not well-formed UTF-8 written as \xhh, one per byte. The result is always well-formed
// UTF-8. Throws only std::bad_alloc. Thread-safe.
std::string printableMessage(std::string_view message);

}  // namespace quellix::detail

#endif
