// The quick way through tokens of ASCII characters that white space ends, which running
// text is mostly made of: a token's words are found with one table per language, and the
// parts to divide of a whole window of text collected first; then they are divided one
// after another, and the window's text written at once with its hyphens. Writes what
// TokenWriter's general way (text_tokens.cpp) writes for the same tokens; text_paths_test
// and fuzz_text check that.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
#include <emmintrin.h>
#endif

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

namespace {

// The first k in [i, end) where text[k] has class space or stop, or end: sixteen bytes at a
// time where the processor can and the classes are the usual ones (white space ' ' and
// '\t' to '\r'; stop from 0x80 on, and '<' and '&' in HTML), since tokens end at
// unpredictable places.
std::size_t tokenEnd(const TextLanguage& language, const char* text, std::size_t i,
                     std::size_t end) noexcept {
  const std::uint8_t* const classes = language.byteClasses().data();
  constexpr unsigned kEnds = TextLanguage::kSpace | TextLanguage::kStop;
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  if (language.usualEnds()) {
    const bool html = language.markup() == TextMarkup::Html;
    for (; i + 16 <= end; i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
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
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stop) | _mm_movemask_epi8(b));
      if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
  }
#endif
  while (i < end && !(classes[static_cast<unsigned char>(text[i])] & kEnds)) ++i;
  return i;
}

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
// Bit masks over a window of text, a bit per byte (byte k: bit k % 64 of word k / 64).
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool bitAt(const std::uint64_t* mask, std::size_t k) noexcept { return (mask[k >> 6] >> (k & 63)) & 1; }

// Whether a bit in [from, to) is set.
bool anyBit(const std::uint64_t* mask, std::size_t from, std::size_t to) noexcept {
  while (from < to) {
    const std::size_t offset = from & 63;
    const std::size_t span = std::min<std::size_t>(64 - offset, to - from);
    std::uint64_t bits = mask[from >> 6] >> offset;
    if (span < 64) bits &= (std::uint64_t{1} << span) - 1;
    if (bits != 0) return true;
    from += span;
  }
  return false;
}

// The first bit at or after from that is set (set = true) or clear, or to.
std::size_t firstBit(const std::uint64_t* mask, std::size_t from, std::size_t to, bool set) noexcept {
  while (from < to) {
    const std::uint64_t word = set ? mask[from >> 6] : ~mask[from >> 6];
    const std::uint64_t bits = word >> (from & 63);
    if (bits != 0) return std::min(to, from + static_cast<std::size_t>(std::countr_zero(bits)));
    from = (from | 63) + 1;
  }
  return to;
}

// The last set bit before `before`, or kNone.
std::size_t lastBitBefore(const std::uint64_t* mask, std::size_t before) noexcept {
  while (before > 0) {
    const std::size_t k = before - 1;
    std::uint64_t bits = mask[k >> 6];
    if ((k & 63) != 63) bits &= (std::uint64_t{2} << (k & 63)) - 1;
    if (bits != 0) return (k & ~std::size_t{63}) + 63 - static_cast<std::size_t>(std::countl_zero(bits));
    before = k & ~std::size_t{63};
  }
  return kNone;
}

// The first k < length where text[k] is a byte the quick way leaves (from 0x80 on; in
// HTML also '<' and '&'), or length.
std::size_t firstStopByte(const char* text, std::size_t length, bool html) noexcept {
  std::size_t k = 0;
  for (; k + 16 <= length; k += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
    __m128i stop = b;  // the top bit
    if (html)
      stop = _mm_or_si128(stop, _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('<')),
                                             _mm_cmpeq_epi8(b, _mm_set1_epi8('&'))));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    if (mask != 0) return k + static_cast<std::size_t>(std::countr_zero(mask));
  }
  for (; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[k]);
    if (b >= 0x80 || (html && (b == '<' || b == '&'))) return k;
  }
  return length;
}

// The masks of text[0, length) for language (vectorWords()), of which none is a stop
// byte, each `words` words long, in masks: white space, word, URL, capital, small,
// hyphen ('-').
enum Mask { kSpaceMask, kWordMask, kUrlMask, kCapitalMask, kSmallMask, kHyphenMask, kMasks };

