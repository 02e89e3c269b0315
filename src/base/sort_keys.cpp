// The one sort of integer keys (sort_keys.hpp).
#include "sort_keys.hpp"

#include <algorithm>

namespace quellix::detail {

void sortKeys(std::span<std::uint64_t> values) noexcept { std::sort(values.begin(), values.end()); }

}  // namespace quellix::detail
