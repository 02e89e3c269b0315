#include "unicode_letters.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "packed_columns.hpp"

namespace quellix::detail {
namespace {

// Runs of code points of one class, ascending: (first << 3) | class. Only read while
// compiling: the lookup uses kPacked below, as a packed stream.
constexpr std::uint32_t kRuns[] = {
#include "unicode_letters.inc"
};
constexpr std::size_t kRunCount = std::size(kRuns);

constexpr std::uint32_t runFirst(std::size_t i) { return kRuns[i] >> 3; }
constexpr std::uint32_t runClass(std::size_t i) { return kRuns[i] & 7u; }
constexpr std::uint32_t runLength(std::size_t i) {
  return (i + 1 < kRunCount ? runFirst(i + 1) : 0x110000u) - runFirst(i);
}

// How many runs from i on are single upper- and lower-case letters in turn (as in Latin
// Extended-A, Ā ā Ă ă ...): neighbouring runs always differ in class, so one cased letter
// after another alternates.
constexpr std::size_t alternation(std::size_t i) {
  std::size_t j = i;
  while (j < kRunCount && runLength(j) == 1 &&
         (runClass(j) == static_cast<std::uint32_t>(LetterClass::Upper) ||
          runClass(j) == static_cast<std::uint32_t>(LetterClass::Lower)))
    ++j;
  return j - i;
}

// The runs again, each alternation of three or more letters as one entry:
// (first << 4) | alternating << 3 | class of first. Writes to out when given; returns the count.
constexpr std::size_t packRuns(std::uint32_t* out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < kRunCount;) {
    const std::size_t letters = alternation(i);
    const bool alternating = letters >= 3;
    if (out != nullptr) out[n] = runFirst(i) << 4 | (alternating ? 8u : 0u) | runClass(i);
    ++n;
    i += alternating ? letters : 1;
  }
  return n;
}

constexpr auto kPacked = [] {
  std::array<std::uint32_t, packRuns(nullptr)> packed{};
  packRuns(packed.data());
  return packed;
}();

// The class of c in entry, the last entry of kPacked that starts at or before c.
constexpr std::uint32_t classIn(std::uint32_t entry, char32_t c) {
  const std::uint32_t cls = entry & 7u;
  // Upper (2) and Lower (3) swap at every other code point of an alternation.
  return (entry & 8u) != 0 && ((c - (entry >> 4)) & 1u) != 0 ? cls ^ 1u : cls;
}

// Checked while compiling, walking both tables: the packed table gives every run's class
// at both its ends (and so at every code point: it folds only runs of one code point).
constexpr bool packedAsGenerated() {
  std::size_t p = 0;
  const auto classAt = [&p](char32_t c) {
    while (p + 1 < kPacked.size() && (kPacked[p + 1] >> 4) <= c) ++p;
    return classIn(kPacked[p], c);
  };
  for (std::size_t i = 0; i < kRunCount; ++i)
    if (classAt(runFirst(i)) != runClass(i) || classAt(runFirst(i) + runLength(i) - 1) != runClass(i))
      return false;
  return true;
}
static_assert(packedAsGenerated());

// What the binary carries of kPacked: a packed column stream of (first code point,
// alternating << 3 | class) (packed_columns.hpp), unpacked when first used.
constexpr PackedRow<2> packedRow(std::size_t i) { return {kPacked[i] >> 4, kPacked[i] & 15u}; }
constexpr auto kPackedStream =
    packedColumns<kPacked.size(), 2, packColumns<2>(kPacked.size(), packedRow, nullptr)>(packedRow);
static_assert(unpacksTo<kPacked.size(), 2>(kPackedStream, packedRow));

const std::array<PackedRow<2>, kPacked.size()>& packedRows() noexcept {
  static const UnpackedRows<kPacked.size(), 2> table(kPackedStream);
  return table.rows;
}

}  // namespace

LetterClass letterClass(char32_t c) noexcept {
  if (c > 0x10FFFF) return LetterClass::None;
  // The last entry starting at or before c ([0] starts at 0).
  const auto& rows = packedRows();
  const PackedRow<2>& row = *(std::upper_bound(rows.begin(), rows.end(), c,
                                               [](char32_t key, const PackedRow<2>& r) { return key < r[0]; }) -
                              1);
  return static_cast<LetterClass>(classIn(row[0] << 4 | row[1], c));
}

bool isLetterOrMark(char32_t c) noexcept {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return c == 0x200C || c == 0x200D || letterClass(c) != LetterClass::None;
}

bool isWhiteSpace(char32_t c) noexcept {
  switch (c) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20: case 0x85: case 0xA0:
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

}  // namespace quellix::detail
