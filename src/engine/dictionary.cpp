// The hyphenators of libhyphen dictionaries: loading them, their breaks with changes of
// spelling, and the values libhyphen's interface reports.
#include "quellix/dictionary.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "char_map.hpp"
#include "dictionary_data.hpp"
#include "dictionary_division.hpp"
#include "exception_table.hpp"
#include "hyphenator_core.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/error.hpp"
#include "quellix/pattern.hpp"
#include "unicode_lower.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace quellix {
namespace {

using detail::DictionaryData;
using detail::DictionaryResult;

// A character no pattern contains: a malformed byte of UTF-8 input.
constexpr char32_t kOpaque = 0xFFFFFFFFu;

// The plain level's patterns as an ordinary trie, changes left out.
Patterns plainTrie(const DictionaryData& d) {
  const detail::DictionaryLevel& level = d.plain;
  std::u32string text;
  if (!level.index) return Patterns();
  // Walk the patterns back from the index: each pattern's slot leads to its letters.
  std::vector<std::uint32_t> parent(level.index->slots.size(), 0);
  std::vector<char32_t> codeOf(level.index->slots.size(), 0);
  const auto& slots = level.index->slots;
  for (std::uint32_t s = 0; s < slots.size(); ++s) {
    const std::uint32_t base = slots[s].base & detail::PatternIndex::kBaseMask;
    if (slots[s].check == detail::PatternIndex::kFree && s != 0) continue;
    for (std::size_t sym = 1; sym <= level.index->codes.size(); ++sym) {
      const std::size_t next = base + sym;
      if (next < slots.size() && slots[next].check == s && next != 0) {
        parent[next] = s;
        codeOf[next] = level.index->codes[sym - 1];
      }
    }
  }
  for (std::uint32_t s = 0; s < slots.size(); ++s) {
    const std::uint32_t found = level.patternOf[s];
    if (found == 0) continue;
    const auto& p = level.patterns[found - 1];
    std::u32string letters;
    for (std::uint32_t at = s; at != 0; at = parent[at]) letters.insert(letters.begin(), codeOf[at]);
    const std::uint8_t* v = level.values.data() + p.valuesBegin;
    std::u32string line;
    for (std::size_t k = 0; k <= letters.size(); ++k) {
      if (v[k]) line += static_cast<char32_t>(U'0' + v[k]);
      if (k < letters.size()) line += letters[k];
    }
    text += line;
    text += U'\n';
  }
  return parsePatterns(text);
}

Hyphenator hyphenatorOf(std::shared_ptr<const DictionaryData> d) {
  const std::int64_t left = d->leftMin > 0 ? d->leftMin : 2;
  const std::int64_t right = d->rightMin > 0 ? d->rightMin : 2;
  auto map = Lazy<detail::CharMap>::deferred([d] { return d->folding; });
  auto patterns = Lazy<Patterns>::deferred([d] { return plainTrie(*d); });
  return detail::dictionaryHyphenator(std::move(d), std::move(map), std::move(patterns), left, right);
}

const DictionaryData& dictionaryOf(const Hyphenator& h) {
  const DictionaryData* d = detail::hyphenatorDictionary(h);
  if (d == nullptr) throw ArgumentError("the hyphenator was not made from a dictionary");
  return *d;
}

// Scratch space of this thread (normal: the folded word; result: its division), so that
// dividing allocates nothing once warm.
using WordScratch = detail::DictionaryScratch;
WordScratch& threadScratch() { return detail::dictionaryScratch(); }

// Whether every cased letter of text is a capital (and there is one).
bool inCapitals(std::u32string_view original, std::u32string_view folded) {
  bool any = false;
  for (std::size_t k = 0; k < original.size(); ++k) {
    if (original[k] == folded[k]) {
      // Unchanged by folding: a lower-case letter if it has a capital form.
      for (const auto& [upper, lower] : detail::lowerCasePairs())
        if (lower == original[k]) return false;
      continue;
    }
    any = true;
  }
  return any;
}

std::u32string inCapitalsIf(const DictionaryData& d, std::u32string text, bool capitals) {
  if (!capitals) return text;
  for (char32_t& c : text) {
    const auto found = std::lower_bound(d.upperOfChangeLetters.begin(), d.upperOfChangeLetters.end(),
                                        std::pair<char32_t, char32_t>(c, 0));
    if (found != d.upperOfChangeLetters.end() && found->first == c) c = found->second;
  }
  return text;
}

// The division of word (folded by h's map; opaque characters kept apart) into scratch.
// Returns the exception table's list when word is listed there, else null.
// breaks: as for detail::divideDictionaryWord; given, the word is folded the quick way.
const std::vector<std::uint8_t>* divideFolded(const Hyphenator& h, const DictionaryData& d,
                                              std::u32string_view word, const std::uint8_t* opaque,
                                              WordScratch& s, detail::BreakRange* breaks = nullptr) {
  // A dictionary's hyphenator and those made from it fold with the dictionary's map.
  const detail::HyphenatorCore& core = detail::HyphenatorAccess::core(h);
  const detail::CharMap& map = d.folding;
  const std::span<const char32_t> flat = map.flat();
  // Grown only, the folded word a view of its front: a resize a word would write the zeros
  // of every word longer than the last (a call each time).
  if (s.normal.size() < word.size()) s.normal.resize(word.size());
  char32_t* const normal = s.normal.data();
  const std::u32string_view folded(normal, word.size());
  const auto fold = [&](char32_t c) { return c < flat.size() ? flat[c] : map(c); };
  bool allCommon = false;
  if (breaks == nullptr) {
    // The plain way, for callers that read every value (breaksWithChanges): the reference
    // that breakPoints' quick way is compared with (dictionary_differential_test).
    for (std::size_t k = 0; k < word.size(); ++k) normal[k] = fold(word[k]);
  } else {
    // Whether every folded character is below kLowCodes and leaves the word to the common
    // word's route (common: DictionaryData::lowKind), found while folding so that the route
    // need not look again: one load a character below kLowCodes gives both (foldedLow).
    constexpr char32_t kLow = DictionaryData::kLowCodes;
    const std::array<std::uint32_t, kLow>& low = d.foldedLow;
    constexpr std::uint32_t kCommon = DictionaryData::kFoldedCommon;
    std::uint32_t common = kCommon;
    std::size_t k = 0;
    // Four characters a turn while all four are below kLow (one test for the four).
    for (; k + 4 <= word.size(); k += 4) {
      const char32_t c0 = word[k], c1 = word[k + 1], c2 = word[k + 2], c3 = word[k + 3];
      if ((c0 | c1 | c2 | c3) >= kLow) break;
      const std::uint32_t e0 = low[c0], e1 = low[c1], e2 = low[c2], e3 = low[c3];
      normal[k] = e0 & ~kCommon;
      normal[k + 1] = e1 & ~kCommon;
      normal[k + 2] = e2 & ~kCommon;
      normal[k + 3] = e3 & ~kCommon;
      common &= e0 & e1 & e2 & e3;
    }
    for (; k < word.size() && word[k] < kLow; ++k) {
      const std::uint32_t entry = low[word[k]];
      normal[k] = entry & ~kCommon;
      common &= entry;
    }
    for (; k < word.size(); ++k) {  // from the first character at or above kLow on
      const char32_t f = fold(word[k]);
      normal[k] = f;
      if (f >= kLow || (d.lowKind[f] & DictionaryData::kLowExceptional) != 0) common = 0;
    }
    allCommon = common != 0;
  }
  bool anyOpaque = false;
  if (opaque)
    for (std::size_t at = 0; at < word.size(); ++at)
      if (opaque[at]) {
        normal[at] = kOpaque;
        anyOpaque = true;
      }
  if (!anyOpaque && !core.noExceptions) {
    const detail::ExceptionTable* table = detail::ExceptionAccess::table(core.exceptions.get());
    if (table && !table->words.empty())
      if (const auto* listed = table->find(folded)) return listed;
  }
  detail::DictionaryMargins margins;
  margins.left = core.leftMin;
  margins.right = core.rightMin;
  margins.compoundLeft = d.compoundLeftMin;
  margins.compoundRight = d.compoundRightMin;
  detail::divideDictionaryWord(d, folded, margins, s.result, s, !anyOpaque && allCommon, breaks);
  return nullptr;
}

// The breaks of an exception list's entry, within h's margins.
template <class Emit>
std::size_t exceptionBreaks(const Hyphenator& h, const std::vector<std::uint8_t>& listed,
                            std::size_t n, Emit&& emit) {
  const std::int64_t left = std::max<std::int64_t>(hyphenatorLeftMin(h), 1);
  const std::int64_t right = std::max<std::int64_t>(hyphenatorRightMin(h), 0);
  std::size_t count = 0;
  for (std::size_t i = 1; i < n && i < listed.size(); ++i) {
    if (!(listed[i] & 1u)) continue;
    if (static_cast<std::int64_t>(i) < left || static_cast<std::int64_t>(n - i) < right) continue;
    emit(i);
    ++count;
  }
  return count;
}

}  // namespace

