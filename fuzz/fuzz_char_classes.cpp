// Character-class text and the normaliser: the character map against the reference, its
// flat table against its lookup, and a Hyphenator that normalises through it.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "char_classes.hpp"
#include "hyphenator_internal.hpp"
#include "fuzz_support.hpp"
#include "quellix/hyphenator.hpp"

using namespace quellix;
using namespace quellix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text = decode(asBytes(data, size));
  const detail::CharMap map = detail::charClassMap(text);
  const ref::CharMap expected = ref::parseCharClasses(text);
  FUZZ_CHECK(map.size() == expected.size());
  std::size_t k = 0;
  for (const auto& [variant, normal] : expected) {
    FUZZ_CHECK(map.entries()[k].first == variant && map.entries()[k].second == normal);
    ++k;
  }

  // Every character of the text and its neighbours, and the edges of the flat table.
  std::vector<char32_t> probes{0, 1, detail::CharMap::kFlatLimit - 1, detail::CharMap::kFlatLimit,
                               0x10FFFF, 0x110000, 0xFFFFFFFF};
  for (char32_t c : text) {
    probes.push_back(c);
    probes.push_back(c + 1);
    probes.push_back(c - 1);
  }
  const std::span<const char32_t> flat = map.flat();
  FUZZ_CHECK(flat.size() <= detail::CharMap::kFlatLimit);
  for (char32_t c : probes) {
    FUZZ_CHECK(map(c) == ref::normalise(expected, c));
    if (c < flat.size()) FUZZ_CHECK(flat[c] == map(c));
  }

  // hyphenate normalises through the map before the exception lookup: a table holding
  // the normal form of the text's first line divided after every character divides the
  // line itself so, with the line's own characters in the pieces.
  const std::vector<Text> lines = ref::splitLines(text);
  if (!lines.empty() && lines.front().size() <= kReferenceWordLimit) {
    const Text& word = lines.front();
    Text entry;
    for (char32_t c : word) {
      if (!entry.empty()) entry += U'-';
      entry += ref::normalise(expected, c);
    }
    // A hyphen in the normal form would be read as a break mark: skip such words.
    if (std::none_of(word.begin(), word.end(), [&](char32_t c) { return ref::normalise(expected, c) == U'-'; })) {
      const Hyphenator h = detail::hyphenatorWithCharMap(Lazy<detail::CharMap>(map), Patterns(),
                                                         addException(entry, Exceptions()), 1, 1);
      const std::vector<Text> pieces = hyphenate(h, word);
      FUZZ_CHECK(pieces.size() == std::max<std::size_t>(word.size(), 1));
      for (std::size_t j = 0; j < word.size(); ++j) FUZZ_CHECK(pieces[j] == word.substr(j, 1));
    }
  }
  return 0;
}
