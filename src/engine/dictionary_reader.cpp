// Reading a libhyphen dictionary (.dic): its encoding line, keywords, pattern levels and
// non-standard patterns, into the tables dictionary division reads. Each level is assembled
// here (index, patterns, windows, fallbacks) and laid out for the quick readings by
// dictionary_layouts.cpp.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary_data.hpp"
#include "dictionary_layouts.hpp"
#include "dictionary_reading.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/error.hpp"
#include "quellix/user_files.hpp"
#include "unicode_lower.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace quellix::detail {
namespace {

// A pattern line taken apart: its letters (dots included), one value per boundary, and the
// change of a non-standard pattern.
struct ParsedPattern {
  std::u32string letters;
  std::vector<std::uint8_t> values;  // letters.size() + 1
  bool nonStandard = false;
  DictionaryChange change;
  std::uint32_t changeBegin = 0;  // in letters, the leading dot counted
  std::uint32_t changeCut = 0;
};

// The patterns of one level as read, the last line of each letter sequence kept (as
// libhyphen keeps it).
struct LevelLines {
  std::vector<ParsedPattern> patterns;
  std::vector<std::u32string> noHyphen;
  std::int64_t leftMin = 0, rightMin = 0, compoundLeftMin = 0, compoundRightMin = 0;
  bool noHyphenGiven = false;
};

class Reader {
 public:
  Reader(std::string_view bytes, std::string_view source, NodeLayout layout)
      : bytes_(bytes), source_(source), layout_(layout) {}

  std::shared_ptr<const DictionaryData> read();

 private:
  [[noreturn]] void fail(std::size_t offset, std::string_view what) const {
    throw DictionaryError(std::string(source_) + ": line " + std::to_string(line_) +
                          ", byte offset " + std::to_string(offset) + ": " + std::string(what));
  }

  std::u32string decodeLine(std::string_view text, std::size_t offset) const;
  void readLine(std::u32string_view text, std::size_t offset);
  std::int64_t readNumber(std::u32string_view rest, std::size_t offset, std::string_view keyword) const;
  ParsedPattern parsePattern(std::u32string_view token, std::size_t offset) const;
  void buildLevel(LevelLines& lines, DictionaryLevel& level) const;

