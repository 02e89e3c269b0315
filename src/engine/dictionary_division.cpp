// Dividing a word with a libhyphen dictionary as libhyphen 2.8.8 divides it: the compound
// level finds the boundaries of the word's parts (and again within each part), the plain
// level divides each part, and margins, NOHYPHEN and leading or trailing digits take breaks
// out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dictionary_data.hpp"

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

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

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
  return isDigit(c) ? index.dot : index.symbolOf(c);
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

// Raises values[h] (h: the boundary after character h of part, 0 <= h < part.size()) to
// what level's patterns give it, as DictionaryLevel describes, keeping track of changes
// (applyState). start is where part begins in the word.
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

struct Scratch {
  std::vector<std::uint8_t> values;
  std::vector<Change> changes;
  std::vector<std::uint8_t> window;  // the quick reading's output
  std::vector<std::uint32_t> states;  // and, for a walk, its states
  std::vector<std::pair<std::size_t, std::uint32_t>> longHits;
  // The plain level's reading beside the compound level's (readBoth).
  std::vector<std::uint8_t> plainWindow;
  std::vector<std::uint32_t> plainStates;
  std::vector<std::pair<std::size_t, std::uint32_t>> plainLongHits;
  std::vector<std::uint8_t> plainValues;
  std::vector<std::uint8_t> openValues;
  std::vector<Change> openChanges;
  std::vector<std::int64_t> weights;  // weights[k]: the left-margin weight of characters 0 .. k
  // Whether the word's division has read with matchLevel (which alone writes changes).
  bool changesRead = false;
};

// How a quick reading finds its states: the level's automaton, its packed nodes, its compact
// nodes or its wide ones.
enum class Path { Automaton, Packed, Compact, Wide };

// One level's quick reading of a part (the values matchLevel gives it, when no change comes
// of it): one window of sixteen values merged per character, through the level's automaton
// or (automaton false, or the level has none) its walk. A character at a time, so that two
// levels can read a word side by side and their cache misses overlap.
class QuickReading {
 public:
  QuickReading(const DictionaryLevel& level, std::u32string_view part, bool automaton,
               std::vector<std::uint8_t>& buffer, std::vector<std::uint32_t>& states,
               std::vector<std::pair<std::size_t, std::uint32_t>>& longHits)
      : level_(level), part_(part), longHits_(longHits),
        path_(automaton && !level.table.empty() ? Path::Automaton
              : !level.packedNodes.empty()      ? Path::Packed
              : level.compactNodes.empty()      ? Path::Wide
                                                : Path::Compact) {
    // Grown only: a word shorter than the last one writes no zeros first.
    const std::size_t bufferSize = part.size() + 2 + DictionaryLevel::kWidth;
    if (buffer.size() < bufferSize) buffer.resize(bufferSize);
    buffer_ = buffer.data();
    if (states.size() < part.size() + 2) states.resize(part.size() + 2);
    states_ = states.data();
    longHits.clear();
  }

  // How the reading finds its states: cursor<path()> (a template, so that the loop that
  // steps holds no test of it).
  Path path() const noexcept { return path_; }

  // What the loop over the characters reads and keeps: a local copy of the level's arrays
  // and the reading's state, so that the compiler keeps them in registers (the bytes written
  // through buffer could otherwise alias any of them in memory).
  template <Path kPath>
  struct Cursor {
    const char32_t* part;
    std::size_t size;
    const PatternIndex* index;
    std::uint8_t* buffer;
    std::uint32_t* states;
    std::vector<std::pair<std::size_t, std::uint32_t>>* longHits;
    const DictionaryLevel* level;
    const std::uint16_t* table;
    const std::uint32_t* targets;
    const std::uint32_t* autoFlags;
    const std::array<std::uint8_t, DictionaryLevel::kWidth>* autoWindows;
    std::size_t stride;
    const DictionaryLevel::Node* nodes;
    const DictionaryLevel::CompactNode* compactNodes;
    const std::uint32_t* compactWindows;
    const std::uint32_t* fallback;
    std::uint32_t baseBits, baseMask;
    const std::array<std::uint8_t, DictionaryLevel::kWidth>* windows;
    const std::uint64_t* packedNodes;
    const std::uint32_t* slotOfPlace;
    std::uint32_t placeBits;
    std::uint64_t node;       // the packed walk: packedNodes[state]
    std::uint32_t state = 0;  // the automaton's row or the walk's slot (or place)
    std::uint32_t flags = 0;
    SlidingWindow window;

