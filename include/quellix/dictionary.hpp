// libhyphen's dictionaries: reading the .dic files that LibreOffice and Debian's hyphen-*
// packages install (/usr/share/hyphen), dividing words with them as libhyphen does, and the
// breaks that change a word's spelling (German "Schiffahrt" -> "Schiff-fahrt" in the old
// orthography, Hungarian "asszonnyal" -> "asz-szony-nyal").
//
//   quellix::Hyphenator hu = quellix::loadDictionary("/usr/share/hyphen/hyph_hu_HU.dic");
//   quellix::hyphenateWithChanges(hu, U"asszonnyal");   // asz, szony, nyal
//   quellix::hyphenate(hu, U"asszonnyal");              // asszony, al: no change of spelling
//
// A dictionary's hyphenator is an ordinary Hyphenator: hyphenate, breakPoints, running text
// and HTML, withExceptions and withMargins work with it. Those divide a word only where its
// spelling stays as it is, so their pieces still make up the word: a break that changes the
// spelling (a non-standard break) is left out there, while the word's other breaks stay.
// breaksWithChanges and hyphenateWithChanges give every break, with its change.
//
// The file format. The first line names the encoding (UTF-8, ISO8859-1 to ISO8859-16, KOI8-R,
// KOI8-U, microsoft-cp1250 to -cp1252). Then, one per line: LEFTHYPHENMIN n, RIGHTHYPHENMIN
// n, COMPOUNDLEFTHYPHENMIN n, COMPOUNDRIGHTHYPHENMIN n, NOHYPHEN a,b,... (strings beside
// which no break is made), NEXTLEVEL (which splits the patterns into a level that finds
// the boundaries of compound words and one that divides their parts), % comments, and
// patterns: "a1b", with a digit for the value of a boundary (the last digit of a run
// counts), up to the first blank of the line; a non-standard pattern adds "/change" or
// "/change,start,cut": when it decides a break, cut letters of the match from letter start
// (counted from 1, a leading dot not counted; without them from the first letter, all of
// them) are written as change, whose '=' marks the break ("schif1fahrt/ff=f,5,2").
//
// The division is libhyphen 2.8.8's (the version Debian ships), checked word for word against
// it on every dictionary Debian ships: in particular a pattern that is a suffix of a longer
// matching one does not count (libhyphen's dictionaries are prepared for that), and of two
// equal values the first found decides. Where 2.8.8 is at fault quellix does the sound thing:
// a change is never mixed from two patterns, a short form "/change" replaces the pattern's
// letters, and CR LF line ends are line ends also in the NOHYPHEN line.
//
// Words are matched after the hyphenator's character map, which folds the capital forms of
// the dictionary's letters to them (libhyphen itself matches words exactly as given, and
// expects them in lower case); a change made in a word written in capitals is written in
// capitals too.
#ifndef QUELLIX_DICTIONARY_HPP
#define QUELLIX_DICTIONARY_HPP

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/export.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/user_files.hpp"

namespace quellix {

// The hyphenator of the dictionary in the file at path. The margins are the file's
// LEFTHYPHENMIN and RIGHTHYPHENMIN, 2 where it gives none. The file is read as
// readUserFile reads it (quellix/user_files.hpp): within kMaxFileBytes, in lines of at most
// kMaxLineBytes. Throws FileError when it cannot be read, ArgumentError beyond those limits,
// DictionaryError when it is malformed (the message names path, the line and the byte
// offset), std::bad_alloc. Thread-safe.
[[nodiscard]] QUELLIX_API Hyphenator loadDictionary(std::string_view path);

// The hyphenator of the dictionary whose file contents are bytes; source names it in
// messages. Throws ArgumentError beyond the limits of quellix/user_files.hpp, DictionaryError,
// std::bad_alloc. Thread-safe.
[[nodiscard]] QUELLIX_API Hyphenator readDictionary(std::string_view bytes,
                                                    std::string_view source = "dictionary");

// What a dictionary hyphenator was read from.
struct DictionaryInfo {
  std::string source;    // the path or source name given
  std::string encoding;  // the first line, as written: "ISO8859-1"
  bool utf8 = false;     // whether that is UTF-8
  // The file's LEFTHYPHENMIN, RIGHTHYPHENMIN, COMPOUNDLEFTHYPHENMIN and
  // COMPOUNDRIGHTHYPHENMIN (of its first level), 0 where it gives none; without NEXTLEVEL the
  // compound ones default to the plain ones, or 3, as in libhyphen.
  std::int64_t leftMin = 0, rightMin = 0, compoundLeftMin = 0, compoundRightMin = 0;
  std::vector<std::string> noHyphen;  // UTF-8; libhyphen's default list without NEXTLEVEL
  bool nextLevel = false;             // whether the file has NEXTLEVEL
  std::size_t compoundPatterns = 0;   // patterns of the first level (with NEXTLEVEL)
  std::size_t patterns = 0;           // patterns that divide the parts
};

// h's dictionary, or nothing when h was not made from one (nor derived from one with
// withExceptions or withMargins). Throws std::bad_alloc. Thread-safe.
[[nodiscard]] QUELLIX_API std::optional<DictionaryInfo> dictionaryInfo(const Hyphenator& h);

// One break of a word and how the word is written there. The line ends with
// word[..replacedBegin) + lineEnd (and a hyphen), the next one starts with
// nextStart + word[replacedEnd..). For a standard break replacedBegin == position ==
// replacedEnd and lineEnd and nextStart are empty; for a non-standard one
// replacedBegin < position <= replacedEnd.
struct SpellingBreak {
  std::size_t position = 0;  // as breakPoints gives it
  std::size_t replacedBegin = 0;
  std::size_t replacedEnd = 0;
  std::u32string lineEnd;
  std::u32string nextStart;

