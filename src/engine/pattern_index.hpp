// The compact lookup form of a pattern trie. Internal.
//
// A trie is frozen into contiguous arrays the first time a word is looked up in it:
// characters become dense symbols through a two-level page table, the nodes are laid out
// as a double array of 8-byte slots (one probe per character, whatever the number of
// children), and the score list of each node where a pattern ends is kept as 16 bytes
// that one vector maximum applies, or, for the rare longer list, as the positions and
// values of its non-zero scores.
#ifndef QUELLIX_SRC_PATTERN_INDEX_HPP
#define QUELLIX_SRC_PATTERN_INDEX_HPP

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

// QUELLIX_NO_SIMD (the CMake option QUELLIX_SIMD=OFF) builds the plain loops below instead
// of the SSE2 ones, so that CI compiles and tests them on a machine that has SSE2.
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
#define QUELLIX_SSE2 1
#include <emmintrin.h>
#endif

#include "pattern_node.hpp"

namespace quellix::detail {

// Bit k set where values[k] is odd, for k < 16.
inline unsigned oddSixteen(const std::uint8_t* values) noexcept {
#if defined(QUELLIX_SSE2)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_slli_epi16(v, 7)));
#else
  unsigned bits = 0;
  for (unsigned k = 0; k < 16; ++k) bits |= unsigned(values[k] & 1u) << k;
  return bits;
#endif
}

// The values of sixteen consecutive boundaries b .. b + 15 held in a register while scores
// are merged into them: each step finishes boundary b and moves on by one. Merging into
// memory instead would make every step load sixteen bytes the previous step has just
// stored one byte off, which the processor cannot forward: a stall per character.
class SlidingWindow {
 public:
  void raise(const std::uint8_t* scores) noexcept {
#if defined(QUELLIX_SSE2)
    values_ = _mm_max_epu8(values_, _mm_loadu_si128(reinterpret_cast<const __m128i*>(scores)));
#else
    for (std::size_t k = 0; k < 16; ++k) values_[k] = std::max(values_[k], scores[k]);
#endif
  }
  // The finished value of boundary b; the window then holds b + 1 .. b + 16.
  std::uint8_t advance() noexcept {
#if defined(QUELLIX_SSE2)
    const auto first = static_cast<std::uint8_t>(_mm_cvtsi128_si32(values_));
    values_ = _mm_srli_si128(values_, 1);
    return first;
#else
    const std::uint8_t first = values_[0];
    std::copy(values_.begin() + 1, values_.end(), values_.begin());
    values_[15] = 0;
    return first;
#endif
  }
  // Writes the window's values to out[0 .. 16).
  void store(std::uint8_t* out) const noexcept {
#if defined(QUELLIX_SSE2)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), values_);
#else
    std::copy(values_.begin(), values_.end(), out);
#endif
  }
  // Raises out[0 .. 16) to the window's values.
  void raiseInto(std::uint8_t* out) const noexcept {
#if defined(QUELLIX_SSE2)
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_max_epu8(old, values_));
#else
    for (std::size_t k = 0; k < 16; ++k) out[k] = std::max(out[k], values_[k]);
#endif
  }

 private:
#if defined(QUELLIX_SSE2)
  __m128i values_ = _mm_setzero_si128();
#else
  std::array<std::uint8_t, 16> values_{};
#endif
};

struct PatternAutomaton;
struct PatternIndexData;

// A lookup index: views of arrays that either the index owns (built from a trie at run
// time) or that lie in the library image (made when the library was built). Immutable.
struct PatternIndex {
  using Symbol = std::uint32_t;  // 0: a character no pattern contains

  PatternIndex() = default;
  PatternIndex(const PatternIndex&) = delete;
  PatternIndex& operator=(const PatternIndex&) = delete;
  ~PatternIndex();

  // The child of the node in slot s for symbol c sits in slot (slots[s].base & kBaseMask)
  // + c, and is there only if that slot's check is s. kEndsPattern in base marks a node
  // that holds a score list. Slot 0 is the root.
  struct Slot {
    std::uint32_t check;  // the parent's slot; kFree for a free slot
    std::uint32_t base;
  };
  static constexpr std::uint32_t kEndsPattern = 0x80000000u;
  static constexpr std::uint32_t kBaseMask = 0x7fffffffu;
  static constexpr std::uint32_t kFree = 0xffffffffu;

  // listOf[slot] of a node with kEndsPattern: below kLongList, the index of its 16 scores
  // in shortLists (nodes with equal lists share one entry); otherwise kLongList | the
  // index of its entry in longLists.
  static constexpr std::uint32_t kLongList = 0x80000000u;
  static constexpr std::size_t kShortWidth = 16;
  struct LongList {
    std::uint32_t length;
    std::uint32_t hitBegin;  // its non-zero scores: hitOffsets/hitValues[hitBegin ..
    std::uint32_t hitEnd;    // .. hitEnd)
  };
  struct CodeSymbol {
    char32_t code;
    Symbol symbol;
  };

