#include "utf8_text.hpp"

#include <cstddef>

#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace quellix::tool {

void decodeUtf8Lossless(std::string_view bytes, std::u32string& out) {
  out.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    char32_t code = 0;
    const std::size_t length = detail::decodeUtf8Sequence(
        reinterpret_cast<const unsigned char*>(bytes.data()) + i, bytes.size() - i, code);
    if (length == 0) {
      out.push_back(escapeByte(static_cast<unsigned char>(bytes[i])));
      ++i;
    } else {
      out.push_back(code);
      i += length;
    }
  }
}

void appendUtf8Lossless(std::u32string_view text, std::string& out) {
  for (char32_t c : text) {
    if (isEscapedByte(c)) {
      out.push_back(static_cast<char>(c - 0xDC00));
    } else {
      detail::appendUtf8(out, c);
    }
  }
}

}  // namespace quellix::tool
