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

// Raises values[h] (h: the boundary after character h of part, 0 <= h < part.size()) to
// what level's patterns give it, as DictionaryLevel describes; a value that only equals the
// one already there changes nothing. start is where part begins in the word.
void matchLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
                std::uint8_t* values, Change* changes) {
  if (level.empty()) return;
  const PatternIndex& index = *level.index;
  const PatternIndex::Slot* const slots = index.slots.data();
  const std::int64_t n = static_cast<std::int64_t>(part.size());
  std::uint32_t state = 0;
  for (std::int64_t j = 0; j < n + 2; ++j) {
    const PatternIndex::Symbol symbol =
        j == 0 || j == n + 1 ? index.dot : index.symbolOf(part[static_cast<std::size_t>(j - 1)]);
    for (;;) {
      const std::uint32_t next = (slots[state].base & PatternIndex::kBaseMask) + symbol;
      if (symbol != 0 && slots[next].check == state) {
        state = next;
        break;
      }
      if (state == 0) break;
      state = level.fallback[state];
    }
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
      // An odd value brings its pattern's change, or none; an even one leaves the change of
      // the boundary as it was (as libhyphen does: it is no break either way).
      if (!(v[t] & 1u)) continue;
      Change& c = changes[h];
      if (p.change >= 0 && t > p.changeBegin && t <= p.changeBegin + p.changeCut) {
        c.text = &level.changes[static_cast<std::size_t>(p.change)];
        c.begin = start + first + p.changeBegin;
        c.cut = p.changeCut;
      } else {
        c.text = nullptr;
      }
    }
  }
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

// A segment to divide, or (close) the mark that all parts of open segment `open` are done.
struct Task {
  Segment segment;
  bool close;
};

struct Scratch {
  std::vector<std::uint8_t> values;
  std::vector<Change> changes;
  std::vector<Task> tasks;
  std::vector<OpenSegment> open;
  std::vector<std::uint8_t> openValues;
  std::vector<Change> openChanges;
  std::vector<std::int64_t> weights;  // weights[k]: the left-margin weight of characters 0 .. k
};

thread_local Scratch scratch;

// Segments nested deeper than this are divided by the plain level without looking for
// further compound boundaries, so that memory stays linear in the word's length.
constexpr std::size_t kDeepestSegment = 64;

class Division {
 public:
  Division(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& m,
           DictionaryResult& out)
      : d_(d), word_(word), out_(out) {
    left_ = m.left > 0 ? m.left : 2;
    right_ = m.right > 0 ? m.right : 2;
    compoundLeft_ = std::max<std::int64_t>(m.compoundLeft, 0);
    compoundRight_ = std::max<std::int64_t>(m.compoundRight, 0);
    // libhyphen counts the ligatures ffi and ffl as two characters in the left margin.
    std::vector<std::int64_t>& w = scratch.weights;
    w.resize(word.size() + 1);
    w[0] = 0;
    const bool utf8 = d.encoding == nullptr;
    for (std::size_t k = 0; k < word.size(); ++k)
      w[k + 1] = w[k] + (utf8 && (word[k] == 0xFB03 || word[k] == 0xFB04) ? 2 : 1);
  }

  // Divides [begin, end) of the word: the compound level finds boundaries, again within each
  // part it makes; a part without any is divided by the plain level. Each position takes its
  // value from the innermost segment whose margins let it decide there, the compound level's
  // value of the segment around it otherwise, and 0 outside the word's margins.
  void run(std::int64_t begin, std::int64_t end) {
    Scratch& s = scratch;
    s.tasks.clear();
    s.open.clear();
    s.openValues.clear();
    s.openChanges.clear();
    wordBegin_ = begin;
    firstCharacterOneByte_ = d_.encoding != nullptr || word_[static_cast<std::size_t>(begin)] < 0x80;
    s.tasks.push_back({{begin, end, LeftRule::Word, RightRule::Word}, false});
    while (!s.tasks.empty()) {
      const Task task = s.tasks.back();
      s.tasks.pop_back();
      if (task.close) {
        s.openValues.resize(s.open.back().valuesBegin);
        s.openChanges.resize(s.open.back().valuesBegin);
        s.open.pop_back();
        continue;
      }
      const Segment& seg = task.segment;
      const std::size_t length = static_cast<std::size_t>(seg.end - seg.begin);
      const std::u32string_view part = word_.substr(static_cast<std::size_t>(seg.begin), length);
      std::vector<std::uint8_t>& u = s.values;
      std::vector<Change>& uc = s.changes;
      u.assign(length, 0);
      uc.assign(length, Change{});
      std::size_t boundaries = 0;
      if (s.open.size() < kDeepestSegment) {
        matchLevel(d_.compound, part, seg.begin, u.data(), uc.data());
        for (std::size_t h = 0; h + 1 < length; ++h) boundaries += u[h] & 1u;
      }
      if (boundaries == 0) {
        divideLeaf(seg);
        continue;
      }
      s.open.push_back({seg, s.openValues.size()});
      s.openValues.insert(s.openValues.end(), u.begin(), u.end());
      s.openChanges.insert(s.openChanges.end(), uc.begin(), uc.end());
      s.tasks.push_back({seg, true});
      // The parts, the first pushed last so that it is divided first.
      const RightRule last = seg.right == RightRule::InnerPart ? RightRule::InnerPart : RightRule::LastPart;
      std::int64_t partEnd = seg.end;
      for (std::size_t h = length - 1; h-- > 0;) {
        if (!(u[h] & 1u)) continue;
        const std::int64_t partBegin = seg.begin + static_cast<std::int64_t>(h) + 1;
        s.tasks.push_back({{partBegin, partEnd, LeftRule::Compound,
                            partEnd == seg.end ? last : RightRule::InnerPart}, false});
        partEnd = partBegin;
      }
      s.tasks.push_back({{seg.begin, partEnd, seg.left, partEnd == seg.end ? last : RightRule::InnerPart}, false});
    }
  }

