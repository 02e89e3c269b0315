// Cutting and escaping messages that quote a caller's text.
#include "printable_message.hpp"

#include "utf8_decode.hpp"

namespace quellix::detail {

namespace {

bool bidirectionalControl(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string printableMessage(std::string_view message) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  for (std::size_t at = 0; at < message.size();) {
    char32_t c = 0;
    std::size_t length = decodeUtf8Sequence(bytes + at, message.size() - at, c);
    const bool escaped = length == 0 || c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) ||
                         bidirectionalControl(c);
    if (length == 0) length = 1;
    const std::size_t written = escaped ? 4 * length : length;
    if (out.size() + written > kMessageLimit) {
      out += "...";
      break;
    }
    if (escaped) {
      for (std::size_t k = 0; k < length; ++k) {
        const unsigned char byte = bytes[at + k];
        out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      }
    } else {
      out.append(message.substr(at, length));
    }
    at += length;
  }
  return out;
}

}  // namespace quellix::detail
