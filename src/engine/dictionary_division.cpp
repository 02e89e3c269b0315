// Dividing a word with a libhyphen dictionary as libhyphen 2.8.8 divides it: the compound
// level finds the boundaries of the word's parts (and again within each part), the plain
// level divides each part, and margins, NOHYPHEN and leading or trailing digits take breaks
// out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dictionary_data.hpp"

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

// The symbol of character j of part framed by dots. A digit in a word reads as a dot, as
// libhyphen reads it: the word's parts on either side of it end there.
inline PatternIndex::Symbol symbolAt(const PatternIndex& index, std::u32string_view part,
                                     std::size_t j) {
  if (j == 0 || j == part.size() + 1) return index.dot;
  const char32_t c = part[j - 1];
  return isDigit(c) ? index.dot : index.symbolOf(c);
}

// Raises values[h] (h: the boundary after character h of part, 0 <= h < part.size()) to
// what level's patterns give it, as DictionaryLevel describes, keeping track of changes: a
// value that only equals the one already there changes nothing, an odd one brings its
// pattern's change (or none), an even one leaves the change as it was (libhyphen's rules;
// it is no break either way). start is where part begins in the word.
void matchLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
                std::uint8_t* values, Change* changes) {
  if (level.empty()) return;
  const PatternIndex& index = *level.index;
  const PatternIndex::Slot* const slots = index.slots.data();
  const std::int64_t n = static_cast<std::int64_t>(part.size());
  std::uint32_t state = 0;
  for (std::int64_t j = 0; j < n + 2; ++j) {
    state = step(level, slots, state, symbolAt(index, part, static_cast<std::size_t>(j)));
    const std::uint32_t found = level.patternOf[state];
    if (found == 0) continue;
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
}

struct Scratch {
  std::vector<std::uint8_t> values;
  std::vector<Change> changes;
  std::vector<std::uint8_t> window;  // the quick reading's output
  std::vector<std::pair<std::size_t, std::uint32_t>> longHits;
  std::vector<std::uint8_t> openValues;
  std::vector<Change> openChanges;
  std::vector<std::int64_t> weights;  // weights[k]: the left-margin weight of characters 0 .. k
  std::vector<std::int64_t> bytes;    // bytes[k]: the bytes of characters 0 .. k in the dictionary's encoding
};

// The values level gives part (as matchLevel, into values with no change) read quickly: one
// window of sixteen values merged per character. Returns false, having written nothing, when
// a pattern with a change matched: then matchLevel must read the part.
bool quickMatch(const DictionaryLevel& level, std::u32string_view part, std::uint8_t* values,
                Scratch& s) {
  if (level.empty()) return true;
  const PatternIndex& index = *level.index;
  const PatternIndex::Slot* const slots = index.slots.data();
  const std::uint32_t* const windowOf = level.windowOf.data();
  const std::array<std::uint8_t, DictionaryLevel::kWidth>* const windows = level.windows.data();
  const std::size_t n = part.size();
  const std::size_t m = n + 2;
  s.window.resize(m + DictionaryLevel::kWidth);
  std::uint8_t* const buffer = s.window.data();
  s.longHits.clear();
  SlidingWindow window;
  std::uint32_t flags = 0;
  std::uint32_t state = 0;
  for (std::size_t j = 0; j < m; ++j) {
    state = step(level, slots, state, symbolAt(index, part, j));
    const std::uint32_t w = windowOf[state];
    flags |= w;
    if (w & DictionaryLevel::kLong) [[unlikely]] s.longHits.emplace_back(j, state);
    window.raise(windows[w & DictionaryLevel::kWindowMask].data());
    buffer[j] = window.advance();
  }
  if (flags & DictionaryLevel::kChange) return false;
  window.store(buffer + m);
  // buffer[j] holds the boundary j + 2 - kWidth of the framed word: h at h + kWidth.
  std::copy_n(buffer + DictionaryLevel::kWidth, n, values);
  for (const auto& [j, slot] : s.longHits) {
    const DictionaryLevel::Pattern& p = level.patterns[level.patternOf[slot] - 1];
    const std::uint8_t* v = level.values.data() + p.valuesBegin;
    for (std::uint32_t t = 0; t <= p.length; ++t) {
      const std::int64_t h = static_cast<std::int64_t>(j) - static_cast<std::int64_t>(p.length) - 1 + t;
      if (h >= 0 && h < static_cast<std::int64_t>(n)) values[h] = std::max(values[h], v[t]);
    }
  }
  return true;
}

// matchLevel, quickly where no change can come of it. values and changes start as zeros.
void readLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
               std::uint8_t* values, Change* changes, Scratch& s) {
  if (!level.anyChange || !level.index) {
    if (level.index) quickMatch(level, part, values, s);
    return;
  }
  if (!quickMatch(level, part, values, s)) matchLevel(level, part, start, values, changes);
}

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

thread_local Scratch threadScratch;
thread_local Stacks threadStacks;

// Segments nested deeper than this are divided by the plain level without looking for
// further compound boundaries, so that memory stays linear in the word's length.
constexpr std::size_t kDeepestSegment = 64;