    // walk over the packed nodes: one load a step where the character leads on.
    QUELLIX_READING_INLINE void walkPacked(PatternIndex::Symbol symbol) {
      constexpr std::uint32_t kCheckBits = DictionaryLevel::kPackedCheckBits;
      const std::uint64_t placeMask = (std::uint64_t{1} << placeBits) - 1;
      if (symbol == 0) {
        state = 0;
        node = packedNodes[0];
        return;
      }
      for (;;) {
        const auto next = static_cast<std::uint32_t>((node >> kCheckBits & placeMask) + symbol);
        const std::uint64_t nextNode = packedNodes[next];
        if ((nextNode & ((1u << kCheckBits) - 1)) == symbol) {
          state = next;
          node = nextNode;
          return;
        }
        if (state == 0) return;
        state = static_cast<std::uint32_t>(node >> (kCheckBits + placeBits) & placeMask);
        node = packedNodes[state];
      }
    }

    // Reads character j of the framed part (0 .. size + 1).
    QUELLIX_READING_INLINE void step(std::size_t j) {
      const PatternIndex::Symbol symbol = symbolAt(*index, std::u32string_view(part, size), j);
      std::uint32_t w;
      const std::uint8_t* scores;
      if constexpr (kPath == Path::Automaton) {
        const std::uint32_t e = targets[table[state * stride + symbol]];
        state = e & 0xffffu;
        w = e >> 16;
        const std::uint32_t f = autoFlags[w];
        if (f & DictionaryLevel::kLong) [[unlikely]] longHits->emplace_back(j, level->autoPattern[w]);
        flags |= f;
        scores = autoWindows[w].data();
      } else {
        if constexpr (kPath == Path::Packed) {
          walkPacked(symbol);
          w = compactWindows[node >> (DictionaryLevel::kPackedCheckBits + 2 * placeBits)];
        } else if constexpr (kPath == Path::Compact) {
          state = walkCompact(compactNodes, fallback, baseMask, state, symbol);
          w = compactWindows[compactNodes[state].baseWindow >> baseBits];
        } else {
          state = walk(nodes, state, symbol);
          w = nodes[state].window;
        }
        states[j] = state;
        if (w & DictionaryLevel::kLong) [[unlikely]] {
          const std::uint32_t slot = kPath == Path::Packed ? slotOfPlace[state] : state;
          longHits->emplace_back(j, level->patternOf[slot] - 1);
        }
        flags |= w;
        scores = windows[w & DictionaryLevel::kWindowMask].data();
      }
      window.raise(scores);
      buffer[j] = window.advance();
    }
  };

  template <Path kPath>
  QUELLIX_READING_INLINE Cursor<kPath> cursor() const {
    const DictionaryLevel& l = level_;
    return {part_.data(), part_.size(), l.index.get(), buffer_, states_, &longHits_, &l,
            l.table.data(), l.targets.data(), l.autoFlags.data(), l.autoWindows.data(),
            l.stride, l.nodes.data(), l.compactNodes.data(),
            l.compactWindows.data(), l.fallback.data(), l.baseBits,
            l.baseBits >= 32 ? ~0u : (1u << l.baseBits) - 1, l.windows.data(), l.packedNodes.data(),
            l.slotOfPlace.data(), l.placeBits, l.packedNodes.empty() ? 0 : l.packedNodes[0], 0, 0, SlidingWindow()};
  }

  // Takes what the cursor read, after every character.
  template <Path kPath>
  void settle(const Cursor<kPath>& c) {
    flags_ = c.flags;
    window_ = c.window;
  }

