// How a word is divided: the one place that chooses the way a word takes through its
// hyphenator's tables, and the reasons for each way.
//
// A word whose tables are all built ("warm") is divided through the hyphenator's ready
// view (ReadyTables, made once per hyphenator and shared by its copies), in this order:
//
//   1. Short. A word of fewer characters than leftMin + rightMin gets no break, and no
//      table is read: most words of running text are short.
//   2. Exception. A word the exception table lists gets the table's breaks. A 1,024-bit
//      filter over the word's length and end letters spares nearly every other word the
//      hash lookup (and the normalising of all its characters the lookup needs).
//   3. Otherwise the patterns give the word its scores, by one of four routes that
//      chooseRoute() picks; all four give the same values (pattern_index_test checks the
//      automaton against the double array on random and real tries):
//      a. Automaton, fused symbols: the usual word of a warm hyphenator. One table load
//         per character finds its normal form and pattern symbol at once (the fused
//         table, for the codes below 4,096), read as the automaton reads the word.
//         On English prose, 1.12-1.2x the next route and 2.5x the double array (the
//         words of bench-compare's prose, one run).
//      b. Automaton, framed symbols: a word with a character beyond the fused table
//         (Georgian, Ethiopic, a typographic apostrophe), a word whose normal forms are
//         at hand already (after the exception filter let it through, or with a caller's
//         normaliser), or with malformed UTF-8 bytes. Its symbols are written out first;
//         taking them from a function in the automaton's loop instead makes the loop keep
//         its registers in memory. 2.1x the double array.
//      c. Double array (match<false>): until the automaton is made (see below), and for
//         a trie that has none (Ancient Greek's score lists are longer than 16; a table
//         past 16 MiB). One probe per character per starting position.
//      d. Double array with the list's length (match<true>): when a break may follow the
//         last character (a right margin of 0 or less), which depends on how long the
//         combined score list is; the automaton gives the values but not that length.
//
// The automaton is made once the view has divided 4,096 words (proportionally more for a
// table above 512 KiB; Hungarian's after about 61,000): it costs about as much to build as
// some ten thousand words gain from it, so a program that divides a handful of words, or
// a first use, never pays for it (bench-compare's first-use and all-languages rows).
//
// Until a hyphenator's tables are all built, its first words build them in the order they
// are needed (the normaliser's map, the exception table, then the patterns, which neither
// a short word nor a word of the exception table needs; a word with malformed bytes looks
// up no exception and does not build that table), and are divided through a one-off view.
//
// The patterns themselves exist as their text (embedded, compressed), the lookup index
// (the double array: made when the library is built, or from the text's sorted lines at
// first use), the automaton (from the index, as above), and the trie of Patterns nodes,
// made only when a caller asks for the nodes (hyphenatorPatterns and the operations on
// Patterns); no word needs the trie.
#include <algorithm>
#include <atomic>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exception_table.hpp"
#include "hyphenator_core.hpp"
#include "hyphenator_internal.hpp"
#include "pattern_index.hpp"
#include "quellix/error.hpp"
#include "scratch.hpp"
#include "utf8_encode.hpp"

namespace quellix::detail {

thread_local ThreadBuffers threadBuffers;

namespace {

// The margins as the division uses them, exact for any int64 values: a word shorter than
// minLength is not divided; breaks lie after characters lo .. n - cut, and within the
// word's score list. Saturated at SIZE_MAX, which no word length reaches.
struct Margins {
  std::size_t minLength;
  std::size_t lo;
  std::size_t cut;
  bool leftPositive;
};

// a + b for any int64 values (the exact sum needs 65 bits) as a size: 0 when it is not
// positive, SIZE_MAX when it does not fit.
std::size_t saturatedSum(std::int64_t a, std::int64_t b) noexcept {
  std::uint64_t sum = 0;
  if (a >= 0 && b >= 0) {
    sum = static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b);  // below 2^64
  } else if (a >= 0 || b >= 0) {
    const std::int64_t mixed = a + b;  // opposite signs: no overflow
    if (mixed <= 0) return 0;
    sum = static_cast<std::uint64_t>(mixed);
  } else {
    return 0;
  }
  return sum >= SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(sum);
}

Margins marginsOf(std::int64_t left, std::int64_t right) noexcept {
  return {saturatedSum(left, right), saturatedSum(std::max<std::int64_t>(left, 1), 0),
          left >= 1 ? saturatedSum(right, 0) : saturatedSum(left, right), left >= 1};
}

// Where the breaks of one word go: the first out.size() into out, all of them counted.
// quoted() gives the word as UTF-8 for an error message.
struct Breaks {
  std::span<std::size_t> out;
  const std::string_view* utf8;  // the word as the caller gave it, or null
  std::u32string_view codes;     // else the word's code points
  std::size_t written = 0;

