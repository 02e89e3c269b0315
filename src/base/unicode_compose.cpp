#include "unicode_compose.hpp"

#include <algorithm>
#include <array>
#include <iterator>

#include "packed_columns.hpp"
#include "sort_keys.hpp"

namespace quellix::detail {
namespace {

// Marks the second part of a decomposition whose two parts compose back into its code.
constexpr char32_t kPrimaryComposite = 0x80000000;

// One decomposition in 8 bytes: code, first and second part (0: a decomposition into one
// character) in 21 bits each, and the primary-composite mark above them.
class Decomposition {
 public:
  // second may carry kPrimaryComposite.
  constexpr Decomposition(char32_t code, char32_t first, char32_t second)
      : bits_(std::uint64_t{code} | std::uint64_t{first} << 21 |
              std::uint64_t{second & ~kPrimaryComposite} << 42 |
              std::uint64_t{(second & kPrimaryComposite) != 0} << 63) {}
  constexpr char32_t code() const noexcept { return static_cast<char32_t>(bits_ & kPart); }
  constexpr char32_t first() const noexcept { return static_cast<char32_t>(bits_ >> 21 & kPart); }
  constexpr char32_t second() const noexcept { return static_cast<char32_t>(bits_ >> 42 & kPart); }
  constexpr bool primaryComposite() const noexcept { return (bits_ >> 63) != 0; }

 private:
  static constexpr std::uint64_t kPart = 0x1FFFFF;
  std::uint64_t bits_;
};

struct Composition {
  char32_t first;
  char32_t second;
  char32_t composite;
};

#include "unicode_compose.inc"

// kCombiningClasses (every non-starter, (code << 8) | class) as runs for the lookups:
// (first << 8) | class, each lasting until the next starts; runs of class 0 fill the gaps
// and follow the last mark. Derived while compiling: only the runs are in the binary.
constexpr std::size_t kMarkCount = std::size(kCombiningClasses);
constexpr char32_t markCode(std::size_t i) { return kCombiningClasses[i] >> 8; }
constexpr std::uint32_t markClass(std::size_t i) { return kCombiningClasses[i] & 0xFFu; }

// Writes the runs to out when given; returns their count.
constexpr std::size_t packClassRuns(std::uint32_t* out) {
  std::size_t n = 0;
  const auto add = [&](char32_t first, std::uint32_t cls) {
    if (out != nullptr) out[n] = static_cast<std::uint32_t>(first) << 8 | cls;
    ++n;
  };
  for (std::size_t i = 0; i < kMarkCount; ++i) {
    const bool continues = i > 0 && markCode(i - 1) + 1 == markCode(i);
    if (!continues || markClass(i - 1) != markClass(i)) add(markCode(i), markClass(i));
    if (i + 1 == kMarkCount || markCode(i) + 1 != markCode(i + 1)) add(markCode(i) + 1, 0);
  }
  return n;
}

constexpr auto kClassRuns = [] {
  std::array<std::uint32_t, packClassRuns(nullptr)> runs{};
  packClassRuns(runs.data());
  return runs;
}();

// Checked while compiling, walking both tables: the runs give every mark its class and
// cover no more code points with a class than there are marks.
constexpr bool classRunsAsGenerated() {
  std::size_t covered = 0;
  for (std::size_t r = 0; r + 1 < kClassRuns.size(); ++r)
    if ((kClassRuns[r] & 0xFFu) != 0) covered += (kClassRuns[r + 1] >> 8) - (kClassRuns[r] >> 8);
  if (covered != kMarkCount || (kClassRuns.back() & 0xFFu) != 0) return false;
  std::size_t r = 0;
  for (std::size_t i = 0; i < kMarkCount; ++i) {
    while (r + 1 < kClassRuns.size() && (kClassRuns[r + 1] >> 8) <= markCode(i)) ++r;
    if ((kClassRuns[r] >> 8) > markCode(i) || (kClassRuns[r] & 0xFFu) != markClass(i)) return false;
  }
  return true;
}
static_assert(classRunsAsGenerated());

// What the binary carries of kClassRuns (first code point, class), and of kDecompositions
// (code, first part, second part << 1 | primary composite): packed column streams
// (packed_columns.hpp), unpacked when first used.
constexpr PackedRow<2> classRunRow(std::size_t i) { return {kClassRuns[i] >> 8, kClassRuns[i] & 0xFFu}; }
constexpr std::size_t kClassRunCount = kClassRuns.size();
constexpr auto kClassRunStream =
    packedColumns<kClassRunCount, 2, packColumns<2>(kClassRunCount, classRunRow, nullptr)>(classRunRow);
static_assert(unpacksTo<kClassRunCount, 2>(kClassRunStream, classRunRow));

constexpr PackedRow<3> decompositionRow(std::size_t i) {
  const Decomposition& d = kDecompositions[i];
  return {d.code(), d.first(), d.second() << 1 | (d.primaryComposite() ? 1u : 0u)};
}
constexpr std::size_t kDecompositionCount = std::size(kDecompositions);
constexpr auto kDecompositionStream =
    packedColumns<kDecompositionCount, 3, packColumns<3>(kDecompositionCount, decompositionRow, nullptr)>(
        decompositionRow);
static_assert(unpacksTo<kDecompositionCount, 3>(kDecompositionStream, decompositionRow));

const std::array<PackedRow<2>, kClassRunCount>& classRuns() noexcept {
  static const UnpackedRows<kClassRunCount, 2> table(kClassRunStream);
  return table.rows;
}

// A decomposition as unpacked: code, first part, second part << 1 | primary composite.
using DecompositionRow = PackedRow<3>;
constexpr char32_t codeOf(const DecompositionRow& d) { return d[0]; }
constexpr char32_t firstOf(const DecompositionRow& d) { return d[1]; }
constexpr char32_t secondOf(const DecompositionRow& d) { return d[2] >> 1; }
constexpr bool isPrimaryComposite(const DecompositionRow& d) { return (d[2] & 1u) != 0; }

const std::array<DecompositionRow, kDecompositionCount>& decompositions() noexcept {
  static const UnpackedRows<kDecompositionCount, 3> table(kDecompositionStream);
  return table.rows;
}

// The non-starters in ascending order, from the class runs.
class NonStarters {
 public:
  static constexpr char32_t kEnd = 0xFFFFFFFF;
  NonStarters() noexcept { skipStarters(); }
  char32_t current() const noexcept { return code_; }
  void advance() noexcept {
    if (code_ == kEnd) return;
    ++code_;
    if (code_ == runs_[run_ + 1][0]) {
      ++run_;
      skipStarters();
    }
  }