  // After every character: writes the part's values to values and returns true, or, when a
  // pattern with a change matched, writes nothing and returns false (matchLevel must read
  // the part).
  bool finish(std::uint8_t* values) {
    if (flags_ & DictionaryLevel::kChange) return false;
    const std::size_t n = part_.size();
    window_.store(buffer_ + n + 2);
    // buffer[j] holds the boundary j + 2 - kWidth of the framed word: h at h + kWidth.
    copyValues(values, buffer_ + DictionaryLevel::kWidth, n);
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

  // After every character, when finish found a change: gives values and changes (zeros
  // before) what matchLevel gives them, from the states the walk went through, and returns
  // true; false for the automaton, whose rows are not the walk's states.
  bool replay(std::uint8_t* values, Change* changes, std::int64_t start) const {
    if (path_ == Path::Automaton) return false;
    const auto n = static_cast<std::int64_t>(part_.size());
    for (std::int64_t j = 0; j < n + 2; ++j) {
      const std::uint32_t state = states_[static_cast<std::size_t>(j)];
      applyState(level_, path_ == Path::Packed ? level_.slotOfPlace[state] : state, j, n, start, values, changes);
    }
    return true;
  }

 private:
  const DictionaryLevel& level_;
  std::u32string_view part_;
  std::vector<std::pair<std::size_t, std::uint32_t>>& longHits_;
  std::uint8_t* buffer_;
  std::uint32_t* states_;  // states_[j]: the walk's state after character j
  Path path_;
  std::uint32_t flags_ = 0;
  SlidingWindow window_;
};

// The values level gives part read quickly (see QuickReading::finish). automaton false
// reads with the walk even where the level has an automaton. Given changes (and start,
// where part begins in the word), a walk that met a change gives values and changes as
// matchLevel does (QuickReading::replay) instead of returning false.
bool quickMatch(const DictionaryLevel& level, std::u32string_view part, std::uint8_t* values,
                Scratch& s, bool automaton = true, Change* changes = nullptr, std::int64_t start = 0) {
  if (level.empty()) return true;
  QuickReading reading(level, part, automaton, s.window, s.states, s.longHits);
  const std::size_t m = part.size() + 2;
  const auto read = [&]<Path kPath>() {
    auto c = reading.cursor<kPath>();
    for (std::size_t j = 0; j < m; ++j) c.step(j);
    reading.settle(c);
  };
  switch (reading.path()) {
    case Path::Automaton: read.template operator()<Path::Automaton>(); break;
    case Path::Packed: read.template operator()<Path::Packed>(); break;
    case Path::Compact: read.template operator()<Path::Compact>(); break;
    case Path::Wide: read.template operator()<Path::Wide>(); break;
  }
  if (reading.finish(values)) return true;
  if (changes == nullptr || !reading.replay(values, changes, start)) return false;
  s.changesRead = true;
  return true;
}

// matchLevel, quickly where no change can come of it. values and changes start as zeros.
void readLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
               std::uint8_t* values, Change* changes, Scratch& s) {
  if (!level.anyChange || !level.index) {
    if (level.index) quickMatch(level, part, values, s);
    return;
  }
  if (!quickMatch(level, part, values, s, true, changes, start)) {
    s.changesRead = true;
    matchLevel(level, part, start, values, changes);
  }
}

// readLevel of both levels of d on part side by side, so that the misses of the two
// readings overlap: the compound level's into compoundValues and compoundChanges, the plain
// level's values into plainValues. Returns false when a change matched in the plain level,
// plainValues then untouched: matchLevel must read the part with it.
bool readBoth(const DictionaryData& d, std::u32string_view part, std::int64_t start,
              std::uint8_t* compoundValues, Change* compoundChanges, std::uint8_t* plainValues,
              Scratch& s) {
  QuickReading compound(d.compound, part, true, s.window, s.states, s.longHits);
  QuickReading plain(d.plain, part, true, s.plainWindow, s.plainStates, s.plainLongHits);
  const std::size_t m = part.size() + 2;
  const auto read = [&]<Path kCompound, Path kPlain>() {
    auto c = compound.cursor<kCompound>();
    auto p = plain.cursor<kPlain>();
    for (std::size_t j = 0; j < m; ++j) {
      c.step(j);
      p.step(j);
    }
    compound.settle(c);
    plain.settle(p);
  };
  const auto withPlain = [&]<Path kCompound>() {
    switch (plain.path()) {
      case Path::Automaton: read.template operator()<kCompound, Path::Automaton>(); break;
      case Path::Packed: read.template operator()<kCompound, Path::Packed>(); break;
      case Path::Compact: read.template operator()<kCompound, Path::Compact>(); break;
      case Path::Wide: read.template operator()<kCompound, Path::Wide>(); break;
    }
  };
  switch (compound.path()) {
    case Path::Automaton: withPlain.template operator()<Path::Automaton>(); break;
    case Path::Packed: withPlain.template operator()<Path::Packed>(); break;
    case Path::Compact: withPlain.template operator()<Path::Compact>(); break;
    case Path::Wide: withPlain.template operator()<Path::Wide>(); break;
  }
  if (!compound.finish(compoundValues)) {
    s.changesRead = true;
    matchLevel(d.compound, part, start, compoundValues, compoundChanges);
  }
  return plain.finish(plainValues);
}

