// Reading a part with one level of a dictionary: matchLevel, the plain reading that keeps
// track of changes of spelling, and the quick readings (QuickReading: a level's automaton, or
// its walk over packed, compact or wide nodes, one window of values merged per character),
// alone (quickMatch, readLevel) or two levels side by side (readBoth).
#include "dictionary_reading.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A quick reading's cursor and its step are inlined into the loop, where the cursor stays in
// registers; left to itself GCC calls them where two levels are read side by side (16 loops
// in one function), and the state goes through memory at every character.
#if defined(__GNUC__)
#define QUELLIX_READING_INLINE [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define QUELLIX_READING_INLINE __forceinline
#else
#define QUELLIX_READING_INLINE inline
#endif

namespace quellix::detail {
namespace {

using Change = DictionaryResult::Change;

// The state after reading symbol from state: the longest suffix of what was read that
// begins a pattern.
inline std::uint32_t step(const DictionaryLevel& level, const PatternIndex::Slot* slots,
                          std::uint32_t state, PatternIndex::Symbol symbol) {
  for (;;) {
    const std::uint32_t next = (slots[state].base & PatternIndex::kBaseMask) + symbol;
    if (symbol != 0 && slots[next].check == state) return next;
    if (state == 0) return 0;
    state = level.fallback[state];
  }
}

// step over the quick reading's nodes (the same states).
inline std::uint32_t walk(const DictionaryLevel::Node* nodes, std::uint32_t state,
                          PatternIndex::Symbol symbol) {
  if (symbol == 0) return 0;
  for (;;) {
    const std::uint32_t next = nodes[state].base + symbol;
    if (nodes[next].check == state) return next;
    if (state == 0) return 0;
    state = nodes[state].fallback;
  }
}

// walk over a level's compact nodes.
inline std::uint32_t walkCompact(const DictionaryLevel::CompactNode* nodes, const std::uint32_t* fallback,
                                 std::uint32_t baseMask, std::uint32_t state, PatternIndex::Symbol symbol) {
  if (symbol == 0) return 0;
  for (;;) {
    const std::uint32_t next = (nodes[state].baseWindow & baseMask) + symbol;
    if (nodes[next].check == state) return next;
    if (state == 0) return 0;
    state = fallback[state];
  }
}

// The symbol of character j of part framed by dots. A digit in a word reads as a dot, as
// libhyphen reads it: the word's parts on either side of it end there.
inline PatternIndex::Symbol symbolAt(const PatternIndex& index, std::u32string_view part,
                                     std::size_t j) {
  if (j == 0 || j == part.size() + 1) return index.dot;
  const char32_t c = part[j - 1];
  return isDictionaryDigit(c) ? index.dot : index.symbolOf(c);
}

// Raises values[h] (h: the boundary after character h of a part of n characters, 0 <= h <
// n) to what the pattern of slot, the state after character j of the framed part, gives
// them, keeping track of changes: a value that only equals the one already there changes
// nothing, an odd one brings its pattern's change (or none), an even one leaves the change as
// it was (libhyphen's rules; it is no break either way). start is where the part begins in
// the word.
inline void applyState(const DictionaryLevel& level, std::uint32_t slot, std::int64_t j, std::int64_t n,
                       std::int64_t start, std::uint8_t* values, Change* changes) {
  const std::uint32_t found = level.patternOf[slot];
  if (found == 0) return;
  const DictionaryLevel::Pattern& p = level.patterns[found - 1];
  const std::uint8_t* v = level.values.data() + p.valuesBegin;
  const std::int64_t first = j - static_cast<std::int64_t>(p.length);  // h of value index 1
  for (std::uint32_t t = 0; t <= p.length; ++t) {
    const std::int64_t h = first - 1 + t;
    if (v[t] == 0 || h < 0 || h >= n) continue;
    if (v[t] <= values[h]) continue;
    values[h] = v[t];
    if (!(v[t] & 1u)) continue;
    Change& c = changes[h];
    if (p.change >= 0 && t > p.changeBegin && t <= p.changeBegin + p.changeCut) {
      c.text = &level.changes[static_cast<std::size_t>(p.change)];
      c.begin = static_cast<std::int32_t>(start + first + p.changeBegin);
      c.cut = p.changeCut;
    } else {
      c.text = nullptr;
    }
  }
}

}  // namespace

void matchLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
                std::uint8_t* values, Change* changes) {
  if (level.empty()) return;
  const PatternIndex& index = *level.index;
  const PatternIndex::Slot* const slots = index.slots.data();
  const std::int64_t n = static_cast<std::int64_t>(part.size());
  std::uint32_t state = 0;
  for (std::int64_t j = 0; j < n + 2; ++j) {
    state = step(level, slots, state, symbolAt(index, part, static_cast<std::size_t>(j)));
    applyState(level, state, j, n, start, values, changes);
  }
}

