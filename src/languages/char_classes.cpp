#include "char_classes.hpp"

#include <algorithm>
#include <utility>
#include <vector>

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
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<char32_t, char32_t>> entries;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (i + 1 < pairs.size() && pairs[i + 1].first == pairs[i].first) continue;
    entries.push_back(pairs[i]);
  }
  return CharMap(std::move(entries));
}

}  // namespace quellix::detail
