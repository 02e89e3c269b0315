// The escaping of a caller's text inside messages (quellix/printable.hpp).
#include "quellix/printable.hpp"

#include "utf8_decode.hpp"

namespace quellix {
namespace {

// Characters that move the cursor, change a terminal's state or reorder what a display
// shows around them.
bool hidesOrMoves(char32_t c) noexcept {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x061C || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
         c == 0x2028 || c == 0x2029;
}

}  // namespace

std::size_t appendPrintable(std::string_view text, std::size_t limit, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t appended = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    std::size_t length = detail::decodeUtf8Sequence(bytes + at, text.size() - at, c);
    const bool escaped = length == 0 || hidesOrMoves(c);
    if (length == 0) length = 1;
    const std::size_t size = escaped ? 4 * length : length;
    if (appended + size > limit) break;
    if (escaped) {
      for (std::size_t k = 0; k < length; ++k) {
        const unsigned char b = bytes[at + k];
        out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
      }
    } else {
      out.append(text.substr(at, length));
    }
    appended += size;
    at += length;
  }
  return at;
}

}  // namespace quellix
