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
    // The map forgets a normal form all of whose variants a later line takes over (Turkish
    // "iI" then "ıI" leaves no entry for i). Every such character occurs in the
    // language's patterns, whose characters all come from its classes: add those.
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

TokenWriter::Unit TokenWriter::unitOf(char32_t code, std::size_t length) const {
  Unit unit{code, static_cast<std::uint8_t>(length), Kind::Other, LetterClass::None};
  if (code == 0) return unit;
  if (code == 0xAD) {
    unit.kind = Kind::SoftHyphen;
  } else if (code == U'-' || code == 0x2010) {
    unit.kind = Kind::Hyphen;
  } else {
    unit.letter = letterClass(code);
    if (isWord_(code))
      unit.kind = Kind::Word;
    else if (unit.letter == LetterClass::Mark)
      unit.kind = Kind::Mark;
  }
  return unit;
}

void TokenWriter::appendChar(const TextChar& c, std::string& out) {
  append(c.bytes, unitOf(c.wellFormed ? c.code : 0, c.bytes.size()), out);
}

void TokenWriter::appendReference(std::string_view bytes, char32_t code, std::string& out) {
  append(bytes, unitOf(code, bytes.size()), out);
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
  // A run holds everything a word may be made of; a mark's word is decided when written.
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
    if (options_.skipUrls && leftWhole())
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

// Whether the token is one a writer keeps whole: a URL, an e-mail address, a domain name
// or path, or a program identifier.
bool TokenWriter::leftWhole() const {
  const std::size_t n = units_.size();
  const auto code = [this](std::size_t k) { return units_[k].code; };
  const auto isW = [&code](std::size_t k) { return code(k) == 'w' || code(k) == 'W'; };
  const auto between = [&](std::size_t k) {
    return k > 0 && k + 1 < n && wordLike(units_[k - 1]) && wordLike(units_[k + 1]);
  };
  std::size_t innerSlashes = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = code(i);
    if (c == ':' && i + 2 < n && code(i + 1) == '/' && code(i + 2) == '/') return true;
    if (isW(i) && i + 3 < n && isW(i + 1) && isW(i + 2) && code(i + 3) == '.' &&
        (i == 0 || !wordLike(units_[i - 1])))
      return true;
    if ((c == '@' || c == '_' || c == '\\') && between(i)) return true;
    // "example.com", "index.html": a dot between a letter or digit and an ASCII letter.
    if (c == '.' && between(i) && ((code(i + 1) | 0x20) >= 'a' && (code(i + 1) | 0x20) <= 'z'))
      return true;
    // "/usr/share", "~/notes", "(./src)", "a/b/c" (but not "and/or" or "</b>").
    if (c == '/' && i + 1 < n && wordLike(units_[i + 1]) &&
        (i == 0 || std::u32string_view(U"~.([{\"'").find(code(i - 1)) != std::u32string_view::npos))
      return true;
    if (c == '/' && between(i) && ++innerSlashes == 2) return true;
    // "camelCase", "JavaScript": a capital right after a small letter.
    if (units_[i].letter == LetterClass::Upper && i > 0 &&
        units_[i - 1].letter == LetterClass::Lower && units_[i - 1].kind == Kind::Word &&
        units_[i].kind == Kind::Word)
      return true;
  }
  return false;
}

// Marks in isLetter_ the units of units_[0, count) that belong to words. A character and
// the marks after it belong to a word when their composed form starts with a word
// character: so a decomposed letter is a word character exactly when its composed form is.
void TokenWriter::markLetters(std::size_t count) {
  isLetter_.assign(count, 0);
  std::size_t i = 0;
  while (i < count) {
    std::size_t end = i + 1;
    while (end < count && units_[end].kind == Kind::Mark) ++end;
    const Kind base = units_[i].kind;
    bool letter = base == Kind::Word;
    if (end > i + 1 && (base == Kind::Word || (base == Kind::Other && units_[i].code != 0))) {
      codes_.clear();
      for (std::size_t k = i; k < end; ++k) codes_.push_back(units_[k].code);
      composeTracked(codes_, composed_);
      letter = isWord_(composed_.front().code);
    }
    if (letter) std::fill(isLetter_.begin() + static_cast<std::ptrdiff_t>(i),
                          isLetter_.begin() + static_cast<std::ptrdiff_t>(end), 1);
    i = end;
  }
}