  void operator()(std::size_t at) noexcept {
    if (written < out.size()) out[written++] = at;
  }
  std::string quoted() const { return utf8 ? std::string(*utf8) : toUtf8(codes); }
};

// Gives each break of an n-character word whose score list is s (s[i] for the boundary
// after character i) to breaks; a null s (the empty trie) holds only zeros. padded: s has
// 16 readable bytes from every position up to the last break candidate, so the breaks
// are found sixteen positions at a time to the end, without a branch per position.
std::size_t emitBreaks(const std::uint8_t* s, std::size_t sLength, std::size_t n,
                       const Margins& margins, Breaks& breaks, bool padded = false) {
  if (!margins.leftPositive && sLength == 0)
    throw ScoreError("Malformed quellix score for " + breaks.quoted());
  if (!s || sLength == 0 || n < margins.cut) return 0;
  const std::size_t hi = std::min(n - margins.cut, sLength - 1);
  std::size_t count = 0;
  std::size_t i = margins.lo;
  if (padded) {
    for (; i <= hi; i += 16) {
      unsigned bits = oddSixteen(s + i);
      if (hi - i < 15) bits &= (2u << (hi - i)) - 1u;
      for (; bits; bits &= bits - 1) {
        breaks(i + static_cast<unsigned>(std::countr_zero(bits)));
        ++count;
      }
    }
    return count;
  }
  // Sixteen scores at a time while they lie inside the list, then the tail one by one.
  for (; hi >= 15 && i <= hi - 15; i += 16) {
    for (unsigned bits = oddSixteen(s + i); bits; bits &= bits - 1) {
      breaks(i + static_cast<unsigned>(std::countr_zero(bits)));
      ++count;
    }
  }
  for (; i <= hi; ++i) {
    if (s[i] & 1u) {
      breaks(i);
      ++count;
    }
  }
  return count;
}

}  // namespace

// What a word reads, gathered once all three tables are built.
struct ReadyTables {
  Margins margins{};
  const CharNormaliser* custom = nullptr;      // a caller's normaliser, or null
  const CharMap* map = nullptr;                // a language's character map, or null
  const ExceptionTable* exceptions = nullptr;  // null when there are none
  const PatternIndex* index = nullptr;         // null for the empty trie

  // The index's automaton, made once this view has divided wordsBeforeAutomaton(index)
  // words (see the top of this file).
  static constexpr std::int32_t kWordsBeforeAutomaton = 4096;
  mutable std::atomic<const PatternAutomaton*> automaton{nullptr};
  mutable std::atomic<std::int32_t> wordsUntilAutomaton{kWordsBeforeAutomaton};  // 0: settled

  // 4,096 words for a transition table of up to 512 KiB, proportionally more beyond.
  static std::int32_t wordsBeforeAutomaton(const PatternIndex& index) noexcept {
    const std::size_t tableBytes = index.slots.size() * (index.codes.size() + 1) * 2;
    const std::size_t words = tableBytes / 128;
    return static_cast<std::int32_t>(
        std::clamp<std::size_t>(words, kWordsBeforeAutomaton, std::size_t{1} << 20));
  }
  const PatternAutomaton* automatonForWord() const noexcept {
    if (const PatternAutomaton* ready = automaton.load(std::memory_order_acquire)) return ready;
    if (!index || wordsUntilAutomaton.load(std::memory_order_relaxed) <= 0) return nullptr;
    if (wordsUntilAutomaton.fetch_sub(1, std::memory_order_relaxed) != 1) return nullptr;
    try {
      const PatternAutomaton* made = index->automaton();  // null when the trie has none
      automaton.store(made, std::memory_order_release);
      return made;
    } catch (const std::bad_alloc&) {
      return nullptr;  // it only speeds things up: divide through the index instead
    }
  }
  // The pattern symbol of the normal form of each code below its size (the fused table,
  // route a): normalising and finding the symbol take one load for the characters of the
  // language's alphabet. A power of two in size.
  std::vector<PatternIndex::Symbol> symbolOfCode;

