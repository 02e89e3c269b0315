// Patterns: the trie of Liang's weighted break patterns, and its text format.
#ifndef QUELLIX_PATTERN_HPP
#define QUELLIX_PATTERN_HPP

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/export.hpp"

namespace quellix {

// A score list: value k belongs to the boundary after the k-th character of a word
// (value 0 to the boundary before the first). An odd value permits a break.
using Scores = std::vector<std::int64_t>;

namespace detail {
struct PatternNode;
struct PatternAccess;
}  // namespace detail

// One node of a pattern trie; the root stands for the whole trie.
//
// A node holds a score list (empty when no pattern ends here) and children keyed by code
// point. Patterns is an immutable value: copying shares the structure and costs O(1),
// every operation returns a new trie and leaves its inputs unchanged, and any number of
// threads may read one trie at once. No operation recurses to the depth of the trie, so
// patterns of any length are safe. The default-constructed value is the empty trie.
class QUELLIX_API Patterns {
 public:
  // The empty trie: no scores, no children. Never throws.
  Patterns() noexcept;
  Patterns(const Patterns& other) noexcept;
  Patterns(Patterns&& other) noexcept;
  Patterns& operator=(const Patterns& other) noexcept;
  Patterns& operator=(Patterns&& other) noexcept;
  ~Patterns();

  // The score list of this node (of the pattern with no letters, at the root).
  Scores scores() const;

  // The children of this node in ascending code order; each shares this trie's structure.
  std::vector<std::pair<char32_t, Patterns>> children() const;

  // The child for code, if any.
  std::optional<Patterns> child(char32_t code) const;

  // Whether this is the empty trie (no scores and no children).
  bool empty() const noexcept;

  // Structural equality: same score lists and the same children, recursively.
  QUELLIX_API friend bool operator==(const Patterns& a, const Patterns& b) noexcept;

 private:
  friend struct detail::PatternAccess;
  // A trie is one pointer to its root node, whose layout is the library's own. Inline,
  // so not exported: only the library makes a Patterns from a node.
  explicit Patterns(const detail::PatternNode* root) noexcept : root_(root) {}
  const detail::PatternNode* root_;
};

// The score list of one pattern line: a value per boundary, 0 where no digit stands.
// "a1b" gives [0, 1, 0], ".ach4" [0, 0, 0, 0, 4], "4" [4], "" [0]. A digit consumes the
// character after it, so "a12b" gives [0, 1, 0, 0]. Never throws (beyond bad_alloc).
[[nodiscard]] QUELLIX_API Scores scorePattern(std::u32string_view line);

// trie with the pattern of line inserted: the node for the line's letters (the line
// without its digits) gets scorePattern(line), replacing what it held. Thread-safe.
[[nodiscard]] QUELLIX_API Patterns insertPattern(std::u32string_view line, const Patterns& trie);

// The trie of every line of text (split at U+000A; a final line feed opens no line).
// When several lines have the same letters, the first one's values are kept.
[[nodiscard]] QUELLIX_API Patterns parsePatterns(std::u32string_view text);

// The score list the patterns give word: the maximum value any pattern laid anywhere on
// ".word." gives each boundary, without the boundary before the first dot and the last
// boundary of the frame. n or n + 1 values (more with adjacent-digit patterns); the
// empty trie gives n zeros. Thread-safe; the first lookup on a trie builds a compact
// index that later lookups share. Throws PatternLookupError only if an internal
// invariant is broken.
[[nodiscard]] QUELLIX_API Scores lookupPattern(std::u32string_view word, const Patterns& trie);

}  // namespace quellix

#endif
