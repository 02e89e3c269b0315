// The persistent node of a pattern trie. Internal.
#ifndef QUELLIX_SRC_PATTERN_NODE_HPP
#define QUELLIX_SRC_PATTERN_NODE_HPP

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "once_cell.hpp"
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
  OnceCell<PatternIndex> index;

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

// One reference to a trie's root, given back when the holder goes.
struct TrieReference {
  const PatternNode* node;
  explicit TrieReference(const PatternNode* n) noexcept : node(n) {}
  TrieReference(const TrieReference&) = delete;
  TrieReference& operator=(const TrieReference&) = delete;
  ~TrieReference() { release(node); }
};

// The root of a trie whose lookup index is at hand while the trie itself is made only
// when something asks for its nodes (a language's patterns: dividing words needs the
// index alone). It stands only at the root of a Patterns, never as a child; its header's
// index is set from the start, and childCount is kDeferred.
struct DeferredRoot : PatternNode {
  static constexpr std::uint32_t kDeferred = 0xffffffffu;
  std::function<Patterns()> makeTrie;  // gives the trie the index was made from
  OnceCell<TrieReference> trie;        // once made
};

inline bool isDeferred(const PatternNode* node) noexcept {
  return node && node->childCount == DeferredRoot::kDeferred;
}
// The trie's own root node: the node itself, or the trie a deferred root stands for, made
// on the first call (then shared; threads that race each make an equal one and the first
// kept). Throws what making the trie throws.
const PatternNode* resolve(const PatternNode* node);

// A non-empty trie whose lookups use index (not null), and whose nodes makeTrie makes
// when first asked for; makeTrie must give the trie index was made from. Throws bad_alloc.
Patterns deferredPatterns(std::unique_ptr<const PatternIndex> index,
                          std::function<Patterns()> makeTrie);

struct PatternAccess {
  // The trie's root node, making it first if its building was deferred. Throws what
  // making the trie throws.
  static const PatternNode* root(const Patterns& p) { return resolve(p.root_); }
  // The root as held: possibly a deferred root, whose only use is indexOf. Never throws.
  static const PatternNode* handle(const Patterns& p) noexcept { return p.root_; }
  // Wraps a node, taking over one reference.
  static Patterns adopt(const PatternNode* node) noexcept { return Patterns(node); }
  // The root of trie, whose reference passes to the caller; trie is left empty.
  static const PatternNode* release(Patterns&& trie) noexcept {
    const PatternNode* root = trie.root_;
    trie.root_ = nullptr;
    return root;
  }
};

}  // namespace quellix::detail

#endif
