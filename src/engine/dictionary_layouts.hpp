// Laying out a read dictionary level for the quick readings (dictionary_layouts.cpp).
// Internal to the engine.
#ifndef QUELLIX_SRC_ENGINE_DICTIONARY_LAYOUTS_HPP
#define QUELLIX_SRC_ENGINE_DICTIONARY_LAYOUTS_HPP

#include <cstdint>
#include <vector>

#include "dictionary_data.hpp"
#include "pattern_index.hpp"

namespace quellix::detail {

// Lays out level's walk, packed (layout Smallest), compact or else wide as it fits, and its
// automaton where it is small: a wide table where that fits kWideTableBytes, else a comb
// where that is smaller than a table of target numbers, else that table. level has its index, patterns, windows and fallbacks. nodes:
// the index's slots but the root, shallower ones first; parent, symbolOf: per slot, its
// parent and the symbol leading to it; windowOf: per slot, its window with kLong, kChange.
// Throws std::bad_alloc.
void layOutLevel(DictionaryLevel& level, NodeLayout layout, const std::vector<std::uint32_t>& nodes,
                 const std::vector<std::uint32_t>& parent, const std::vector<PatternIndex::Symbol>& symbolOf,
                 const std::vector<std::uint32_t>& windowOf);

}  // namespace quellix::detail

#endif