namespace detail {

std::size_t dictionaryBreakPoints(const Hyphenator& h, std::u32string_view word,
                                  const std::uint8_t* opaque, std::span<std::size_t> out) {
  const DictionaryData& d = *hyphenatorDictionary(h);
  WordScratch& s = threadScratch();
  std::size_t count = 0;
  const auto emit = [&](std::size_t at) {
    if (count < out.size()) out[count] = at;
    ++count;
  };
  detail::BreakRange breaks{};
  if (const auto* listed = divideFolded(h, d, word, opaque, s, &breaks)) {
    exceptionBreaks(h, *listed, word.size(), emit);
    return count;
  }
  // Odd values within breaks are breaks; those that change the spelling are left out here.
  // Without a change in the word, changes is not read at all.
  const std::vector<std::uint8_t>& values = s.result.values;
  const std::size_t n = word.size();  // values may hold more (detail::divideDictionaryWord)
  // The boundaries read: [from, to), within the breaks' range and before the last character.
  const std::int64_t first = std::max<std::int64_t>(breaks.lo, 0);
  const std::int64_t end = std::min<std::int64_t>(breaks.hi + 1, static_cast<std::int64_t>(n) - 1);
  const auto from = static_cast<std::size_t>(first);
  const auto to = static_cast<std::size_t>(std::max(first, end));
  constexpr std::size_t kShort = 64;
  if (!s.result.anyChange && n <= kShort) {
    // Gathered without a branch on the value's parity, which the processor cannot guess,
    // then copied: nothing past the breaks is written to out.
    std::size_t at[kShort];
    for (std::size_t i = from; i < to; ++i) {
      at[count] = i + 1;
      count += values[i] & 1u;
    }
    std::copy_n(at, std::min(count, out.size()), out.data());
    return count;
  }
  const bool anyChange = s.result.anyChange;
  for (std::size_t i = from; i < to; ++i)
    if ((values[i] & 1u) && (!anyChange || s.result.changes[i].text == nullptr)) emit(i + 1);
  return count;
}

}  // namespace detail