  // Symbols of code points: pageOf[code >> 8] names a 256-entry page of symbolPages.
  // Codes past U+10FFFF are looked up in the sorted outOfRange instead.
  std::span<const std::uint16_t> pageOf;  // 0: no page
  std::span<const Symbol> symbolPages;    // page p at (p - 1) * 256
  std::span<const CodeSymbol> outOfRange;
  // Symbols of the codes below direct.size() (up to the largest code the patterns use,
  // when that is small, as for alphabetic scripts): one load instead of two.
  std::span<const Symbol> direct;
  std::span<const char32_t> codes;  // codes[s - 1] is the character of symbol s, ascending
  Symbol dot = 0;                   // symbol of '.', the word edge

  std::span<const Slot> slots;  // padded so that base + any symbol stays inside
  std::span<const std::uint32_t> listOf;
  std::span<const std::array<std::uint8_t, kShortWidth>> shortLists;  // zeros past each end
  std::span<const std::uint8_t> shortLength;                          // per entry of shortLists
  std::span<const LongList> longLists;
  std::span<const std::uint32_t> hitOffsets;
  std::span<const std::uint8_t> hitValues;
  std::uint32_t longestScoreList = 0;  // over all nodes
  std::uint32_t longestPattern = 0;    // letters of the longest pattern (node with scores)

  // An index over arrays it owns. Never throws.
  explicit PatternIndex(std::unique_ptr<const PatternIndexData> owned) noexcept;
  // The index of an image that serialise() made, on this machine or any other; the image
  // must start on a 16-byte boundary and outlive the index, whose arrays are views of it on
  // a little-endian machine (a big-endian one reads a converted copy). Null when image is
  // not one this build can read (another layout, or counts that do not fit its size).
  // Never throws (beyond bad_alloc).
  static std::unique_ptr<const PatternIndex> fromImage(std::span<const unsigned char> image);
  // The image of this index, for fromImage: a header, then each array from a 16-byte
  // boundary, every integer little-endian. Its size is a multiple of 16.
  std::vector<unsigned char> serialise() const;

  Symbol symbolOf(char32_t code) const noexcept {
    if (code < direct.size()) return direct[code];
    return symbolOfPaged(code);
  }
  Symbol symbolOfPaged(char32_t code) const noexcept {
    const std::size_t page = code >> 8;
    if (page < pageOf.size()) {
      return pageOf[page] ? symbolPages[(std::size_t(pageOf[page]) - 1) * 256 + (code & 0xff)] : 0;
    }
    return outOfRange.empty() ? 0 : symbolPastUnicode(code);
  }
  Symbol symbolPastUnicode(char32_t code) const noexcept;

  // The same arrays, element for element (whatever owns them).
  friend bool operator==(const PatternIndex& a, const PatternIndex& b) noexcept;

  // The size match needs for its values buffer when the framed word has m symbols.
  std::size_t valuesSize(std::size_t m) const noexcept { return m + 1 + kShortWidth; }
  // The size match<true, true> needs: room for the longest score list past the word too.
  std::size_t wholeValuesSize(std::size_t m) const noexcept {
    return m + 1 + std::max<std::size_t>(kShortWidth, longestScoreList);
  }