// Writes units_[0, count) to out, dividing each word among them. A word is a run of
// letters in which a soft hyphen or a hyphen may stand between two letters; the hyphens
// cut it into parts that are divided one by one.
void TokenWriter::writeUnits(std::size_t count, std::string& out) {
  markLetters(count);
  const auto joins = [&](std::size_t k) {
    return (units_[k].kind == Kind::SoftHyphen || units_[k].kind == Kind::Hyphen) &&
           k + 1 < count && isLetter_[k + 1];
  };
  std::size_t at = 0;  // byte offset of units_[i]
  std::size_t i = 0;
  while (i < count) {
    if (!isLetter_[i]) {
      out.append(bytes_, at, units_[i].length);
      at += units_[i].length;
      ++i;
      continue;
    }
    bool hyphenBefore = false;
    for (;;) {
      // One part: letters, and soft hyphens between letters.
      std::size_t j = i;
      std::size_t end = at;
      while (j < count && (isLetter_[j] || (units_[j].kind == Kind::SoftHyphen && joins(j)))) {
        end += units_[j].length;
        ++j;
      }
      const bool hyphenAfter = j < count && units_[j].kind == Kind::Hyphen && joins(j);
      writePart(i, j, at, hyphenBefore, hyphenAfter, out);
      at = end;
      i = j;
      if (!hyphenAfter) break;
      out.append(bytes_, at, units_[i].length);  // the hyphen: the break at its place
      at += units_[i].length;
      ++i;
      hyphenBefore = true;
    }
  }
}

// Writes the part of a word made of units_[first, last), starting at byte at, with the
// hyphen string at its breaks, or unchanged when the options leave it whole. The part is
// divided as its composed form would be, and never between a letter and its marks; next to
// a hyphen that joins it to another part nothing is inserted.
void TokenWriter::writePart(std::size_t first, std::size_t last, std::size_t at,
                            bool hyphenBefore, bool hyphenAfter, std::string& out) {
  codes_.clear();
  sources_.clear();
  bool softHyphen = false;
  bool upper = false;
  bool lower = false;
  bool compose = false;
  std::size_t length = 0;
  for (std::size_t k = first; k < last; ++k) {
    const Unit& unit = units_[k];
    length += unit.length;
    if (unit.kind == Kind::SoftHyphen) {
      softHyphen = true;
      continue;
    }
    codes_.push_back(unit.code);
    sources_.push_back(k);
    upper = upper || unit.letter == LetterClass::Upper;
    lower = lower || unit.letter == LetterClass::Lower;
    compose = compose || mayChangeInComposition(unit.code);
  }
  const std::string_view part(bytes_.data() + at, length);
  std::u32string_view letters = codes_;
  if (compose) {
    composeTracked(codes_, composed_);
    letters_.clear();
    for (const ComposedChar& c : composed_) letters_.push_back(c.code);
    letters = letters_;
  }
  if (letters.size() < options_.minWordLength || (softHyphen && options_.skipSoftHyphenated) ||
      (options_.skipCapitals && upper && !lower)) {
    out.append(part);
    return;
  }

  // A part of n characters has at most n + 1 breaks.
  if (breaks_.size() < letters.size() + 1) breaks_.resize(letters.size() + 1);
  const std::size_t count = std::min(breakPoints(h_, letters, breaks_), breaks_.size());

  // Each break as the index in codes_ of the character it stands before. A composed
  // character may gather several source characters: a break between composed characters
  // b - 1 and b stands in the source only if every source of the first b comes first.
  const std::size_t n = codes_.size();
  breakBefore_.assign(n + 1, 0);
  if (compose) {
    suffixFirst_.assign(composed_.size() + 1, n);
    for (std::size_t r = composed_.size(); r-- > 0;)
      suffixFirst_[r] = std::min(suffixFirst_[r + 1], composed_[r].first);
  }
  std::size_t prefixLast = 0;  // the last source of composed_[0, done)
  std::size_t done = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t found = breaks_[k];
    std::size_t before = found;
    if (compose) {
      for (; done < found && done < composed_.size(); ++done)
        prefixLast = std::max(prefixLast, composed_[done].last);
      if (found == 0 || found >= composed_.size()) {
        before = found == 0 ? 0 : n;
      } else {
        if (prefixLast + 1 != suffixFirst_[found]) continue;  // marks reordered across it
        before = suffixFirst_[found];
      }
    }
    if ((before == 0 && hyphenBefore) || (before == n && hyphenAfter)) continue;
    if (before > 0 && before < n &&
        (units_[sources_[before]].kind == Kind::Mark || combiningClass(codes_[before]) != 0))
      continue;
    breakBefore_[before] = 1;
  }

  std::size_t index = 0;      // in codes_
  bool softBefore = false;    // a soft hyphen stands right before the next character
  std::size_t pos = at;
  for (std::size_t k = first; k < last; ++k) {
    const Unit& unit = units_[k];
    if (unit.kind == Kind::SoftHyphen) {
      softBefore = true;
    } else {
      if (breakBefore_[index] && !softBefore) out.append(options_.hyphen);
      softBefore = false;
      ++index;
    }
    out.append(bytes_, pos, unit.length);
    pos += unit.length;
  }
  // A break at the very end, which a right margin of 0 or less allows.
  if (breakBefore_[n]) out.append(options_.hyphen);
}

}  // namespace quellix::detail