// How far a leaf's plain reading has come before divideLeaf: not at all, whole into
// Scratch::plainValues, or to a change that matchLevel must read.
enum class PlainRead { No, Whole, Changed };

enum class LeftRule { Word, Compound };
enum class RightRule { Word, LastPart, InnerPart };

struct Segment {
  std::int64_t begin, end;
  LeftRule left;
  RightRule right;
};

// A segment the compound level divided, while its parts are being divided: the values the
// compound level gave it stay where no part's margins let the part decide.
struct OpenSegment {
  Segment segment;
  std::size_t valuesBegin;  // its compound-level values in Scratch::openValues
};

// A segment to divide, or (close) the mark that all parts of the innermost open segment are
// done.
struct Task {
  Segment segment;
  bool close;
};

struct Stacks {
  std::vector<Task> tasks;
  std::vector<OpenSegment> open;
};

// What dividing a word reuses.
struct WordScratch {
  Scratch scratch;
  Stacks stacks;
};

// The thread's scratch. The address is read once through a volatile pointer so that the compiler keeps it in a
// register: left to itself it asks for the thread's storage again at every use, which in a
// shared library is a call each time.
WordScratch& threadScratch() {
  thread_local WordScratch scratch;
  WordScratch* volatile address = &scratch;
  return *address;
}

// Segments nested deeper than this are divided by the plain level without looking for
// further compound boundaries, so that memory stays linear in the word's length.
constexpr std::size_t kDeepestSegment = 64;

class Division {
 public:
  Division(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& m,
           DictionaryResult& out, WordScratch& s)
      : d_(d), word_(word), out_(out), s_(s.scratch), stacks_(s.stacks) {
    left_ = m.left > 0 ? m.left : 2;
    right_ = m.right > 0 ? m.right : 2;
    compoundLeft_ = std::max<std::int64_t>(m.compoundLeft, 0);
    compoundRight_ = std::max<std::int64_t>(m.compoundRight, 0);
    // libhyphen counts the ligatures ffi and ffl as two characters in the left margin.
    utf8_ = d.encoding == nullptr;
    const auto isLigature = [](char32_t c) { return c == 0xFB03 || c == 0xFB04; };
    ligatures_ = utf8_ && std::any_of(word.begin(), word.end(), isLigature);
    if (ligatures_) {
      std::vector<std::int64_t>& w = s_.weights;
      w.resize(word.size() + 1);
      w[0] = 0;
      for (std::size_t k = 0; k < word.size(); ++k) w[k + 1] = w[k] + (isLigature(word[k]) ? 2 : 1);
    }
  }