namespace {

// How a quick reading finds its states: the level's automaton (its table of target numbers
// or its wide table), its packed nodes, its compact nodes, its wide ones, or the automaton's
// comb.
enum class Path { Automaton, WideAutomaton, Packed, Compact, Wide, Comb };

// What a reading met that its windows do not give: (boundary, pattern) of each pattern
// longer than a window, and (boundary, kChangeHit) where a pattern with a change matched.
using LongHits = std::vector<std::pair<std::size_t, std::uint32_t>>;

// A hit that marks a pattern with a change (in place of a long pattern's index).
constexpr std::uint32_t kChangeHit = 0xffffffffu;

// Records what a state's flags mark, met at boundary j: a pattern longer than a window
// (long: its index in the level's patterns), a pattern with a change (change). Out of the
// loop that steps, and rare, so that the loop keeps no flags of its own and the vector's
// growth takes none of its registers.
#if defined(__GNUC__)
[[gnu::noinline, gnu::cold]]
#endif
void recordHit(LongHits& hits, std::size_t j, bool change, bool isLong, std::uint32_t pattern) {
  if (change) hits.emplace_back(j, kChangeHit);
  if (isLong) hits.emplace_back(j, pattern);
}

// The window an automaton's target e names (the comb's entries hold the same targets in their
// low 32 bits), recording a long pattern or one with a change that its flags mark.
QUELLIX_READING_INLINE const std::uint8_t* windowOfTarget(
    std::uint32_t e, std::uint32_t windowShift, const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows,
    std::size_t j, const DictionaryLevel& level, LongHits& hits) {
  const std::uint32_t w = e >> windowShift;
  if (e & (DictionaryLevel::kAutoLong | DictionaryLevel::kAutoChange)) [[unlikely]]
    recordHit(hits, j, (e & DictionaryLevel::kAutoChange) != 0, (e & DictionaryLevel::kAutoLong) != 0,
              (e & DictionaryLevel::kAutoLong) != 0 ? level.autoPattern[w] : 0);
  return windows[w].data();
}

// What one path of a quick reading reads of its level and keeps of its state: next(symbol)
// takes the walk a step and gives the sixteen values of the state's window (recording a long
// pattern or one with a change in hits), state is the walk's state (for replay).
template <Path kPath>
struct Walk;

template <Path kPath>
  requires(kPath == Path::Automaton || kPath == Path::WideAutomaton)
struct Walk<kPath> {
  static constexpr bool kWide = kPath == Path::WideAutomaton;
  const std::uint16_t* table;
  const std::uint32_t* targets;
  const std::uint32_t* wideTable;
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
  std::uint32_t rowMask, windowShift;  // a target: its row's offset in table, its window
  std::uint32_t state = 0;             // where the row begins in table

  void reset() { state = 0; }
  void begin(const DictionaryLevel& level) { state = level.start.row; }
  QUELLIX_READING_INLINE static Walk of(const DictionaryLevel& l) {
    return {l.table.data(), l.targets.data(), l.wideTable.data(), l.autoWindows.data(),
            static_cast<std::uint32_t>((std::uint64_t{1} << l.targetBits) - 1) & ~3u, l.windowShift};
  }
  QUELLIX_READING_INLINE const std::uint8_t* next(PatternIndex::Symbol symbol, std::size_t j,
                                                  const DictionaryLevel& level, LongHits& hits) {
    const std::uint32_t e = kWide ? wideTable[state + symbol] : targets[table[state + symbol]];
    state = e & rowMask;
    return windowOfTarget(e, windowShift, windows, j, level, hits);
  }
};

template <>
struct Walk<Path::Comb> {
  const std::uint64_t* entries;
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
  std::uint32_t rowMask, windowShift;
  std::uint64_t state = 0;  // the entry read last