void classify(const TextLanguage& language, const char* text, std::size_t length,
              std::size_t words, std::uint64_t* masks) noexcept {
  std::fill(masks, masks + kMasks * words, std::uint64_t{0});
  const auto in = [](__m128i x, int low, int count) {  // low <= x < low + count, signed
    const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(low)));
    return _mm_and_si128(_mm_cmpgt_epi8(shifted, _mm_set1_epi8(-1)),
                         _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(count))));
  };
  const auto is = [](__m128i x, char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
  const bool fromLetters = language.wordsFromLetters();
  const std::string_view exceptions = language.wordExceptions();
  std::size_t k = 0;
  for (; k + 16 <= length; k += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
    const __m128i capital = in(b, 'A', 26);
    const __m128i small = in(b, 'a', 26);
    __m128i word = fromLetters ? _mm_or_si128(capital, small) : _mm_setzero_si128();
    for (const char c : exceptions) word = _mm_xor_si128(word, is(b, c));
    const __m128i values[kMasks] = {
        _mm_or_si128(is(b, ' '), in(b, '\t', 5)),
        word,
        _mm_or_si128(_mm_or_si128(_mm_or_si128(is(b, ':'), is(b, '@')), _mm_or_si128(is(b, '_'), is(b, '\\'))),
                     _mm_or_si128(is(b, '.'), is(b, '/'))),
        capital,
        small,
        is(b, '-'),
    };
    for (int m = 0; m < kMasks; ++m)
      masks[m * words + (k >> 6)] |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(values[m]))} << (k & 63);
  }
  const std::uint8_t* const classes = language.byteClasses().data();
  for (; k < length; ++k) {
    const unsigned c = classes[static_cast<unsigned char>(text[k])];
    const bool bits[kMasks] = {(c & TextLanguage::kSpace) != 0,
                               (c & TextLanguage::kWordChar) != 0, (c & TextLanguage::kUrlChar) != 0,
                               (c & TextLanguage::kCapital) != 0, (c & TextLanguage::kSmall) != 0,
                               text[k] == '-'};
    for (int m = 0; m < kMasks; ++m)
      masks[m * words + (k >> 6)] |= std::uint64_t{bits[m]} << (k & 63);
  }
}
#endif

}  // namespace

std::size_t TokenWriter::collectAsciiWindow(std::string_view text, std::size_t i,
                                            std::size_t end, bool divide, bool textEnds,
                                            bool& stopped) {
  const std::uint8_t* const classes = language_->byteClasses().data();
  const char* const s = text.data();
  const std::size_t n = text.size();
  const auto bits = [&](std::size_t k) { return classes[static_cast<unsigned char>(s[k])]; };
  using L = TextLanguage;
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  if (divide && language_->vectorWords() && options_.minWordLength <= 64) {
    const std::size_t done = collectMaskedWindow(text, i, end, textEnds, stopped);
    if (done != npos) return done;
  }
#endif
  while (i < end) {
    if (bits(i) & L::kSpace) {
      ++i;
      while (i < n && (bits(i) & L::kSpace)) ++i;
      continue;
    }
    // A token from i to white space, of ASCII characters only, within the chunk and no
    // longer than the quick way takes; any other is the general way's.
    const std::size_t limit = std::min(n, i + kMaxHeldBytes + 1);
    const std::size_t last = (bits(i) & L::kStop) ? i : tokenEnd(*language_, s, i + 1, limit);
    // Complete when white space ends it, or the end of the text (which limit is then).
    const bool complete = last != limit ? (bits(last) & L::kSpace) != 0
                                        : textEnds && last == n && last - i <= kMaxHeldBytes;
    if (!complete) {
      stopped = true;
      return i;
    }
    // A token shorter than minWordLength holds no part to divide.
    if (divide && last - i >= options_.minWordLength) collectAsciiToken(s, i, last);
    i = last;
  }
  return i;
}

// Adds the parts of the token s[first, last) to the batch: its runs of word characters
// of at least minWordLength, unless the options leave them (or the whole token) whole. A
// hyphen between two word characters joins two parts.
void TokenWriter::collectAsciiToken(const char* s, std::size_t first, std::size_t last) {
  const std::uint8_t* const classes = language_->byteClasses().data();
  const auto bits = [&](std::size_t k) { return classes[static_cast<unsigned char>(s[k])]; };
  using L = TextLanguage;
  const std::size_t kept = batch_.size();
  // Only these characters, or a capital after the first character, can make a token look
  // like a URL or an identifier.
  unsigned seen = bits(first) & L::kUrlChar;
  std::size_t lastRunEnd = npos;  // where the run before ended
  const auto closeRun = [&](std::size_t from, std::size_t to) {
    const bool hyphenBefore = lastRunEnd != npos && from == lastRunEnd + 1 && s[lastRunEnd] == '-';
    const bool hyphenAfter = to + 1 < last && s[to] == '-' && (bits(to + 1) & L::kWordChar);
    lastRunEnd = to;
    if (to - from < options_.minWordLength) return;
    if (options_.skipCapitals) {
      unsigned cases = 0;
      for (std::size_t k = from; k < to; ++k) cases |= bits(k);
      if ((cases & (L::kCapital | L::kSmall)) == L::kCapital) return;  // in capitals
    }
    batch_.push_back(AsciiPart{from, to, hyphenBefore, hyphenAfter});
  };
  std::size_t run = npos;  // start of the run of word characters being read
  for (std::size_t k = first; k < last; ++k) {
    const unsigned b = bits(k);
    if (k > first) seen |= b;
    if (b & L::kWordChar) {
      if (run == npos) run = k;
    } else if (run != npos) {
      closeRun(run, k);
      run = npos;
    }
  }
  if (run != npos) closeRun(run, last);
  if (options_.skipUrls && (seen & (L::kUrlChar | L::kCapital)) != 0 &&
      asciiKeptWhole(s, first, last))
    batch_.resize(kept);  // left whole
}