  // Divides [begin, end) of the word: the compound level finds boundaries, again within each
  // part it makes; a part without any is divided by the plain level. Each position takes its
  // value from the innermost segment whose margins let it decide there, the compound level's
  // value of the segment around it otherwise, and 0 outside the word's margins.
  void run(std::int64_t begin, std::int64_t end) {
    wordBegin_ = begin;
    firstCharacterOneByte_ = d_.encoding != nullptr || word_[static_cast<std::size_t>(begin)] < 0x80;
    const Segment whole{begin, end, LeftRule::Word, RightRule::Word};
    if (!compoundMayMatch(begin, end)) {
      divideLeaf(whole, nullptr);
      return;
    }
    Stacks& stacks = stacks_;
    stacks.tasks.clear();
    stacks.open.clear();
    s_.openValues.clear();
    s_.openChanges.clear();
    stacks.tasks.push_back({whole, false});
    while (!stacks.tasks.empty()) {
      const Task task = stacks.tasks.back();
      stacks.tasks.pop_back();
      if (task.close) {
        s_.openValues.resize(stacks.open.back().valuesBegin);
        s_.openChanges.resize(stacks.open.back().valuesBegin);
        stacks.open.pop_back();
        continue;
      }
      const Segment& seg = task.segment;
      const std::size_t length = static_cast<std::size_t>(seg.end - seg.begin);
      const std::u32string_view part = word_.substr(static_cast<std::size_t>(seg.begin), length);
      std::vector<std::uint8_t>& u = s_.values;
      std::vector<Change>& uc = s_.changes;
      u.assign(length, 0);
      uc.assign(length, Change{});
      std::size_t boundaries = 0;
      PlainRead plainRead = PlainRead::No;
      if (stacks.open.size() < kDeepestSegment) {
        if (!d_.plain.empty()) {
          // The plain level reads the segment beside the compound level, for the (most)
          // words and parts in which the compound level finds no boundary.
          s_.plainValues.resize(length);
          plainRead = readBoth(d_, part, seg.begin, u.data(), uc.data(), s_.plainValues.data(), s_)
                          ? PlainRead::Whole : PlainRead::Changed;
        } else {
          readLevel(d_.compound, part, seg.begin, u.data(), uc.data(), s_);
        }
        for (std::size_t h = 0; h + 1 < length; ++h) boundaries += u[h] & 1u;
      }
      if (boundaries == 0) {
        divideLeaf(seg, &stacks.open, plainRead);
        continue;
      }
      stacks.open.push_back({seg, s_.openValues.size()});
      s_.openValues.insert(s_.openValues.end(), u.begin(), u.end());
      s_.openChanges.insert(s_.openChanges.end(), uc.begin(), uc.end());
      stacks.tasks.push_back({seg, true});
      // The parts, the first pushed last so that it is divided first.
      const RightRule last = seg.right == RightRule::InnerPart ? RightRule::InnerPart : RightRule::LastPart;
      std::int64_t partEnd = seg.end;
      for (std::size_t h = length - 1; h-- > 0;) {
        if (!(u[h] & 1u)) continue;
        const std::int64_t partBegin = seg.begin + static_cast<std::int64_t>(h) + 1;
        stacks.tasks.push_back({{partBegin, partEnd, LeftRule::Compound,
                                 partEnd == seg.end ? last : RightRule::InnerPart}, false});
        partEnd = partBegin;
      }
      stacks.tasks.push_back({{seg.begin, partEnd, seg.left, partEnd == seg.end ? last : RightRule::InnerPart}, false});
    }
  }

 private:
  // Whether the compound level can find anything in [begin, end): not when it is empty, or
  // when each of its patterns needs a letter that the span lacks.
  bool compoundMayMatch(std::int64_t begin, std::int64_t end) const {
    const DictionaryLevel& level = d_.compound;
    if (level.empty()) return false;
    if (!level.needsLetter) return true;
    for (std::int64_t k = begin; k < end; ++k)
      if (level.index->symbolOf(word_[static_cast<std::size_t>(k)]) != 0) return true;
    return false;
  }

  // What segment seg's margins make of position h, where its own division gives change.
  // A segment the plain level divided (leaf) gives 0 within its left margin (Zero), leaves
  // what lies past its right margin to the segment around it (Outer: the compound level's
  // value there, a boundary or an even value, stays) and decides the rest (Decide). A
  // segment the compound level divided decides everywhere but at its end, whatever its
  // margins; the word's own margins (top) rule everything out beyond them.
  enum class Verdict { Decide, Zero, Outer };
  Verdict judge(const Segment& seg, std::int64_t h, const Change& change, bool leaf) const {
    if (h == seg.end - 1) return Verdict::Outer;
    if (!leaf) return Verdict::Decide;
    // Digits at either end of a part give no break either, as for the word; the left margin
    // counts from after the leading ones, the right margin to the part's end (libhyphen's
    // way of leaving them out).
    std::int64_t begin = seg.begin, core = seg.end;
    while (begin < core && isDigit(word_[static_cast<std::size_t>(begin)])) ++begin;
    while (core > begin && isDigit(word_[static_cast<std::size_t>(core - 1)])) --core;
    if (h < begin || h >= core - 1) return Verdict::Zero;
    const std::int64_t end = seg.end;
    const std::int64_t leftEnd = change.text ? change.begin : h + 1;
    std::int64_t leftCount = leftWeight(begin, leftEnd);
    std::int64_t rightCount = end - 1 - h;
    // Within a part libhyphen also wants two bytes after a break (so one character of two
    // bytes will do where the margin is 1).
    bool rightTwoBytes = twoBytes(0, h + 1, end);
    if (change.text) {
      leftCount += static_cast<std::int64_t>(change.text->lineEnd.size());
      rightCount = static_cast<std::int64_t>(change.text->nextStart.size()) + end -
                   (change.begin + change.cut);
      rightTwoBytes = twoBytes(static_cast<std::int64_t>(change.text->nextStart.size()),
                               change.begin + change.cut, end);
    }
    if (leftCount < (seg.left == LeftRule::Word ? left_ : compoundLeft_)) return Verdict::Zero;
    bool rightOk = true;
    switch (seg.right) {
      case RightRule::Word:
        // libhyphen's right margin never reaches the first byte of the word: a break after a
        // first character of one byte stays (not after digits the word starts with).
        rightOk = rightCount >= right_ || (h == 0 && firstCharacterOneByte_);
        break;
      case RightRule::LastPart:
        rightOk = rightCount >= right_ && rightTwoBytes;
        break;
      case RightRule::InnerPart:
        rightOk = rightTwoBytes && (rightCount >= compoundRight_ || h == begin);
        break;
    }
    return rightOk ? Verdict::Decide : Verdict::Outer;
  }