class Division {
 public:
  Division(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& m,
           DictionaryResult& out, Scratch& s)
      : d_(d), word_(word), out_(out), s_(s) {
    left_ = m.left > 0 ? m.left : 2;
    right_ = m.right > 0 ? m.right : 2;
    compoundLeft_ = std::max<std::int64_t>(m.compoundLeft, 0);
    compoundRight_ = std::max<std::int64_t>(m.compoundRight, 0);
    // libhyphen counts the ligatures ffi and ffl as two characters in the left margin.
    std::vector<std::int64_t>& w = s.weights;
    w.resize(word.size() + 1);
    w[0] = 0;
    std::vector<std::int64_t>& b = s.bytes;
    b.resize(word.size() + 1);
    b[0] = 0;
    const bool utf8 = d.encoding == nullptr;
    for (std::size_t k = 0; k < word.size(); ++k) {
      const char32_t c = word[k];
      w[k + 1] = w[k] + (utf8 && (c == 0xFB03 || c == 0xFB04) ? 2 : 1);
      b[k + 1] = b[k] + (!utf8 || c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4);
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
    Stacks& stacks = threadStacks;
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
      if (stacks.open.size() < kDeepestSegment) {
        readLevel(d_.compound, part, seg.begin, u.data(), uc.data(), s_);
        for (std::size_t h = 0; h + 1 < length; ++h) boundaries += u[h] & 1u;
      }
      if (boundaries == 0) {
        divideLeaf(seg, &stacks.open);
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
    const std::int64_t* const w = s_.weights.data();
    const std::int64_t leftEnd = change.text ? change.begin : h + 1;
    std::int64_t leftCount = w[leftEnd] - w[begin];
    std::int64_t rightCount = end - 1 - h;
    // Within a part libhyphen also wants two bytes after a break (so one character of two
    // bytes will do where the margin is 1).
    const std::int64_t* const b = s_.bytes.data();
    std::int64_t rightBytes = b[end] - b[h + 1];
    if (change.text) {
      leftCount += static_cast<std::int64_t>(change.text->lineEnd.size());
      rightCount = static_cast<std::int64_t>(change.text->nextStart.size()) + end -
                   (change.begin + change.cut);
      rightBytes = static_cast<std::int64_t>(change.text->nextStart.size()) + b[end] -
                   b[change.begin + change.cut];
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
        rightOk = rightCount >= right_ && rightBytes >= 2;
        break;
      case RightRule::InnerPart:
        rightOk = rightBytes >= 2 && (rightCount >= compoundRight_ || h == begin);
        break;
    }
    return rightOk ? Verdict::Decide : Verdict::Outer;
  }

  // Divides a segment without compound boundaries with the plain level, then settles each
  // of its positions through the segments it lies in (open, innermost last; none when the
  // segment is the whole word).
  void divideLeaf(const Segment& leaf, const std::vector<OpenSegment>* open) {
    const std::size_t length = static_cast<std::size_t>(leaf.end - leaf.begin);
    readLevel(d_.plain, word_.substr(static_cast<std::size_t>(leaf.begin), length), leaf.begin,
              out_.values.data() + leaf.begin, out_.changes.data() + leaf.begin, s_);
    const bool nested = open != nullptr && !open->empty();
    const Segment top = nested ? open->front().segment : leaf;
    for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
      std::uint8_t& value = out_.values[static_cast<std::size_t>(h)];
      Change& change = out_.changes[static_cast<std::size_t>(h)];
      if (value == 0 && !nested) continue;
      if (nested) {
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
  std::int64_t left_, right_, compoundLeft_, compoundRight_;
  std::int64_t wordBegin_ = 0;
  bool firstCharacterOneByte_ = true;
};

}  // namespace

void divideDictionaryWord(const DictionaryData& d, std::u32string_view word,
                          const DictionaryMargins& margins, DictionaryResult& out) {
  const std::size_t n = word.size();
  out.values.assign(n, 0);
  out.changes.assign(n, Change{});
  // libhyphen leaves digits at either end of a word out of it.
  std::size_t begin = 0, end = n;
  while (begin < end && isDigit(word[begin])) ++begin;
  while (end > begin && isDigit(word[end - 1])) --end;
  if (begin == end) return;
  Division(d, word, margins, out, threadScratch)
      .run(static_cast<std::int64_t>(begin), static_cast<std::int64_t>(end));
  for (const std::u32string& item : d.noHyphen) {
    for (std::size_t at = word.find(item); at != std::u32string_view::npos;
         at = word.find(item, at + 1)) {
      if (at > 0) {
        out.values[at - 1] = 0;
        out.changes[at - 1] = Change{};
      }
      out.values[at + item.size() - 1] = 0;
      out.changes[at + item.size() - 1] = Change{};
    }
  }
}

void firstLevelValues(const DictionaryData& d, std::u32string_view word, DictionaryResult& out) {
  out.values.assign(word.size(), 0);
  out.changes.assign(word.size(), Change{});
  matchLevel(d.compound, word, 0, out.values.data(), out.changes.data());
}

}  // namespace quellix::detail
