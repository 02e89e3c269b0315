// Dividing a word with a libhyphen dictionary as libhyphen 2.8.8 divides it: the compound
// level finds the boundaries of the word's parts (and again within each part), the plain
// level divides each part, and margins, NOHYPHEN and leading or trailing digits take breaks
// out. How one level reads a part is dictionary_reading.cpp's.
#include "dictionary_division.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dictionary_data.hpp"
#include "dictionary_reading.hpp"

namespace quellix::detail {
namespace {

using Change = DictionaryResult::Change;
using Segment = DivisionSegment;
using Task = DivisionTask;

// How far a leaf's plain reading has come before divideLeaf: not at all, whole into
// LevelScratch::plainValues, or to a change that matchLevel must read; or none is needed.
enum class PlainRead { No, Whole, Changed, Needless };

// The thread's scratch, reached through a pointer of trivial type: that asks for the
// thread's storage once, where the scratch itself (made on first use, destroyed with the
// thread) costs a guard's test as well, each a call in a shared library.
thread_local DictionaryScratch* threadScratch = nullptr;

DictionaryScratch& makeThreadScratch() {
  thread_local DictionaryScratch scratch;
  threadScratch = &scratch;
  return scratch;
}

// The boundaries [lo, hi] of a word's leaf (empty when hi < lo) at which neither a margin nor
// the digits it starts or ends with rule a break out, when no change or ligature is in it:
// from the left margin's end, counted from begin (after the leading digits), up to the right
// margin's start, counted from end, and before core (where the trailing digits begin), and
// the one after a first character of one byte, which libhyphen's right margin never reaches.
struct KeptRange {
  std::int64_t lo, hi;
};
KeptRange wordMargins(std::int64_t begin, std::int64_t core, std::int64_t end, std::int64_t left,
                      std::int64_t right, bool firstOneByte) {
  const std::int64_t lo = std::max(begin, begin + left - 1);
  const std::int64_t last = core - 2;
  std::int64_t hi = std::min(last, end - 1 - right);
  if (lo == 0 && firstOneByte && last >= 0) hi = std::max<std::int64_t>(hi, 0);
  return {lo, hi};
}

// Zeroes n values at p: as a rule one to three (a margin), for which a loop, which the
// compiler would make a call to memset, costs more than the stores.
inline void zeroFew(std::uint8_t* p, std::int64_t n) {
  if (n > 3) {
    std::fill_n(p, n, std::uint8_t{0});
    return;
  }
  if (n > 0) p[0] = 0;
  if (n > 1) p[1] = 0;
  if (n > 2) p[2] = 0;
}

// Zeroes the values of [from, to) outside kept: those before it and those after it.
inline void keepOnly(std::uint8_t* values, std::int64_t from, std::int64_t to, KeptRange kept) {
  const std::int64_t lo = std::clamp(kept.lo, from, to);
  const std::int64_t past = kept.hi < kept.lo ? lo : std::clamp(kept.hi + 1, lo, to);
  zeroFew(values + from, lo - from);
  zeroFew(values + past, to - past);
}

// Whether any of n values is odd (a boundary or a break), eight at a time.
inline bool anyOdd(const std::uint8_t* values, std::size_t n) {
  std::uint64_t any = 0;
  const auto eightAt = [&](std::size_t k) {
    std::uint64_t eight;
    std::memcpy(&eight, values + k, 8);
    any |= eight;
  };
  if (n >= 8) {
    for (std::size_t k = 0; k + 8 < n; k += 8) eightAt(k);
    eightAt(n - 8);
  } else {
    for (std::size_t k = 0; k < n; ++k) any |= values[k];
  }
  return (any & 0x0101010101010101u) != 0;
}

// Whether word has a ligature (ffi, ffl) or the first character of a NOHYPHEN item: most
// words have neither, and skip the passes that look for them.
bool anyExceptional(const DictionaryData& d, std::u32string_view word) {
  for (const char32_t c : word) {
    if (c < 256 ? (d.noHyphenLow[c / 64] >> (c % 64) & 1u) != 0
                : c == 0xFB03 || c == 0xFB04 || d.noHyphenFirst.find(c) != std::u32string::npos)
      return true;
  }
  return false;
}

// Makes s.values and s.changes ready for a compound reading of length characters: zeros
// where the level has changes (matchLevel raises what is there), else as they are (a quick
// reading writes every value and no change, and its changes are never read).
inline void prepareCompoundReading(LevelScratch& s, std::size_t length, bool compoundChanges) {
  if (compoundChanges) {
    s.values.assign(length, 0);
    s.changes.assign(length, Change{});
  } else {
    if (s.values.size() < length) s.values.resize(length);
    if (s.changes.size() < length) s.changes.resize(length);
  }
}

// Segments nested deeper than this are divided by the plain level without looking for
// further compound boundaries, so that memory stays linear in the word's length.
constexpr std::size_t kDeepestSegment = 64;

class Division {
 public:
  // referenceJudge: judge every position of a nested leaf (the reference for tests) rather
  // than through the frames that give its verdicts.
  // mayHaveLigatures false: the word has no ligature.
  Division(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& m,
           DictionaryResult& out, DictionaryScratch& s, bool referenceJudge, bool mayHaveLigatures)
      : d_(d), word_(word), out_(out), s_(s.level), tasks_(s.tasks), open_(s.open),
        referenceJudge_(referenceJudge), compoundChanges_(d.compound.anyChange) {
    left_ = m.left > 0 ? m.left : 2;
    right_ = m.right > 0 ? m.right : 2;
    compoundLeft_ = std::max<std::int64_t>(m.compoundLeft, 0);
    compoundRight_ = std::max<std::int64_t>(m.compoundRight, 0);
    // libhyphen counts the ligatures ffi and ffl as two characters in the left margin.
    utf8_ = d.encoding == nullptr;
    const auto isLigature = [](char32_t c) { return c == 0xFB03 || c == 0xFB04; };
    ligatures_ = utf8_ && mayHaveLigatures && std::any_of(word.begin(), word.end(), isLigature);
    if (ligatures_) {
      std::vector<std::int64_t>& w = s_.weights;
      w.resize(word.size() + 1);
      w[0] = 0;
      for (std::size_t k = 0; k < word.size(); ++k) w[k + 1] = w[k] + (isLigature(word[k]) ? 2 : 1);
    }
  }

