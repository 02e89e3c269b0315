// Decoding one UTF-8 sequence. Internal.
#ifndef QUELLIX_SRC_UTF8_DECODE_HPP
#define QUELLIX_SRC_UTF8_DECODE_HPP

#include <cstddef>

namespace quellix::detail {

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of bytes[0, size),
// storing its code point in out, or 0 when bytes[0] starts no well-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, the
// old 5- and 6-byte forms, or a sequence cut short). size must be at least 1.
inline std::size_t decodeUtf8Sequence(const unsigned char* bytes, std::size_t size,
                                      char32_t& out) noexcept {
  const unsigned char b0 = bytes[0];
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  std::size_t length;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;  // no overlong three-byte forms
    if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;  // no overlong four-byte forms
    if (b0 == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (size < length || bytes[1] < lo || bytes[1] > hi) return 0;
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((bytes[k] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (bytes[k] & 0x3F);
  }
  out = c;
  return length;
}

}  // namespace quellix::detail

#endif