 private:
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
    const std::vector<std::int64_t>& w = scratch.weights;
    const std::int64_t leftEnd = change.text ? change.begin : h + 1;
    std::int64_t leftCount = w[static_cast<std::size_t>(leftEnd)] - w[static_cast<std::size_t>(seg.begin)];
    std::int64_t rightCount = seg.end - 1 - h;
    if (change.text) {
      leftCount += static_cast<std::int64_t>(change.text->lineEnd.size());
      rightCount = static_cast<std::int64_t>(change.text->nextStart.size()) + seg.end -
                   (change.begin + change.cut);
    }
    if (leftCount < (seg.left == LeftRule::Word ? left_ : compoundLeft_)) return Verdict::Zero;
    bool rightOk = true;
    switch (seg.right) {
      case RightRule::Word:
        // libhyphen's right margin never reaches the first byte of the word: a break after a
        // first character of one byte stays.
        rightOk = rightCount >= right_ || (h == wordBegin_ && firstCharacterOneByte_);
        break;
      case RightRule::LastPart:
        rightOk = rightCount >= std::max<std::int64_t>(right_, 2);
        break;
      case RightRule::InnerPart:
        rightOk = rightCount >= 2 && (rightCount >= compoundRight_ || h == seg.begin);
        break;
    }
    return rightOk ? Verdict::Decide : Verdict::Outer;
  }

  // Divides a segment without compound boundaries with the plain level, then settles each
  // of its positions through the segments it lies in.
  void divideLeaf(const Segment& leaf) {
    const Scratch& s = scratch;
    const std::size_t length = static_cast<std::size_t>(leaf.end - leaf.begin);
    matchLevel(d_.plain, word_.substr(static_cast<std::size_t>(leaf.begin), length), leaf.begin,
               out_.values.data() + leaf.begin, out_.changes.data() + leaf.begin);
    for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
      std::uint8_t value = out_.values[static_cast<std::size_t>(h)];
      Change change = out_.changes[static_cast<std::size_t>(h)];
      const Segment top = s.open.empty() ? leaf : s.open.front().segment;
      const Segment* inner = &leaf;
      for (std::size_t j = s.open.size(); j-- > 0;) {
        const Verdict verdict = judge(*inner, h, change, inner == &leaf);
        if (verdict == Verdict::Zero) {
          value = 0;
          change = Change{};
        } else if (verdict == Verdict::Outer) {
          const OpenSegment& o = s.open[j];
          const std::size_t at = o.valuesBegin + static_cast<std::size_t>(h - o.segment.begin);
          value = s.openValues[at];
          change = s.openChanges[at];
        }
        inner = &s.open[j].segment;
      }
      if (judge(top, h, change, true) != Verdict::Decide) {
        value = 0;
        change = Change{};
      }
      out_.values[static_cast<std::size_t>(h)] = value;
      out_.changes[static_cast<std::size_t>(h)] = change;
    }
  }

  const DictionaryData& d_;
  std::u32string_view word_;
  DictionaryResult& out_;
  std::int64_t left_, right_, compoundLeft_, compoundRight_;
  std::int64_t wordBegin_ = 0;
  bool firstCharacterOneByte_ = true;
};

bool isAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

}  // namespace

void divideDictionaryWord(const DictionaryData& d, std::u32string_view word,
                          const DictionaryMargins& margins, DictionaryResult& out) {
  const std::size_t n = word.size();
  out.values.assign(n, 0);
  out.changes.assign(n, Change{});
  // libhyphen leaves digits at either end of a word out of it.
  std::size_t begin = 0, end = n;
  while (begin < end && isAsciiDigit(word[begin])) ++begin;
  while (end > begin && isAsciiDigit(word[end - 1])) --end;
  if (begin == end) return;
  Division(d, word, margins, out).run(static_cast<std::int64_t>(begin), static_cast<std::int64_t>(end));
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