  // A word of a dictionary without NEXTLEVEL, whose compound level is libhyphen's implied one
  // (a boundary on either side of each hyphen or apostrophe, each also a NOHYPHEN item),
  // with such separators, no digit and every character below kLowCodes, divided as run()
  // and the NOHYPHEN pass divide it without their bookkeeping: each run between separators
  // is a part of its own (divideParts), read by the plain level and kept where its frame
  // and the word's decide; the separators and their neighbours get 0. Returns false, out's
  // values then to be made again, for any other word, or where a run's reading meets a
  // change. (Where the compound level reads the word, divideParts would go this way too.)
  bool divideSeparated() {
    constexpr char32_t kLow = DictionaryData::kLowCodes;
    const auto isSeparator = [this](char32_t c) { return (d_.lowKind[c] & DictionaryData::kLowExceptional) != 0; };
    bool any = false;
    for (const char32_t c : word_) {
      if (c >= kLow || isDictionaryDigit(c)) return false;
      any = any || isSeparator(c);
    }
    if (!any) return false;
    const auto n = static_cast<std::int64_t>(word_.size());
    wordBegin_ = 0;
    firstCharacterOneByte_ = d_.encoding != nullptr || word_[0] < 0x80;
    const Frame top = frameOf({0, n, LeftRule::Word, RightRule::Word});
    const std::int64_t topEnd = std::min({top.hi, top.zeroFrom - 1, top.last - 1}) + 1;
    std::uint8_t* const values = out_.values.data();
    for (std::int64_t begin = 0; begin < n;) {
      if (isSeparator(word_[static_cast<std::size_t>(begin)])) {
        values[begin++] = 0;
        continue;
      }
      std::int64_t end = begin + 1;
      while (end < n && !isSeparator(word_[static_cast<std::size_t>(end)])) ++end;
      const auto length = static_cast<std::size_t>(end - begin);
      if (!quickMatch(d_.plain, word_.substr(static_cast<std::size_t>(begin), length), values + begin, s_))
        return false;
      // divideParts' verdicts where the compound level's values are 0 but at the run's last
      // boundary, which is a separator's neighbour or the word's end: kept from the later of
      // the run's lo and the word's, up to the earlier of where its Decide and the word's end.
      const Frame leaf = frameOf({begin, end, begin == 0 ? LeftRule::Word : LeftRule::Compound,
                                  end == n ? RightRule::LastPart : RightRule::InnerPart});
      const std::int64_t last = end - 1;
      const std::int64_t lo = std::clamp(leaf.lo, begin, last);
      const std::int64_t zeroFrom = std::clamp(leaf.zeroFrom, lo, last);
      const std::int64_t outerFrom = std::clamp(leaf.hi + 1, lo, zeroFrom);
      const std::int64_t keepFrom = std::max(lo, std::clamp(top.lo, begin, end));
      const std::int64_t keepTo = std::max(keepFrom, std::min(outerFrom, std::clamp(topEnd, begin, end)));
      zeroFew(values + begin, keepFrom - begin);
      zeroFew(values + keepTo, end - keepTo);
      begin = end;
    }
    return true;
  }

