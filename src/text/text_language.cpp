// Which characters make words for a hyphenator (WordCharacters), and a hyphenator as the
// text layer divides with it (TextLanguage): its word characters, the classes of the ASCII
// characters for the quick way, and how far its patterns reach.
#include <algorithm>
#include <utility>

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

WordCharacters::WordCharacters(const Hyphenator& h, std::function<bool(char32_t)> custom)
    : custom_(std::move(custom)) {
  if (custom_) return;
  if (hyphenatorCharMap(h) != nullptr) {
    // A built-in language's: every character its classes or its patterns mention.
    known_ = &knownCharacters(h);
    for (const char32_t c : *known_)
      if (c < kTableSize) table_[c >> 6] |= std::uint64_t{1} << (c & 63);
  } else {
    table_ = letterTable();
  }
}

const WordCharacters::Table& WordCharacters::letterTable() {
  static const Table table = [] {
    Table bits{};
    for (char32_t c = 0; c < kTableSize; ++c)
      if (isLetterOrMark(c)) bits[c >> 6] |= std::uint64_t{1} << (c & 63);
    return bits;
  }();
  return table;
}

bool WordCharacters::decide(char32_t c) const {
  if (custom_) return custom_(c);
  if (known_) return std::binary_search(known_->begin(), known_->end(), c);
  return isLetterOrMark(c);
}

TextLanguage::TextLanguage(const Hyphenator& h, const std::function<bool(char32_t)>& custom)
    : h_(h), isWord_(h_, custom) {
  (void)hyphenatorPatterns(h);
  (void)hyphenatorExceptions(h);
  for (char32_t c = 0; c < ascii_.size(); ++c) {
    std::uint8_t bits = 0;
    if (c != U'-' && c != 0 && isWord_(c)) bits |= kWordChar;
    if (c == ':' || c == '@' || c == '_' || c == '\\' || c == '.' || c == '/') bits |= kUrlChar;
    if (c >= 'A' && c <= 'Z') bits |= kCapital;
    if (c >= 'a' && c <= 'z') bits |= kSmall;
    ascii_[c] = bits;
  }
}

// How far the hyphenator's patterns reach, in characters: a break depends on at most
// before characters before it and after characters after it.
const TextLanguage::Reach& TextLanguage::reach() {
  if (!reach_) reach_ = patternReach(h_);
  return *reach_;
}

}  // namespace quellix::detail
