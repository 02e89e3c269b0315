// The persistent node of a pattern trie. Internal.
#ifndef QUELLIX_SRC_PATTERN_NODE_HPP
#define QUELLIX_SRC_PATTERN_NODE_HPP

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "quellix/pattern.hpp"

namespace quellix::detail {

struct PatternIndex;
struct PatternNode;

struct PatternChild {
  char32_t code;
  const PatternNode* node;  // owns one reference
};

// One immutable node in a single allocation: the header, then childCount children in
// ascending code order, then scoreCount score bytes (pattern values are 0 to 9). The
// index for lookups is built on the first lookup that uses the node as its root.
// A null node pointer stands for the empty node.
struct PatternNode {
  mutable std::atomic<std::size_t> refs;
  std::uint32_t childCount;
  std::uint32_t scoreCount;
  mutable std::atomic<const PatternIndex*> index;

  const PatternChild* children() const noexcept {
    return reinterpret_cast<const PatternChild*>(this + 1);
  }
  const std::uint8_t* scores() const noexcept {
    return reinterpret_cast<const std::uint8_t*>(children() + childCount);
  }
  std::span<const PatternChild> childSpan() const noexcept { return {children(), childCount}; }
  std::span<const std::uint8_t> scoreSpan() const noexcept { return {scores(), scoreCount}; }
};

inline std::span<const PatternChild> childrenOf(const PatternNode* node) noexcept {
  return node ? node->childSpan() : std::span<const PatternChild>();
}
inline std::span<const std::uint8_t> scoresOf(const PatternNode* node) noexcept {
  return node ? node->scoreSpan() : std::span<const std::uint8_t>();
}

// A new node with one reference; takes over the references the children hold. Returns
// null for a node with no scores and no children (the empty node).
const PatternNode* makeNode(std::span<const std::uint8_t> scores,
                            std::span<const PatternChild> children);
inline void retain(const PatternNode* node) noexcept {
  if (node) node->refs.fetch_add(1, std::memory_order_relaxed);
}
// Drops one reference; frees every node that loses its last one, without recursion.
void release(const PatternNode* node) noexcept;

struct PatternAccess {
  static const PatternNode* root(const Patterns& p) noexcept { return p.root_; }
  // Wraps a node, taking over one reference.
  static Patterns adopt(const PatternNode* node) noexcept { return Patterns(node); }
};

}  // namespace quellix::detail

#endif
