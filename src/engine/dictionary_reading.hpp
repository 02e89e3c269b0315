// Reading a part of a word with one level of a dictionary, or with both side by side: the
// plain reading (matchLevel), which keeps track of changes of spelling, and the quick ones
// (quickMatch, readBoth) through the level's automaton or its walk. Internal to the engine;
// dictionary_division.cpp divides words with them.
#ifndef QUELLIX_SRC_ENGINE_DICTIONARY_READING_HPP
#define QUELLIX_SRC_ENGINE_DICTIONARY_READING_HPP

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary_data.hpp"

namespace quellix::detail {

// A digit in a word reads as a dot, as libhyphen reads it.
inline bool isDictionaryDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// What reading parts and dividing words reuse from word to word (the thread's, kept by
// dictionary_division.cpp).
struct LevelScratch {
  std::vector<std::uint8_t> values;
  std::vector<DictionaryResult::Change> changes;
  std::vector<std::uint8_t> window;  // the quick reading's output
  std::vector<std::uint32_t> states;  // and, for a walk, its states
  std::vector<std::pair<std::size_t, std::uint32_t>> longHits;
  // The plain level's reading beside the compound level's (readBoth).
  std::vector<std::uint8_t> plainWindow;
  std::vector<std::uint32_t> plainStates;
  std::vector<std::pair<std::size_t, std::uint32_t>> plainLongHits;
  std::vector<std::uint8_t> plainValues;
  std::vector<std::uint8_t> openValues;
  std::vector<DictionaryResult::Change> openChanges;
  std::vector<std::int64_t> weights;  // weights[k]: the left-margin weight of characters 0 .. k
  std::vector<std::size_t> partEnds;  // where each part of a compound word ends
  // Whether the word's division has read with matchLevel (which alone writes changes).
  bool changesRead = false;
};

// Raises values[h] (h: the boundary after character h of part, 0 <= h < part.size()) to
// what level's patterns give it, as DictionaryLevel describes, keeping track of changes: a
// value that only equals the one already there changes nothing, an odd one brings its
// pattern's change (or none), an even one leaves the change as it was (libhyphen's rules).
// start is where part begins in the word. The plain reading, which the quick ones follow.
void matchLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
                std::uint8_t* values, DictionaryResult::Change* changes);

// The values level gives part read quickly: writes them to values and returns true, or,
// when a pattern with a change matched, returns false (matchLevel must read the part).
// automaton false reads with the walk even where the level has an automaton. Given changes
// (and start, where part begins in the word), a walk that met a change gives values and
// changes as matchLevel does instead of returning false.
bool quickMatch(const DictionaryLevel& level, std::u32string_view part, std::uint8_t* values,
                LevelScratch& s, bool automaton = true, DictionaryResult::Change* changes = nullptr,
                std::int64_t start = 0);

// quickMatch of a word written in UTF-8, each character of one or two bytes (below
// DictionaryData::kLowCodes), decoded as it is read: returns the number of its characters,
// their values written to values (room for word.size()) and kinds the union of lowKind[c]
// over them, or 0 where the word has another character or a pattern with a change matched
// (values then unspecified): it must be decoded and read as code points.
std::size_t quickMatchUtf8(const DictionaryLevel& level, std::string_view word, const std::uint8_t* lowKind,
                           unsigned& kinds, std::uint8_t* values, LevelScratch& s);

// matchLevel, quickly where no change can come of it. values and changes start as zeros.
void readLevel(const DictionaryLevel& level, std::u32string_view part, std::int64_t start,
               std::uint8_t* values, DictionaryResult::Change* changes, LevelScratch& s);

// readLevel of both levels of d on part side by side, so that the misses of the two
// readings overlap: the compound level's into compoundValues and compoundChanges, the plain
// level's values into plainValues. Returns false when a change matched in the plain level,
// plainValues then untouched: matchLevel must read the part with it.
bool readBoth(const DictionaryData& d, std::u32string_view part, std::int64_t start,
              std::uint8_t* compoundValues, DictionaryResult::Change* compoundChanges,
              std::uint8_t* plainValues, LevelScratch& s);

// readBoth of each part of word, [0, ends[0]), [ends[0], ends[1]) .. [ends[count - 2],
// ends[count - 1]), one after another with one setup (the parts of a compound word): their
// compound level's values into compoundValues, their plain level's into plainValues (by
// their place in word). Returns false, the values then unspecified, where a pattern with a
// change or one longer than a window is met in either level: readBoth must read the parts.
bool readBothParts(const DictionaryData& d, std::u32string_view word, const std::size_t* ends, std::size_t count,
                   std::uint8_t* compoundValues, std::uint8_t* plainValues, LevelScratch& s);

// Works out level.start and level.automatonPath (for a level read and laid out in full).
void prepareStart(DictionaryLevel& level);

}  // namespace quellix::detail

#endif
