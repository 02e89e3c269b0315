// A libhyphen dictionary's patterns applied by Liang's method, as TeX applies a pattern
// file and as pyphen reads these dictionaries, beside libhyphen's own reading
// (dictionary_division.cpp). Internal: the Python module's pyphen interface divides with it.
#ifndef QUELLIX_SRC_ENGINE_DICTIONARY_LIANG_HPP
#define QUELLIX_SRC_ENGINE_DICTIONARY_LIANG_HPP

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/pattern.hpp"

namespace quellix::detail {

// The breaks of word by Liang's method over every pattern of the dictionary h was made
// from: the file's patterns of both levels (NEXTLEVEL makes no difference) count wherever
// they match (of two lines with the same letters, the later), and each boundary takes the
// largest value any gives it. Of the patterns that give
// that value, the one that starts last, and of those the longest, decides whether the break
// changes the spelling. NOHYPHEN and the file's margins are not applied: breaks are kept from
// leftMin characters after the start to rightMin before the end, either end included when
// a margin is 0 or less. word is matched as given (no capitals folded). out is reused.
// Throws ArgumentError when h was not made from a dictionary (nor derived from one),
// std::bad_alloc. Thread-safe.
void breaksByAllPatterns(const Hyphenator& h, std::u32string_view word, std::int64_t leftMin,
                         std::int64_t rightMin, std::vector<SpellingBreak>& out);

// Whether some pattern of h's dictionary changes the spelling. Throws as breaksByAllPatterns.
bool dictionaryChangesSpelling(const Hyphenator& h);

// The patterns breaksByAllPatterns applies, as an ordinary trie, changes left out: with no
// change of spelling and margins of 1 or more, an ordinary hyphenator with this trie (no
// normaliser, no exceptions) divides as breaksByAllPatterns does, faster. Throws as
// breaksByAllPatterns.
[[nodiscard]] Patterns allDictionaryPatterns(const Hyphenator& h);

}  // namespace quellix::detail

#endif
