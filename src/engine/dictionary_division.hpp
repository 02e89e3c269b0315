// Dividing words with a dictionary (dictionary_division.cpp): the scratch each thread reuses
// from word to word, one object for the callers in dictionary.cpp and for the division itself,
// so that a word asks for the thread's storage once; and the division's two routes, which
// quickReadingsAgree (dictionary_checks.cpp) holds against each other. Internal to the engine.
#ifndef QUELLIX_SRC_ENGINE_DICTIONARY_DIVISION_HPP
#define QUELLIX_SRC_ENGINE_DICTIONARY_DIVISION_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary_data.hpp"
#include "dictionary_reading.hpp"

namespace quellix::detail {

// A part of a word between compound boundaries, with the margins that rule its ends.
enum class LeftRule { Word, Compound };
enum class RightRule { Word, LastPart, InnerPart };
struct DivisionSegment {
  std::int64_t begin, end;
  LeftRule left;
  RightRule right;
};

// A segment the compound level divided, while its parts are being divided: the values the
// compound level gave it stay where no part's margins let the part decide.
struct OpenSegment {
  DivisionSegment segment;
  std::size_t valuesBegin;  // its compound-level values in LevelScratch::openValues
};

// A segment to divide, or (close) the mark that all parts of the innermost open segment are
// done.
struct DivisionTask {
  DivisionSegment segment;
  bool close;
};

// What dividing a word with a dictionary reuses: the caller's folded word and result, and
// the division's own.
struct DictionaryScratch {
  std::u32string normal;
  DictionaryResult result;
  LevelScratch level;
  std::vector<DivisionTask> tasks;
  std::vector<OpenSegment> open;
};

// The calling thread's scratch. Thread-safe (each thread has its own); throws nothing but
// std::bad_alloc on a thread's first call.
DictionaryScratch& dictionaryScratch();

// The boundaries [lo, hi] of a word at which its values may give a break (empty when hi < lo).
struct BreakRange {
  std::int64_t lo, hi;
};

// divideDictionaryWord (dictionary_data.hpp) with the given scratch, which must be the
// calling thread's; out may be scratch.result. commonCharacters: the caller found every
// character of word below DictionaryData::kLowCodes and common (d.lowKind). Given breaks, a
// caller that reads only the breaks: the values outside *breaks are then left as they are,
// not zeroed (the common word's route leaves its margins so), and are to be read as 0, and
// out.values may hold more than word.size() values (the word's are the first).
void divideDictionaryWord(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                          DictionaryResult& out, DictionaryScratch& scratch, bool commonCharacters = false,
                          BreakRange* breaks = nullptr);

// What the common word's route made of a word: its division (Divided), the compound level's
// reading of the whole word, which found boundaries or a change, for Division to go on from
// (Compound), or nothing (General: Division divides the word from the start).
enum class CommonRoute { Divided, Compound, General };

// The quick route of divideDictionaryWord, for a word with no digit, ligature or NOHYPHEN
// item that is one leaf of the plain level; commonCharacters and breaks as there. Leaves the
// compound reading in s when it returns Compound.
CommonRoute divideCommonWord(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                             DictionaryResult& out, LevelScratch& s, bool commonCharacters = false,
                             BreakRange* breaks = nullptr);

// divideCommonWord for a word given in the bytes of a dictionary in UTF-8 (libquellix-
// hyphen's words), read straight from them (quickMatchUtf8): the number of its characters,
// n, its values the first n of out.values (which may hold more), its changes null, where
// the route divided it; 0 where it must be decoded and go divideDictionaryWord's way (a
// character of three bytes or more, a malformed one or one that is not common, a compound
// level that reads common characters, a change met), out.values then unspecified. breaks
// as for divideDictionaryWord.
std::size_t divideCommonUtf8Word(const DictionaryData& d, std::string_view word, const DictionaryMargins& margins,
                                 DictionaryResult& out, LevelScratch& s, BreakRange* breaks = nullptr);

// The route that divides every word (through Division). referenceJudge: judge each position
// of a nested part one by one (the reference for tests) rather than through frames.
// compoundRead: divideCommonWord returned Compound for this word with this scratch.
void divideGeneral(const DictionaryData& d, std::u32string_view word, const DictionaryMargins& margins,
                   DictionaryResult& out, DictionaryScratch& scratch, bool referenceJudge = false,
                   bool compoundRead = false);

}  // namespace quellix::detail

#endif