  // The left-margin weight of characters [from, to).
  std::int64_t leftWeight(std::int64_t from, std::int64_t to) const {
    return ligatures_ ? s_.weights[static_cast<std::size_t>(to)] - s_.weights[static_cast<std::size_t>(from)]
                      : to - from;
  }

  // Whether extra bytes and those of characters [from, to) in the dictionary's encoding
  // (less those of [to, from) when to < from) come to two or more. Every character has at
  // least one byte, so only a range of one character or less needs counting.
  bool twoBytes(std::int64_t extra, std::int64_t from, std::int64_t to) const {
    if (from <= to && extra + (to - from) >= 2) return true;
    const auto length = [this](std::int64_t k) -> std::int64_t {
      const char32_t c = word_[static_cast<std::size_t>(k)];
      return !utf8_ || c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    };
    std::int64_t bytes = extra;
    for (std::int64_t k = from; k < to; ++k) bytes += length(k);
    for (std::int64_t k = to; k < from; ++k) bytes -= length(k);
    return bytes >= 2;
  }

  // Divides a segment without compound boundaries with the plain level, then settles each
  // of its positions through the segments it lies in (open, innermost last; none when the
  // segment is the whole word).
  void divideLeaf(const Segment& leaf, const std::vector<OpenSegment>* open,
                  PlainRead plainRead = PlainRead::No) {
    const std::size_t length = static_cast<std::size_t>(leaf.end - leaf.begin);
    const std::u32string_view part = word_.substr(static_cast<std::size_t>(leaf.begin), length);
    std::uint8_t* const leafValues = out_.values.data() + leaf.begin;
    Change* const leafChanges = out_.changes.data() + leaf.begin;
    switch (plainRead) {
      case PlainRead::No:
        readLevel(d_.plain, part, leaf.begin, leafValues, leafChanges, s_);
        break;
      case PlainRead::Whole:
        copyValues(leafValues, s_.plainValues.data(), length);
        break;
      case PlainRead::Changed:
        s_.changesRead = true;
        matchLevel(d_.plain, part, leaf.begin, leafValues, leafChanges);
        break;
    }
    std::uint8_t* const values = out_.values.data();
    Change* const changes = out_.changes.data();
    const bool nested = open != nullptr && !open->empty();
    if (!nested) {
      // The whole word (most words), with the word's margins only. Where there is no change
      // and no ligature, judge keeps a position from the left margin's end up to the right
      // margin's start within the digits the word starts and ends with (and one after a
      // first character of one byte); worked out once here rather than per position.
      std::int64_t begin = leaf.begin, core = leaf.end;
      while (begin < core && isDigit(word_[static_cast<std::size_t>(begin)])) ++begin;
      while (core > begin && isDigit(word_[static_cast<std::size_t>(core - 1)])) --core;
      const std::int64_t first = std::max(begin, begin + left_ - 1);
      const std::int64_t last = core - 2;
      const std::int64_t rightMarginStart = leaf.end - 1 - right_;
      const auto keep = [&](std::int64_t h) {
        return h >= first && h <= last && (h <= rightMarginStart || (h == 0 && firstCharacterOneByte_));
      };
      if (!s_.changesRead && !ligatures_) {
        // No change anywhere (changes are all null): no branch on the value, whose parity the
        // processor cannot guess.
        for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
          const auto at = static_cast<std::size_t>(h);
          values[at] = keep(h) ? values[at] : std::uint8_t{0};
        }
        return;
      }
      for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
        const auto at = static_cast<std::size_t>(h);
        if (changes[at].text != nullptr || ligatures_) [[unlikely]] {
          if (values[at] != 0 && judge(leaf, h, changes[at], true) != Verdict::Decide) {
            values[at] = 0;
            changes[at] = Change{};
          }
          continue;
        }
        // No change here: nothing to clear but the value.
        values[at] = keep(h) ? values[at] : std::uint8_t{0};
      }
      return;
    }
    const Segment top = open->front().segment;
    for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
      std::uint8_t& value = values[static_cast<std::size_t>(h)];
      Change& change = changes[static_cast<std::size_t>(h)];
      const Segment* inner = &leaf;
      for (std::size_t j = open->size(); j-- > 0;) {
        const Verdict verdict = judge(*inner, h, change, inner == &leaf);
        if (verdict == Verdict::Zero) {
          value = 0;
          change = Change{};
        } else if (verdict == Verdict::Outer) {
          const OpenSegment& o = (*open)[j];
          const std::size_t at = o.valuesBegin + static_cast<std::size_t>(h - o.segment.begin);
          value = s_.openValues[at];
          change = s_.openChanges[at];
        }
        inner = &(*open)[j].segment;
      }
      if (value != 0 && judge(top, h, change, true) != Verdict::Decide) {
        value = 0;
        change = Change{};
      }
    }
  }

  const DictionaryData& d_;
  std::u32string_view word_;
  DictionaryResult& out_;
  Scratch& s_;
  Stacks& stacks_;
  bool utf8_ = true;
  bool ligatures_ = false;
  std::int64_t left_, right_, compoundLeft_, compoundRight_;
  std::int64_t wordBegin_ = 0;
  bool firstCharacterOneByte_ = true;
};