  void reset() { state = 0; }
  void begin(const DictionaryLevel& level) { state = level.start.comb; }
  QUELLIX_READING_INLINE static Walk of(const DictionaryLevel& l) {
    return {l.combEntries.data(), l.autoWindows.data(),
            static_cast<std::uint32_t>((std::uint64_t{1} << l.targetBits) - 1) & ~3u, l.windowShift};
  }
  QUELLIX_READING_INLINE const std::uint8_t* next(PatternIndex::Symbol symbol, std::size_t j,
                                                  const DictionaryLevel& level, LongHits& hits) {
    constexpr std::uint32_t kBaseShift = DictionaryLevel::kCombBaseShift;
    constexpr std::uint32_t kCheckShift = DictionaryLevel::kCombCheckShift;
    constexpr std::uint32_t kBaseMask = (1u << (kCheckShift - kBaseShift)) - 1;
    // Both loads issued at once, one kept: whether a row has an entry of its own for a
    // character is as good as random, a branch on it would mispredict.
    const std::uint64_t own = entries[(static_cast<std::uint32_t>(state >> kBaseShift) & kBaseMask) + symbol];
    const std::uint64_t dflt = entries[(static_cast<std::uint32_t>(state) & rowMask) + symbol];
    state = own >> kCheckShift == symbol ? own : dflt;
    const auto e = static_cast<std::uint32_t>(state);
    return windowOfTarget(e, windowShift, windows, j, level, hits);
  }
};

template <>
struct Walk<Path::Packed> {
  const std::uint64_t* nodes;
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
  std::uint64_t node;           // nodes[state]
  std::uint32_t state = 0;      // the place

  void reset() {
    state = 0;
    node = nodes[0];
  }
  void begin(const DictionaryLevel& level) {
    state = level.start.place;
    node = level.start.node;
  }
  QUELLIX_READING_INLINE static Walk of(const DictionaryLevel& l) {
    return {l.packedNodes.data(), l.packedWindows.data(), l.packedNodes.empty() ? 0 : l.packedNodes[0]};
  }
  // One load a step where the character leads on. (Loading the fallback's node beside the
  // child, before the test, was measured: 6% more instructions and 3-5% more L1 misses in
  // Hungarian and German, no faster.)
  QUELLIX_READING_INLINE void walk(PatternIndex::Symbol symbol) {
    constexpr std::uint32_t kCheckBits = DictionaryLevel::kPackedCheckBits;
    constexpr std::uint32_t kBaseShift = DictionaryLevel::kPackedBaseShift;
    // The bits between one field and the next are zero, so fixed masks do.
    constexpr std::uint32_t kFallbackMask =
        (1u << (DictionaryLevel::kPackedWindowShift - DictionaryLevel::kPackedFallbackShift)) - 1;
    if (symbol == 0) {
      state = 0;
      node = nodes[0];
      return;
    }
    for (;;) {
      const auto next = (static_cast<std::uint32_t>(node) >> kBaseShift) + symbol;
      const std::uint64_t nextNode = nodes[next];
      if ((nextNode & ((1u << kCheckBits) - 1)) == symbol) {
        state = next;
        node = nextNode;
        return;
      }
      if (state == 0) return;
      state = static_cast<std::uint32_t>(node >> DictionaryLevel::kPackedFallbackShift) & kFallbackMask;
      node = nodes[state];
    }
  }
  QUELLIX_READING_INLINE const std::uint8_t* next(PatternIndex::Symbol symbol, std::size_t j,
                                                  const DictionaryLevel& level, LongHits& hits) {
    walk(symbol);
    if (node & (DictionaryLevel::kPackedLong | DictionaryLevel::kPackedChange)) [[unlikely]]
      recordHit(hits, j, (node & DictionaryLevel::kPackedChange) != 0, (node & DictionaryLevel::kPackedLong) != 0,
                (node & DictionaryLevel::kPackedLong) != 0 ? level.patternOf[level.slotOfPlace[state]] - 1 : 0);
    return windows[node >> DictionaryLevel::kPackedWindowShift].data();
  }
};

template <>
struct Walk<Path::Compact> {
  const DictionaryLevel::CompactNode* nodes;
  const std::uint32_t* fallback;
  const std::uint32_t* compactWindows;
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
  std::uint32_t baseBits, baseMask;
  std::uint32_t state = 0;  // the slot

  void reset() { state = 0; }
  void begin(const DictionaryLevel& level) { state = level.start.slot; }
  QUELLIX_READING_INLINE static Walk of(const DictionaryLevel& l) {
    return {l.compactNodes.data(), l.fallback.data(), l.compactWindows.data(), l.windows.data(), l.baseBits,
            l.baseBits >= 32 ? ~0u : (1u << l.baseBits) - 1};
  }
  QUELLIX_READING_INLINE const std::uint8_t* next(PatternIndex::Symbol symbol, std::size_t j,
                                                  const DictionaryLevel& level, LongHits& hits) {
    state = walkCompact(nodes, fallback, baseMask, state, symbol);
    const std::uint32_t w = compactWindows[nodes[state].baseWindow >> baseBits];
    if (w & (DictionaryLevel::kLong | DictionaryLevel::kChange)) [[unlikely]]
      recordHit(hits, j, (w & DictionaryLevel::kChange) != 0, (w & DictionaryLevel::kLong) != 0,
                (w & DictionaryLevel::kLong) != 0 ? level.patternOf[state] - 1 : 0);
    return windows[w & DictionaryLevel::kWindowMask].data();
  }
};

template <>
struct Walk<Path::Wide> {
  const DictionaryLevel::Node* nodes;
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
  std::uint32_t state = 0;  // the slot