 private:
  void skipStarters() noexcept {
    while (run_ + 1 < runs_.size() && runs_[run_][1] == 0) ++run_;
    code_ = run_ + 1 < runs_.size() ? runs_[run_][0] : kEnd;
  }
  const std::array<PackedRow<2>, kClassRunCount>& runs_ = classRuns();
  std::size_t run_ = 0;
  char32_t code_ = kEnd;
};

// Built from kDecompositions when first needed rather than generated: the binary (above all
// the WebAssembly core, which a web page loads) carries the decompositions alone.
struct DerivedTables {
  std::array<Composition, kCompositionCount> compositions{};  // by (first, second)
  // Characters around which composition may change the text: non-starters, second parts
  // of a composition, and characters that never survive composition. Ascending.
  std::array<char32_t, kUnstableCount> unstable{};
};

DerivedTables deriveTables() noexcept {
  DerivedTables t;
  // Sorted by (first, second) as first << 42 | second << 21 | composite (21 bits each).
  std::array<std::uint64_t, kCompositionCount> keys{};
  std::array<std::uint64_t, kCompositionCount> seconds{};
  std::size_t n = 0;
  const auto& all = decompositions();
  for (const DecompositionRow& d : all) {
    if (!isPrimaryComposite(d) || n == kCompositionCount) continue;
    seconds[n] = secondOf(d);
    keys[n++] = std::uint64_t{firstOf(d)} << 42 | std::uint64_t{secondOf(d)} << 21 | codeOf(d);
  }
  sortKeys(std::span(keys.data(), n));
  for (std::size_t i = 0; i < n; ++i) {
    const auto part = [&](int shift) { return static_cast<char32_t>(keys[i] >> shift & 0x1FFFFF); };
    t.compositions[i] = {part(42), part(21), part(0)};
  }
  sortKeys(std::span(seconds.data(), n));

  // The union of three ascending lists: non-starters, decomposed characters that are not
  // primary composites, second parts.
  NonStarters marks;
  std::size_t decomposed = 0, second = 0, size = 0;
  constexpr char32_t kEnd = NonStarters::kEnd;
  const auto nextDecomposed = [&] {
    while (decomposed < all.size() && isPrimaryComposite(all[decomposed])) ++decomposed;
    return decomposed < all.size() ? codeOf(all[decomposed]) : kEnd;
  };
  for (;;) {
    const char32_t a = marks.current();
    const char32_t b = nextDecomposed();
    const char32_t c = second < seconds.size() ? static_cast<char32_t>(seconds[second]) : kEnd;
    const char32_t least = std::min({a, b, c});
    if (least == kEnd) break;
    if (size < t.unstable.size()) t.unstable[size++] = least;
    if (a == least) marks.advance();
    if (b == least) ++decomposed;
    while (second < seconds.size() && seconds[second] == least) ++second;
  }
  return t;
}

const DerivedTables& derivedTables() noexcept {
  static const DerivedTables tables = deriveTables();
  return tables;
}

// Hangul syllables, composed and decomposed by arithmetic.
constexpr char32_t kSBase = 0xAC00, kLBase = 0x1100, kVBase = 0x1161, kTBase = 0x11A7;
constexpr char32_t kLCount = 19, kVCount = 21, kTCount = 28;
constexpr char32_t kNCount = kVCount * kTCount, kSCount = kLCount * kNCount;

// Appends the full canonical decomposition of c to out, each piece from source index at.
// Iterative: a work stack in source order (a canonical decomposition has two parts at
// most and nests a few levels deep, far below the stack's size).
void decompose(char32_t c, std::size_t at, std::vector<ComposedChar>& out) {
  std::array<char32_t, 32> pending{};
  std::size_t size = 0;
  pending[size++] = c;
  while (size > 0) {
    const char32_t next = pending[--size];
    if (next >= kSBase && next < kSBase + kSCount) {
      const char32_t index = next - kSBase;
      out.push_back({kLBase + index / kNCount, at, at});
      out.push_back({kVBase + index % kNCount / kTCount, at, at});
      if (index % kTCount != 0) out.push_back({kTBase + index % kTCount, at, at});
      continue;
    }
    const auto& all = decompositions();
    const auto found = std::lower_bound(
        all.begin(), all.end(), next,
        [](const DecompositionRow& entry, char32_t key) { return codeOf(entry) < key; });
    if (found == all.end() || codeOf(*found) != next || size + 2 > pending.size()) {
      out.push_back({next, at, at});
      continue;
    }
    if (secondOf(*found) != 0) pending[size++] = secondOf(*found);
    pending[size++] = firstOf(*found);
  }
}

// The primary composite of first and second, or 0.
char32_t compose(char32_t first, char32_t second) noexcept {
  if (first >= kLBase && first < kLBase + kLCount && second >= kVBase && second < kVBase + kVCount)
    return kSBase + ((first - kLBase) * kVCount + (second - kVBase)) * kTCount;
  if (first >= kSBase && first < kSBase + kSCount && (first - kSBase) % kTCount == 0 &&
      second > kTBase && second < kTBase + kTCount)
    return first + (second - kTBase);
  const auto& compositions = derivedTables().compositions;
  const auto found = std::lower_bound(
      compositions.begin(), compositions.end(), std::pair{first, second},
      [](const Composition& entry, const std::pair<char32_t, char32_t>& key) {
        return entry.first != key.first ? entry.first < key.first : entry.second < key.second;
      });
  if (found == compositions.end() || found->first != first || found->second != second)
    return 0;
  return found->composite;
}

}  // namespace

std::uint8_t combiningClass(char32_t c) noexcept {
  if (c < 0x300 || c > 0x10FFFF) return 0;
  const auto& runs = classRuns();
  const auto next = std::upper_bound(runs.begin(), runs.end(), c,
                                     [](char32_t key, const PackedRow<2>& run) { return key < run[0]; });
  if (next == runs.begin()) return 0;
  return static_cast<std::uint8_t>((*(next - 1))[1]);
}

bool mayChangeInComposition(char32_t c) noexcept {
  if (c < 0x300) return false;
  if ((c >= kVBase && c < kVBase + kVCount) || (c > kTBase && c < kTBase + kTCount)) return true;
  const auto& unstable = derivedTables().unstable;
  return std::binary_search(unstable.begin(), unstable.end(), c);
}

void composeTracked(std::span<const char32_t> source, std::vector<ComposedChar>& out) {
  out.clear();
  for (std::size_t i = 0; i < source.size(); ++i) decompose(source[i], i, out);

  // Canonical order: each run of non-starters sorted by class, stably.
  std::vector<std::uint64_t> order;
  std::vector<ComposedChar> run;
  for (std::size_t i = 0; i < out.size();) {
    if (combiningClass(out[i].code) == 0) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < out.size() && combiningClass(out[end].code) != 0) ++end;
    if (end - i > 1) {
      // (A word's characters, and so a run's positions, fit 32 bits.)
      order.clear();
      for (std::size_t k = i; k < end; ++k)
        order.push_back(keyAt(combiningClass(out[k].code), static_cast<std::uint32_t>(k - i)));
      sortKeys(order);
      run.assign(out.begin() + static_cast<std::ptrdiff_t>(i), out.begin() + static_cast<std::ptrdiff_t>(end));
      for (std::size_t k = i; k < end; ++k) out[k] = run[positionOf(order[k - i])];
    }
    i = end;
  }

  // Composition: each character joins the last starter unless something between them
  // blocks it (a starter, or a mark of the same or a higher class).
  if (out.empty()) return;
  std::size_t starter = 0;
  int lastClass = combiningClass(out[0].code) == 0 ? 0 : 256;  // a leading mark never composes
  std::size_t kept = 1;
  for (std::size_t i = 1; i < out.size(); ++i) {
    const ComposedChar c = out[i];
    const int cls = combiningClass(c.code);
    const char32_t composite = lastClass == 256 ? 0 : compose(out[starter].code, c.code);
    if (composite != 0 && (lastClass < cls || lastClass == 0)) {
      out[starter].code = composite;
      out[starter].first = std::min(out[starter].first, c.first);
      out[starter].last = std::max(out[starter].last, c.last);
      continue;
    }
    if (cls == 0) starter = kept;
    lastClass = cls;
    out[kept++] = c;
  }
  out.resize(kept);
}

}  // namespace quellix::detail