  std::string_view bytes_;
  std::string_view source_;
  NodeLayout layout_;
  std::size_t line_ = 1;
  std::shared_ptr<DictionaryData> data_ = std::make_shared<DictionaryData>();
  LevelLines levels_[2];
  int level_ = 0;
};

// The capital forms of every letter of d's patterns, folded to it; the letters themselves
// listed too, so that running text counts them as word characters.
CharMap foldingOf(const DictionaryData& d) {
  std::vector<char32_t> letters;
  for (const DictionaryLevel* level : {&d.compound, &d.plain})
    if (level->index)
      for (char32_t c : level->index->codes)
        if (c != U'.') letters.push_back(c);
  std::sort(letters.begin(), letters.end());
  letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
  std::vector<std::pair<char32_t, char32_t>> entries;
  entries.reserve(2 * letters.size());
  for (char32_t c : letters) entries.emplace_back(c, c);
  for (const auto& [upper, lower] : lowerCasePairs())
    if (std::binary_search(letters.begin(), letters.end(), lower) &&
        !std::binary_search(letters.begin(), letters.end(), upper))
      entries.emplace_back(upper, lower);
  std::sort(entries.begin(), entries.end());
  return CharMap(std::move(entries));
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r'; }
bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

std::u32string Reader::decodeLine(std::string_view text, std::size_t offset) const {
  std::u32string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    if (data_->encoding) {
      const char16_t c = data_->encoding->decode(bytes[at]);
      if (c == SingleByteEncoding::kUndefined)
        fail(offset + at, "byte 0x" + std::string{"0123456789ABCDEF"[bytes[at] >> 4],
                                                  "0123456789ABCDEF"[bytes[at] & 15]} +
                              " is not a character of " + data_->encodingName);
      out += c;
      ++at;
      continue;
    }
    char32_t c = 0;
    const std::size_t length = decodeUtf8Sequence(bytes + at, text.size() - at, c);
    if (length == 0) fail(offset + at, "not UTF-8, as the first line says");
    out += c;
    at += length;
  }
  return out;
}

std::int64_t Reader::readNumber(std::u32string_view rest, std::size_t offset,
                                std::string_view keyword) const {
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  while (!rest.empty() && isBlank(rest.back())) rest.remove_suffix(1);
  if (rest.empty() || rest.size() > 9 || !std::all_of(rest.begin(), rest.end(), isDigit))
    fail(offset, std::string(keyword) + " needs a number of characters");
  std::int64_t value = 0;
  for (char32_t c : rest) value = value * 10 + (c - U'0');
  return value;
}

// "pat1tern", "pat1tern/change" or "pat1tern/change,start,cut": a digit gives the boundary
// before the next letter its value (the last digit of a run counts); start counts letters
// from 1 without a leading dot.
ParsedPattern Reader::parsePattern(std::u32string_view token, std::size_t offset) const {
  ParsedPattern p;
  const std::size_t slash = token.find(U'/');
  const std::u32string_view text = token.substr(0, slash);
  p.values.push_back(0);
  for (char32_t c : text) {
    if (isDigit(c)) {
      p.values.back() = static_cast<std::uint8_t>(c - U'0');
    } else {
      p.letters += c;
      p.values.push_back(0);
    }
  }
  if (slash == std::u32string_view::npos) return p;
  p.nonStandard = true;
  std::u32string_view rest = token.substr(slash + 1);
  const std::size_t comma = rest.find(U',');
  const std::u32string_view change = rest.substr(0, comma);
  const std::size_t equals = change.find(U'=');
  if (equals == std::u32string_view::npos || change.find(U'=', equals + 1) != std::u32string_view::npos)
    fail(offset, "malformed non-standard pattern: its change needs one '=' marking the break");
  p.change.lineEnd = change.substr(0, equals);
  p.change.nextStart = change.substr(equals + 1);
  const bool leadingDot = !p.letters.empty() && p.letters.front() == U'.';
  const std::size_t letters = p.letters.size() - (leadingDot ? 1 : 0);
  std::size_t start = 1;
  std::size_t cut = letters;
  if (comma != std::u32string_view::npos) {
    // start and cut; libhyphen ignores anything after them.
    std::u32string_view numbers = rest.substr(comma + 1);
    std::size_t fields[2] = {0, 0};
    for (std::size_t& field : fields) {
      std::size_t digits = 0;
      while (digits < numbers.size() && isDigit(numbers[digits])) {
        if (field > 100000) fail(offset, "malformed non-standard pattern: a number is too large");
        field = field * 10 + (numbers[digits] - U'0');
        ++digits;
      }
      if (digits == 0)
        fail(offset, "malformed non-standard pattern: change,start,cut needs two numbers");
      numbers.remove_prefix(digits);
      if (&field == &fields[0]) {
        if (numbers.empty() || numbers.front() != U',')
          fail(offset, "malformed non-standard pattern: change,start,cut needs two numbers");
        numbers.remove_prefix(1);
      }
    }
    start = fields[0];
    cut = fields[1];
  }
  if (start < 1 || cut < 1 || start - 1 + cut > letters)
    fail(offset, "malformed non-standard pattern: start " + std::to_string(start) + " and cut " +
                     std::to_string(cut) + " leave its " + std::to_string(letters) + " letters");
  p.changeBegin = static_cast<std::uint32_t>(start - 1 + (leadingDot ? 1 : 0));
  p.changeCut = static_cast<std::uint32_t>(cut);
  return p;
}

// Whether text starts with keyword followed by a blank or its end.
bool isKeyword(std::u32string_view text, std::string_view keyword) {
  if (text.size() < keyword.size()) return false;
  for (std::size_t k = 0; k < keyword.size(); ++k)
    if (text[k] != static_cast<unsigned char>(keyword[k])) return false;
  return text.size() == keyword.size() || isBlank(text[keyword.size()]);
}

void Reader::readLine(std::u32string_view text, std::size_t offset) {
  if (text.empty() || text.front() == U'%') return;
  LevelLines& level = levels_[level_];
  struct NumberKeyword {
    std::string_view name;
    std::int64_t LevelLines::*field;
  };
  static constexpr NumberKeyword kNumbers[] = {
      {"LEFTHYPHENMIN", &LevelLines::leftMin},
      {"RIGHTHYPHENMIN", &LevelLines::rightMin},
      {"COMPOUNDLEFTHYPHENMIN", &LevelLines::compoundLeftMin},
      {"COMPOUNDRIGHTHYPHENMIN", &LevelLines::compoundRightMin},
  };
  for (const NumberKeyword& keyword : kNumbers) {
    if (isKeyword(text, keyword.name)) {
      level.*keyword.field = readNumber(text.substr(keyword.name.size()), offset, keyword.name);
      return;
    }
  }
  if (isKeyword(text, "NEXTLEVEL")) {
    if (level_ == 1) fail(offset, "NEXTLEVEL may appear only once: a dictionary has two levels");
    level_ = 1;
    data_->explicitLevels = true;
    return;
  }
  if (isKeyword(text, "NOHYPHEN")) {
    std::u32string_view list = text.substr(8);
    while (!list.empty() && isBlank(list.front())) list.remove_prefix(1);
    while (!list.empty() && isBlank(list.back())) list.remove_suffix(1);
    level.noHyphenGiven = true;
    while (!list.empty()) {
      const std::size_t comma = list.find(U',');
      const std::u32string_view item = list.substr(0, comma);
      if (!item.empty()) level.noHyphen.emplace_back(item);
      list = comma == std::u32string_view::npos ? std::u32string_view() : list.substr(comma + 1);
    }
    return;
  }
  // A pattern is the line up to its first blank; what follows is a comment.
  std::size_t end = 0;
  while (end < text.size() && !isBlank(text[end])) ++end;
  if (end == 0) return;
  level.patterns.push_back(parsePattern(text.substr(0, end), offset));
}

void Reader::buildLevel(LevelLines& lines, DictionaryLevel& level) const {
  std::vector<ParsedPattern>& patterns = lines.patterns;
  // The last line of each letter sequence counts.
  std::stable_sort(patterns.begin(), patterns.end(),
                   [](const ParsedPattern& a, const ParsedPattern& b) { return a.letters < b.letters; });
  std::vector<ParsedPattern> kept;
  kept.reserve(patterns.size());
  for (std::size_t k = 0; k < patterns.size(); ++k) {
    if (k + 1 < patterns.size() && patterns[k + 1].letters == patterns[k].letters) continue;
    // A line of digits alone ("1") matches nowhere for libhyphen; here it would be the
    // root's own pattern, which the quick readings would apply at every character.
    if (patterns[k].letters.empty()) continue;
    kept.push_back(std::move(patterns[k]));
  }
  patterns.clear();
  if (kept.empty()) return;
  SortedPatternLines sorted;
  for (ParsedPattern& p : kept) {
    SortedPatternLines::Line line{sorted.letters.size(), 0, sorted.values.size(), 0};
    sorted.letters.insert(sorted.letters.end(), p.letters.begin(), p.letters.end());
    sorted.values.insert(sorted.values.end(), p.values.begin(), p.values.end());
    line.letterEnd = sorted.letters.size();
    line.valueEnd = sorted.values.size();
    sorted.lines.push_back(line);
    if (std::all_of(p.letters.begin(), p.letters.end(), [](char32_t c) { return c == U'.'; }))
      level.needsLetter = false;
  }
  level.index = buildIndex(sorted);
  const PatternIndex& index = *level.index;
  if (index.codes.size() < 256) {
    constexpr std::size_t kLowCodes = 0x800;
    level.lowSymbols.resize(std::min(index.pageOf.size() * 256, kLowCodes));
    for (std::size_t code = 0; code < level.lowSymbols.size(); ++code)
      level.lowSymbols[code] = static_cast<std::uint8_t>(
          isDictionaryDigit(static_cast<char32_t>(code)) ? index.dot : index.symbolOf(static_cast<char32_t>(code)));
  }
  const std::size_t slots = index.slots.size();
  level.patternOf.assign(slots, 0);
  level.fallback.assign(slots, 0);
  // Each node: its parent, its symbol and depth, found by walking every pattern.
  std::vector<std::uint32_t> parent(slots, PatternIndex::kFree);
  std::vector<PatternIndex::Symbol> symbolOf(slots, 0);
  std::vector<std::uint32_t> depthOf(slots, 0);
  std::vector<std::uint32_t> nodes;
  level.patterns.reserve(kept.size());
  for (ParsedPattern& p : kept) {
    std::uint32_t slot = 0;
    for (std::size_t k = 0; k < p.letters.size(); ++k) {
      const PatternIndex::Symbol symbol = index.symbolOf(p.letters[k]);
      const std::uint32_t next = (index.slots[slot].base & PatternIndex::kBaseMask) + symbol;
      if (parent[next] == PatternIndex::kFree) {
        parent[next] = slot;
        symbolOf[next] = symbol;
        depthOf[next] = static_cast<std::uint32_t>(k + 1);
        nodes.push_back(next);
      }
      slot = next;
    }
    DictionaryLevel::Pattern record;
    record.valuesBegin = static_cast<std::uint32_t>(level.values.size());
    record.length = static_cast<std::uint32_t>(p.letters.size());
    level.values.insert(level.values.end(), p.values.begin(), p.values.end());
    if (p.nonStandard) {
      record.change = static_cast<std::int32_t>(level.changes.size());
      level.changes.push_back(std::move(p.change));
      record.changeBegin = p.changeBegin;
      record.changeCut = p.changeCut;
    }
    level.patternOf[slot] = static_cast<std::uint32_t>(level.patterns.size() + 1);
    level.patterns.push_back(record);
  }
  // The windows of the quick reading.
  std::vector<std::uint32_t> windowOf(slots, 0);
  level.windows.assign(1, {});
  std::map<std::array<std::uint8_t, DictionaryLevel::kWidth>, std::uint32_t> windowIds;
  windowIds.emplace(level.windows[0], 0);
  for (std::uint32_t slot = 0; slot < slots; ++slot) {
    const std::uint32_t found = level.patternOf[slot];
    if (found == 0) continue;
    const DictionaryLevel::Pattern& p = level.patterns[found - 1];
    std::uint32_t flags = p.change >= 0 ? DictionaryLevel::kChange : 0;
    level.anyChange = level.anyChange || p.change >= 0;
    if (p.length + 1 > DictionaryLevel::kWidth) {
      windowOf[slot] = flags | DictionaryLevel::kLong;
      continue;
    }
    std::array<std::uint8_t, DictionaryLevel::kWidth> window{};
    for (std::uint32_t t = 0; t <= p.length; ++t)
      window[DictionaryLevel::kWidth - 1 - p.length + t] = level.values[p.valuesBegin + t];
    const auto [it, added] = windowIds.try_emplace(window, static_cast<std::uint32_t>(level.windows.size()));
    if (added) level.windows.push_back(window);
    windowOf[slot] = flags | it->second;
  }
  // Fallbacks in breadth-first order: a node's is found from its parent's.
  std::stable_sort(nodes.begin(), nodes.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return depthOf[a] < depthOf[b]; });
  const auto child = [&index](std::uint32_t slot, PatternIndex::Symbol symbol) -> std::uint32_t {
    const std::uint32_t next = (index.slots[slot].base & PatternIndex::kBaseMask) + symbol;
    return index.slots[next].check == slot ? next : PatternIndex::kFree;
  };
  for (const std::uint32_t node : nodes) {
    const std::uint32_t from = parent[node];
    if (from == 0) continue;  // a suffix of one letter falls back to the root
    std::uint32_t f = level.fallback[from];
    for (;;) {
      const std::uint32_t next = child(f, symbolOf[node]);
      if (next != PatternIndex::kFree) {
        level.fallback[node] = next;
        break;
      }
      if (f == 0) break;
      f = level.fallback[f];
    }
  }
  layOutLevel(level, layout_, nodes, parent, symbolOf, windowOf);
}

