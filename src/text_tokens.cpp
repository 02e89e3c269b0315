#include "text_tokens.hpp"

#include <algorithm>
#include <utility>

#include "char_classes.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"

namespace quellix::detail {

WordCharacters::WordCharacters(const Hyphenator& h, std::function<bool(char32_t)> custom)
    : custom_(std::move(custom)) {
  if (custom_) return;
  if (const auto* builtin = hyphenatorChars(h).target<CharClassNormaliser>()) {
    // Every character the classes mention, as a variant or as a normal form.
    const CharMap& map = builtin->map.get();
    known_.reserve(2 * map.size());
    for (const auto& [variant, normal] : map.entries()) {
      known_.push_back(variant);
      known_.push_back(normal);
    }
    // The map forgets a normal form all of whose variants a later line takes over (German
    // "sS" then "ßSS" leaves S -> ß and no 's'). Every such character occurs in
    // the language's patterns, whose characters all come from its classes: add those.
    if (const PatternNode* root = PatternAccess::root(hyphenatorPatterns(h))) {
      for (char32_t c : indexOf(root).codes)
        if (c != U'.') known_.push_back(c);
    }
    std::sort(known_.begin(), known_.end());
    known_.erase(std::unique(known_.begin(), known_.end()), known_.end());
    listed_ = true;
  }
}

bool WordCharacters::operator()(char32_t c) const {
  if (custom_) return custom_(c);
  if (listed_) return std::binary_search(known_.begin(), known_.end(), c);
  return isLetterOrMark(c);
}

TokenWriter::TokenWriter(const Hyphenator& h, const TextOptions& options,
                         const WordCharacters& isWord)
    : h_(h), options_(options), isWord_(isWord) {}

void TokenWriter::appendChar(const TextChar& c, std::string& out) {
  Unit unit{c.wellFormed ? c.code : 0, static_cast<std::uint8_t>(c.bytes.size()), Kind::Other,
            LetterClass::None};
  if (c.wellFormed) {
    if (c.code == 0xAD) {
      unit.kind = Kind::SoftHyphen;
    } else if (isWord_(c.code)) {
      unit.kind = Kind::Word;
      unit.letter = letterClass(c.code);
    }
  }
  append(c.bytes, unit, out);
}

void TokenWriter::appendReference(std::string_view bytes, bool softHyphen, std::string& out) {
  append(bytes,
         Unit{0, static_cast<std::uint8_t>(bytes.size()),
              softHyphen ? Kind::SoftHyphen : Kind::Other, LetterClass::None},
         out);
}

void TokenWriter::append(std::string_view bytes, Unit unit, std::string& out) {
  if (passThrough_) {
    // With URL skipping the whole overlong token is copied; without, only the run of word
    // characters and soft hyphens that overflowed.
    if (options_.skipUrls || unit.kind != Kind::Other) {
      out.append(bytes);
      return;
    }
    passThrough_ = false;
  }
  if (unit.kind == Kind::Other)
    runStart_ = npos;
  else if (runStart_ == npos)
    runStart_ = units_.size();
  bytes_.append(bytes);
  units_.push_back(unit);
  if (bytes_.size() > kMaxHeldBytes) shrink(out);
}

// The token has outgrown kMaxHeldBytes: write out what is decided, copy what cannot be.
void TokenWriter::shrink(std::string& out) {
  if (!options_.skipUrls && runStart_ != 0) {
    // Everything before the trailing run is complete words and separators.
    const std::size_t keep = runStart_ == npos ? units_.size() : runStart_;
    std::size_t at = 0;
    for (std::size_t k = 0; k < keep; ++k) at += units_[k].length;
    writeUnits(keep, out);
    bytes_.erase(0, at);
    units_.erase(units_.begin(), units_.begin() + static_cast<std::ptrdiff_t>(keep));
    runStart_ = units_.empty() ? npos : 0;
    if (bytes_.size() <= kMaxHeldBytes) return;
  }
  out.append(bytes_);
  clear();
  passThrough_ = true;
}

void TokenWriter::end(std::string& out) {
  if (!passThrough_) {
    if (options_.skipUrls && isUrl())
      out.append(bytes_);
    else
      writeUnits(units_.size(), out);
  }
  clear();
}

void TokenWriter::clear() noexcept {
  bytes_.clear();
  units_.clear();
  runStart_ = npos;
  passThrough_ = false;
}

bool TokenWriter::wordLike(const Unit& unit) const {
  const char32_t c = unit.code;
  return unit.kind == Kind::Word || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
         (c >= 'A' && c <= 'Z');
}

bool TokenWriter::isUrl() const {
  const std::size_t n = units_.size();
  const auto code = [this](std::size_t k) { return units_[k].code; };
  const auto isW = [&code](std::size_t k) { return code(k) == 'w' || code(k) == 'W'; };
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = code(i);
    if (c == ':' && i + 2 < n && code(i + 1) == '/' && code(i + 2) == '/') return true;
    if (isW(i) && i + 3 < n && isW(i + 1) && isW(i + 2) && code(i + 3) == '.' &&
        (i == 0 || !wordLike(units_[i - 1])))
      return true;
    if (c == '@' && i > 0 && i + 1 < n && wordLike(units_[i - 1]) && wordLike(units_[i + 1]))
      return true;
  }
  return false;
}