  // The boundary values of the framed word given as symbols (framed[0] and
  // framed[m - 1] are the dots): values[b] = the largest value any pattern gives
  // boundary b, for b <= m. values must hold valuesSize(m) zeros. With kLength, returns
  // the length of the combined list (at least m); without, returns m: a caller that never
  // looks at values past m need not pay for the length. Values past m are left alone
  // (their cost would grow with the longest score list, not with the word) unless
  // kWholeLists, which needs values of wholeValuesSize(m) zeros and fills them all.
  template <bool kLength, bool kWholeLists = false>
  std::size_t match(const Symbol* framed, std::size_t m, std::uint8_t* values) const noexcept {
    // Local copies of the array pointers: the byte stores into values may alias anything,
    // which would otherwise make the compiler reload every vector's data each step.
    const Slot* const slot0 = slots.data();
    const std::uint32_t* const lists = listOf.data();
    const std::array<std::uint8_t, kShortWidth>* const shorts = shortLists.data();
    std::size_t length = m;
    // Short lists merge into the window of the current start; long ones into values.
    SlidingWindow window;
    auto apply = [&](std::uint32_t slot, std::size_t at) {
      const std::uint32_t list = lists[slot];
      if (list < kLongList) [[likely]] {
        window.raise(shorts[list].data());
        if constexpr (kLength) length = std::max<std::size_t>(length, at + shortLength[list]);
        return;
      }
      const LongList& entry = longLists[list & ~kLongList];
      for (std::uint32_t h = entry.hitBegin; h < entry.hitEnd; ++h) {
        if (!kWholeLists && hitOffsets[h] > m - at) break;  // offsets ascend
        std::uint8_t& v = values[at + hitOffsets[h]];
        v = std::max(v, hitValues[h]);
      }
      if constexpr (kLength) length = std::max<std::size_t>(length, at + entry.length);
    };
    const bool rootScores = (slot0[0].base & kEndsPattern) != 0;
    for (std::size_t start = 0; start < m; ++start) {
      if (rootScores) apply(0, start);
      std::uint32_t slot = 0;
      std::uint32_t base = slot0[0].base;
      for (std::size_t k = start; k < m; ++k) {
        const std::uint32_t next = (base & kBaseMask) + framed[k];
        if (slot0[next].check != slot) break;
        slot = next;
        base = slot0[slot].base;
        if (base & kEndsPattern) apply(slot, start);
      }
      // No later start reaches boundary start.
      values[start] = std::max(values[start], window.advance());
    }
    if (rootScores) apply(0, m);  // the empty pattern at the end
    window.raiseInto(values + m);
    return length;
  }

  // The trie's automaton, built on the first call, or null when the trie does not make
  // one (see PatternAutomaton). Thread-safe.
  const PatternAutomaton* automaton() const;
  // The automaton if a call of automaton() has made it already, else null. Never throws.
  const PatternAutomaton* builtAutomaton() const noexcept {
    const AutomatonIfAny* made = automaton_.ready();
    return made ? made->automaton.get() : nullptr;
  }

 private:
  void view(const PatternIndexData& data) noexcept;

  std::unique_ptr<const PatternIndexData> owned_;
  // The automaton, or null for a trie that makes none, once automaton() has been asked.
  struct AutomatonIfAny {
    std::unique_ptr<PatternAutomaton> automaton;
  };
  OnceCell<AutomatonIfAny> automaton_;
};

// The arrays of an index while it is built, and of an index built at run time.
struct PatternIndexData {
  std::vector<std::uint16_t> pageOf;
  std::vector<PatternIndex::Symbol> symbolPages;
  std::vector<PatternIndex::CodeSymbol> outOfRange;
  std::vector<PatternIndex::Symbol> direct;
  std::vector<char32_t> codes;
  PatternIndex::Symbol dot = 0;
  std::vector<PatternIndex::Slot> slots;
  std::vector<std::uint32_t> listOf;
  std::vector<std::array<std::uint8_t, PatternIndex::kShortWidth>> shortLists;
  std::vector<std::uint8_t> shortLength;
  std::vector<PatternIndex::LongList> longLists;
  std::vector<std::uint32_t> hitOffsets;
  std::vector<std::uint8_t> hitValues;
  std::uint32_t longestScoreList = 0;
  std::uint32_t longestPattern = 0;
};

// The Aho-Corasick automaton of a trie: one table load per character instead of a walk
// down the trie from every position. A state stands for the longest suffix of the text
// read so far that begins some pattern; its window holds, aligned to that suffix's end,
// the largest value each boundary gets from the patterns that end there, its own and
// those of its shorter suffixes.
//
// Only the states with children have a row of transitions: from a state without any, each
// character leads where it leads from the state's longest proper suffix, so such a state
// uses that suffix's row. An entry names the next row and the next state's window (few
// distinct windows exist: 545 for Hungarian's 102,669 states). It takes 3 bytes where the
// two numbers fit 24 bits together (66 of the 72 built-in automata; not German, Norwegian
// or Hungarian), else 4: the table is rows x symbols x 3 or 4 bytes (English: 4,221 rows of
// 28, 0.35 MB; Hungarian: 42,828 rows of 38, 6.5 MB). Every entry is read as 4
// little-endian bytes and masked, so the table keeps a byte of padding past its last
// 3-byte entry.
// Made only when every score list fits in 16 bytes, no pattern is empty, rows and windows
// fit 16 bits and the table kBudgetBytes; other tries divide through the double array.
struct PatternAutomaton {
  using Symbol = PatternIndex::Symbol;
  static constexpr std::size_t kBudgetBytes = std::size_t{16} << 20;
  static constexpr std::size_t kWidth = PatternIndex::kShortWidth;
  static constexpr std::size_t kMaxRows = 0x10000;
  static constexpr std::size_t kMaxWindows = 0x10000;

