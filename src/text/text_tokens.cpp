#include "text_tokens.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "hyphenator_internal.hpp"

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

TokenWriter::TokenWriter(const TextOptions& options, TextLanguage& language)
    : options_(options), language_(&language) {}

namespace {

// The rules of TextOptions::skipUrls over a token of n characters: code(k) is the k-th,
// wordLike(k) whether it is a letter, digit or word character, capitalAfterSmall(k) (k >= 1)
// whether it is a capital word character right after a small one.
template <class Code, class WordLike, class CapitalAfterSmall>
bool keptWhole(std::size_t n, Code code, WordLike wordLike, CapitalAfterSmall capitalAfterSmall) {
  const auto isW = [&code](std::size_t k) { return code(k) == 'w' || code(k) == 'W'; };
  const auto between = [&](std::size_t k) { return k > 0 && k + 1 < n && wordLike(k - 1) && wordLike(k + 1); };
  std::size_t innerSlashes = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = code(i);
    if (c == ':' && i + 2 < n && code(i + 1) == '/' && code(i + 2) == '/') return true;
    if (isW(i) && i + 3 < n && isW(i + 1) && isW(i + 2) && code(i + 3) == '.' &&
        (i == 0 || !wordLike(i - 1)))
      return true;
    if ((c == '@' || c == '_' || c == '\\') && between(i)) return true;
    // "example.com", "index.html": a dot between a letter or digit and an ASCII letter.
    if (c == '.' && between(i) && ((code(i + 1) | 0x20) >= 'a' && (code(i + 1) | 0x20) <= 'z'))
      return true;
    // "/usr/share", "~/notes", "(./src)", "a/b/c" (but not "and/or" or "</b>").
    if (c == '/' && i + 1 < n && wordLike(i + 1) &&
        (i == 0 || std::u32string_view(U"~.([{\"'").find(code(i - 1)) != std::u32string_view::npos))
      return true;
    if (c == '/' && between(i) && ++innerSlashes == 2) return true;
    // "camelCase", "JavaScript": a capital right after a small letter.
    if (i > 0 && capitalAfterSmall(i)) return true;
  }
  return false;
}

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
  // Words are short: their letters go on the stack.
  char32_t local[64];
  if (length > std::size(local)) letters_.resize(length);
  char32_t* const letters = length > std::size(local) ? letters_.data() : local;
  for (std::size_t k = 0; k < length; ++k) letters[k] = static_cast<unsigned char>(text[first + k]);
  if (breaks_.size() < length + 1) breaks_.resize(length + 1);
  const std::size_t count = std::min(
      breakPoints(language_->hyphenator(), std::u32string_view(letters, length), breaks_),
      breaks_.size());
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
}

// How far the hyphenator's patterns reach, in characters: a break depends on at most
// before characters before it and after characters after it.
const TextLanguage::Reach& TextLanguage::reach() {
  if (!reach_) reach_ = patternReach(h_);
  return *reach_;
}