// Writes units_[0, count) to out, dividing each word among them.
void TokenWriter::writeUnits(std::size_t count, std::string& out) {
  std::size_t at = 0;  // byte offset of units_[i]
  std::size_t i = 0;
  while (i < count) {
    if (units_[i].kind != Kind::Word) {
      out.append(bytes_, at, units_[i].length);
      at += units_[i].length;
      ++i;
      continue;
    }
    // A word: word characters, and soft hyphens that have a word character on each side.
    std::size_t j = i;
    std::size_t end = at;
    while (j < count) {
      if (units_[j].kind == Kind::Word) {
        end += units_[j].length;
        ++j;
      } else if (units_[j].kind == Kind::SoftHyphen && j + 1 < count &&
                 units_[j + 1].kind == Kind::Word) {
        end += units_[j].length + units_[j + 1].length;
        j += 2;
      } else {
        break;
      }
    }
    writeWord(i, j, at, out);
    at = end;
    i = j;
  }
}

// Writes the word made of units_[first, last), starting at byte at, with the hyphen string
// at its breaks, or unchanged when the options leave it whole.
void TokenWriter::writeWord(std::size_t first, std::size_t last, std::size_t at,
                            std::string& out) {
  std::size_t characters = 0;
  std::size_t length = 0;
  bool softHyphen = false;
  bool upper = false;
  bool lower = false;
  for (std::size_t k = first; k < last; ++k) {
    const Unit& unit = units_[k];
    length += unit.length;
    if (unit.kind == Kind::SoftHyphen) {
      softHyphen = true;
    } else {
      ++characters;
      upper = upper || unit.letter == LetterClass::Upper;
      lower = lower || unit.letter == LetterClass::Lower;
    }
  }
  const std::string_view word(bytes_.data() + at, length);
  if (characters < options_.minWordLength || (softHyphen && options_.skipSoftHyphenated) ||
      (options_.skipCapitals && upper && !lower)) {
    out.append(word);
    return;
  }

  // The letters alone are divided: existing soft hyphens are taken out first.
  std::string_view letters = word;
  if (softHyphen) {
    letters_.clear();
    std::size_t pos = at;
    for (std::size_t k = first; k < last; ++k) {
      if (units_[k].kind == Kind::Word) letters_.append(bytes_, pos, units_[k].length);
      pos += units_[k].length;
    }
    letters = letters_;
  }
  // A word of n characters has at most n breaks.
  if (breaks_.size() < characters + 1) breaks_.resize(characters + 1);
  const std::size_t count = std::min(breakPoints(h_, letters, breaks_), breaks_.size());

  std::size_t letterAt = 0;  // offset in letters of the next word character
  std::size_t softAt = npos;  // offset in letters where the last soft hyphen stood
  std::size_t next = 0;      // the next break
  std::size_t pos = at;
  for (std::size_t k = first; k < last; ++k) {
    const Unit& unit = units_[k];
    if (unit.kind == Kind::SoftHyphen) {
      softAt = letterAt;
    } else {
      if (next < count && breaks_[next] == letterAt) {
        if (softAt != letterAt) out.append(options_.hyphen);
        ++next;
      }
      letterAt += unit.length;
    }
    out.append(bytes_, pos, unit.length);
    pos += unit.length;
  }
  // A break at the very end, which a right margin of 0 or less allows.
  if (next < count && breaks_[next] == letterAt) out.append(options_.hyphen);
}

}  // namespace quellix::detail
