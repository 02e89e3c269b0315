// The character loop of running text: chunks are read character by character (a UTF-8
// sequence cut by the chunk's end waits for the next chunk), and text content goes the
// quick way where it can: runs of ASCII white space copied at once, tokens of ASCII
// characters divided whole. Every other character goes to TextStream::step()
// (text_html.cpp), which reads it in the scanner's state.
#include <algorithm>
#include <bit>
#include <array>
#include <string>
#include <utility>

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
#include <emmintrin.h>
#endif

#include "text_stream.hpp"
#include "unicode_letters.hpp"
#include "utf8_decode.hpp"

namespace quellix::detail {

// Completes a sequence the last chunk cut short (its bytes may also turn out malformed).
// Returns where the chunk goes on, or chunk.size() when all of it went into carry.
std::size_t TextStream::takeCarry(std::string_view chunk) {
  std::size_t i = 0;
  while (!carry.empty()) {
    const std::size_t take = std::min(chunk.size() - i, 4 - carry.size());
    std::string joint = carry;
    joint.append(chunk.substr(i, take));
    const auto* bytes = reinterpret_cast<const unsigned char*>(joint.data());
    if (isUtf8Prefix(bytes, joint.size())) {  // the chunk is used up
      carry = std::move(joint);
      return chunk.size();
    }
    const TextChar c = charAt(joint.data(), joint.size());
    const std::size_t length = c.bytes.size();
    step(c);
    if (length >= carry.size()) {
      i += length - carry.size();
      carry.clear();
    } else {
      carry.erase(0, length);
    }
  }
  return i;
}

// Reads the character at chunk[i] and returns where the next one starts, or chunk.size()
// when the chunk ends inside it (then it waits in carry).
std::size_t TextStream::stepAt(std::string_view chunk, std::size_t i) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data() + i);
  if (bytes[0] < 0x80) {
    step(TextChar{chunk.substr(i, 1), bytes[0], true});
    return i + 1;
  }
  if (bytes[0] >= 0xC2 && isUtf8Prefix(bytes, chunk.size() - i)) {
    carry.assign(chunk.substr(i));
    return chunk.size();
  }
  const TextChar c = charAt(chunk.data() + i, chunk.size() - i);
  step(c);
  return i + c.bytes.size();
}

void TextStream::write(std::string_view chunk, std::string& output) {
  out = &output;
  std::size_t i = takeCarry(chunk);
  while (i < chunk.size()) {
    if (fast && mode == Mode::Text) {
      i = writeText(chunk, i);
      if (i == chunk.size()) break;
    }
    i = stepAt(chunk, i);
  }
}

// The first k in [i, end) where chunk[k] is no byte of kind Ascii, or end: sixteen bytes
// at a time where the processor can, since tokens end at unpredictable places.
std::size_t TextStream::asciiRunEnd(std::string_view chunk, std::size_t i,
                                               std::size_t end) const noexcept {
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  if (asciiSpacesUsual) {
    const bool html = options.markup == TextMarkup::Html;
    for (; i + 16 <= end; i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i));
      // White space: ' ', or '\t' to '\r' (which b - '\t' puts at 0 to 4, signed).
      const __m128i fromTab = _mm_sub_epi8(b, _mm_set1_epi8('\t'));
      __m128i stop = _mm_or_si128(
          _mm_cmpeq_epi8(b, _mm_set1_epi8(' ')),
          _mm_and_si128(_mm_cmpgt_epi8(fromTab, _mm_set1_epi8(-1)),
                        _mm_cmplt_epi8(fromTab, _mm_set1_epi8(5))));
      if (html)
        stop = _mm_or_si128(stop, _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('<')),
                                               _mm_cmpeq_epi8(b, _mm_set1_epi8('&'))));
      // Bytes from 0x80 on have their top bit set.
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop) | _mm_movemask_epi8(b));
      if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
  }
#endif
  while (i < end && byteKind[static_cast<unsigned char>(chunk[i])] == ByteKind::Ascii) ++i;
  return i;
}

// The kinds of bytes in text content, made once for each markup.
const TextStream::ByteKinds& TextStream::byteKindsOf(TextMarkup markup) {
  const auto make = [](bool html) {
    ByteKinds table;
    for (std::size_t b = 0; b < table.kinds.size(); ++b) {
      const bool markupByte = html && (b == '<' || b == '&');
      table.kinds[b] = b >= 0x80 || markupByte                         ? ByteKind::Other
                       : isWhiteSpace(static_cast<char32_t>(b)) ? ByteKind::Space
                                                                        : ByteKind::Ascii;
      if (b < 0x80 && (table.kinds[b] == ByteKind::Space) != (b == ' ' || (b >= '\t' && b <= '\r')))
        table.usualSpaces = false;
    }
    return table;
  };
  static const ByteKinds plain = make(false);
  static const ByteKinds html = make(true);
  return markup == TextMarkup::Html ? html : plain;
}

// Text content from chunk[i] on, the quick way, as far as it goes: runs of ASCII white
// space, and whole tokens of other ASCII characters that white space ends. Returns where
// a character needs the general way (the start of a token with other characters, or
// markup), or chunk.size().
std::size_t TextStream::writeText(std::string_view chunk, std::size_t i) {
  const std::size_t n = chunk.size();
  const auto kind = [&](std::size_t k) { return byteKind[static_cast<unsigned char>(chunk[k])]; };
  std::size_t written = i;  // chunk[written, i) is still to be copied to out
  while (i < n) {
    if (kind(i) == ByteKind::Space) {
      if (!token.empty()) token.end(*out);
      ++i;
      while (i < n && kind(i) == ByteKind::Space) ++i;
      continue;
    }
    if (kind(i) != ByteKind::Ascii || !token.empty()) break;
    const std::size_t j = asciiRunEnd(chunk, i + 1, std::min(n, i + kMaxHeldBytes + 1));
    if (j == n || kind(j) != ByteKind::Space || j - i > kMaxHeldBytes) break;
    if (!copying()) token.divideAsciiToken(chunk, i, j, written, *out);
    i = j;
  }
  out->append(chunk, written, i - written);
  return i;
}

void TextStream::finish(std::string& output) {
  out = &output;
  // A sequence still cut short at the end is malformed: its bytes count one by one.
  for (std::size_t k = 0; k < carry.size();) {
    const TextChar c = charAt(carry.data() + k, carry.size() - k);
    k += c.bytes.size();
    step(c);
  }
  carry.clear();
  if (mode == Mode::AfterLt) {
    mode = Mode::Text;
    textChar(TextChar{"<", '<', true});
  } else if (mode == Mode::Reference) {
    endReference();
  }
  token.end(output);
  reset();
}

void TextStream::reset() noexcept {
  token.clear();
  carry.clear();
  mode = Mode::Text;
  tagName.clear();
  endTag = false;
  verbatimDepth = 0;
  rawEnd.clear();
  rawMatched = 0;
  script = Script::Data;
  scriptName.clear();
  count = 0;
  bang = false;
  reference.clear();
  open.clear();
  untracked = 0;
  current = &callerLanguage;  // what scopeChanged() gives with no element open
  token.use(callerLanguage);
  beginTag(false);
}

}  // namespace quellix::detail