std::shared_ptr<const DictionaryData> Reader::read() {
  checkFileLimits(bytes_, source_);
  data_->source = source_;
  std::size_t at = 0;
  if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") at = 3;  // a byte-order mark
  bool first = true;
  while (at < bytes_.size()) {
    std::size_t end = bytes_.find('\n', at);
    if (end == std::string_view::npos) end = bytes_.size();
    std::string_view raw = bytes_.substr(at, end - at);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (first) {
      std::string_view name = raw;
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
      data_->encodingName = std::string(name);
      if (name == "UTF-8" || name == "utf-8" || name == "UTF8" || name == "utf8") {
        data_->encoding = nullptr;
      } else if (const SingleByteEncoding* encoding = findSingleByteEncoding(name)) {
        data_->encoding = encoding;
      } else {
        std::string shown;
        for (char c : name.substr(0, 40)) shown += (c >= 0x20 && c < 0x7f) ? c : '?';
        fail(at, "the first line names no known encoding ('" + shown +
                     "'; UTF-8, ISO8859-1 to ISO8859-16, KOI8-R, KOI8-U and microsoft-cp1250 to "
                     "microsoft-cp1252 are known)");
      }
      first = false;
    } else {
      readLine(decodeLine(raw, at), at);
    }
    at = end + 1;
    ++line_;
  }
  if (first) fail(0, "empty: the first line must name the encoding");

  DictionaryData& d = *data_;
  // The settings are those of the first level (the only one without NEXTLEVEL).
  const LevelLines& top = levels_[0];
  const LevelLines& settings = top;
  d.leftMin = settings.leftMin;
  d.rightMin = settings.rightMin;
  d.compoundLeftMin = settings.compoundLeftMin;
  d.compoundRightMin = settings.compoundRightMin;
  d.patternCount[0] = levels_[0].patterns.size();
  d.patternCount[1] = levels_[1].patterns.size();
  if (d.explicitLevels) {
    d.noHyphen = top.noHyphen;
    buildLevel(levels_[0], d.compound);
    buildLevel(levels_[1], d.plain);
  } else {
    // Without NEXTLEVEL every line belongs to the one level read (index 0); the compound
    // level is made as libhyphen makes it: breaks around hyphens and apostrophes, which
    // NOHYPHEN then takes out again, and compound margins from the plain ones or 3.
    std::swap(levels_[0].patterns, levels_[1].patterns);
    d.patternCount[1] = d.patternCount[0];
    d.patternCount[0] = 0;
    if (d.compoundLeftMin == 0) d.compoundLeftMin = d.leftMin > 0 ? d.leftMin : 3;
    if (d.compoundRightMin == 0) d.compoundRightMin = d.rightMin > 0 ? d.rightMin : 3;
    const bool utf8 = d.encoding == nullptr;
    d.noHyphen = utf8 ? std::vector<std::u32string>{U"'", U"\u2013", U"\u2019", U"-"}
                      : std::vector<std::u32string>{U"'", U"-"};
    for (const std::u32string& item : d.noHyphen) {
      ParsedPattern p;
      p.letters = item;
      p.values = {1, 1};
      levels_[0].patterns.push_back(std::move(p));
    }
    buildLevel(levels_[0], d.compound);
    buildLevel(levels_[1], d.plain);
  }
  // Letters of the changes with their capital forms, for words written in capitals.
  std::u32string letters;
  for (const DictionaryLevel* level : {&d.compound, &d.plain})
    for (const DictionaryChange& change : level->changes) letters += change.lineEnd + change.nextStart;
  std::sort(letters.begin(), letters.end());
  letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
  for (const std::pair<char32_t, char32_t>& pair : lowerCasePairs()) {
    const char32_t lower = pair.second;
    if (!std::binary_search(letters.begin(), letters.end(), lower)) continue;
    const bool seen = std::any_of(d.upperOfChangeLetters.begin(), d.upperOfChangeLetters.end(),
                                  [lower](const auto& known) { return known.first == lower; });
    if (!seen) d.upperOfChangeLetters.emplace_back(lower, pair.first);
  }
  std::sort(d.upperOfChangeLetters.begin(), d.upperOfChangeLetters.end());
  for (const std::u32string& item : d.noHyphen) d.noHyphenFirst += item.front();
  std::sort(d.noHyphenFirst.begin(), d.noHyphenFirst.end());
  d.noHyphenFirst.erase(std::unique(d.noHyphenFirst.begin(), d.noHyphenFirst.end()), d.noHyphenFirst.end());
  for (const char32_t c : d.noHyphenFirst)
    if (c < 256) d.noHyphenLow[c / 64] |= std::uint64_t{1} << (c % 64);
  for (char32_t c = 0; c < DictionaryData::kLowCodes; ++c) {
    const bool digit = c >= U'0' && c <= U'9';
    const bool noHyphen = c < 256 ? (d.noHyphenLow[c / 64] >> (c % 64) & 1u) != 0
                                  : std::binary_search(d.noHyphenFirst.begin(), d.noHyphenFirst.end(), c);
    const bool compound = !d.compound.empty() && d.compound.index->symbolOf(c) != 0;
    if (!digit && !noHyphen && compound) d.compoundReadsCommon = true;
    d.lowKind[c] = static_cast<std::uint8_t>((digit || noHyphen ? DictionaryData::kLowExceptional : 0) |
                                             (compound ? DictionaryData::kLowCompound : 0));
  }
  if (!d.compound.lowSymbols.empty() && !d.plain.lowSymbols.empty()) {
    d.bothLowSymbols.resize(std::min(d.compound.lowSymbols.size(), d.plain.lowSymbols.size()));
    for (std::size_t code = 0; code < d.bothLowSymbols.size(); ++code)
      d.bothLowSymbols[code] = static_cast<std::uint16_t>(d.compound.lowSymbols[code] | d.plain.lowSymbols[code] << 8);
  }
  prepareStart(d.compound);
  prepareStart(d.plain);
  if (!d.compound.empty() && !d.compound.needsLetter) d.compoundReadsCommon = true;
  d.folding = foldingOf(d);
  for (char32_t c = 0; c < DictionaryData::kLowCodes; ++c) {
    const char32_t f = d.folding(c);
    const bool common = f < DictionaryData::kLowCodes && (d.lowKind[f] & DictionaryData::kLowExceptional) == 0;
    d.foldedLow[c] = f | (common ? DictionaryData::kFoldedCommon : 0u);
  }
  return data_;
}

}  // namespace

std::shared_ptr<const DictionaryData> readDictionaryData(std::string_view bytes, std::string_view source,
                                                         NodeLayout layout) {
  return Reader(bytes, source, layout).read();
}

}  // namespace quellix::detail
