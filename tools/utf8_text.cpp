#include "utf8_text.hpp"

#include <cstddef>

namespace quellix::tool {

namespace {

bool isContinuation(unsigned char b) noexcept { return b >= 0x80 && b <= 0xBF; }

// Length of the well-formed sequence starting at bytes[i] and its code point, or 0 when the
// byte there does not begin one. The second byte's range excludes overlong forms,
// surrogates and values above U+10FFFF.
std::size_t sequenceAt(std::string_view bytes, std::size_t i, char32_t& code) noexcept {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (!isContinuation(byte(k))) return 0;
  char32_t value = lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (byte(k) & 0x3F);
  code = value;
  return length;
}

}  // namespace

void decodeUtf8Lossless(std::string_view bytes, std::u32string& out) {
  out.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    char32_t code = 0;
    const std::size_t length = sequenceAt(bytes, i, code);
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
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c <= 0x10FFFF) {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.append("\xEF\xBF\xBD");
    }
  }
}

}  // namespace quellix::tool