// The common word divided without Division's bookkeeping: one in which the compound level
// can find nothing (it has none of the word's characters), with no digit, no ligature and no
// NOHYPHEN item, and whose plain reading meets no change. Such a word is one leaf that the
// plain level divides within the word's margins, as Division divides it. Returns false for
// any other word, out then unspecified: the general route divides it.
bool divideCommonWord(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                      DictionaryResult& out, Scratch& s) {
  const std::size_t n = word.size();
  if (n == 0) return false;
  const PatternIndex* const compound = d.compound.empty() ? nullptr : d.compound.index.get();
  if (compound != nullptr && !d.compound.needsLetter) return false;
  for (const char32_t c : word) {
    if (c < 256) {
      if (!(d.commonLow[c / 64] >> (c % 64) & 1u)) return false;
    } else if (c == 0xFB03 || c == 0xFB04 || d.noHyphenFirst.find(c) != std::u32string::npos ||
               (compound != nullptr && compound->symbolOf(c) != 0)) {
      return false;
    }
  }
  out.values.resize(n);
  if (out.anyChange) out.changes.assign(n, Change{});
  else out.changes.resize(n);
  out.anyChange = false;
  std::uint8_t* const values = out.values.data();
  if (d.plain.empty()) std::fill_n(values, n, std::uint8_t{0});
  else if (!quickMatch(d.plain, word, values, s)) return false;
  // divideLeaf's margins for the whole word without digits, changes or ligatures.
  const std::int64_t left = margins.left > 0 ? margins.left : 2;
  const std::int64_t right = margins.right > 0 ? margins.right : 2;
  const auto size = static_cast<std::int64_t>(n);
  const std::int64_t first = std::max<std::int64_t>(0, left - 1);
  const std::int64_t last = size - 2;
  const std::int64_t rightMarginStart = size - 1 - right;
  const bool firstOneByte = d.encoding != nullptr || word[0] < 0x80;
  for (std::int64_t h = 0; h < size; ++h) {
    const bool keep = h >= first && h <= last && (h <= rightMarginStart || (h == 0 && firstOneByte));
    values[h] = keep ? values[h] : std::uint8_t{0};
  }
  return true;
}