  std::size_t stride = 0;      // entries per row: one per symbol
  std::size_t entryBytes = 4;  // 3 or 4
  unsigned rowBits = 16;       // an entry is row | window << rowBits, in entryBytes bytes
  // The entry of (row, symbol) starts at byte (row * stride + symbol) * entryBytes.
  std::vector<std::uint8_t> table;
  std::vector<std::array<std::uint8_t, kWidth>> windows;  // windows[0]: all zeros (the root)

  // The (unmasked) entry at byte offset at of the table.
  static std::uint32_t loadEntry(const std::uint8_t* at) noexcept {
    std::uint32_t entry;
    std::memcpy(&entry, at, sizeof entry);
    if constexpr (std::endian::native == std::endian::big)
      entry = (entry >> 24) | ((entry >> 8) & 0xff00u) | ((entry << 8) & 0xff0000u) | (entry << 24);
    return entry;
  }

  // The room match needs before the values it fills.
  static constexpr std::size_t kLead = kWidth - 2;
  // As PatternIndex::match<false>, for values = buffer + kLead, buffer holding
  // m + kWidth bytes (match writes them all).
  void match(const Symbol* framed, std::size_t m, std::uint8_t* buffer) const noexcept {
    run(m, [framed](std::size_t k) { return framed[k]; }, buffer);
  }
  // The same for the word of n characters whose symbols symbolAt(0 .. n - 1) gives,
  // framed by dot: the symbols are found as the automaton reads them, with no framed copy.
  template <class SymbolAt>
  void matchWord(Symbol dot, std::size_t n, SymbolAt symbolAt, std::uint8_t* buffer) const {
    run(n + 2, [&](std::size_t k) { return k == 0 || k == n + 1 ? dot : symbolAt(k - 1); }, buffer);
  }

 private:
  template <class SymbolAt>
  void run(std::size_t m, SymbolAt symbolAt, std::uint8_t* buffer) const {
    const std::uint8_t* const entries = table.data();
    const std::array<std::uint8_t, kWidth>* const scores = windows.data();
    // Locals, so that the loop keeps them in registers: the row and the entry's offset are
    // the only dependent steps from one character to the next.
    const std::size_t rowBytes = stride * entryBytes, symbolBytes = entryBytes;
    const unsigned shift = rowBits;
    const std::uint32_t rows = (std::uint32_t{1} << shift) - 1;
    const std::uint32_t windowsMask = (std::uint32_t{1} << (8 * entryBytes - shift)) - 1;
    std::size_t row = 0;
    SlidingWindow window;  // boundaries k .. k + 15 of buffer
    for (std::size_t k = 0; k < m; ++k) {
      const std::uint32_t entry = loadEntry(entries + row * rowBytes + symbolAt(k) * symbolBytes);
      row = entry & rows;
      // The patterns ending at character k cover boundaries k + 2 - kWidth .. k + 1.
      window.raise(scores[(entry >> shift) & windowsMask].data());
      buffer[k] = window.advance();
    }
    window.store(buffer + m);
  }
};

// The index of the trie rooted at node (built on first use, then shared), or the index a
// deferred root was made with (see PatternAccess::handle). node is not null. Thread-safe.
const PatternIndex& indexOf(const PatternNode* node);
// The index of trie, built on first use, without making a trie whose building is
// deferred; null for the empty trie. Thread-safe.
inline const PatternIndex* indexOf(const Patterns& trie) {
  const PatternNode* handle = PatternAccess::handle(trie);
  return handle ? &indexOf(handle) : nullptr;
}
// The index built from the trie rooted at root (not null). Throws ArgumentError for a
// trie too large to index, and bad_alloc.
std::unique_ptr<const PatternIndex> buildIndex(const PatternNode* root);

// The lines of a pattern text split into letters and values, in ascending order of their
// letters, only the first line of each letter sequence kept: the trie without its nodes.
struct SortedPatternLines {
  struct Line {
    std::size_t letterBegin, letterEnd, valueBegin, valueEnd;
  };
  std::vector<char32_t> letters;
  std::vector<std::uint8_t> values;
  std::vector<Line> lines;

  std::u32string_view key(const Line& line) const noexcept {
    return {letters.data() + line.letterBegin, line.letterEnd - line.letterBegin};
  }
  std::span<const std::uint8_t> scores(const Line& line) const noexcept {
    return {values.data() + line.valueBegin, line.valueEnd - line.valueBegin};
  }
};
// The sorted lines of text, split as parsePatterns splits them. Throws bad_alloc.
SortedPatternLines sortPatternLines(std::u32string_view text);
// The index of the trie parsePatterns(text) makes, built from the sorted lines of text
// without making the trie; null when the trie would be empty. Throws as buildIndex does.
std::unique_ptr<const PatternIndex> buildIndex(const SortedPatternLines& sorted);

}  // namespace quellix::detail

#endif
