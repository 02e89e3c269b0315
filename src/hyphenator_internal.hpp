// What the layers above the engine may learn of a hyphenator beyond the public interface:
// facts about its patterns that running text needs. Internal.
#ifndef QUELLIX_SRC_HYPHENATOR_INTERNAL_HPP
#define QUELLIX_SRC_HYPHENATOR_INTERNAL_HPP

#include <cstddef>
#include <vector>

#include "quellix/hyphenator.hpp"

namespace quellix::detail {

// The characters h's patterns contain, the word edge '.' left out, ascending. Builds the
// patterns and their lookup index first, and throws what that throws. Thread-safe.
std::vector<char32_t> patternCharacters(const Hyphenator& h);

// How far a break's dependence on its word reaches: whether a break falls between two
// characters depends on at most `before` characters before it and `after` after it (the
// margins aside).
struct PatternReach {
  std::size_t before = 0;
  std::size_t after = 0;
};

// The reach of h's patterns. Builds the patterns first and throws what that throws.
// Thread-safe.
PatternReach patternReach(const Hyphenator& h);

}  // namespace quellix::detail

#endif
