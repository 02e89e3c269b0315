#include "char_classes.hpp"

#include <cstdint>
#include <utility>
#include <vector>

#include "sort_keys.hpp"
#include "text_lines.hpp"

namespace quellix::detail {

CharMap charClassMap(std::u32string_view text) {
  // Every character of a longer line as its own normal form, then every (variant, normal
  // form) pair of a two-character line in text order: the last pair of each variant is
  // kept, so a two-character line always wins over a longer one.
  std::vector<std::pair<char32_t, char32_t>> pairs;
  std::vector<char32_t> spelled;
  forEachLine(text, [&](std::u32string_view line) {
    if (line.size() == 2)
      pairs.emplace_back(line[1], line[0]);
    else if (line.size() > 2)
      spelled.insert(spelled.end(), line.begin(), line.end());
  });
  std::vector<std::pair<char32_t, char32_t>> own;
  own.reserve(spelled.size());
  for (char32_t c : spelled) own.emplace_back(c, c);
  pairs.insert(pairs.begin(), own.begin(), own.end());

  // Sort by variant, keeping text order among equal variants, and keep the last of each.
  // (Positions fit 32 bits: a character file is limited to a few MiB.)
  std::vector<std::uint64_t> order(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i)
    order[i] = keyAt(static_cast<std::uint32_t>(pairs[i].first), static_cast<std::uint32_t>(i));
  sortKeys(order);
  std::vector<std::pair<char32_t, char32_t>> entries;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k + 1 < order.size() && keyOf(order[k + 1]) == keyOf(order[k])) continue;
    entries.push_back(pairs[positionOf(order[k])]);
  }
  return CharMap(std::move(entries));
}

}  // namespace quellix::detail
