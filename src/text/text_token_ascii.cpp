// The quick way through a token of ASCII characters that white space ends, which running
// text is mostly made of: its words found with one table per language, each part divided
// and written with its hyphens in one append. Writes what TokenWriter's general way
// (text_tokens.cpp) writes for the same token; text_paths_test checks that.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

void TokenWriter::divideAsciiToken(std::string_view text, std::size_t first, std::size_t last,
                                   std::size_t& written, std::string& out) {
  const std::array<std::uint8_t, 128>& classes = language_->asciiClasses();
  const std::string_view token = text.substr(first, last - first);
  const std::size_t n = token.size();
  const auto bits = [&](std::size_t k) { return classes[static_cast<unsigned char>(token[k])]; };
  const auto word = [&](std::size_t k) { return (bits(k) & TextLanguage::kWordChar) != 0; };
  // One pass finds the parts (runs of word characters) and what the token holds.
  struct Run {
    std::uint16_t first, last;
  };
  Run runs[64];
  std::size_t runCount = 0;
  bool manyRuns = false;
  unsigned seen = bits(0) & TextLanguage::kUrlChar;
  for (std::size_t k = 0; k < n;) {
    if (!word(k)) {
      seen |= k > 0 ? bits(k) : 0;
      ++k;
      continue;
    }
    if (k > 0) seen |= bits(k);
    std::size_t j = k + 1;
    while (j < n && word(j)) seen |= bits(j++);
    if (runCount < std::size(runs))
      runs[runCount++] = Run{static_cast<std::uint16_t>(k), static_cast<std::uint16_t>(j)};
    else
      manyRuns = true;
    k = j;
  }
  // Only these characters, or a capital after the first character, can make a token look
  // like a URL or an identifier.
  if (options_.skipUrls && (seen & (TextLanguage::kUrlChar | TextLanguage::kCapital)) != 0 &&
      keptWhole(
          n, [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(token[k])); },
          [&](std::size_t k) {
            return (bits(k) & (TextLanguage::kWordChar | TextLanguage::kCapital | TextLanguage::kSmall)) != 0 ||
                   (token[k] >= '0' && token[k] <= '9');
          },
          [&](std::size_t k) {
            return (bits(k) & TextLanguage::kCapital) != 0 && (bits(k - 1) & TextLanguage::kSmall) != 0 &&
                   word(k) && word(k - 1);
          }))
    return;
  // Each run is a part; a hyphen between two word characters joins two parts.
  bool hyphenBefore = false;  // a joining hyphen stands right before the run
  std::size_t end = 0;        // where the last run ended
  const auto partsFrom = [&](std::size_t i, std::size_t j) {
    if (i != end + 1) hyphenBefore = false;
    const bool hyphenAfter = j + 1 < n && token[j] == '-' && word(j + 1);
    if (j - i >= options_.minWordLength)
      writeAsciiPart(text, first + i, first + j, hyphenBefore, hyphenAfter, written, out);
    hyphenBefore = hyphenAfter;
    end = j;
  };
  if (!manyRuns) {
    for (std::size_t r = 0; r < runCount; ++r) partsFrom(runs[r].first, runs[r].last);
    return;
  }
  for (std::size_t i = 0; i < n;) {
    if (!word(i)) {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < n && word(j)) ++j;
    partsFrom(i, j);
    i = j;
  }
}

// One part of a word of an ASCII token, text[first, last): writes text[written, ...) up to
// its last break with the hyphen string at each break, as writePart() would.
void TokenWriter::writeAsciiPart(std::string_view text, std::size_t first, std::size_t last,
                                 bool hyphenBefore, bool hyphenAfter, std::size_t& written,
                                 std::string& out) {
  const std::size_t length = last - first;
  if (length < options_.minWordLength) return;
  if (options_.skipCapitals) {
    bool upper = false, lower = false;
    for (std::size_t k = first; k < last; ++k) {
      upper = upper || (text[k] >= 'A' && text[k] <= 'Z');
      lower = lower || (text[k] >= 'a' && text[k] <= 'z');
    }
    if (upper && !lower) return;
  }
  if (breaks_.size() < length + 1) breaks_.resize(length + 1);
  const std::size_t count = std::min(
      divideAsciiWord(language_->hyphenator(), text.substr(first, length), breaks_), breaks_.size());
  // The part with its hyphens, made up in one piece when it is short (it nearly always
  // is) and appended at once.
  const std::string_view hyphen = options_.hyphen;
  char staged[256];
  std::size_t size = 0;
  const bool stage = last - written + count * hyphen.size() <= sizeof staged;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = breaks_[k];
    if ((at == 0 && hyphenBefore) || (at == length && hyphenAfter) || at > length) continue;
    const std::string_view piece = text.substr(written, first + at - written);
    if (stage) {
      std::memcpy(staged + size, piece.data(), piece.size());
      std::memcpy(staged + size + piece.size(), hyphen.data(), hyphen.size());
      size += piece.size() + hyphen.size();
    } else {
      out.append(piece);
      out.append(hyphen);
    }
    written = first + at;
  }
  if (size > 0) out.append(staged, size);
}

}  // namespace quellix::detail
