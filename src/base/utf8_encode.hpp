// UTF-8 encoding of code points, for messages and renderings. Internal.
#ifndef QUELLIX_SRC_UTF8_ENCODE_HPP
#define QUELLIX_SRC_UTF8_ENCODE_HPP

#include <cstdint>
#include <string>
#include <string_view>

namespace quellix::detail {

// Appends c as UTF-8; a surrogate or a value past U+10FFFF, which UTF-8 cannot carry,
// is written as U+FFFD.
inline void appendUtf8(std::string& out, char32_t c) {
  auto u = static_cast<std::uint32_t>(c);
  if ((u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF) u = 0xFFFD;
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

inline std::string toUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) appendUtf8(out, c);
  return out;
}

}  // namespace quellix::detail

#endif
