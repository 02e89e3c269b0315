// Lossless UTF-8 conversion for the command-line tool: bytes in, code points for the
// library, the same bytes out again, even when the input is not valid UTF-8.
#ifndef QUELLIX_TOOLS_UTF8_TEXT_HPP
#define QUELLIX_TOOLS_UTF8_TEXT_HPP

#include <string>
#include <string_view>

namespace quellix::tool {

// The code point that stands for the malformed byte b (0x80..0xFF): one of the 128 lone
// low surrogates U+DC80..U+DCFF. Strict UTF-8 decoding never yields a surrogate and no
// pattern, exception or character class contains one, so such a character is unknown to
// every language, counts as one character for the margins, and maps back to its byte.
constexpr char32_t escapeByte(unsigned char b) noexcept { return 0xDC00 + b; }
constexpr bool isEscapedByte(char32_t c) noexcept { return c >= 0xDC80 && c <= 0xDCFF; }

// Replaces out with the code points of bytes. Each well-formed UTF-8 sequence (shortest
// form, no surrogates, at most U+10FFFF) becomes its code point; every other byte becomes
// escapeByte(byte) on its own, and decoding resumes at the next byte. Never throws except
// std::bad_alloc.
void decodeUtf8Lossless(std::string_view bytes, std::u32string& out);

// Appends the UTF-8 form of text to out, writing each escaped byte as the byte itself, so
// that encoding a decoded text gives back the original bytes exactly. A code point above
// U+10FFFF, which decoding never yields, is written as U+FFFD. Never throws except
// std::bad_alloc.
void appendUtf8Lossless(std::u32string_view text, std::string& out);

}  // namespace quellix::tool

#endif
