#include "char_map.hpp"

#include <algorithm>
#include <numeric>

namespace quellix::detail {

CharMap::CharMap(std::vector<std::pair<char32_t, char32_t>> sortedEntries)
    : entries_(std::move(sortedEntries)) {
  entries_.shrink_to_fit();
  if (entries_.empty()) return;
  largestKey_ = entries_.back().first;
  const std::size_t flatSize = std::min<std::size_t>(largestKey_, kFlatLimit - 1) + 1;
  flat_.resize(flatSize);
  std::iota(flat_.begin(), flat_.end(), char32_t{0});
  for (const auto& [variant, normal] : entries_) {
    if (variant >= flatSize) break;
    flat_[variant] = normal;
  }
}

char32_t CharMap::lookupBeyondFlat(char32_t c) const noexcept {
  const auto found = std::lower_bound(entries_.begin(), entries_.end(), c,
                                      [](const auto& entry, char32_t key) { return entry.first < key; });
  return found != entries_.end() && found->first == c ? found->second : c;
}

}  // namespace quellix::detail