  void reset() { state = 0; }
  void begin(const DictionaryLevel& level) { state = level.start.slot; }
  QUELLIX_READING_INLINE static Walk of(const DictionaryLevel& l) { return {l.nodes.data(), l.windows.data()}; }
  QUELLIX_READING_INLINE const std::uint8_t* next(PatternIndex::Symbol symbol, std::size_t j,
                                                  const DictionaryLevel& level, LongHits& hits) {
    state = quellix::detail::walk(nodes, state, symbol);
    const std::uint32_t w = nodes[state].window;
    if (w & (DictionaryLevel::kLong | DictionaryLevel::kChange)) [[unlikely]]
      recordHit(hits, j, (w & DictionaryLevel::kChange) != 0, (w & DictionaryLevel::kLong) != 0,
                (w & DictionaryLevel::kLong) != 0 ? level.patternOf[state] - 1 : 0);
    return windows[w & DictionaryLevel::kWindowMask].data();
  }
};

// One level's quick reading of a part (the values matchLevel gives it, when no change comes
// of it): one window of sixteen values merged per character, through the level's automaton
// or (automaton false, or the level has none) its walk. A character at a time, so that two
// levels can read a word side by side and their cache misses overlap.
class QuickReading {
 public:
  // keepStates: the walk keeps its states for replay. capacity: the most characters it
  // reads, part's (readUtf8Whole, which reads a word's bytes, has no part and as many as
  // bytes).
  QUELLIX_READING_INLINE QuickReading(const DictionaryLevel& level, std::u32string_view part, bool automaton,
                                      std::vector<std::uint8_t>& buffer, std::vector<std::uint32_t>& states,
                                      LongHits& longHits, bool keepStates, std::size_t capacity = 0)
      : level_(level), part_(part), size_(part.size()), longHits_(longHits),
        // The automaton's path was worked out when the dictionary was read (prepareStart).
        path_(automaton                         ? static_cast<Path>(level.automatonPath)
              : !level.packedNodes.empty()      ? Path::Packed
              : level.compactNodes.empty()      ? Path::Wide
                                                : Path::Compact) {
    // Grown only: a word shorter than the last one writes no zeros first.
    capacity = std::max(capacity, part.size());
    const std::size_t bufferSize = capacity + 2 + DictionaryLevel::kWidth;
    if (buffer.size() < bufferSize) buffer.resize(bufferSize);
    buffer_ = buffer.data();
    if (keepStates && states.size() < capacity + 2) states.resize(capacity + 2);
    states_ = states.data();
    longHits.clear();
  }

  // How the reading finds its states: cursor<path()> (a template, so that the loop that
  // steps holds no test of it).
  Path path() const noexcept { return path_; }

  // What the loop over the characters reads and keeps: the symbols' table, the output and
  // the window, and the path's own walk (Walk: its arrays and state, nothing of the other
  // paths), copied to locals so that the compiler keeps them in registers (the bytes written
  // through buffer could otherwise alias any of them in memory), and two cursors side by
  // side spill little. kStates: the walk keeps its states for replay.
  template <Path kPath, bool kStates>
  struct Cursor {
    Walk<kPath> walk;
    const std::uint8_t* lowSymbols;
    std::size_t lowSize;
    const PatternIndex* index;
    PatternIndex::Symbol dot;
    std::uint8_t* buffer;
    std::uint32_t* states;
    LongHits* longHits;
    const DictionaryLevel* level;
    SlidingWindow window;

    // The symbol of a character of the part.
    QUELLIX_READING_INLINE PatternIndex::Symbol symbolOf(char32_t c) const {
      return c < lowSize ? lowSymbols[c] : isDictionaryDigit(c) ? dot : index->symbolOf(c);
    }

    // Reads the dot before the part (boundary 0): from the level's start where it has one.
    QUELLIX_READING_INLINE void start() {
      if (level->start.ready) [[likely]] {
        walk.begin(*level);
        if constexpr (kStates) states[0] = walk.state;
        window.raise(level->start.window.data());
        buffer[0] = window.advance();
      } else {
        step(0, dot);
      }
    }

    // Back to the state before a part's first dot.
    QUELLIX_READING_INLINE void reset() {
      walk.reset();
      window = SlidingWindow();
    }

    // Reads the symbol of boundary j of the framed part (0 .. size + 1).
    QUELLIX_READING_INLINE void step(std::size_t j, PatternIndex::Symbol symbol) {
      const std::uint8_t* const scores = walk.next(symbol, j, *level, *longHits);
      if constexpr (kStates) states[j] = walk.state;
      window.raise(scores);
      buffer[j] = window.advance();
    }