  // Divides [begin, end) of the word: the compound level finds boundaries, again within each
  // part it makes; a part without any is divided by the plain level. Each position takes its
  // value from the innermost segment whose margins let it decide there, the compound level's
  // value of the segment around it otherwise, and 0 outside the word's margins.
  // compoundRead: the compound level has read the whole of [begin, end) into the scratch's
  // values and changes already (the common word's route, which found boundaries or a change).
  void run(std::int64_t begin, std::int64_t end, bool compoundRead = false) {
    wordBegin_ = begin;
    firstCharacterOneByte_ = d_.encoding != nullptr || word_[static_cast<std::size_t>(begin)] < 0x80;
    const Segment whole{begin, end, LeftRule::Word, RightRule::Word};
    if (!compoundRead && !compoundMayMatch(begin, end)) {
      divideLeaf(whole, nullptr);
      return;
    }
    if (!compoundRead && d_.compound.readsAlone() && !ligatures_ && !referenceJudge_) {
      // A compound level that reads alone (see divideCommonWord) reads the word first, as
      // the first task would, so that a word it divides once goes to divideParts like the
      // common word's: words with a hyphen, which the common route leaves here (a NOHYPHEN
      // item), are most of them.
      const auto length = static_cast<std::size_t>(end - begin);
      prepareCompoundReading(s_, length, compoundChanges_);
      readLevel(d_.compound, word_.substr(static_cast<std::size_t>(begin), length), begin, s_.values.data(),
                s_.changes.data(), s_);
      compoundRead = true;
    }
    // divideParts reads the parts with the plain level: a dictionary without plain patterns
    // (every pattern before NEXTLEVEL, or none at all) divides them through the tasks.
    if (compoundRead && !s_.changesRead && !ligatures_ && !referenceJudge_ && !d_.plain.empty() &&
        anyOdd(s_.values.data(), static_cast<std::size_t>(end - begin) - 1) && divideParts(whole))
      return;
    std::vector<Task>& tasks = tasks_;
    std::vector<OpenSegment>& open = open_;
    tasks.clear();
    open.clear();
    s_.openValues.clear();
    s_.openChanges.clear();
    tasks.push_back({whole, false});
    while (!tasks.empty()) {
      const Task task = tasks.back();
      tasks.pop_back();
      if (task.close) {
        s_.openValues.resize(open.back().valuesBegin);
        if (compoundChanges_) s_.openChanges.resize(open.back().valuesBegin);
        open.pop_back();
        continue;
      }
      const Segment& seg = task.segment;
      const std::size_t length = static_cast<std::size_t>(seg.end - seg.begin);
      const std::u32string_view part = word_.substr(static_cast<std::size_t>(seg.begin), length);
      if (!compoundRead) prepareCompoundReading(s_, length, compoundChanges_);
      std::uint8_t* const u = s_.values.data();
      Change* const uc = s_.changes.data();
      bool boundaries = false;
      PlainRead plainRead = PlainRead::No;
      if (compoundRead) {
        compoundRead = false;
        boundaries = anyOdd(u, length - 1);
      } else if (length == 1 && !open.empty() && !referenceJudge_) {
        // A part of one character (a hyphen between two parts, as a rule): its one boundary
        // is its end, which the segment around it decides, so neither level need read it
        // (the reference reads it all the same).
        plainRead = PlainRead::Needless;
      } else if (open.size() < kDeepestSegment) {
        if (!d_.plain.empty() && !d_.compound.readsAlone()) {
          // The plain level reads the segment beside the compound level, for the (most)
          // words and parts in which the compound level finds no boundary: the two levels'
          // cache misses overlap.
          s_.plainValues.resize(length);
          plainRead = readBoth(d_, part, seg.begin, u, uc, s_.plainValues.data(), s_)
                          ? PlainRead::Whole : PlainRead::Changed;
          boundaries = anyOdd(u, length - 1);
        } else if (open.empty() || compoundMayMatch(seg.begin, seg.end)) {
          // A compound level small enough for a wide table reads alone (see
          // divideCommonWord), and the plain level only the parts without boundaries
          // (divideLeaf). A part without a letter of the compound level has no boundary.
          readLevel(d_.compound, part, seg.begin, u, uc, s_);
          boundaries = anyOdd(u, length - 1);
        }
      }
      if (!boundaries) {
        divideLeaf(seg, &open, plainRead);
        continue;
      }
      open.push_back({seg, s_.openValues.size()});
      s_.openValues.insert(s_.openValues.end(), u, u + length);
      if (compoundChanges_) s_.openChanges.insert(s_.openChanges.end(), uc, uc + length);
      tasks.push_back({seg, true});
      // The parts, the first pushed last so that it is divided first.
      const RightRule last = seg.right == RightRule::InnerPart ? RightRule::InnerPart : RightRule::LastPart;
      std::int64_t partEnd = seg.end;
      for (std::size_t h = length - 1; h-- > 0;) {
        if (!(u[h] & 1u)) continue;
        const std::int64_t partBegin = seg.begin + static_cast<std::int64_t>(h) + 1;
        tasks.push_back({{partBegin, partEnd, LeftRule::Compound,
                                 partEnd == seg.end ? last : RightRule::InnerPart}, false});
        partEnd = partBegin;
      }
      tasks.push_back({{seg.begin, partEnd, seg.left, partEnd == seg.end ? last : RightRule::InnerPart}, false});
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
    const Span span = withoutDigits(seg);
    if (h < span.begin || h >= span.core - 1) return Verdict::Zero;
    const std::int64_t end = seg.end;
    const std::int64_t leftEnd = change.text ? change.begin : h + 1;
    std::int64_t leftCount = leftWeight(span.begin, leftEnd);
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
    if (leftCount < leftMargin(seg)) return Verdict::Zero;
    return rightAllows(seg, h, span.begin, rightCount, rightTwoBytes) ? Verdict::Decide : Verdict::Outer;
  }

  // Digits at either end of a part give no break either, as for the word; the left margin
  // counts from after the leading ones, the right margin to the part's end (libhyphen's way
  // of leaving them out). [begin, core): seg without them.
  struct Span {
    std::int64_t begin, core;
  };
  Span withoutDigits(const Segment& seg) const {
    std::int64_t begin = seg.begin, core = seg.end;
    while (begin < core && isDictionaryDigit(word_[static_cast<std::size_t>(begin)])) ++begin;
    while (core > begin && isDictionaryDigit(word_[static_cast<std::size_t>(core - 1)])) --core;
    return {begin, core};
  }

  std::int64_t leftMargin(const Segment& seg) const { return seg.left == LeftRule::Word ? left_ : compoundLeft_; }

  // Whether seg's right margin lets a break after h stand, rightCount characters (and
  // rightTwoBytes: two bytes or more) coming after it; begin: seg's first after its digits.
  bool rightAllows(const Segment& seg, std::int64_t h, std::int64_t begin, std::int64_t rightCount,
                   bool rightTwoBytes) const {
    switch (seg.right) {
      case RightRule::Word:
        // libhyphen's right margin never reaches the first byte of the word: a break after a
        // first character of one byte stays (not after digits the word starts with).
        return rightCount >= right_ || (h == 0 && firstCharacterOneByte_);
      case RightRule::LastPart:
        return rightCount >= right_ && rightTwoBytes;
      case RightRule::InnerPart:
        return rightTwoBytes && (rightCount >= compoundRight_ || h == begin);
    }
    return true;
  }

  // judge(seg, h, change, true) worked out once for a segment and every h in it where change
  // is null and the word has no ligature: Zero before lo (the left margin, leading digits)
  // and from zeroFrom (trailing digits), Decide up to hi, Outer after it (the right margin,
  // which lets fewer breaks stand the nearer h comes to the end) and at the last position.
  struct Frame {
    std::int64_t lo, hi, zeroFrom, last;
    Verdict verdict(std::int64_t h) const {
      if (h == last) return Verdict::Outer;
      if (h < lo || h >= zeroFrom) return Verdict::Zero;
      return h <= hi ? Verdict::Decide : Verdict::Outer;
    }
  };
  Frame frameOf(const Segment& seg) const {
    const Span span = withoutDigits(seg);
    Frame f{std::max(span.begin, span.begin + leftMargin(seg) - 1), 0, span.core - 1, seg.end - 1};
    f.hi = std::min(f.zeroFrom, f.last) - 1;
    while (f.hi >= f.lo && !rightAllows(seg, f.hi, span.begin, seg.end - 1 - f.hi, twoBytes(0, f.hi + 1, seg.end)))
      --f.hi;
    return f;
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

  // The parts of a word the compound level divides once (most compound words), divided one
  // after another without the task stack, as it divides them: each read by both levels side
  // by side, then settled as divideLeaf settles a part of the word itself with no change. The
  // compound level's reading of the whole word is in the scratch. Gives up at a part in which
  // the compound level finds a boundary or either level a change, returning false with the
  // scratch and out as it found them.
  bool divideParts(const Segment& whole) {
    const std::int64_t begin = whole.begin, end = whole.end;
    const auto n = static_cast<std::size_t>(end - begin);
    std::vector<std::uint8_t>& around = s_.openValues;
    around.assign(s_.values.begin(), s_.values.begin() + static_cast<std::ptrdiff_t>(n));
    std::vector<std::size_t>& ends = s_.partEnds;
    ends.clear();
    for (std::size_t h = 0; h + 1 < n; ++h)
      if (around[h] & 1u) ends.push_back(h + 1);
    ends.push_back(n);
    std::uint8_t* const values = out_.values.data();
    // All parts read with one setup; where that meets a long pattern or a change, one at a time.
    const bool atOnce = readBothParts(d_, word_.substr(static_cast<std::size_t>(begin), n), ends.data(), ends.size(),
                                      s_.values.data(), values + begin, s_);
    const Frame topFrame = frameOf(whole);
    std::int64_t partBegin = begin;
    for (const std::size_t partAt : ends) {
      const std::int64_t partEnd = begin + static_cast<std::int64_t>(partAt);
      const Segment part{partBegin, partEnd, partBegin == begin ? LeftRule::Word : LeftRule::Compound,
                         partEnd == end ? RightRule::LastPart : RightRule::InnerPart};
      const auto length = static_cast<std::size_t>(partEnd - partBegin);
      bool simple;
      if (atOnce) {
        simple = !anyOdd(s_.values.data() + (partBegin - begin), length - 1);
      } else {
        prepareCompoundReading(s_, length, compoundChanges_);
        const bool plainWhole = readBoth(d_, word_.substr(static_cast<std::size_t>(partBegin), length), partBegin,
                                         s_.values.data(), s_.changes.data(), values + partBegin, s_);
        simple = plainWhole && !s_.changesRead && !anyOdd(s_.values.data(), length - 1);
      }
      if (!simple) {
        std::fill(values + begin, values + end, std::uint8_t{0});
        s_.changesRead = false;
        prepareCompoundReading(s_, n, compoundChanges_);
        std::copy(around.begin(), around.end(), s_.values.begin());
        return false;
      }
      // The part's verdicts (Frame::verdict) by range: Zero before its lo and from its
      // zeroFrom, Outer (the word's value) past its hi and at its last, Decide between; then
      // 0 wherever the word's own frame does not decide.
      const Frame leaf = frameOf(part);
      const std::int64_t last = partEnd - 1;
      const std::int64_t lo = std::clamp(leaf.lo, partBegin, last);
      const std::int64_t zeroFrom = std::clamp(leaf.zeroFrom, lo, last);
      const std::int64_t outerFrom = std::clamp(leaf.hi + 1, lo, zeroFrom);
      zeroFew(values + partBegin, lo - partBegin);
      for (std::int64_t k = outerFrom; k < zeroFrom; ++k)
        values[static_cast<std::size_t>(k)] = around[static_cast<std::size_t>(k - begin)];
      zeroFew(values + zeroFrom, last - zeroFrom);
      values[static_cast<std::size_t>(last)] = around[static_cast<std::size_t>(last - begin)];
      const std::int64_t decideEnd = std::min({topFrame.hi, topFrame.zeroFrom - 1, topFrame.last - 1}) + 1;
      const std::int64_t topLo = std::clamp(topFrame.lo, partBegin, partEnd);
      const std::int64_t topEnd = std::clamp(decideEnd, topLo, partEnd);
      zeroFew(values + partBegin, topLo - partBegin);
      zeroFew(values + topEnd, partEnd - topEnd);
      partBegin = partEnd;
    }
    return true;
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
      case PlainRead::Needless:
        break;
    }
    std::uint8_t* const values = out_.values.data();
    Change* const changes = out_.changes.data();
    const bool nested = open != nullptr && !open->empty();
    if (!nested) {
      // The whole word (most words), with the word's margins only, worked out once rather
      // than per position where there is no change and no ligature.
      const Span span = withoutDigits(leaf);
      const KeptRange kept = wordMargins(span.begin, span.core, leaf.end, left_, right_, firstCharacterOneByte_);
      if (!s_.changesRead && !ligatures_) {
        keepOnly(values, leaf.begin, leaf.end, kept);
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
        if (h < kept.lo || h > kept.hi) values[at] = 0;
      }
      return;
    }
    const Segment top = open->front().segment;
    // The leaf's and the word's margins, worked out once unless ligatures change the count.
    const bool framed = !ligatures_ && !referenceJudge_;
    const Frame leafFrame = framed ? frameOf(leaf) : Frame{};
    const Frame topFrame = framed ? frameOf(top) : Frame{};
    if (framed && open->size() == 1 && !s_.changesRead) {
      // A part of the word itself, and no change anywhere (most compound words): each
      // position's verdicts straight from the frames.
      const OpenSegment& around = open->front();
      const std::uint8_t* const aroundValues = s_.openValues.data() + around.valuesBegin;
      for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
        std::uint8_t& value = values[static_cast<std::size_t>(h)];
        const Verdict verdict = leafFrame.verdict(h);
        if (verdict == Verdict::Zero) value = 0;
        else if (verdict == Verdict::Outer) value = aroundValues[h - around.segment.begin];
        if (value != 0 && topFrame.verdict(h) != Verdict::Decide) value = 0;
      }
      return;
    }
    for (std::int64_t h = leaf.begin; h < leaf.end; ++h) {
      std::uint8_t& value = values[static_cast<std::size_t>(h)];
      Change& change = changes[static_cast<std::size_t>(h)];
      const Segment* inner = &leaf;
      for (std::size_t j = open->size(); j-- > 0;) {
        const Verdict verdict = inner != &leaf                      ? judge(*inner, h, change, false)
                                : framed && change.text == nullptr ? leafFrame.verdict(h)
                                                                   : judge(leaf, h, change, true);
        if (verdict == Verdict::Zero) {
          value = 0;
          change = Change{};
        } else if (verdict == Verdict::Outer) {
          const OpenSegment& o = (*open)[j];
          const std::size_t at = o.valuesBegin + static_cast<std::size_t>(h - o.segment.begin);
          value = s_.openValues[at];
          change = compoundChanges_ ? s_.openChanges[at] : Change{};
        }
        inner = &(*open)[j].segment;
      }
      if (value == 0) continue;
      const Verdict verdict = framed && change.text == nullptr ? topFrame.verdict(h) : judge(top, h, change, true);
      if (verdict != Verdict::Decide) {
        value = 0;
        change = Change{};
      }
    }
  }