// Whether the ASCII token s[first, last) is one a writer keeps whole (TextOptions::skipUrls).
bool TokenWriter::asciiKeptWhole(const char* s, std::size_t first, std::size_t last) const {
  const std::uint8_t* const classes = language_->byteClasses().data();
  const auto bits = [&](std::size_t q) { return classes[static_cast<unsigned char>(s[first + q])]; };
  using L = TextLanguage;
  return keptWhole(
      last - first, [&](std::size_t q) { return static_cast<char32_t>(static_cast<unsigned char>(s[first + q])); },
      [&](std::size_t q) {
        return (bits(q) & (L::kWordChar | L::kCapital | L::kSmall)) != 0 ||
               (s[first + q] >= '0' && s[first + q] <= '9');
      },
      [&](std::size_t q) {
        return (bits(q) & L::kCapital) != 0 && (bits(q - 1) & L::kSmall) != 0 &&
               (bits(q) & L::kWordChar) && (bits(q - 1) & L::kWordChar);
      });
}

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
// collectAsciiWindow with the bytes of text[i, end) classified sixteen at a time into bit
// masks, in which the runs of word characters as long as minWordLength are found with a
// few operations per word: most words are shorter, and most tokens hold one run. Covers
// the window's tokens up to its last white space (the token after it is the next
// window's; when textEnds and the window ends the text, that token too); returns npos for a window without white space, which the caller then reads
// token by token.
std::size_t TokenWriter::collectMaskedWindow(std::string_view text, std::size_t i,
                                             std::size_t end, bool textEnds, bool& stopped) {
  const char* const s = text.data() + i;
  // Up to the first byte the quick way leaves: the region ends at the start of its token.
  const std::size_t length = firstStopByte(s, end - i, language_->markup() == TextMarkup::Html);
  const bool stopByte = length < end - i;
  const std::size_t words = (length + 63) / 64 + 1;  // one zero word past the end
  masks_.resize((kMasks + 1) * words);
  std::uint64_t* const m = masks_.data();
  classify(*language_, s, length, words, m);
  const std::uint64_t* const space = m + kSpaceMask * words;
  const std::uint64_t* const word = m + kWordMask * words;
  const std::uint64_t* const url = m + kUrlMask * words;
  const std::uint64_t* const capital = m + kCapitalMask * words;
  const std::uint64_t* const small = m + kSmallMask * words;
  const std::uint64_t* const hyphen = m + kHyphenMask * words;
  std::uint64_t* const runs = m + kMasks * words;

  const auto tokenStartBefore = [&](std::size_t k) {
    const std::size_t before = lastBitBefore(space, k);
    return before == kNone ? std::size_t{0} : before + 1;
  };
  // The region: the tokens that white space ends before length.
  std::size_t region = tokenStartBefore(length);
  // Where the text ends with the window, its last token is complete too (unless it is
  // longer than the quick way takes).
  if (textEnds && !stopByte && end == text.size() && length - region <= kMaxHeldBytes) region = length;
  if (region == 0 && !stopByte) return npos;
  stopped = stopByte;
  // A token longer than the quick way takes ends the region at its start.
  if (region > kMaxHeldBytes) {
    std::size_t tokenStart = 0;
    for (std::size_t w = 0; w * 64 < region; ++w) {
      if (space[w] == 0) continue;
      const std::size_t first = w * 64 + static_cast<std::size_t>(std::countr_zero(space[w]));
      if (first - tokenStart > kMaxHeldBytes) {
        region = std::min(region, tokenStart);
        stopped = true;
        break;
      }
      tokenStart = w * 64 + 64 - static_cast<std::size_t>(std::countl_zero(space[w]));
    }
  }
  // Runs of at least minWordLength word characters: where each of the next minWordLength
  // bits of word is set.
  const std::size_t regionWords = (region + 63) / 64;
  for (std::size_t w = 0; w < regionWords; ++w) {
    std::uint64_t bits = word[w];
    for (std::size_t shift = 1; shift < options_.minWordLength; ++shift)
      bits &= (word[w] >> shift) | (word[w + 1] << (64 - shift));
    runs[w] = bits;
  }
  if (region % 64 != 0 && regionWords > 0) runs[regionWords - 1] &= (std::uint64_t{1} << (region % 64)) - 1;
  std::size_t checkedToken = kNone;  // the token whose skipUrls decision is keptToken
  bool keptToken = false;
  for (std::size_t w = 0; w < regionWords; ++w) {
    while (runs[w] != 0) {
      const std::size_t first = w * 64 + static_cast<std::size_t>(std::countr_zero(runs[w]));
      const std::size_t last = firstBit(word, first, length, false);
      // Every candidate bit of this run is done.
      for (std::size_t k = w; k * 64 < last; ++k)
        runs[k] &= last >= (k + 1) * 64 ? 0 : ~((std::uint64_t{1} << (last - k * 64)) - 1);
      const std::size_t tokenFirst = tokenStartBefore(first);
      const std::size_t tokenLast = firstBit(space, last, length, true);
      if (tokenFirst != checkedToken) {
        checkedToken = tokenFirst;
        // Only these characters, or a capital after the first character, can make a token
        // look like a URL or an identifier.
        keptToken = options_.skipUrls &&
                    (anyBit(url, tokenFirst, tokenLast) || anyBit(capital, tokenFirst + 1, tokenLast)) &&
                    asciiKeptWhole(s, tokenFirst, tokenLast);
      }
      if (keptToken) continue;
      if (options_.skipCapitals && anyBit(capital, first, last) && !anyBit(small, first, last))
        continue;  // in capitals
      const bool hyphenBefore = first >= tokenFirst + 2 && bitAt(hyphen, first - 1) && bitAt(word, first - 2);
      const bool hyphenAfter = last + 1 < tokenLast && bitAt(hyphen, last) && bitAt(word, last + 1);
      batch_.push_back(AsciiPart{i + first, i + last, hyphenBefore, hyphenAfter});
    }
  }
  return i + region;
}
#endif

