// The compact lookup form of a pattern trie. Internal.
//
// A trie is frozen into contiguous arrays the first time a word is looked up in it:
// characters become dense symbols through a two-level page table, each node keeps its
// children as a short sorted run of symbols (or a dense row when it has many), and its
// score list only as its length plus the positions of its non-zero values, since a zero
// never raises the maximum that a lookup computes.
#ifndef QUELLIX_SRC_PATTERN_INDEX_HPP
#define QUELLIX_SRC_PATTERN_INDEX_HPP

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "pattern_node.hpp"

namespace quellix::detail {

struct PatternIndex {
  using Symbol = std::uint32_t;  // 0: a character no pattern contains
  static constexpr std::uint32_t kNoChild = 0xffffffffu;
  static constexpr std::uint32_t kDenseFlag = 0x80000000u;

  // Nodes are numbered breadth-first, so the children of a node are the consecutive
  // nodes firstChild .. firstChild + childCount - 1, in ascending symbol order.
  struct Node {
    std::uint32_t firstChild;
    std::uint32_t childCount;  // with kDenseFlag: children found through denseRow
    std::uint32_t denseRow;    // start of a row of symbolCount + 1 entries in dense
    std::uint32_t hitBegin;    // into hitOffsets/hitValues
    std::uint32_t hitCount;
    std::uint32_t scoreLength;  // length of the node's score list
  };

  // Symbols of code points: pageOf[code >> 8] names a 256-entry page of symbolPages.
  // Codes past U+10FFFF are looked up in the sorted outOfRange instead.
  std::vector<std::uint16_t> pageOf;  // 0: no page
  std::vector<Symbol> symbolPages;    // page p at (p - 1) * 256
  std::vector<std::pair<char32_t, Symbol>> outOfRange;
  std::size_t symbolCount = 0;  // symbols are 1 .. symbolCount

  std::vector<Node> nodes;           // nodes[0] is the root
  std::vector<Symbol> edgeSymbol;    // the symbol leading into each node
  std::vector<std::uint32_t> dense;  // rows of child node numbers, kNoChild where none
  std::vector<std::uint32_t> hitOffsets;
  std::vector<std::uint8_t> hitValues;
  std::uint32_t longestScoreList = 0;  // over all nodes
  Symbol dot = 0;                      // symbol of '.', the word edge

  Symbol symbolOf(char32_t code) const noexcept {
    std::size_t page = code >> 8;
    if (page < pageOf.size()) {
      return pageOf[page] ? symbolPages[(std::size_t(pageOf[page]) - 1) * 256 + (code & 0xff)] : 0;
    }
    return outOfRange.empty() ? 0 : symbolPastUnicode(code);
  }
  Symbol symbolPastUnicode(char32_t code) const noexcept;

  std::uint32_t child(std::uint32_t node, Symbol symbol) const noexcept {
    const Node& n = nodes[node];
    if (n.childCount & kDenseFlag) return dense[n.denseRow + symbol];
    const Symbol* first = edgeSymbol.data() + n.firstChild;
    for (std::uint32_t k = 0; k < n.childCount; ++k) {
      if (first[k] == symbol) return n.firstChild + k;
      if (first[k] > symbol) break;
    }
    return kNoChild;
  }

  // The boundary values of the framed word given as symbols (framed[0] and
  // framed[m - 1] are the dots): values[b] = the largest value any pattern gives
  // boundary b. values must hold m + longestScoreList + 1 zeros. Returns the length of
  // the combined list, which is at least m.
  std::size_t match(const Symbol* framed, std::size_t m, std::uint8_t* values) const noexcept;
};

// The index of the trie rooted at node (built on first use, then shared). node is not
// null. Thread-safe.
const PatternIndex& indexOf(const PatternNode* node);
void destroyIndex(const PatternIndex* index) noexcept;

}  // namespace quellix::detail

#endif
