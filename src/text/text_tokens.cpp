// The token writer (TokenWriter), the general way: a token's characters are collected as
// units until the token ends, then cut into words and the parts of words that hyphens
// join, and each part is divided on its composed form and written with its hyphens.
// Overlong tokens are copied (when they look like URLs) or written as they are decided
// (text_token_windows.cpp); ASCII tokens usually take the quick way (text_token_ascii.cpp).
#include <algorithm>
#include <utility>

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

TokenWriter::TokenWriter(const TextOptions& options, TextLanguage& language)
    : options_(options), language_(&language) {}

namespace {

LetterClass asciiLetterClass(char32_t c) noexcept {
  if (c >= 'a' && c <= 'z') return LetterClass::Lower;
  if (c >= 'A' && c <= 'Z') return LetterClass::Upper;
  return LetterClass::None;
}

}  // namespace

TokenWriter::Unit TokenWriter::unitOf(char32_t code, std::size_t length) const {
  Unit unit{code, static_cast<std::uint8_t>(length), Kind::Other, LetterClass::None};
  if (code == 0) return unit;
  if (code == 0xAD) {
    unit.kind = Kind::SoftHyphen;
  } else if (code == U'-' || code == 0x2010) {
    unit.kind = Kind::Hyphen;
  } else if (language_->isWord()(code)) {
    unit.kind = Kind::Word;
    unit.letter = code < 0x80 ? asciiLetterClass(code) : letterClass(code);
  } else if (code >= 0x300) {  // the combining marks start there
    unit.letter = letterClass(code);
    if (unit.letter == LetterClass::Mark) unit.kind = Kind::Mark;
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
  if (copyToken_) {
    out.append(bytes);
    return;
  }
  if (copyRun_) {
    if (unit.kind != Kind::Other) {
      out.append(bytes);
      return;
    }
    copyRun_ = false;
  }
  // A run holds everything a word may be made of; a mark's word is decided when written.
  if (unit.kind == Kind::Other)
    runStart_ = npos;
  else if (runStart_ == npos)
    runStart_ = units_.size();
  bytes_.append(bytes);
  units_.push_back(unit);
  if (bytes_.size() > shrinkAt_) shrink(out);
}

// The token has outgrown what is held: write out what is decided. A token that is a URL
// (or the like) is copied whole; a run of letters is divided window by window.
void TokenWriter::shrink(std::string& out) {
  if (options_.skipUrls && !longToken_) {
    if (leftWhole()) {
      out.append(bytes_);
      clear();
      copyToken_ = true;
      return;
    }
    longToken_ = true;  // too long to be kept whole: divided whatever follows
  }
  if (runStart_ != 0) {
    // Everything before the trailing run is complete words and separators.
    const std::size_t keep = runStart_ == npos ? units_.size() : runStart_;
    writeUnits(keep, out);
    dropWritten(keep);
    runStart_ = units_.empty() ? npos : 0;
  }
  if (bytes_.size() > kMaxHeldBytes) divideLongRun(out);
  if (bytes_.size() <= kMaxHeldBytes) shrinkAt_ = kMaxHeldBytes;
}

// Forgets units_[0, count), which have been written.
void TokenWriter::dropWritten(std::size_t count) {
  std::size_t bytes = 0;
  for (std::size_t k = 0; k < count; ++k) bytes += units_[k].length;
  bytes_.erase(0, bytes);
  units_.erase(units_.begin(), units_.begin() + static_cast<std::ptrdiff_t>(count));
  if (count > 0) {
    longPart_ = longPart_ && count <= written_;
    written_ = count <= written_ ? written_ - count : 0;
  }
}

void TokenWriter::end(std::string& out) {
  if (!copyToken_ && !copyRun_) {
    if (options_.skipUrls && !longToken_ && leftWhole())
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
  copyToken_ = false;
  copyRun_ = false;
  longToken_ = false;
  longPart_ = false;
  written_ = 0;
  hyphenBefore_ = false;
  shrinkAt_ = kMaxHeldBytes;
  batch_.clear();  // a batch that a failure left: its offsets belong to a text gone
}


bool TokenWriter::wordLike(const Unit& unit) const {
  const char32_t c = unit.code;
  return unit.kind == Kind::Word || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
         (c >= 'A' && c <= 'Z');
}

// Whether the token is one a writer keeps whole: a URL, an e-mail address, a domain name
// or path, or a program identifier.
bool TokenWriter::leftWhole() const {
  return keptWhole(
      units_.size(), [this](std::size_t k) { return units_[k].code; },
      [this](std::size_t k) { return wordLike(units_[k]); },
      [this](std::size_t k) {
        return units_[k].letter == LetterClass::Upper && units_[k - 1].letter == LetterClass::Lower &&
               units_[k - 1].kind == Kind::Word && units_[k].kind == Kind::Word;
      });
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
      letter = language_->isWord()(composed_.front().code);
    }
    if (letter) std::fill(isLetter_.begin() + static_cast<std::ptrdiff_t>(i),
                          isLetter_.begin() + static_cast<std::ptrdiff_t>(end), 1);
    i = end;
  }
}

