// The WebAssembly core's result text rewritten as Latin-1, one byte per character, where
// every character lies below U+0100 (as English or German text with soft hyphens does):
// Node makes a string of such bytes several times faster than it decodes UTF-8, which
// took a fifth of dividing prose. Anything else stays UTF-8 for the usual decoder.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <wasm_simd128.h>

namespace {

constexpr std::size_t kStep = 16;

// Whether the sixteen bytes at p, the first of which follows a lead byte when carry is 1,
// are ASCII, C2/C3 lead bytes and the continuation bytes that follow them; carry becomes
// whether the last byte is such a lead.
bool latin1Step(const std::uint8_t* p, unsigned& carry) noexcept {
  const v128_t v = wasm_v128_load(p);
  const unsigned high = wasm_i8x16_bitmask(v);
  const unsigned leads = wasm_i8x16_bitmask(
      wasm_i8x16_eq(wasm_v128_and(v, wasm_i8x16_splat(static_cast<std::int8_t>(0xfe))),
                    wasm_i8x16_splat(static_cast<std::int8_t>(0xc2))));
  const unsigned continuations = wasm_i8x16_bitmask(
      wasm_i8x16_eq(wasm_v128_and(v, wasm_i8x16_splat(static_cast<std::int8_t>(0xc0))),
                    wasm_i8x16_splat(static_cast<std::int8_t>(0x80))));
  const bool fits = continuations == (((leads << 1) | carry) & 0xffffu) && high == (leads | continuations);
  carry = leads >> 15;
  return fits;
}

// Whether text[0, length) is well-formed UTF-8 of characters below U+0100 only.
bool isLatin1(const std::uint8_t* text, std::size_t length) noexcept {
  unsigned carry = 0;
  std::size_t i = 0;
  for (; i + kStep <= length; i += kStep)
    if (!latin1Step(text + i, carry)) return false;
  std::uint8_t tail[kStep] = {};  // zeros are ASCII
  std::memcpy(tail, text + i, length - i);
  return latin1Step(tail, carry) && carry == 0;
}

}  // namespace

extern "C" {

// When text[0, length) is UTF-8 of characters below U+0100 only, rewrites it in place as
// Latin-1 and returns the new length; otherwise returns -1 and leaves it as it was.
std::ptrdiff_t quellix_wasm_latin1(std::uint8_t* text, std::size_t length) {
  if (!isLatin1(text, length)) return -1;
  std::size_t read = 0;
  std::size_t written = 0;
  // A character at a time until the text written lags a whole step behind what
  // is read, so that from then on a step can be stored whole before it is looked at.
  const auto oneChar = [&] {
    const std::uint8_t b = text[read];
    if (b < 0x80) {
      text[written++] = b;
      ++read;
    } else {
      text[written++] = static_cast<std::uint8_t>((b << 6) | (text[read + 1] & 0x3f));
      read += 2;
    }
  };
  while (read < length && read - written < kStep) oneChar();
  // Each step: store sixteen bytes, keep those up to the first lead byte, and put that
  // character's byte after them.
  while (read + kStep <= length) {
    const v128_t v = wasm_v128_load(text + read);
    wasm_v128_store(text + written, v);
    const unsigned high = wasm_i8x16_bitmask(v);
    if (high == 0) {
      read += kStep;
      written += kStep;
      continue;
    }
    const unsigned ascii = static_cast<unsigned>(std::countr_zero(high));
    text[written + ascii] =
        static_cast<std::uint8_t>((text[read + ascii] << 6) | (text[read + ascii + 1] & 0x3f));
    read += ascii + 2;
    written += ascii + 1;
  }
  while (read < length) oneChar();
  return static_cast<std::ptrdiff_t>(written);
}

}  // extern "C"