  const DictionaryData& d_;
  std::u32string_view word_;
  DictionaryResult& out_;
  LevelScratch& s_;
  std::vector<Task>& tasks_;
  std::vector<OpenSegment>& open_;
  bool referenceJudge_;
  bool compoundChanges_;  // whether the compound level has patterns with changes
  bool utf8_ = true;
  bool ligatures_ = false;
  std::int64_t left_, right_, compoundLeft_, compoundRight_;
  std::int64_t wordBegin_ = 0;
  bool firstCharacterOneByte_ = true;
};

// Makes out.changes all null, at least n of them: those the last word left are cleared (a
// word without any left none); the vector only grows.
inline void clearChanges(DictionaryResult& out, std::size_t n) {
  if (out.anyChange) std::fill(out.changes.begin(), out.changes.end(), Change{});
  if (out.changes.size() < n) out.changes.resize(n);
  out.anyChange = false;
}

// The margins of a common word of n characters (one leaf, without digits): given breaks, the
// range they leave; else the values outside it zeroed.
void keepCommonMargins(std::uint8_t* values, std::size_t n, const DictionaryMargins& margins, bool firstOneByte,
                       BreakRange* breaks) {
  const auto size = static_cast<std::int64_t>(n);
  const std::int64_t left = margins.left > 0 ? margins.left : 2;
  const std::int64_t right = margins.right > 0 ? margins.right : 2;
  const KeptRange kept = wordMargins(0, size, size, left, right, firstOneByte);
  if (breaks != nullptr) *breaks = {kept.lo, kept.hi};
  else keepOnly(values, 0, size, kept);
}

}  // namespace

// The common word divided without Division's bookkeeping: one with no digit, no ligature and
// no NOHYPHEN item, in which the compound level finds no boundary and no change (it has none
// of the word's characters, or it reads the word and finds none), and whose plain reading
// meets no change. Such a word is one leaf that the plain level divides within the word's
// margins, as Division divides it. commonCharacters: the caller found every character below
// kLowCodes and common (d.lowKind), which need not be looked at again. breaks: as for
// divideDictionaryWord.
CommonRoute divideCommonWord(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                             DictionaryResult& out, LevelScratch& s, bool commonCharacters, BreakRange* breaks) {
  const std::size_t n = word.size();
  if (n == 0) return CommonRoute::General;
  const DictionaryLevel& compound = d.compound;
  // Whether the compound level reads the word: one of its characters, or a pattern of dots.
  bool readCompound = commonCharacters ? d.compoundReadsCommon : !compound.empty() && !compound.needsLetter;
  if (!commonCharacters) {
    unsigned kind = 0;
    std::size_t k = 0;
    // Four characters a turn while all four are below kLowCodes (one test for the four).
    constexpr char32_t kLow = DictionaryData::kLowCodes;
    const std::uint8_t* const lowKind = d.lowKind.data();
    for (; k + 4 <= n; k += 4) {
      const char32_t c0 = word[k], c1 = word[k + 1], c2 = word[k + 2], c3 = word[k + 3];
      if ((c0 | c1 | c2 | c3) >= kLow) break;
      kind |= lowKind[c0] | lowKind[c1] | lowKind[c2] | lowKind[c3];
    }
    for (const char32_t c : word.substr(k)) {
      if (c < kLow) {
        kind |= d.lowKind[c];
      } else if (c == 0xFB03 || c == 0xFB04 || d.noHyphenFirst.find(c) != std::u32string::npos) {
        return CommonRoute::General;
      } else if (!compound.empty() && compound.index->symbolOf(c) != 0) {
        kind |= DictionaryData::kLowCompound;
      }
    }
    if (kind & DictionaryData::kLowExceptional) return CommonRoute::General;
    if (kind & DictionaryData::kLowCompound) readCompound = true;
  }
  if (readCompound && d.plain.empty()) return CommonRoute::General;
  // A caller that reads the breaks knows the word's length: for it the values only grow
  // (see divideCommonUtf8Word).
  if (breaks == nullptr || out.values.size() < n) out.values.resize(n);
  clearChanges(out, n);
  std::uint8_t* const values = out.values.data();
  if (readCompound && compound.readsAlone()) {
    // The compound level reads alone (DictionaryLevel::readsAlone), the plain level only a
    // word it leaves whole.
    prepareCompoundReading(s, n, compound.anyChange);
    s.changesRead = false;
    readLevel(compound, word, 0, s.values.data(), s.changes.data(), s);
    if (s.changesRead || anyOdd(s.values.data(), n - 1) || !quickMatch(d.plain, word, values, s))
      return CommonRoute::Compound;
  } else if (readCompound) {
    // Division's first step, with the plain level's values straight into out.
    prepareCompoundReading(s, n, compound.anyChange);
    s.changesRead = false;
    const bool plainWhole = readBoth(d, word, 0, s.values.data(), s.changes.data(), values, s);
    if (s.changesRead || anyOdd(s.values.data(), n - 1) || !plainWhole) return CommonRoute::Compound;
  } else if (d.plain.empty()) {
    std::fill_n(values, n, std::uint8_t{0});
  } else if (!quickMatch(d.plain, word, values, s)) {
    return CommonRoute::General;
  }
  keepCommonMargins(values, n, margins, d.encoding != nullptr || word[0] < 0x80, breaks);
  return CommonRoute::Divided;
}

std::size_t divideCommonUtf8Word(const DictionaryData& d, std::string_view word, const DictionaryMargins& margins,
                                 DictionaryResult& out, LevelScratch& s, BreakRange* breaks) {
  // Without a compound level that reads common characters, a word of them is one leaf.
  if (d.encoding != nullptr || d.compoundReadsCommon || d.plain.empty() || word.empty()) return 0;
  // Grown only (a longer word now and then): resizing to each word's length would zero what
  // it adds, a call to memset a word.
  if (out.values.size() < word.size()) out.values.resize(word.size());
  unsigned kinds = 0;
  const std::size_t n = quickMatchUtf8(d.plain, word, d.lowKind.data(), kinds, out.values.data(), s);
  if (n == 0 || (kinds & DictionaryData::kLowExceptional) != 0) return 0;
  clearChanges(out, n);
  keepCommonMargins(out.values.data(), n, margins, static_cast<unsigned char>(word[0]) < 0x80, breaks);
  return n;
}

// Division's route, for every word.
// compoundRead: the common word's route left its compound reading of the whole word (a word
// without digits, ligatures and NOHYPHEN items).
void divideGeneral(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                   DictionaryResult& out, DictionaryScratch& scratch, bool referenceJudge, bool compoundRead) {
  const std::size_t n = word.size();
  out.values.assign(n, 0);
  clearChanges(out, n);
  // libhyphen leaves digits at either end of a word out of it.
  std::size_t begin = 0, end = n;
  if (!compoundRead) {
    while (begin < end && isDictionaryDigit(word[begin])) ++begin;
    while (end > begin && isDictionaryDigit(word[end - 1])) --end;
    if (begin == end) return;
    scratch.level.changesRead = false;
  }
  if (!compoundRead && !referenceJudge && !d.explicitLevels && !d.plain.empty() && begin == 0 && end == n) {
    if (Division(d, word, margins, out, scratch, false, false).divideSeparated()) {
      out.anyChange = false;
      return;
    }
    std::fill(out.values.begin(), out.values.end(), std::uint8_t{0});
  }
  const bool exceptional = !compoundRead && anyExceptional(d, word);
  Division(d, word, margins, out, scratch, referenceJudge, exceptional)
      .run(static_cast<std::int64_t>(begin), static_cast<std::int64_t>(end), compoundRead);
  out.anyChange = scratch.level.changesRead;
  if (!exceptional) return;
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

DictionaryScratch& dictionaryScratch() {
  DictionaryScratch* const scratch = threadScratch;
  return scratch != nullptr ? *scratch : makeThreadScratch();
}

void divideDictionaryWord(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                          DictionaryResult& out, DictionaryScratch& scratch, bool commonCharacters,
                          BreakRange* breaks) {
  const CommonRoute route = divideCommonWord(d, word, margins, out, scratch.level, commonCharacters, breaks);
  if (route == CommonRoute::Divided) return;
  divideGeneral(d, word, margins, out, scratch, false, route == CommonRoute::Compound);
  if (breaks != nullptr) *breaks = {0, static_cast<std::int64_t>(word.size()) - 1};
}

void divideDictionaryWord(const DictionaryData& d, std::u32string_view word,
                          const DictionaryMargins& margins, DictionaryResult& out) {
  divideDictionaryWord(d, word, margins, out, dictionaryScratch());
}

void firstLevelValues(const DictionaryData& d, std::u32string_view word, DictionaryResult& out) {
  out.values.assign(word.size(), 0);
  out.changes.assign(word.size(), Change{});
  out.anyChange = true;
  matchLevel(d.compound, word, 0, out.values.data(), out.changes.data());
}

}  // namespace quellix::detail