// Writes units_[0, count) to out, dividing each word among them. A word is a run of
// letters in which a soft hyphen or a hyphen may stand between two letters; the hyphens
// cut it into parts that are divided one by one. count ends a part or falls outside one.
void TokenWriter::writeUnits(std::size_t count, std::string& out) {
  const std::size_t n = units_.size();
  markLetters(n);
  const auto joins = [&](std::size_t k) {
    return (units_[k].kind == Kind::SoftHyphen || units_[k].kind == Kind::Hyphen) &&
           k + 1 < n && isLetter_[k + 1];
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
    bool hyphenBefore = i == 0 && hyphenBefore_;
    for (;;) {
      // One part: letters, and soft hyphens between letters.
      std::size_t j = i;
      std::size_t end = at;
      while (j < count && (isLetter_[j] || (units_[j].kind == Kind::SoftHyphen && joins(j)))) {
        end += units_[j].length;
        ++j;
      }
      const bool hyphenAfter = j < n && units_[j].kind == Kind::Hyphen && joins(j);
      writePart(i, j, at, hyphenBefore, hyphenAfter, out);
      at = end;
      i = j;
      if (!hyphenAfter || i >= count) break;
      out.append(bytes_, at, units_[i].length);  // the hyphen: the break at its place
      at += units_[i].length;
      ++i;
      hyphenBefore = true;
      if (i >= count) break;
    }
  }
  // What stays held starts a new part, unless a joining hyphen was just written.
  hyphenBefore_ = count > 0 && count < n && units_[count - 1].kind == Kind::Hyphen && joins(count - 1);
}

// Collects the characters of the part units_[first, last) into codes_ (soft hyphens left
// out; sources_ holds each one's unit) and their composed form into letters_ (with
// composed_ when composing changes anything). Returns what the options need to know.
TokenWriter::PartFacts TokenWriter::collectPart(std::size_t first, std::size_t last) {
  codes_.clear();
  sources_.clear();
  PartFacts facts;
  for (std::size_t k = first; k < last; ++k) {
    const Unit& unit = units_[k];
    if (unit.kind == Kind::SoftHyphen) {
      facts.softHyphen = true;
      continue;
    }
    codes_.push_back(unit.code);
    sources_.push_back(k);
    facts.upper = facts.upper || unit.letter == LetterClass::Upper;
    facts.lower = facts.lower || unit.letter == LetterClass::Lower;
    facts.compose = facts.compose || mayChangeInComposition(unit.code);
  }
  if (facts.compose) {
    composeTracked(codes_, composed_);
    letters_.clear();
    for (const ComposedChar& c : composed_) letters_.push_back(c.code);
    suffixFirst_.assign(composed_.size() + 1, codes_.size());
    for (std::size_t r = composed_.size(); r-- > 0;)
      suffixFirst_[r] = std::min(suffixFirst_[r + 1], composed_[r].first);
    prefixEnd_.assign(composed_.size() + 1, 0);
    for (std::size_t r = 0; r < composed_.size(); ++r)
      prefixEnd_[r + 1] = std::max(prefixEnd_[r], composed_[r].last + 1);
  } else {
    letters_.assign(codes_.begin(), codes_.end());
  }
  for (char32_t& c : letters_) c = language_->fold(c);
  compose_ = facts.compose;
  return facts;
}