void TokenWriter::writeAsciiBatch(std::string_view text, std::size_t from, std::size_t to,
                                  std::string& out) {
  // Emptied however this ends: the batch's offsets belong to this text only.
  struct Empty {
    std::vector<AsciiPart>& batch;
    ~Empty() { batch.clear(); }
  } empty{batch_};
  batchBreaks_.clear();
  const bool folds = language_->foldsAscii();
  const std::array<char, 128>& fold = language_->asciiFold();
  for (const AsciiPart& part : batch_) {
    const std::size_t length = part.last - part.first;
    std::string_view word = text.substr(part.first, length);
    // A capital the language's list forgets reaches the patterns in small letters.
    if (folds) {
      folded_.assign(word);
      for (char& c : folded_) c = fold[static_cast<unsigned char>(c)];
      word = folded_;
    }
    if (breaks_.size() < length + 1) breaks_.resize(length + 1);
    const std::size_t count =
        std::min(divideAsciiWord(language_->hyphenator(), word, breaks_), breaks_.size());
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t at = breaks_[k];
      if ((at == 0 && part.hyphenBefore) || (at == length && part.hyphenAfter) || at > length)
        continue;
      batchBreaks_.push_back(part.first + at);
    }
  }
  // The window's text with the hyphen string at each break (ascending: the parts are in
  // order and apart), written into room made for it at once. The pieces are short: they
  // are copied sixteen bytes at a time into the room and 16 bytes more, where the text
  // has 16 bytes to read past them.
  constexpr std::size_t kStep = 16;
  const std::string_view hyphen = options_.hyphen;
  const std::size_t start = out.size();
  const std::size_t size = (to - from) + batchBreaks_.size() * hyphen.size();
  out.resize(start + size + kStep);
  char* at = out.data() + start;
  const auto copy = [&](const char* source, std::size_t count, bool readable) {
    if (readable) {
      for (std::size_t k = 0; k < count; k += kStep) std::memcpy(at + k, source + k, kStep);
    } else {
      std::memcpy(at, source, count);
    }
    at += count;
  };
  const bool shortHyphen = hyphen.size() <= kStep;
  if (shortHyphen) std::memcpy(hyphenRoom_.data(), hyphen.data(), hyphen.size());
  std::size_t written = from;
  for (const std::size_t place : batchBreaks_) {
    copy(text.data() + written, place - written, place + kStep <= text.size());
    copy(shortHyphen ? hyphenRoom_.data() : hyphen.data(), hyphen.size(), shortHyphen);
    written = place;
  }
  copy(text.data() + written, to - written, to + kStep <= text.size());
  out.resize(start + size);
}

}  // namespace quellix::detail
