// Decoding UTF-8 sequences. Internal; header-only, so the command-line tool uses it too.
#ifndef QUELLIX_SRC_UTF8_DECODE_HPP
#define QUELLIX_SRC_UTF8_DECODE_HPP

#include <cstddef>

namespace quellix::detail {

// What a lead byte promises: the length of its sequence (0 when the byte leads no
// well-formed sequence: a continuation byte, C0, C1, F5..FF) and the range its second byte
// must lie in, which rules out overlong forms, surrogates and values past U+10FFFF.
struct Utf8Lead {
  std::size_t length;
  unsigned char low, high;
};

inline Utf8Lead utf8Lead(unsigned char b0) noexcept {
  if (b0 < 0x80) return {1, 0, 0};
  if (b0 >= 0xC2 && b0 <= 0xDF) return {2, 0x80, 0xBF};
  if (b0 >= 0xE0 && b0 <= 0xEF)
    return {3, static_cast<unsigned char>(b0 == 0xE0 ? 0xA0 : 0x80),
            static_cast<unsigned char>(b0 == 0xED ? 0x9F : 0xBF)};
  if (b0 >= 0xF0 && b0 <= 0xF4)
    return {4, static_cast<unsigned char>(b0 == 0xF0 ? 0x90 : 0x80),
            static_cast<unsigned char>(b0 == 0xF4 ? 0x8F : 0xBF)};
  return {0, 0, 0};
}

// Whether byte k (k >= 1) of a sequence led as lead says may be b.
inline bool fitsUtf8Sequence(const Utf8Lead& lead, std::size_t k, unsigned char b) noexcept {
  return k == 1 ? b >= lead.low && b <= lead.high : b >= 0x80 && b <= 0xBF;
}

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of bytes[0, size),
// storing its code point in out, or 0 when bytes[0] starts no well-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, the
// old 5- and 6-byte forms, or a sequence cut short). size must be at least 1.
inline std::size_t decodeUtf8Sequence(const unsigned char* bytes, std::size_t size,
                                      char32_t& out) noexcept {
  const Utf8Lead lead = utf8Lead(bytes[0]);
  if (lead.length == 0 || size < lead.length) return 0;
  if (lead.length == 1) {
    out = bytes[0];
    return 1;
  }
  char32_t c = bytes[0] & (0x7F >> lead.length);
  for (std::size_t k = 1; k < lead.length; ++k) {
    if (!fitsUtf8Sequence(lead, k, bytes[k])) return 0;
    c = (c << 6) | (bytes[k] & 0x3F);
  }
  out = c;
  return lead.length;
}

// Whether bytes[0, size) (size >= 1) is a proper prefix of a well-formed sequence, whose
// rest may still come.
inline bool isUtf8Prefix(const unsigned char* bytes, std::size_t size) noexcept {
  const Utf8Lead lead = utf8Lead(bytes[0]);
  if (lead.length < 2 || size >= lead.length) return false;
  for (std::size_t k = 1; k < size; ++k)
    if (!fitsUtf8Sequence(lead, k, bytes[k])) return false;
  return true;
}

}  // namespace quellix::detail

#endif
