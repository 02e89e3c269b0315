// Which characters make words for a hyphenator (WordCharacters), and a hyphenator as the
// text layer divides with it (TextLanguage): its word characters, the letters its patterns
// see for the ones its character list forgets, the classes of the ASCII characters for the
// quick way, and how far its patterns reach.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"
#include "unicode_lower.hpp"

namespace quellix::detail {

WordCharacters::WordCharacters(const Hyphenator& h, std::function<bool(char32_t)> custom)
    : custom_(std::move(custom)) {
  if (custom_) return;
  if (hyphenatorCharMap(h) != nullptr) {
    // A built-in language's: every character its classes or its patterns mention, and
    // every other letter. The letters' table is made once: looking up kTableSize
    // characters' classes took most of the time a short text took.
    known_ = &knownCharacters(h);
    table_ = lettersTable();
    for (const char32_t c : *known_)
      if (c < kTableSize) table_[c >> 6] |= std::uint64_t{1} << (c & 63);
  } else {
    table_ = letterOrMarkTable();
  }
}

const WordCharacters::Table& WordCharacters::lettersTable() {
  static const Table table = tableOf(isLetter);
  return table;
}

const WordCharacters::Table& WordCharacters::letterOrMarkTable() {
  static const Table table = tableOf(isLetterOrMark);
  return table;
}

WordCharacters::Table WordCharacters::tableOf(bool (*has)(char32_t)) {
  Table bits{};
  for (char32_t c = 0; c < kTableSize; ++c)
    if (has(c)) bits[c >> 6] |= std::uint64_t{1} << (c & 63);
  return bits;
}

bool WordCharacters::decide(char32_t c) const {
  if (custom_) return custom_(c);
  if (known_) return std::binary_search(known_->begin(), known_->end(), c) || isLetter(c);
  return isLetterOrMark(c);
}

bool WordCharacters::isLetter(char32_t c) noexcept {
  const LetterClass letter = letterClass(c);
  return letter == LetterClass::Uncased || letter == LetterClass::Upper || letter == LetterClass::Lower;
}

const TextLanguage::ByteBase& TextLanguage::byteBase(TextMarkup markup) {
  const auto make = [](TextMarkup m) {
    ByteBase base;
    for (char32_t c = 0; c < base.bits.size(); ++c) {
      std::uint8_t bits = 0;
      if (c >= 0x80 || (m == TextMarkup::Html && (c == '<' || c == '&'))) {
        bits = kStop;
      } else if (isWhiteSpace(c)) {
        bits = kSpace;
      } else {
        if (c == ':' || c == '@' || c == '_' || c == '\\' || c == '.' || c == '/') bits |= kUrlChar;
        if (c >= 'A' && c <= 'Z') bits |= kCapital;
        if (c >= 'a' && c <= 'z') bits |= kSmall;
      }
      base.bits[c] = bits;
      const bool usualSpace = c == ' ' || (c >= '\t' && c <= '\r');
      if (c < 0x80 && ((bits & kSpace) != 0) != usualSpace) base.usualEnds = false;
    }
    return base;
  };
  static const ByteBase plain = make(TextMarkup::Plain);
  static const ByteBase html = make(TextMarkup::Html);
  return markup == TextMarkup::Html ? html : plain;
}

TextLanguage::TextLanguage(const Hyphenator& h, const std::function<bool(char32_t)>& custom,
                           TextMarkup markup)
    : h_(h), isWord_(h_, custom), markup_(markup) {
  (void)hyphenatorPatterns(h);
  (void)hyphenatorExceptions(h);
  if (hyphenatorCharMap(h_) != nullptr) {
    known_ = &knownCharacters(h_);
    for (const char32_t c : *known_)
      if (c < kKnownTableSize) knownBits_[c >> 6] |= std::uint64_t{1} << (c & 63);
  }
  for (char32_t c = 0; c < asciiFold_.size(); ++c) {
    const char32_t folded = fold(c);
    asciiFold_[c] = static_cast<char>(folded);
    foldsAscii_ = foldsAscii_ || folded != c;
  }
  // The bits every language gives a byte in this markup, then the word characters': the
  // first part is made once, which saves a short text most of this constructor's time.
  const ByteBase& base = byteBase(markup);
  bytes_ = base.bits;
  usualEnds_ = base.usualEnds;
  for (char32_t c = 1; c < 0x80; ++c)
    if ((bytes_[c] & (kStop | kSpace)) == 0 && c != U'-' && isWord_(c)) bytes_[c] |= kWordChar;
  // The word characters as the letters, or as none, with the fewest exceptions.
  std::array<char, 0x80> fromLetters{}, fromNone{};
  std::size_t fromLettersCount = 0, fromNoneCount = 0;
  for (char32_t c = 1; c < 0x80; ++c) {
    const bool word = (bytes_[c] & kWordChar) != 0;
    const bool letter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    if (word != letter) fromLetters[fromLettersCount++] = static_cast<char>(c);
    if (word) fromNone[fromNoneCount++] = static_cast<char>(c);
  }
  wordsFromLetters_ = fromLettersCount <= fromNoneCount;
  const std::string_view exceptions =
      wordsFromLetters_ ? std::string_view(fromLetters.data(), fromLettersCount)
                        : std::string_view(fromNone.data(), fromNoneCount);
  vectorWords_ = usualEnds_ && exceptions.size() <= kMaxWordExceptions;
  if (vectorWords_) {
    std::copy(exceptions.begin(), exceptions.end(), wordExceptions_.begin());
    wordExceptionCount_ = exceptions.size();
  }
}

char32_t TextLanguage::foldUnknown(char32_t c) const noexcept {
  if (c >= kKnownTableSize && std::binary_search(known_->begin(), known_->end(), c)) return c;
  return simpleLowercase(c);
}

// How far the hyphenator's patterns reach, in characters: a break depends on at most
// before characters before it and after characters after it.
const TextLanguage::Reach& TextLanguage::reach() {
  if (!reach_) reach_ = patternReach(h_);
  return *reach_;
}

}  // namespace quellix::detail