    // Reads the dot after the part (boundary j, size + 1): the packed walk takes the window
    // it brings from where the part ended, where it is known (DictionaryLevel::packedEndIds);
    // the walk's state is then left behind.
    QUELLIX_READING_INLINE void end(std::size_t j) {
      if constexpr (kPath == Path::Packed && !kStates) {
        const std::uint8_t id = level->packedEndIds[walk.state];
        if (id != 0) [[likely]] {
          window.raise(level->packedEndWindows[id].data());
          buffer[j] = window.advance();
          return;
        }
      }
      step(j, dot);
    }
  };

  template <Path kPath, bool kStates>
  QUELLIX_READING_INLINE Cursor<kPath, kStates> cursor() const {
    const DictionaryLevel& l = level_;
    return {Walk<kPath>::of(l), l.lowSymbols.data(), l.lowSymbols.size(), l.index.get(), l.index->dot,
            buffer_, states_, &longHits_, &l, SlidingWindow()};
  }

  // Reads the whole part with c.
  template <class C>
  QUELLIX_READING_INLINE void readAll(C& c) const {
    // The part in locals: the bytes the steps write could otherwise alias part_.
    const std::size_t n = part_.size();
    const char32_t* const text = part_.data();
    c.start();
    for (std::size_t j = 1; j <= n; ++j) c.step(j, c.symbolOf(text[j - 1]));
    c.end(n + 1);
  }

  // Reads the whole part alone with a cursor of its own.
  template <Path kPath, bool kStates>
  QUELLIX_READING_INLINE void readWhole() {
    auto c = cursor<kPath, kStates>();
    readAll(c);
    settle(c);
  }

  // Reads a word written in UTF-8 (at most capacity bytes) in place of the part, decoding
  // each character as it is read, with kinds the union of lowKind of its characters: false,
  // having read some of it, at a byte that is not a character of one or two bytes (a longer
  // one, or a malformed one, which its decoding, decodeDictionaryText's, makes U+FFFD).
  // Decoding beside the walk rather than before it, the branch on each byte's length, which
  // mispredicts at every letter of two bytes, is settled while the walk waits for its nodes.
  template <Path kPath>
  QUELLIX_READING_INLINE bool readUtf8Whole(std::string_view word, const std::uint8_t* lowKind, unsigned& kinds) {
    auto c = cursor<kPath, false>();
    const auto* const bytes = reinterpret_cast<const unsigned char*>(word.data());
    const std::size_t size = word.size();
    unsigned found = 0;
    std::size_t j = 0;
    c.start();
    for (std::size_t at = 0; at < size;) {
      const unsigned byte = bytes[at];
      char32_t ch = byte;
      if (byte < 0x80) {
        ++at;
      } else if (byte >= 0xC2 && byte <= 0xDF && at + 1 < size && (bytes[at + 1] & 0xC0u) == 0x80) {
        ch = (byte & 0x1Fu) << 6 | (bytes[at + 1] & 0x3Fu);
        at += 2;
      } else {
        return false;
      }
      found |= lowKind[ch];
      c.step(++j, c.symbolOf(ch));
    }
    c.end(j + 1);
    settle(c);
    size_ = j;
    kinds = found;
    return true;
  }

  std::size_t size() const noexcept { return size_; }

  // Takes what the cursor read, after every character.
  template <Path kPath, bool kStates>
  QUELLIX_READING_INLINE void settle(const Cursor<kPath, kStates>& c) {
    window_ = c.window;
  }

  // After every character: writes the part's values to values and returns true, or, when a
  // pattern with a change matched, writes nothing and returns false (matchLevel must read
  // the part).
  QUELLIX_READING_INLINE bool finish(std::uint8_t* values) {
    const bool hits = !longHits_.empty();
    if (hits && changeMet()) return false;
    const std::size_t n = size_;
    window_.store(buffer_ + n + 2);
    // buffer[j] holds the boundary j + 2 - kWidth of the framed word: h at h + kWidth.
    copyValues(values, buffer_ + DictionaryLevel::kWidth, n);
    if (!hits) [[likely]] return true;
    for (const auto& [j, pattern] : longHits_) {
      const DictionaryLevel::Pattern& p = level_.patterns[pattern];
      const std::uint8_t* v = level_.values.data() + p.valuesBegin;
      for (std::uint32_t t = 0; t <= p.length; ++t) {
        const std::int64_t h = static_cast<std::int64_t>(j) - static_cast<std::int64_t>(p.length) - 1 + t;
        if (h >= 0 && h < static_cast<std::int64_t>(n)) values[h] = std::max(values[h], v[t]);
      }
    }
    return true;
  }