Hyphenator readDictionary(std::string_view bytes, std::string_view source) {
  return hyphenatorOf(detail::readDictionaryData(bytes, source));
}

Hyphenator loadDictionary(std::string_view path) {
  return readDictionary(readUserFile(std::string(path)), path);
}

std::optional<DictionaryInfo> dictionaryInfo(const Hyphenator& h) {
  const DictionaryData* d = detail::hyphenatorDictionary(h);
  if (d == nullptr) return std::nullopt;
  DictionaryInfo info;
  info.source = d->source;
  info.encoding = d->encodingName;
  info.utf8 = d->encoding == nullptr;
  info.leftMin = d->leftMin;
  info.rightMin = d->rightMin;
  info.compoundLeftMin = d->compoundLeftMin;
  info.compoundRightMin = d->compoundRightMin;
  for (const std::u32string& item : d->noHyphen) info.noHyphen.push_back(detail::toUtf8(item));
  info.nextLevel = d->explicitLevels;
  info.compoundPatterns = d->patternCount[0];
  info.patterns = d->patternCount[1];
  return info;
}

std::vector<SpellingBreak> breaksWithChanges(const Hyphenator& h, std::u32string_view word) {
  std::vector<SpellingBreak> breaks;
  const DictionaryData* d = detail::hyphenatorDictionary(h);
  if (d == nullptr) {
    std::vector<std::size_t> at(word.size() + 1);
    at.resize(breakPoints(h, word, at));
    for (std::size_t p : at) breaks.push_back({p, p, p, {}, {}});
    return breaks;
  }
  WordScratch& s = threadScratch();
  if (const auto* listed = divideFolded(h, *d, word, nullptr, s)) {
    exceptionBreaks(h, *listed, word.size(), [&](std::size_t p) { breaks.push_back({p, p, p, {}, {}}); });
    return breaks;
  }
  const DictionaryResult& r = s.result;
  for (std::size_t i = 0; i + 1 < r.values.size(); ++i) {
    if (!(r.values[i] & 1u)) continue;
    const DictionaryResult::Change& c = r.changes[i];
    if (c.text == nullptr) {
      breaks.push_back({i + 1, i + 1, i + 1, {}, {}});
      continue;
    }
    const auto begin = static_cast<std::size_t>(c.begin);
    const std::size_t end = begin + c.cut;
    const bool capitals = inCapitals(word.substr(begin, c.cut), std::u32string_view(s.normal).substr(begin, c.cut));
    breaks.push_back({i + 1, begin, end, inCapitalsIf(*d, c.text->lineEnd, capitals),
                      inCapitalsIf(*d, c.text->nextStart, capitals)});
  }
  return breaks;
}