  char32_t normalOf(char32_t c) const { return custom ? (*custom)(c) : map ? (*map)(c) : c; }
  PatternIndex::Symbol symbolOf(char32_t c) const {
    return c < symbolOfCode.size() ? symbolOfCode[c] : index->symbolOf(normalOf(c));
  }
};

HyphenatorCore::HyphenatorCore(Lazy<CharNormaliser> c, Lazy<CharMap> m, bool withMap,
                               Lazy<Patterns> p, Lazy<Exceptions> e, std::int64_t left,
                               std::int64_t right)
    : chars(std::move(c)),
      map(std::move(m)),
      hasMap(withMap),
      patterns(std::move(p)),
      exceptions(std::move(e)),
      leftMin(left),
      rightMin(right) {}
HyphenatorCore::~HyphenatorCore() = default;

namespace {

// The codes the fused table covers at most (16 KiB of table).
constexpr std::size_t kFusedLimit = 0x1000;

void gatherTables(ReadyTables& t, const HyphenatorCore& h, const CharNormaliser& normalise,
                  const CharMap* map, const Exceptions* exceptions, const PatternIndex* index) {
  t.margins = marginsOf(h.leftMin, h.rightMin);
  t.map = map;
  if (!map && normalise) t.custom = &normalise;
  const ExceptionTable* table = exceptions ? ExceptionAccess::table(*exceptions) : nullptr;
  if (table && !table->words.empty()) t.exceptions = table;
  t.index = index;
}

// The ready view of h's tables, which are all built.
std::unique_ptr<ReadyTables> makeReady(const HyphenatorCore& h, const CharNormaliser& normalise,
                                       const CharMap* map, const Exceptions* exceptions,
                                       const PatternIndex* index) {
  auto ready = std::make_unique<ReadyTables>();
  gatherTables(*ready, h, normalise, map, exceptions, index);
  if (ready->index) {
    // Another hyphenator sharing these patterns may have made the automaton already.
    if (const PatternAutomaton* made = ready->index->builtAutomaton()) {
      ready->automaton.store(made, std::memory_order_relaxed);
      ready->wordsUntilAutomaton.store(0, std::memory_order_relaxed);
    } else {
      ready->wordsUntilAutomaton.store(ReadyTables::wordsBeforeAutomaton(*ready->index),
                                       std::memory_order_relaxed);
    }
  }
  if (ready->index && !ready->custom) {
    const std::size_t reach =
        std::max(ready->index->direct.size(), ready->map ? ready->map->flat().size() : 0);
    ready->symbolOfCode.resize(std::bit_ceil(std::min(reach, kFusedLimit)));
    for (std::size_t c = 0; c < ready->symbolOfCode.size(); ++c)
      ready->symbolOfCode[c] = ready->index->symbolOf(ready->normalOf(static_cast<char32_t>(c)));
  }
  return ready;
}

// Publishes h's ready view, made of tables that are all built; returns the one published.
const ReadyTables* publishReady(const HyphenatorCore& h, const CharNormaliser& normalise,
                                const CharMap* map, const Exceptions* exceptions,
                                const PatternIndex* index) {
  return &h.ready.get([&] { return makeReady(h, normalise, map, exceptions, index); });
}

// The routes of step 3 (see the top of this file).
enum class Route : std::uint8_t { AutomatonFused, AutomatonFramed, DoubleArray, DoubleArrayWithLength };

Route chooseRoute(const Margins& margins, const PatternAutomaton* automaton, bool normalGiven,
                  bool anyOpaque, bool inFusedTable) noexcept {
  if (margins.cut == 0) return Route::DoubleArrayWithLength;
  if (!automaton) return Route::DoubleArray;
  if (!normalGiven && !anyOpaque && inFusedTable) return Route::AutomatonFused;
  return Route::AutomatonFramed;
}

// The division of a word of n characters (code points, or ASCII bytes) with its tables at
// hand. given, when not null, holds the word's normal forms already (so that no character
// is normalised twice).
template <class Char>
std::size_t divide(const ReadyTables& t, const Char* word, std::size_t n, const std::uint8_t* opaque,
                   const char32_t* given, Breaks& breaks) {
  if (n < t.margins.minLength) return 0;  // 1. short: no table is consulted
  const bool anyOpaque = opaque && std::find(opaque, opaque + n, 1) != opaque + n;

  Scratch<char32_t, kStackWord> buffer(given ? 0 : n);
  const char32_t* normal = given;
  auto normaliseAll = [&] {
    for (std::size_t k = 0; k < n; ++k)
      buffer[k] = anyOpaque && opaque[k] ? char32_t{word[k]} : t.normalOf(word[k]);
    normal = buffer.data();
  };
  if (!normal && t.custom) normaliseAll();  // a caller's normaliser runs once per character

  if (t.exceptions && !anyOpaque) {  // 2. exception
    // The filter needs only the length and the normal forms of the two end characters.
    const char32_t front = n == 0 ? 0 : normal ? normal[0] : t.normalOf(word[0]);
    const char32_t back = n == 0 ? 0 : normal ? normal[n - 1] : t.normalOf(word[n - 1]);
    if (t.exceptions->mayHold(n, front, back)) {
      if (!normal) normaliseAll();
      if (const auto* listed = t.exceptions->find(std::u32string_view(normal, n)))
        return emitBreaks(listed->data(), listed->size(), n, t.margins, breaks);
    }
  }
  if (!t.index) return emitBreaks(nullptr, n, n, t.margins, breaks);

  // 3. the patterns.
  const PatternIndex& index = *t.index;
  const std::size_t m = n + 2;  // the word framed by dots
  const PatternAutomaton* automaton = t.automatonForWord();
  const PatternIndex::Symbol* const fused = t.symbolOfCode.data();
  const std::size_t fusedSize = t.symbolOfCode.size();
  // fusedSize is a power of two, so the OR of the codes tells whether all lie below it
  // (a reduction the compiler does sixteen bytes at a time).
  char32_t codes = 0;
  for (std::size_t k = 0; k < n; ++k) codes |= word[k];
  const Route route = chooseRoute(t.margins, automaton, normal != nullptr, anyOpaque, codes < fusedSize);

  constexpr std::size_t kWidth = PatternAutomaton::kWidth;
  if (route == Route::AutomatonFused) {
    // match fills m + kWidth bytes; 16 zeros more let the breaks be read 16 at a time.
    Scratch<std::uint8_t, 2 * kStackWord> lead(m + 2 * kWidth);
    std::memset(lead.data() + m + kWidth, 0, kWidth);
    automaton->matchWord(index.dot, n, [fused, word](std::size_t k) { return fused[word[k]]; },
                         lead.data());
    // The values follow kLead bytes; drop the boundary before the opening dot and the last.
    return emitBreaks(lead.data() + PatternAutomaton::kLead + 1, n, n, t.margins, breaks, true);
  }
  Scratch<PatternIndex::Symbol, kStackWord + 2> framed(m);
  framed[0] = framed[m - 1] = index.dot;
  if (normal) {
    for (std::size_t k = 0; k < n; ++k)
      framed[k + 1] = anyOpaque && opaque[k] ? PatternIndex::Symbol{0} : index.symbolOf(normal[k]);
  } else if (!anyOpaque) {
    // Plain locals: the stores into framed would otherwise reload the table's bounds.
    for (std::size_t k = 0; k < n; ++k) {
      const char32_t c = word[k];
      framed[k + 1] = c < fusedSize ? fused[c] : t.symbolOf(c);
    }
  } else {
    for (std::size_t k = 0; k < n; ++k)
      framed[k + 1] = opaque[k] ? PatternIndex::Symbol{0} : t.symbolOf(word[k]);
  }
  if (route == Route::AutomatonFramed) {
    Scratch<std::uint8_t, 2 * kStackWord> lead(m + kWidth);  // match writes every byte
    automaton->match(framed.data(), m, lead.data());
    return emitBreaks(lead.data() + PatternAutomaton::kLead + 1, n, n, t.margins, breaks);
  }
  const std::size_t size = index.valuesSize(m);
  Scratch<std::uint8_t, 2 * kStackWord> values(size);
  std::memset(values.data(), 0, size);
  const std::size_t length = route == Route::DoubleArray
                                 ? index.match<false>(framed.data(), m, values.data())
                                 : index.match<true>(framed.data(), m, values.data());
  // values holds valuesSize(m) bytes, zeros past what match wrote: padded.
  return emitBreaks(values.data() + 1, length - 2, n, t.margins, breaks, true);
}

// The division of a word through h: its ready view once there is one, else the first
// words' way that builds the tables (see the top of this file).
template <class Char>
std::size_t divideThrough(const Hyphenator& handle, const Char* word, std::size_t n,
                          const std::uint8_t* opaque, Breaks& breaks) {
  const HyphenatorCore& h = HyphenatorAccess::core(handle);
  if (const ReadyTables* ready = h.ready.ready())
    [[likely]] return divide(*ready, word, n, opaque, nullptr, breaks);

  const Margins margins = marginsOf(h.leftMin, h.rightMin);
  if (n < margins.minLength) return 0;  // short word: no table is consulted
  const CharNormaliser& normalise = h.chars.get();
  const CharMap* map = h.hasMap ? &h.map.get() : nullptr;
  // A word with malformed bytes looks up no exception, so it does not build the table.
  const bool anyOpaque = opaque && std::find(opaque, opaque + n, 1) != opaque + n;
  const Exceptions* exceptions = anyOpaque ? nullptr : &h.exceptions.get();
  Scratch<char32_t, kStackWord> normal(exceptions ? n : 0);
  if (exceptions) {
    ReadyTables t;
    gatherTables(t, h, normalise, map, exceptions, nullptr);
    for (std::size_t k = 0; k < n; ++k) normal[k] = t.normalOf(word[k]);
    if (const auto* listed =
            ExceptionAccess::find(*exceptions, std::u32string_view(normal.data(), n)))
      return emitBreaks(listed->data(), listed->size(), n, margins, breaks);
  }
  // The index alone: a language's trie itself is made only when a caller asks for it.
  const PatternIndex* index = indexOf(h.patterns.get());
  if (!exceptions) {
    ReadyTables t;
    gatherTables(t, h, normalise, map, exceptions, index);
    t.wordsUntilAutomaton.store(0, std::memory_order_relaxed);  // a one-off view
    return divide(t, word, n, opaque, nullptr, breaks);
  }
  return divide(*publishReady(h, normalise, map, exceptions, index), word, n, opaque,
                normal.data(), breaks);
}

}  // namespace

std::size_t divideWord(const Hyphenator& h, std::u32string_view word, const std::uint8_t* opaque,
                       const std::string_view* utf8, std::span<std::size_t> out) {
#if !defined(QUELLIX_NO_DICTIONARIES)
  if (HyphenatorAccess::core(h).dictionary) [[unlikely]]
    return dictionaryBreakPoints(h, word, opaque, out);
#endif
  Breaks breaks{out, utf8, word};
  return divideThrough(h, word.data(), word.size(), opaque, breaks);
}

std::size_t divideAsciiWord(const Hyphenator& h, std::string_view word, std::span<std::size_t> out) {
#if !defined(QUELLIX_NO_DICTIONARIES)
  if (HyphenatorAccess::core(h).dictionary) [[unlikely]] {
    const std::u32string chars(word.begin(), word.end());
    return dictionaryBreakPoints(h, chars, nullptr, out);
  }
#endif
  Breaks breaks{out, &word, {}};
  return divideThrough(h, reinterpret_cast<const unsigned char*>(word.data()), word.size(), nullptr,
                       breaks);
}

}  // namespace quellix::detail
