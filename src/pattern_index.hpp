// The compact lookup form of a pattern trie. Internal.
//
// A trie is frozen into contiguous arrays the first time a word is looked up in it:
// characters become dense symbols through a two-level page table, the nodes are laid out
// as a double array (one probe per character), and each node keeps its score list only
// as its length plus the positions of its non-zero values, since a zero never raises the
// maximum that a lookup computes.
#ifndef QUELLIX_SRC_PATTERN_INDEX_HPP
#define QUELLIX_SRC_PATTERN_INDEX_HPP

#include <cstddef>
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "pattern_node.hpp"

namespace quellix::detail {

struct PatternIndex {
  using Symbol = std::uint32_t;  // 0: a character no pattern contains

  // The trie as a double array: the child of the node in slot s for symbol c sits in
  // slot slots[s].base + c, and is there only if that slot's parent is s. One probe per
  // character, whatever the number of children. Slot 0 is the root.
  struct Slot {
    std::uint32_t parent;    // kNoParent for the root and for free slots
    std::uint32_t base;      // children at base + symbol
    std::uint32_t hitBegin;  // the node's non-zero scores: hitOffsets/hitValues[hitBegin ..
    std::uint32_t hitCount;  // .. + (hitCount & kHitMask)); kHoldsList: a pattern ends here
  };
  static constexpr std::uint32_t kHoldsList = 0x80000000u;
  static constexpr std::uint32_t kHitMask = 0x7fffffffu;
  static constexpr std::uint32_t kNoParent = 0xffffffffu;

  // Symbols of code points: pageOf[code >> 8] names a 256-entry page of symbolPages.
  // Codes past U+10FFFF are looked up in the sorted outOfRange instead.
  std::vector<std::uint16_t> pageOf;  // 0: no page
  std::vector<Symbol> symbolPages;    // page p at (p - 1) * 256
  std::vector<std::pair<char32_t, Symbol>> outOfRange;
  std::size_t symbolCount = 0;  // symbols are 1 .. symbolCount, in code order

  std::vector<Slot> slots;  // padded so that base + any symbol stays inside
  std::vector<std::uint32_t> scoreLength;  // per slot: the length of the node's score list
  std::vector<std::uint32_t> hitOffsets;
  std::vector<std::uint8_t> hitValues;
  std::uint32_t longestScoreList = 0;  // over all nodes
  Symbol dot = 0;                      // symbol of '.', the word edge

  // Symbols of the codes below direct.size() (up to the largest code the patterns use,
  // when that is small, as for alphabetic scripts): one load instead of two.
  std::vector<Symbol> direct;

  Symbol symbolOf(char32_t code) const noexcept {
    if (code < direct.size()) return direct[code];
    std::size_t page = code >> 8;
    if (page < pageOf.size()) {
      return pageOf[page] ? symbolPages[(std::size_t(pageOf[page]) - 1) * 256 + (code & 0xff)] : 0;
    }
    return outOfRange.empty() ? 0 : symbolPastUnicode(code);
  }
  Symbol symbolPastUnicode(char32_t code) const noexcept;

  // The boundary values of the framed word given as symbols (framed[0] and
  // framed[m - 1] are the dots): values[b] = the largest value any pattern gives
  // boundary b. values must hold m + longestScoreList + 1 zeros. Returns the length of
  // the combined list, which is at least m; without kLength only whether it exceeds m
  // (m + 1 then), which is all a division needs.
  template <bool kLength>
  std::size_t match(const Symbol* framed, std::size_t m, std::uint8_t* values) const noexcept {
    // Local copies of the array pointers: the byte stores into values may alias anything,
    // which would otherwise make the compiler reload every vector's data each step.
    const Slot* const slot0 = slots.data();
    const std::uint32_t* const lengths = scoreLength.data();
    const std::uint32_t* const offsets = hitOffsets.data();
    const std::uint8_t* const hitValue = hitValues.data();
    std::size_t length = m;
    auto apply = [&](std::uint32_t slot, std::size_t at) {
      if constexpr (kLength) {
        length = std::max<std::size_t>(length, at + lengths[slot]);
      } else if (at + lengths[slot] > m) {
        length = m + 1;
      }
      const Slot& n = slot0[slot];
      const std::uint32_t end = n.hitBegin + (n.hitCount & kHitMask);
      for (std::uint32_t h = n.hitBegin; h < end; ++h) {
        std::uint8_t& v = values[at + offsets[h]];
        v = std::max(v, hitValue[h]);
      }
    };
    const bool rootScores = lengths[0] != 0;
    if (rootScores) apply(0, m);
    for (std::size_t start = 0; start < m; ++start) {
      if (rootScores) apply(0, start);
      std::uint32_t slot = 0;
      for (std::size_t k = start; k < m; ++k) {
        const std::uint32_t next = slot0[slot].base + framed[k];
        if (slot0[next].parent != slot) break;
        slot = next;
        // Nodes on the way to a pattern hold no list and change nothing.
        if (kLength || (slot0[slot].hitCount & kHoldsList)) apply(slot, start);
      }
    }
    return length;
  }

};

// The index of the trie rooted at node (built on first use, then shared). node is not
// null. Thread-safe.
const PatternIndex& indexOf(const PatternNode* node);
void destroyIndex(const PatternIndex* index) noexcept;

}  // namespace quellix::detail

#endif