  friend bool operator==(const SpellingBreak&, const SpellingBreak&) = default;
};

// Every break of word, ascending, with its change of spelling. For a hyphenator not made
// from a dictionary, the breaks of breakPoints, none with a change. Throws as hyphenate.
// Thread-safe.
[[nodiscard]] QUELLIX_API std::vector<SpellingBreak> breaksWithChanges(const Hyphenator& h,
                                                                       std::u32string_view word);

// The UTF-8 form: positions and replaced ranges are byte offsets, lineEnd and nextStart
// UTF-8 (as code points, written to UTF-8).
struct Utf8SpellingBreak {
  std::size_t position = 0;
  std::size_t replacedBegin = 0;
  std::size_t replacedEnd = 0;
  std::string lineEnd;
  std::string nextStart;

  friend bool operator==(const Utf8SpellingBreak&, const Utf8SpellingBreak&) = default;
};
[[nodiscard]] QUELLIX_API std::vector<Utf8SpellingBreak> breaksWithChanges(const Hyphenator& h,
                                                                           std::string_view word);

// word's pieces as the lines would show them, every break taken, with the changed spelling:
// "schiffahrt" -> schiff, fahrt. Throws as hyphenate. Thread-safe.
[[nodiscard]] QUELLIX_API std::vector<std::u32string> hyphenateWithChanges(const Hyphenator& h,
                                                                           std::u32string_view word);
[[nodiscard]] QUELLIX_API std::vector<std::string> hyphenateWithChanges(const Hyphenator& h,
                                                                        std::string_view word);

// ---------------------------------------------------------------------------------------
// The values behind the breaks, as libhyphen's interface (quellix/compat/hyphen.h) gives them.

// Margins for one call in place of the dictionary's (hnj_hyphen_hyphenate3): each is at
// least the dictionary's own value; 0 for left or right means 2.
struct DictionaryMargins {
  std::int64_t left = 0, right = 0, compoundLeft = 0, compoundRight = 0;
};

// The division of word as libhyphen's hnj_hyphen_hyphenate2 gives it, characters matched
// exactly as given (no case folding). values gets one value per character: values[i] for
// the boundary after character i, the largest value of the patterns that decide it, odd
// where the word may break, 0 where a margin, NOHYPHEN or a leading or trailing digit
// rules a break out. changes gets the change of spelling of each boundary that has one,
// ascending (as the dictionary writes it, in lower case): at an odd value it is a
// non-standard break; libhyphen also keeps the change where a later pattern without one
// raised the value to an even number, and so does this. The vectors are reused. Throws
// ArgumentError when h was not made from a dictionary, std::bad_alloc. Thread-safe.
struct DictionaryValues {
  std::vector<std::uint8_t> values;
  std::vector<SpellingBreak> changes;
};
QUELLIX_API void dictionaryValues(const Hyphenator& h, std::u32string_view word, DictionaryValues& out,
                                  const DictionaryMargins* margins = nullptr);

// The values the first (compound) level alone gives word, by character, without margins or
// NOHYPHEN (libhyphen's old hnj_hyphen_hyphenate gives the same values by byte, with no
// break within two bytes of either end). Throws as dictionaryValues.
QUELLIX_API void dictionaryFirstLevelValues(const Hyphenator& h, std::u32string_view word,
                                            DictionaryValues& out);

// The characters a dictionary's bytes stand for, and back: for a UTF-8 dictionary UTF-8
// (a malformed byte becomes U+FFFD when decoding); for a single-byte one its table (a byte
// with no character becomes U+FFFD; a character with no byte becomes '?'). Throws
// ArgumentError for a hyphenator not made from a dictionary.
[[nodiscard]] QUELLIX_API std::u32string decodeDictionaryText(const Hyphenator& h, std::string_view bytes);
[[nodiscard]] QUELLIX_API std::string encodeDictionaryText(const Hyphenator& h, std::u32string_view text);

}  // namespace quellix

#endif