  // Whether a pattern with a change was met.
  bool changeMet() const {
    return std::any_of(longHits_.begin(), longHits_.end(), [](const auto& hit) { return hit.second == kChangeHit; });
  }

  // After every character, when finish found a change: gives values and changes (zeros
  // before) what matchLevel gives them, from the states the walk went through, and returns
  // true; false for the automaton, whose rows are not the walk's states.
  bool replay(std::uint8_t* values, Change* changes, std::int64_t start) const {
    if (path_ == Path::Automaton || path_ == Path::WideAutomaton || path_ == Path::Comb) return false;
    const auto n = static_cast<std::int64_t>(size_);
    if (path_ == Path::Packed) {
      // A state whose pattern has no change and fits a window applies the window the walk
      // read (its values, aligned to the pattern's end: value k at boundary j - 16 + k), as
      // applyState would apply the pattern: found through the level's pattern tables, which
      // are large, that costs a few cache misses a state where the node and its window are
      // at hand.
      constexpr auto kWidth = static_cast<std::int64_t>(DictionaryLevel::kWidth);
      for (std::int64_t j = 0; j < n + 2; ++j) {
        const std::uint32_t place = states_[static_cast<std::size_t>(j)];
        const std::uint64_t node = level_.packedNodes[place];
        if (node & (DictionaryLevel::kPackedLong | DictionaryLevel::kPackedChange)) {
          applyState(level_, level_.slotOfPlace[place], j, n, start, values, changes);
          continue;
        }
        const std::uint8_t* const window = level_.packedWindows[node >> DictionaryLevel::kPackedWindowShift].data();
        for (std::int64_t k = std::max<std::int64_t>(0, kWidth - j); k < kWidth; ++k) {
          const std::int64_t h = j - kWidth + k;
          if (h >= n) break;
          const std::uint8_t v = window[k];
          if (v <= values[h]) continue;
          values[h] = v;
          if (v & 1u) changes[h].text = nullptr;
        }
      }
      return true;
    }
    for (std::int64_t j = 0; j < n + 2; ++j)
      applyState(level_, states_[static_cast<std::size_t>(j)], j, n, start, values, changes);
    return true;
  }

 private:
  const DictionaryLevel& level_;
  std::u32string_view part_;
  std::size_t size_;  // characters: part's, or those readUtf8Whole read
  LongHits& longHits_;
  std::uint8_t* buffer_;
  std::uint32_t* states_;  // states_[j]: the walk's state after character j
  Path path_;
  SlidingWindow window_;
};

}  // namespace

bool quickMatch(const DictionaryLevel& level, std::u32string_view part, std::uint8_t* values,
                LevelScratch& s, bool automaton, Change* changes, std::int64_t start) {
  if (level.empty()) return true;
  // Only a walk that may replay keeps its states.
  const bool keepStates = changes != nullptr && level.anyChange;
  QuickReading reading(level, part, automaton, s.window, s.states, s.longHits, keepStates);
  switch (reading.path()) {
    case Path::Automaton: reading.readWhole<Path::Automaton, false>(); break;
    case Path::WideAutomaton: reading.readWhole<Path::WideAutomaton, false>(); break;
    case Path::Comb: reading.readWhole<Path::Comb, false>(); break;
    case Path::Packed:
      if (keepStates) reading.readWhole<Path::Packed, true>();
      else reading.readWhole<Path::Packed, false>();
      break;
    case Path::Compact:
      if (keepStates) reading.readWhole<Path::Compact, true>();
      else reading.readWhole<Path::Compact, false>();
      break;
    case Path::Wide:
      if (keepStates) reading.readWhole<Path::Wide, true>();
      else reading.readWhole<Path::Wide, false>();
      break;
  }
  if (reading.finish(values)) return true;
  if (changes == nullptr || !reading.replay(values, changes, start)) return false;
  s.changesRead = true;
  return true;
}

std::size_t quickMatchUtf8(const DictionaryLevel& level, std::string_view word, const std::uint8_t* lowKind,
                           unsigned& kinds, std::uint8_t* values, LevelScratch& s) {
  if (level.empty() || word.empty()) return 0;
  QuickReading reading(level, {}, true, s.window, s.states, s.longHits, false, word.size());
  bool read = false;
  switch (reading.path()) {
    case Path::Automaton: read = reading.readUtf8Whole<Path::Automaton>(word, lowKind, kinds); break;
    case Path::WideAutomaton: read = reading.readUtf8Whole<Path::WideAutomaton>(word, lowKind, kinds); break;
    case Path::Comb: read = reading.readUtf8Whole<Path::Comb>(word, lowKind, kinds); break;
    case Path::Packed: read = reading.readUtf8Whole<Path::Packed>(word, lowKind, kinds); break;
    case Path::Compact: read = reading.readUtf8Whole<Path::Compact>(word, lowKind, kinds); break;
    case Path::Wide: read = reading.readUtf8Whole<Path::Wide>(word, lowKind, kinds); break;
  }
  return read && reading.finish(values) ? reading.size() : 0;
}

void readLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
               std::uint8_t* values, Change* changes, LevelScratch& s) {
  if (!level.anyChange || !level.index) {
    if (level.index) quickMatch(level, part, values, s);
    return;
  }
  if (!quickMatch(level, part, values, s, true, changes, start)) {
    s.changesRead = true;
    matchLevel(level, part, start, values, changes);
  }
}

namespace {

// The path a quick reading of level takes where it may take the automaton (QuickReading's).
Path automatonPathOf(const DictionaryLevel& level) {
  return !level.combEntries.empty()   ? Path::Comb
         : !level.wideTable.empty()   ? Path::WideAutomaton
         : !level.table.empty()       ? Path::Automaton
         : !level.packedNodes.empty() ? Path::Packed
         : level.compactNodes.empty() ? Path::Wide
                                      : Path::Compact;
}

// Reads the framed part text[0, size) with both cursors side by side, each character's two
// symbols looked up at once in both (DictionaryData::bothLowSymbols) where it is below
// bothSize.
template <class CompoundCursor, class PlainCursor>
QUELLIX_READING_INLINE void readSideBySide(CompoundCursor& c, PlainCursor& p, const char32_t* text,
                                           std::size_t size, const std::uint16_t* both, std::size_t bothSize) {
  c.start();
  p.start();
  for (std::size_t j = 1; j <= size; ++j) {
    const char32_t ch = text[j - 1];
    if (ch < bothSize) [[likely]] {
      const std::uint32_t symbols = both[ch];
      c.step(j, symbols & 0xffu);
      p.step(j, symbols >> 8);
    } else {
      c.step(j, c.symbolOf(ch));
      p.step(j, p.symbolOf(ch));
    }
  }
  c.end(size + 1);
  p.end(size + 1);
}

// readBoth for one pair of paths: a function of its own, so that both readings and their
// cursors are its locals (no closure reaches them through memory).
template <Path kCompound, Path kPlain>
bool readBothWith(const DictionaryData& d, std::u32string_view part, std::int64_t start,
                  std::uint8_t* compoundValues, Change* compoundChanges, std::uint8_t* plainValues,
                  LevelScratch& s) {
  QuickReading compound(d.compound, part, true, s.window, s.states, s.longHits, false);
  QuickReading plain(d.plain, part, true, s.plainWindow, s.plainStates, s.plainLongHits, false);
  {
    auto c = compound.cursor<kCompound, false>();
    auto p = plain.cursor<kPlain, false>();
    // The part and the symbols' table in locals: the bytes the steps write could otherwise
    // alias them.
    const std::size_t size = part.size();
    const char32_t* const text = part.data();
    const std::uint16_t* const both = d.bothLowSymbols.data();
    const std::size_t bothSize = d.bothLowSymbols.size();
    readSideBySide(c, p, text, size, both, bothSize);
    compound.settle(c);
    plain.settle(p);
  }
  if (!compound.finish(compoundValues)) {
    s.changesRead = true;
    matchLevel(d.compound, part, start, compoundValues, compoundChanges);
  }
  return plain.finish(plainValues);
}

using ReadBoth = bool (*)(const DictionaryData&, std::u32string_view, std::int64_t, std::uint8_t*, Change*,
                          std::uint8_t*, LevelScratch&);
template <Path kCompound>
constexpr ReadBoth kReadBothWith[6] = {
    &readBothWith<kCompound, Path::Automaton>, &readBothWith<kCompound, Path::WideAutomaton>,
    &readBothWith<kCompound, Path::Packed>,    &readBothWith<kCompound, Path::Compact>,
    &readBothWith<kCompound, Path::Wide>,      &readBothWith<kCompound, Path::Comb>};
constexpr const ReadBoth* kReadBoth[6] = {kReadBothWith<Path::Automaton>, kReadBothWith<Path::WideAutomaton>,
                                          kReadBothWith<Path::Packed>,    kReadBothWith<Path::Compact>,
                                          kReadBothWith<Path::Wide>,      kReadBothWith<Path::Comb>};

}  // namespace

bool readBoth(const DictionaryData& d, std::u32string_view part, std::int64_t start,
              std::uint8_t* compoundValues, Change* compoundChanges, std::uint8_t* plainValues,
              LevelScratch& s) {
  const ReadBoth read = kReadBoth[d.compound.automatonPath][d.plain.automatonPath];
  return read(d, part, start, compoundValues, compoundChanges, plainValues, s);
}

