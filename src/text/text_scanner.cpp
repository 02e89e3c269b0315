// The character loop of running text: chunks are read character by character (a UTF-8
// sequence cut by the chunk's end waits for the next chunk), and text content goes the
// quick way where it can: runs of ASCII white space copied at once, tokens of ASCII
// characters divided whole. Every other character goes to TextStream::step()
// (text_html.cpp), which reads it in the scanner's state.
#include <algorithm>
#include <array>
#include <string>
#include <utility>

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

void TextStream::write(std::string_view chunk, std::string& output, bool last) {
  out = &output;
  std::size_t i = takeCarry(chunk);
  while (i < chunk.size()) {
    if (fast && mode == Mode::Text) {
      i = writeText(chunk, i, last);
      if (i == chunk.size()) break;
    }
    i = stepAt(chunk, i);
  }
}

// The kinds of bytes in text content, made once for each markup.
const TextStream::ByteKinds& TextStream::byteKindsOf(TextMarkup markup) {
  const auto make = [](bool html) {
    ByteKinds table;
    for (std::size_t b = 0; b < table.kinds.size(); ++b) {
      const bool markupByte = html && (b == '<' || b == '&');
      table.kinds[b] = b >= 0x80 || markupByte                  ? ByteKind::Other
                       : isWhiteSpace(static_cast<char32_t>(b)) ? ByteKind::Space
                                                                : ByteKind::Ascii;
    }
    return table;
  };
  static const ByteKinds plain = make(false);
  static const ByteKinds html = make(true);
  return markup == TextMarkup::Html ? html : plain;
}

// Text content from chunk[i] on, the quick way, as far as it goes: runs of ASCII white
// space, and whole tokens of other ASCII characters that white space ends, a window of
// text at a time (see TokenWriter::collectAsciiParts). Returns where a character needs the
// general way (the start of a token with other characters, or markup), or chunk.size().
std::size_t TextStream::writeText(std::string_view chunk, std::size_t i, bool last) {
  const std::size_t n = chunk.size();
  const auto kind = [&](std::size_t k) { return byteKind[static_cast<unsigned char>(chunk[k])]; };
  if (!token.empty()) {
    // A token the general way holds goes on there, unless white space ends it here.
    if (kind(i) != ByteKind::Space) return i;
    token.end(*out);
  }
  constexpr std::size_t kWindow = std::size_t{16} << 10;
  for (bool stopped = false; !stopped && i < n;) {
    const std::size_t from = i;
    i = token.collectAsciiWindow(chunk, i, std::min(n, i + kWindow), !copying(), last, stopped);
    token.writeAsciiBatch(chunk, from, i, *out);
  }
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
  formPending = false;
  current = &callerLanguage;  // what scopeChanged() gives with no element open
  token.use(callerLanguage);
  beginTag(false);
}

}  // namespace quellix::detail