// The held run has outgrown kMaxHeldBytes: writes its complete parts, and of its last part,
// which may go on, everything whose breaks are decided, keeping the characters the next
// breaks depend on.
void TokenWriter::divideLongRun(std::string& out) {
  const std::size_t n = units_.size();
  markLetters(n);
  // The start of the last part when the run ends in it (or in a hyphen after it).
  std::size_t open = n;
  for (std::size_t i = 0; i < n;) {
    if (!isLetter_[i]) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && (isLetter_[j] || (units_[j].kind == Kind::SoftHyphen && j + 1 < n &&
                                      isLetter_[j + 1])))
      ++j;
    const bool joiner = j < n && (units_[j].kind == Kind::SoftHyphen || units_[j].kind == Kind::Hyphen);
    if (j == n || (j + 1 == n && joiner)) open = i;
    i = j;
  }
  if (open > 0) {
    writeUnits(open, out);
    dropWritten(open);
  }
  if (units_.empty()) {
    runStart_ = npos;
    return;
  }
  runStart_ = 0;
  std::size_t partEnd = units_.size();
  if (!isLetter_.empty()) {
    markLetters(units_.size());
    while (partEnd > 0 && !isLetter_[partEnd - 1]) --partEnd;  // a trailing joiner waits
  }
  if (bytes_.size() <= kMaxHeldBytes / 2 || partEnd == 0) return;

  const TextLanguage::Reach& r = language_->reach();
  const std::int64_t leftMin = hyphenatorLeftMin(language_->hyphenator());
  const std::int64_t rightMin = hyphenatorRightMin(language_->hyphenator());
  const std::size_t context = std::max<std::size_t>(
      {r.before + 1, static_cast<std::size_t>(std::clamp<std::int64_t>(leftMin, 0, kMaxReach)), 1});
  const std::size_t guard = std::max<std::size_t>(
      {r.after, static_cast<std::size_t>(std::clamp<std::int64_t>(rightMin, 0, kMaxReach)), 1});
  if (context > kMaxReach || guard > kMaxReach) {
    // A hyphenator that reaches this far cannot be followed in bounded memory.
    out.append(bytes_, bytesBefore(written_));
    clear();
    copyRun_ = true;
    return;
  }
  if (!writeWindow(partEnd, context, guard, out)) {
    // Not yet enough characters to decide any break: hold more (up to a limit).
    if (bytes_.size() > 64 * (kMaxHeldBytes + 4 * (context + guard))) {
      out.append(bytes_, bytesBefore(written_));
      clear();
      copyRun_ = true;
      return;
    }
    shrinkAt_ = 2 * bytes_.size();
  }
}

std::size_t TokenWriter::bytesBefore(std::size_t unit) const {
  std::size_t bytes = 0;
  for (std::size_t k = 0; k < unit; ++k) bytes += units_[k].length;
  return bytes;
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

// Divides a window of the long part units_[0, partEnd), which may go on: writes its units
// up to a cut before which every break is decided (they depend on at most context
// characters before and guard characters after them), and keeps the context the next
// window needs. False when the window is too short to decide anything yet.
bool TokenWriter::writeWindow(std::size_t partEnd, std::size_t context, std::size_t guard,
                              std::string& out) {
  const bool continued = longPart_;
  const PartFacts facts = collectPart(0, partEnd);
  if (!continued && ((facts.softHyphen && options_.skipSoftHyphenated) ||
                     (options_.skipCapitals && facts.upper && !facts.lower))) {
    // Decided on its first window: the whole part is left as it is.
    out.append(bytes_);
    clear();
    copyRun_ = true;
    return true;
  }
  const std::size_t m = letters_.size();
  const std::size_t from = continued ? composedBefore(written_) : 0;
  // A cut before a character that nothing composes with, and no mark.
  const auto cuttable = [this](std::size_t p) {
    const std::size_t code = codeBoundary(p);
    return code != npos && code < codes_.size() && !mayChangeInComposition(codes_[code]) &&
           units_[sources_[code]].kind != Kind::Mark;
  };
  if (m < guard + context + 1) return false;
  std::size_t cut = m - guard;
  while (cut > from && cut >= context && !cuttable(cut)) --cut;
  if (cut <= from || cut < context) return false;
  std::size_t keep = cut - context;
  while (keep > 0 && !cuttable(keep)) --keep;

  markBreaks(from, cut, hyphenBefore_ && !continued, false);
  const std::size_t cutCode = codeBoundary(cut);
  const std::size_t cutUnit = sources_[cutCode - 1] + 1;  // soft hyphens after it wait
  const std::size_t emitFrom = continued ? written_ : 0;
  emitPart(emitFrom, cutUnit, false, bytesBefore(emitFrom), out);

  const std::size_t keepUnit = keep == 0 ? 0 : sources_[codeBoundary(keep)];
  dropWritten(keepUnit);
  longPart_ = true;
  written_ = cutUnit - keepUnit;
  hyphenBefore_ = false;
  return true;
}

}  // namespace quellix::detail