// Division's route, for every word.
void divideGeneral(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                   DictionaryResult& out, WordScratch& scratch) {
  const std::size_t n = word.size();
  out.values.assign(n, 0);
  // Changes left by the last word are cleared; a word without any left none.
  if (out.anyChange) out.changes.assign(n, Change{});
  else out.changes.resize(n);
  out.anyChange = false;
  // libhyphen leaves digits at either end of a word out of it.
  std::size_t begin = 0, end = n;
  while (begin < end && isDigit(word[begin])) ++begin;
  while (end > begin && isDigit(word[end - 1])) --end;
  if (begin == end) return;
  scratch.scratch.changesRead = false;
  Division(d, word, margins, out, scratch)
      .run(static_cast<std::int64_t>(begin), static_cast<std::int64_t>(end));
  out.anyChange = scratch.scratch.changesRead;
  // NOHYPHEN: no break on either side of each place where an item is written.
  const std::u32string_view first = d.noHyphenFirst;
  for (std::size_t at = 0; at < n && !first.empty(); ++at) {
    const char32_t c = word[at];
    if (c < 256 ? !(d.noHyphenLow[c / 64] >> (c % 64) & 1u) : first.find(c) == std::u32string_view::npos) continue;
    for (const std::u32string& item : d.noHyphen) {
      if (word.substr(at, item.size()) != item) continue;
      if (at > 0) {
        out.values[at - 1] = 0;
        out.changes[at - 1] = Change{};
      }
      out.values[at + item.size() - 1] = 0;
      out.changes[at + item.size() - 1] = Change{};
    }
  }
}

}  // namespace

void divideDictionaryWord(const DictionaryData& d, std::u32string_view word,
                          const DictionaryMargins& margins, DictionaryResult& out) {
  WordScratch& scratch = threadScratch();
  if (divideCommonWord(d, word, margins, out, scratch.scratch)) return;
  divideGeneral(d, word, margins, out, scratch);
}

void firstLevelValues(const DictionaryData& d, std::u32string_view word, DictionaryResult& out) {
  out.values.assign(word.size(), 0);
  out.changes.assign(word.size(), Change{});
  out.anyChange = true;
  matchLevel(d.compound, word, 0, out.values.data(), out.changes.data());
}

bool quickReadingsAgree(const DictionaryData& d, std::u32string_view part) {
  Scratch& s = threadScratch().scratch;
  const std::size_t n = part.size();
  const auto sameChange = [](const Change& a, const Change& b) {
    return a.text == b.text && (a.text == nullptr || (a.begin == b.begin && a.cut == b.cut));
  };
  for (const DictionaryLevel* level : {&d.compound, &d.plain}) {
    if (level->empty()) continue;
    std::vector<std::uint8_t> plain(n, 0), walked(n, 0), automaton(n, 0);
    std::vector<Change> changes(n);
    matchLevel(*level, part, 0, plain.data(), changes.data());
    const bool walkedWhole = quickMatch(*level, part, walked.data(), s, false);
    const bool automatonWhole = quickMatch(*level, part, automaton.data(), s, true);
    if (walkedWhole != automatonWhole) return false;
    if (walkedWhole && (walked != plain || automaton != plain)) return false;
    // The walk that keeps track of changes gives what the plain reading gives, always.
    std::vector<std::uint8_t> replayed(n, 0);
    std::vector<Change> replayedChanges(n);
    if (!quickMatch(*level, part, replayed.data(), s, false, replayedChanges.data(), 0) || replayed != plain ||
        !std::equal(changes.begin(), changes.end(), replayedChanges.begin(), sameChange))
      return false;
  }
  if (!d.compound.empty() && !d.plain.empty()) {
    // Both levels side by side, as the whole word is read, against each read alone.
    std::vector<std::uint8_t> compound(n, 0), compoundAlone(n, 0), plain(n, 0), plainAlone(n, 0);
    std::vector<Change> changes(n), changesAlone(n);
    const bool plainWhole = readBoth(d, part, 0, compound.data(), changes.data(), plain.data(), s);
    readLevel(d.compound, part, 0, compoundAlone.data(), changesAlone.data(), s);
    if (compound != compoundAlone ||
        !std::equal(changes.begin(), changes.end(), changesAlone.begin(), sameChange))
      return false;
    if (plainWhole != quickMatch(d.plain, part, plainAlone.data(), s)) return false;
    if (plainWhole && plain != plainAlone) return false;
  }
  // The common word's route against Division's, with the dictionary's own margins.
  const DictionaryMargins margins{d.leftMin, d.rightMin, d.compoundLeftMin, d.compoundRightMin};
  DictionaryResult common, general;
  if (divideCommonWord(d, part, margins, common, s)) {
    divideGeneral(d, part, margins, general, threadScratch());
    if (common.values != general.values || general.anyChange) return false;
  }
  return true;
}

}  // namespace quellix::detail