std::vector<Utf8SpellingBreak> breaksWithChanges(const Hyphenator& h, std::string_view word) {
  // Byte offset of each character, malformed bytes one character each.
  std::u32string chars;
  std::vector<std::size_t> start;
  const auto* bytes = reinterpret_cast<const unsigned char*>(word.data());
  for (std::size_t at = 0; at < word.size();) {
    char32_t c = 0;
    std::size_t length = detail::decodeUtf8Sequence(bytes + at, word.size() - at, c);
    if (length == 0) {
      c = kOpaque;
      length = 1;
    }
    chars.push_back(c);
    start.push_back(at);
    at += length;
  }
  start.push_back(word.size());
  std::vector<Utf8SpellingBreak> out;
  for (const SpellingBreak& b : breaksWithChanges(h, chars))
    out.push_back({start[b.position], start[b.replacedBegin], start[b.replacedEnd],
                   detail::toUtf8(b.lineEnd), detail::toUtf8(b.nextStart)});
  return out;
}

namespace {
template <class Piece, class Word, class Breaks>
std::vector<Piece> piecesOf(Word word, const Breaks& breaks) {
  std::vector<Piece> pieces;
  std::size_t from = 0;
  Piece next;
  for (const auto& b : breaks) {
    Piece line = next;
    line.append(word.substr(from, b.replacedBegin - from));
    line.append(b.lineEnd);
    pieces.push_back(std::move(line));
    next = Piece(b.nextStart);
    from = b.replacedEnd;
  }
  next.append(word.substr(from));
  pieces.push_back(std::move(next));
  return pieces;
}
}  // namespace

std::vector<std::u32string> hyphenateWithChanges(const Hyphenator& h, std::u32string_view word) {
  return piecesOf<std::u32string>(word, breaksWithChanges(h, word));
}

std::vector<std::string> hyphenateWithChanges(const Hyphenator& h, std::string_view word) {
  return piecesOf<std::string>(word, breaksWithChanges(h, word));
}

void dictionaryValues(const Hyphenator& h, std::u32string_view word, DictionaryValues& out,
                      const DictionaryMargins* margins) {
  const DictionaryData& d = dictionaryOf(h);
  detail::DictionaryMargins m;
  if (margins) {
    m.left = std::max(margins->left, d.leftMin);
    m.right = std::max(margins->right, d.rightMin);
    m.compoundLeft = std::max(margins->compoundLeft, d.compoundLeftMin);
    m.compoundRight = std::max(margins->compoundRight, d.compoundRightMin);
  } else {
    // Read from the record itself: no call through the library's exported functions a word.
    const detail::HyphenatorCore& core = detail::HyphenatorAccess::core(h);
    m.left = core.leftMin;
    m.right = core.rightMin;
    m.compoundLeft = d.compoundLeftMin;
    m.compoundRight = d.compoundRightMin;
  }
  WordScratch& s = threadScratch();
  DictionaryResult& r = s.result;
  detail::divideDictionaryWord(d, word, m, r, s);
  out.values.resize(r.values.size());
  detail::copyValues(out.values.data(), r.values.data(), r.values.size());
  out.changes.clear();
  if (!r.anyChange) return;
  for (std::size_t i = 0; i < r.values.size(); ++i) {
    const DictionaryResult::Change& c = r.changes[i];
    if (c.text == nullptr) continue;
    const auto begin = static_cast<std::size_t>(c.begin);
    out.changes.push_back({i + 1, begin, begin + c.cut, c.text->lineEnd, c.text->nextStart});
  }
}

void dictionaryFirstLevelValues(const Hyphenator& h, std::u32string_view word, DictionaryValues& out) {
  const DictionaryData& d = dictionaryOf(h);
  DictionaryResult& r = threadScratch().result;
  detail::firstLevelValues(d, word, r);
  out.values.assign(r.values.begin(), r.values.end());
  out.changes.clear();
}

std::u32string decodeDictionaryText(const Hyphenator& h, std::string_view bytes) {
  const DictionaryData& d = dictionaryOf(h);
  std::u32string out;
  out.reserve(bytes.size());
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t at = 0; at < bytes.size();) {
    if (d.encoding) {
      const char16_t c = d.encoding->decode(b[at++]);
      out += c == detail::SingleByteEncoding::kUndefined ? U'\uFFFD' : char32_t(c);
      continue;
    }
    char32_t c = 0;
    const std::size_t length = detail::decodeUtf8Sequence(b + at, bytes.size() - at, c);
    out += length == 0 ? U'\uFFFD' : c;
    at += length == 0 ? 1 : length;
  }
  return out;
}

std::string encodeDictionaryText(const Hyphenator& h, std::u32string_view text) {
  const DictionaryData& d = dictionaryOf(h);
  if (!d.encoding) return detail::toUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) out += d.encoding->encode(c);
  return out;
}

}  // namespace quellix
