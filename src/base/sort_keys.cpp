// The one sort of integer keys (sort_keys.hpp).
#include "sort_keys.hpp"

#include <algorithm>

namespace quellix::detail {

void sortKeys(std::span<std::uint64_t> values) noexcept { std::sort(values.begin(), values.end()); }

void sortUnique(std::vector<char32_t>& codes) {
  std::vector<std::uint64_t> keys(codes.begin(), codes.end());
  sortKeys(keys);
  codes.clear();
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (i == 0 || keys[i] != keys[i - 1]) codes.push_back(static_cast<char32_t>(keys[i]));
}

}  // namespace quellix::detail
