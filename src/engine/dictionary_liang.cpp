// Liang's method over a dictionary's patterns: every pattern of both levels counts where it
// matches. Found through each level's index: after each character, the state is the longest
// suffix of what was read that begins some pattern, and its chain of fallbacks visits every
// shorter such suffix, so the patterns ending there are those of the states on the chain.
#include "dictionary_liang.hpp"

#include <algorithm>
#include <cstdint>

#include "dictionary_data.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/error.hpp"

namespace quellix::detail {
namespace {

// What decides a boundary: the largest value, and of the patterns that give it the one that
// starts last, then the longest (as patterns applied in that order, each replacing an equal
// value, would leave it).
struct Boundary {
  std::uint8_t value = 0;
  std::int64_t start = 0;  // index in ".word." of the deciding pattern's first letter
  std::uint32_t length = 0;
  const DictionaryLevel* level = nullptr;
  const DictionaryLevel::Pattern* pattern = nullptr;
};

struct Scratch {
  std::vector<Boundary> boundaries;  // per boundary p = 0 .. n
};

thread_local Scratch scratch;

// The symbol of character j of ".word." in level's index.
PatternIndex::Symbol symbolAt(const PatternIndex& index, std::u32string_view word, std::int64_t j) {
  const std::int64_t n = static_cast<std::int64_t>(word.size());
  return j == 0 || j == n + 1 ? index.dot : index.symbolOf(word[static_cast<std::size_t>(j - 1)]);
}

// Whether level has a pattern of the letters of ".word." [start, start + length).
bool hasPattern(const DictionaryLevel& level, std::u32string_view word, std::int64_t start, std::uint32_t length) {
  if (level.empty()) return false;
  const PatternIndex& index = *level.index;
  std::uint32_t state = 0;
  for (std::uint32_t k = 0; k < length; ++k) {
    const PatternIndex::Symbol symbol = symbolAt(index, word, start + static_cast<std::int64_t>(k));
    const std::uint32_t next = (index.slots[state].base & PatternIndex::kBaseMask) + symbol;
    if (symbol == 0 || index.slots[next].check != state) return false;
    state = next;
  }
  return level.patternOf[state] != 0;
}

// Whether level has a pattern of these letters.
bool hasPattern(const DictionaryLevel& level, std::u32string_view letters) {
  if (level.empty()) return false;
  const PatternIndex& index = *level.index;
  std::uint32_t state = 0;
  for (const char32_t c : letters) {
    const PatternIndex::Symbol symbol = index.symbolOf(c);
    const std::uint32_t next = (index.slots[state].base & PatternIndex::kBaseMask) + symbol;
    if (symbol == 0 || index.slots[next].check != state) return false;
    state = next;
  }
  return level.patternOf[state] != 0;
}

// Applies each of level's patterns where it matches ".word."; one whose letters the level
// `shadowing` also has a pattern of is left out (of two lines with the same letters, the
// later counts, as within one level).
void apply(const DictionaryLevel& level, const DictionaryLevel* shadowing, std::u32string_view word,
           std::vector<Boundary>& boundaries) {
  if (level.empty()) return;
  const PatternIndex& index = *level.index;
  const PatternIndex::Slot* const slots = index.slots.data();
  const std::int64_t n = static_cast<std::int64_t>(word.size());
  std::uint32_t state = 0;
  for (std::int64_t j = 0; j < n + 2; ++j) {
    const PatternIndex::Symbol symbol = symbolAt(index, word, j);
    for (;;) {
      const std::uint32_t next = (slots[state].base & PatternIndex::kBaseMask) + symbol;
      if (symbol != 0 && slots[next].check == state) {
        state = next;
        break;
      }
      if (state == 0) break;
      state = level.fallback[state];
    }
    for (std::uint32_t s = state; s != 0; s = level.fallback[s]) {
      const std::uint32_t found = level.patternOf[s];
      if (found == 0) continue;
      const DictionaryLevel::Pattern& p = level.patterns[found - 1];
      const std::int64_t start = j + 1 - static_cast<std::int64_t>(p.length);
      if (shadowing != nullptr && hasPattern(*shadowing, word, start, p.length)) continue;
      const std::uint8_t* v = level.values.data() + p.valuesBegin;
      for (std::uint32_t t = 0; t <= p.length; ++t) {
        // Value t lies before letter t of the pattern: before ".word."'s character start + t,
        // which is word position start + t - 1.
        const std::int64_t at = start + t - 1;
        if (at < 0 || at > n || v[t] == 0) continue;
        Boundary& b = boundaries[static_cast<std::size_t>(at)];
        if (v[t] < b.value || (v[t] == b.value && (start < b.start || (start == b.start && p.length < b.length))))
          continue;
        b = {v[t], start, p.length, &level, &p};
      }
    }
  }
}

const DictionaryData& dictionaryOf(const Hyphenator& h) {
  const DictionaryData* d = hyphenatorDictionary(h);
  if (d == nullptr) throw ArgumentError("the hyphenator was not made from a dictionary");
  return *d;
}

// Appends a line for each of level's patterns to text ("a1b"), those whose letters the level
// `shadowing` also has a pattern of left out. The letters are found by walking the index
// back from each pattern's slot.
void appendPatternLines(const DictionaryLevel& level, const DictionaryLevel* shadowing, std::u32string& text) {
  if (level.empty()) return;
  const PatternIndex& index = *level.index;
  const auto& slots = index.slots;
  std::vector<std::uint32_t> parent(slots.size(), 0);
  std::vector<char32_t> codeOf(slots.size(), 0);
  for (std::uint32_t slot = 0; slot < slots.size(); ++slot) {
    if (slot != 0 && slots[slot].check == PatternIndex::kFree) continue;
    const std::uint32_t base = slots[slot].base & PatternIndex::kBaseMask;
    for (std::size_t symbol = 1; symbol <= index.codes.size(); ++symbol) {
      const std::size_t next = base + symbol;
      if (next != 0 && next < slots.size() && slots[next].check == slot) {
        parent[next] = slot;
        codeOf[next] = index.codes[symbol - 1];
      }
    }
  }
  std::u32string letters;
  for (std::uint32_t slot = 0; slot < slots.size(); ++slot) {
    const std::uint32_t found = level.patternOf[slot];
    if (found == 0) continue;
    letters.clear();
    for (std::uint32_t at = slot; at != 0; at = parent[at]) letters.push_back(codeOf[at]);
    std::reverse(letters.begin(), letters.end());
    if (shadowing != nullptr && hasPattern(*shadowing, letters)) continue;
    const std::uint8_t* v = level.values.data() + level.patterns[found - 1].valuesBegin;
    for (std::size_t k = 0; k <= letters.size(); ++k) {
      if (v[k] != 0) text.push_back(static_cast<char32_t>(U'0' + v[k]));
      if (k < letters.size()) text.push_back(letters[k]);
    }
    text.push_back(U'\n');
  }
}

}  // namespace

bool dictionaryChangesSpelling(const Hyphenator& h) {
  const DictionaryData& d = dictionaryOf(h);
  return !d.plain.changes.empty() || (d.explicitLevels && !d.compound.changes.empty());
}

Patterns allDictionaryPatterns(const Hyphenator& h) {
  const DictionaryData& d = dictionaryOf(h);
  std::u32string text;
  if (d.explicitLevels) appendPatternLines(d.compound, &d.plain, text);
  appendPatternLines(d.plain, nullptr, text);
  return parsePatterns(text);
}

void breaksByAllPatterns(const Hyphenator& h, std::u32string_view word, std::int64_t leftMin,
                         std::int64_t rightMin, std::vector<SpellingBreak>& out) {
  const DictionaryData* d = &dictionaryOf(h);
  out.clear();
  Scratch& s = scratch;
  const std::int64_t n = static_cast<std::int64_t>(word.size());
  s.boundaries.assign(static_cast<std::size_t>(n + 1), Boundary{});
  // Without NEXTLEVEL the first level holds only what libhyphen adds of its own (hyphens and
  // apostrophes as compound boundaries), not the file's patterns.
  if (d->explicitLevels) apply(d->compound, &d->plain, word, s.boundaries);
  apply(d->plain, nullptr, word, s.boundaries);
  const std::int64_t from = std::max<std::int64_t>(leftMin, 0);
  const std::int64_t to = std::min<std::int64_t>(n - rightMin, n);
  for (std::int64_t p = from; p <= to; ++p) {
    const auto at = static_cast<std::size_t>(p);
    const Boundary& m = s.boundaries[at];
    if (!(m.value & 1u)) continue;
    if (m.pattern->change < 0) {
      out.push_back({at, at, at, {}, {}});
      continue;
    }
    // The change replaces letters [changeBegin, changeBegin + changeCut) of the pattern,
    // its leading dot counted: those of ".word." from start + changeBegin.
    const DictionaryChange& change = m.level->changes[static_cast<std::size_t>(m.pattern->change)];
    const std::int64_t begin = m.start + m.pattern->changeBegin - 1;
    const std::int64_t end = begin + m.pattern->changeCut;
    out.push_back({at, static_cast<std::size_t>(std::clamp<std::int64_t>(begin, 0, n)),
                   static_cast<std::size_t>(std::clamp<std::int64_t>(end, 0, n)), change.lineEnd,
                   change.nextStart});
  }
}

}  // namespace quellix::detail