// Where the boundary before composed character p stands in codes_, or npos when marks
// reordered across it make it no boundary of the source.
std::size_t TokenWriter::codeBoundary(std::size_t p) const {
  if (!compose_ || p == 0 || p >= letters_.size()) return p >= letters_.size() ? codes_.size() : p;
  return prefixEnd_[p] == suffixFirst_[p] ? suffixFirst_[p] : npos;
}

// Divides letters_ and marks in breakBefore_ (by index in codes_) the breaks at composed
// positions [from, to), leaving out those next to a joining hyphen and those that would
// part a letter from its marks.
void TokenWriter::markBreaks(std::size_t from, std::size_t to, bool hyphenBefore,
                             bool hyphenAfter) {
  const std::size_t n = codes_.size();
  breakBefore_.assign(n + 1, 0);
  if (breaks_.size() < letters_.size() + 1) breaks_.resize(letters_.size() + 1);
  const std::size_t count = std::min(breakPoints(language_->hyphenator(), letters_, breaks_), breaks_.size());
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t found = breaks_[k];
    if (found < from || found >= to) continue;
    const std::size_t before = codeBoundary(found);
    if (before == npos) continue;  // marks reordered across it
    if ((before == 0 && hyphenBefore) || (before == n && hyphenAfter)) continue;
    if (before > 0 && before < n &&
        (units_[sources_[before]].kind == Kind::Mark || combiningClass(codes_[before]) != 0))
      continue;
    breakBefore_[before] = 1;
  }
}

// Writes units_[from, to) of a part whose first code is units_[sources_[0]], starting at
// byte at, with the hyphen string before each marked character; the break after the last
// character too when to ends the part.
void TokenWriter::emitPart(std::size_t from, std::size_t to, bool partEnds, std::size_t at,
                           std::string& out) {
  std::size_t index = 0;  // in codes_ of the next character
  while (index < sources_.size() && sources_[index] < from) ++index;
  bool softBefore = false;  // a soft hyphen stands right before the next character
  std::size_t pos = at;
  for (std::size_t k = from; k < to; ++k) {
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
  if (partEnds && breakBefore_[codes_.size()]) out.append(options_.hyphen);
}

// Writes the part of a word made of units_[first, last), starting at byte at, with the
// hyphen string at its breaks, or unchanged when the options leave it whole. The part is
// divided as its composed form would be, and never between a letter and its marks; next to
// a hyphen that joins it to another part nothing is inserted. A part that continues one
// written window by window (longPart_) writes only what follows its written context.
void TokenWriter::writePart(std::size_t first, std::size_t last, std::size_t at,
                            bool hyphenBefore, bool hyphenAfter, std::string& out) {
  const bool continued = first == 0 && longPart_;
  const PartFacts facts = collectPart(first, last);
  if (!continued &&
      (letters_.size() < options_.minWordLength ||
       (facts.softHyphen && options_.skipSoftHyphenated) ||
       (options_.skipCapitals && facts.upper && !facts.lower))) {
    std::size_t length = 0;
    for (std::size_t k = first; k < last; ++k) length += units_[k].length;
    out.append(bytes_, at, length);
    return;
  }
  std::size_t from = 0;
  std::size_t emitFrom = first;
  if (continued) {
    emitFrom = written_;
    from = composedBefore(written_);
    at += bytesBefore(written_);
  }
  markBreaks(from, letters_.size() + 1, hyphenBefore && !continued, hyphenAfter);
  emitPart(emitFrom, last, true, at, out);
  if (continued) {
    longPart_ = false;
    written_ = 0;
  }
}

// How many composed characters come from the units before unit (at a boundary).
std::size_t TokenWriter::composedBefore(std::size_t unit) const {
  std::size_t code = 0;
  while (code < sources_.size() && sources_[code] < unit) ++code;
  if (!compose_) return code;
  std::size_t p = 0;
  while (p < composed_.size() && composed_[p].first < code) ++p;
  return p;
}

}  // namespace quellix::detail
