// The table of Unicode's simple lower-case mappings, and the lookup in it.
#include "unicode_lower.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "packed_columns.hpp"

namespace quellix::detail {
namespace {

constexpr std::pair<char32_t, char32_t> kLowerCase[] = {
#include "unicode_lower.inc"
};
constexpr std::size_t kPairCount = std::size(kLowerCase);

// The pairs as runs for the lookup (182 runs for 1433 pairs): code points first,
// first + stride, ... (count of them) map to themselves + delta, as A-Z (stride 1) or the
// alternating cases of Latin Extended-A (stride 2) do. shape = first << 8 | count << 1 |
// (stride - 1).
struct LowerRun {
  std::uint32_t shape;
  std::int32_t delta;
};
constexpr std::size_t kMaxRunCount = 127;

constexpr std::int32_t deltaOf(std::size_t i) {
  return static_cast<std::int32_t>(kLowerCase[i].second) - static_cast<std::int32_t>(kLowerCase[i].first);
}

// How many pairs from i on form one run of the given stride.
constexpr std::size_t runOf(std::size_t i, char32_t stride) {
  std::size_t n = 1;
  while (i + n < kPairCount && n < kMaxRunCount &&
         kLowerCase[i + n].first == kLowerCase[i].first + n * stride && deltaOf(i + n) == deltaOf(i))
    ++n;
  return n;
}

// Writes the runs to out when given; returns their count.
constexpr std::size_t packRuns(LowerRun* out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < kPairCount;) {
    const std::size_t one = runOf(i, 1), two = runOf(i, 2);
    const std::size_t count = std::max(one, two);
    const std::uint32_t stride = two > one ? 2 : 1;
    if (out != nullptr)
      out[n] = {static_cast<std::uint32_t>(kLowerCase[i].first) << 8 |
                    static_cast<std::uint32_t>(count) << 1 | (stride - 1),
                deltaOf(i)};
    ++n;
    i += count;
  }
  return n;
}

constexpr auto kRuns = [] {
  std::array<LowerRun, packRuns(nullptr)> runs{};
  packRuns(runs.data());
  return runs;
}();

// The mapping of c by run, the last run that starts at or before c; c itself when it has none.
constexpr char32_t mapIn(const LowerRun& run, char32_t c) {
  const char32_t offset = c - (run.shape >> 8);
  const char32_t stride = (run.shape & 1u) + 1;
  if (offset % stride != 0 || offset / stride >= ((run.shape >> 1) & 0x7Fu)) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + run.delta);
}

// Checked while compiling, walking both tables: the runs map every pair's code point as the
// pair does, and cover no more code points than there are pairs.
constexpr bool runsAsGenerated() {
  std::size_t covered = 0;
  for (const LowerRun& run : kRuns) covered += (run.shape >> 1) & 0x7Fu;
  if (covered != kPairCount) return false;
  std::size_t r = 0;
  for (const auto& [code, lower] : kLowerCase) {
    while (r + 1 < kRuns.size() && (kRuns[r + 1].shape >> 8) <= code) ++r;
    if (mapIn(kRuns[r], code) != lower) return false;
  }
  return true;
}
static_assert(runsAsGenerated());

// What the binary carries of kRuns: a packed column stream of (first code point,
// count << 1 | (stride - 1), delta) (packed_columns.hpp), unpacked when first used.
constexpr PackedRow<3> runRow(std::size_t i) {
  return {kRuns[i].shape >> 8, kRuns[i].shape & 0xFFu, static_cast<std::uint32_t>(kRuns[i].delta)};
}
constexpr auto kRunStream = packedColumns<kRuns.size(), 3, packColumns<3>(kRuns.size(), runRow, nullptr)>(runRow);
static_assert(unpacksTo<kRuns.size(), 3>(kRunStream, runRow));

const std::array<PackedRow<3>, kRuns.size()>& runRows() noexcept {
  static const UnpackedRows<kRuns.size(), 3> table(kRunStream);
  return table.rows;
}

}  // namespace

std::span<const std::pair<char32_t, char32_t>> lowerCasePairs() noexcept { return kLowerCase; }

char32_t simpleLowercase(char32_t c) noexcept {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  if (c > 0x10FFFF) return c;
  // The last run starting at or before c.
  const auto& rows = runRows();
  const auto next = std::upper_bound(rows.begin(), rows.end(), c,
                                     [](char32_t key, const PackedRow<3>& run) { return key < run[0]; });
  if (next == rows.begin()) return c;
  const PackedRow<3>& run = *(next - 1);
  return mapIn({run[0] << 8 | run[1], static_cast<std::int32_t>(run[2])}, c);
}

}  // namespace quellix::detail