namespace {

// readBothParts for one pair of paths (as readBothWith).
template <Path kCompound, Path kPlain>
bool readBothPartsWith(const DictionaryData& d, std::u32string_view word, const std::size_t* ends,
                       std::size_t count, std::uint8_t* compoundValues, std::uint8_t* plainValues,
                       LevelScratch& s) {
  // Buffers for the whole word fit each part.
  QuickReading compound(d.compound, word, true, s.window, s.states, s.longHits, false);
  QuickReading plain(d.plain, word, true, s.plainWindow, s.plainStates, s.plainLongHits, false);
  auto c = compound.cursor<kCompound, false>();
  auto p = plain.cursor<kPlain, false>();
  const char32_t* const text = word.data();
  const std::uint16_t* const both = d.bothLowSymbols.data();
  const std::size_t bothSize = d.bothLowSymbols.size();
  constexpr std::size_t kWidth = DictionaryLevel::kWidth;
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t size = ends[k] - begin;
    const char32_t* const part = text + begin;
    c.reset();
    p.reset();
    readSideBySide(c, p, part, size, both, bothSize);
    if (!c.longHits->empty() || !p.longHits->empty()) [[unlikely]]
      return false;
    // buffer[j] holds the boundary j + 2 - kWidth of the framed part: h at h + kWidth.
    c.window.store(c.buffer + size + 2);
    p.window.store(p.buffer + size + 2);
    copyValues(compoundValues + begin, c.buffer + kWidth, size);
    copyValues(plainValues + begin, p.buffer + kWidth, size);
    begin = ends[k];
  }
  return true;
}

using ReadBothParts = bool (*)(const DictionaryData&, std::u32string_view, const std::size_t*, std::size_t,
                               std::uint8_t*, std::uint8_t*, LevelScratch&);
template <Path kCompound>
constexpr ReadBothParts kReadBothPartsWith[6] = {
    &readBothPartsWith<kCompound, Path::Automaton>, &readBothPartsWith<kCompound, Path::WideAutomaton>,
    &readBothPartsWith<kCompound, Path::Packed>,    &readBothPartsWith<kCompound, Path::Compact>,
    &readBothPartsWith<kCompound, Path::Wide>,      &readBothPartsWith<kCompound, Path::Comb>};
constexpr const ReadBothParts* kReadBothParts[6] = {
    kReadBothPartsWith<Path::Automaton>, kReadBothPartsWith<Path::WideAutomaton>, kReadBothPartsWith<Path::Packed>,
    kReadBothPartsWith<Path::Compact>,   kReadBothPartsWith<Path::Wide>,          kReadBothPartsWith<Path::Comb>};

}  // namespace

bool readBothParts(const DictionaryData& d, std::u32string_view word, const std::size_t* ends, std::size_t count,
                   std::uint8_t* compoundValues, std::uint8_t* plainValues, LevelScratch& s) {
  const ReadBothParts read = kReadBothParts[d.compound.automatonPath][d.plain.automatonPath];
  return read(d, word, ends, count, compoundValues, plainValues, s);
}

void prepareStart(DictionaryLevel& level) {
  level.start = {};
  level.automatonPath = static_cast<std::uint8_t>(automatonPathOf(level));
  if (level.empty()) return;
  const PatternIndex::Symbol dot = level.index->dot;
  DictionaryLevel::Start start;
  LongHits hits;
  const std::uint8_t* scores = nullptr;
  const auto stepDot = [&](auto& walk) {
    scores = walk.next(dot, 0, level, hits);
    return walk.state;
  };
  if (!level.combEntries.empty()) {
    auto walk = Walk<Path::Comb>::of(level);
    start.comb = stepDot(walk);
  } else if (!level.wideTable.empty()) {
    auto walk = Walk<Path::WideAutomaton>::of(level);
    start.row = stepDot(walk);
  } else if (!level.table.empty()) {
    auto walk = Walk<Path::Automaton>::of(level);
    start.row = stepDot(walk);
  }
  if (!level.packedNodes.empty()) {
    auto walk = Walk<Path::Packed>::of(level);
    start.place = stepDot(walk);
    start.node = walk.node;
  } else if (!level.compactNodes.empty()) {
    auto walk = Walk<Path::Compact>::of(level);
    start.slot = stepDot(walk);
  } else if (!level.nodes.empty()) {
    auto walk = Walk<Path::Wide>::of(level);
    start.slot = stepDot(walk);
  }
  if (scores == nullptr || !hits.empty()) return;
  std::copy(scores, scores + DictionaryLevel::kWidth, start.window.begin());
  start.ready = true;
  level.start = start;
}

}  // namespace quellix::detail
