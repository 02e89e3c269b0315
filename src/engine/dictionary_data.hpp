// The contents of a libhyphen dictionary (.dic) as the engine divides with them: its pattern
// levels, matched the way libhyphen matches them, its margins and its NOHYPHEN list.
// Internal to the library.
#ifndef QUELLIX_SRC_ENGINE_DICTIONARY_DATA_HPP
#define QUELLIX_SRC_ENGINE_DICTIONARY_DATA_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "char_map.hpp"
#include "pattern_index.hpp"
#include "single_byte_encodings.hpp"

namespace quellix::detail {

// A change of spelling at a break: the characters [begin, begin + cut) of a matched pattern's
// letters (its leading dot not counted) are written lineEnd + nextStart when the word
// breaks after letter begin + pos - 1.
struct DictionaryChange {
  std::u32string lineEnd;    // the change before its '='
  std::u32string nextStart;  // the change after its '='
};

// One pattern set. A word is read framed by dots, one character at a time; after each, the
// state is the longest suffix of what was read that begins some pattern, and only the
// pattern equal to that suffix, if there is one, gives its values: a pattern that is a
// suffix of a longer matching one does not count (libhyphen's reading, which its
// dictionaries are prepared for).
struct DictionaryLevel {
  struct Pattern {
    std::uint32_t valuesBegin = 0;  // its values[length + 1] in DictionaryLevel::values
    std::uint32_t length = 0;       // letters, dots included
    std::int32_t change = -1;       // index in changes, or -1 for a standard pattern
    // A break at value index t in (changeBegin, changeBegin + changeCut] is made with the
    // change, which replaces letters [changeBegin, changeBegin + changeCut) of the pattern
    // (its leading dot counted).
    std::uint32_t changeBegin = 0;
    std::uint32_t changeCut = 0;
  };

  std::unique_ptr<const PatternIndex> index;  // null for a level without patterns
  // The quick readings' symbols of the codes below lowSymbols.size() (a digit reads as a
  // dot, as in matchLevel), one load a character
  // even where the index has no direct table (its alphabet reaches far, as with ligatures
  // or U+2019); codes above it go through index->symbolOf. Empty when a symbol needs more
  // than a byte.
  std::vector<std::uint8_t> lowSymbols;
  std::vector<std::uint32_t> fallback;        // per slot: the longest proper suffix's slot
  std::vector<std::uint32_t> patternOf;       // per slot: 1 + index in patterns, 0 none
  std::vector<Pattern> patterns;
  std::vector<std::uint8_t> values;
  std::vector<DictionaryChange> changes;
  // Whether every pattern has a letter other than '.': then a word none of whose characters
  // is in the level's alphabet gets nothing from it.
  bool needsLetter = true;

  // The quick reading: per slot, the 16 values of its pattern aligned to the pattern's end
  // (windows[window & kWindowMask]; 0: none), for patterns of at most 15 letters; kLong
  // marks a longer pattern, which is applied one value at a time, and kChange one with a
  // change, after which the word is read again keeping track of changes.
  static constexpr std::size_t kWidth = 16;
  static constexpr std::uint32_t kLong = 0x80000000u;
  static constexpr std::uint32_t kChange = 0x40000000u;
  static constexpr std::uint32_t kWindowMask = 0x3fffffffu;
  std::vector<std::array<std::uint8_t, kWidth>> windows;
  bool anyChange = false;

  // The quick reading's walk, one node per slot of the index: what a step reads of a slot
  // (its check and base, its fallback, its window), side by side, so that a step costs one
  // cache line where separate arrays cost three.
  struct Node {
    std::uint32_t check;
    std::uint32_t base;  // kBaseMask'd
    std::uint32_t fallback;
    std::uint32_t window;  // flags | index in windows
  };
  std::vector<Node> nodes;  // empty when the level has compact nodes

  // The same walk in 8 bytes a slot, for a level whose slots and distinct windows fit in 32
  // bits together (every one of Debian's): the base and a compact window id share a word, the
  // window itself is looked up in compactWindows (a small table that stays in cache), and the
  // fallback, which a step needs only when a character leads nowhere, comes from fallback.
  // Half the bytes of Node: de's largest level (279,000 slots) then nearly fits a core's
  // second-level cache.
  struct CompactNode {
    std::uint32_t check;
    std::uint32_t baseWindow;  // base | compact window << baseBits
  };
  std::vector<CompactNode> compactNodes;
  std::vector<std::uint32_t> compactWindows;  // compact window -> Node::window
  std::uint32_t baseBits = 0;

  // The walk in 8 bytes a state with all that a step reads, where it fits (every one of
  // Debian's levels): a double array of its own, whose bases are unique so that a place's
  // check is the symbol leading to it (kPackedCheckBits), then its window's flags
  // (kPackedLong, kPackedChange), its base (placeBits, from kPackedBaseShift, below bit 32),
  // its fallback (placeBits, from kPackedFallbackShift, below kPackedWindowShift) and in the
  // top bits its compact window, so that a step finds its values with one load
  // (packedWindows, by compact window); fields at fixed bits cost the walk no register and
  // no move for a shift by a variable. Laid out depth first, so that
  // a pattern's letters lie side by side: a word's walk reads few cache lines, where the
  // index's layout spreads them over the whole array (what costs most when other work has
  // emptied the caches). Read in place of compactNodes, which it replaces; slotOfPlace
  // gives the index's slot of each place (for patternOf).
  static constexpr std::uint32_t kPackedCheckBits = 7;
  static constexpr std::uint64_t kPackedLong = std::uint64_t{1} << 7;
  static constexpr std::uint64_t kPackedChange = std::uint64_t{1} << 8;
  static constexpr std::uint32_t kPackedBaseShift = 9;
  static constexpr std::uint32_t kPackedFallbackShift = 32;
  static constexpr std::uint32_t kPackedWindowShift = 52;
  std::vector<std::uint64_t> packedNodes;
  std::vector<std::array<std::uint8_t, kWidth>> packedWindows;
  std::vector<std::uint32_t> slotOfPlace;
  std::uint32_t placeBits = 0;
  // Per place, the window the dot after a part brings when the part ends there:
  // packedEndWindows[packedEndIds[place]], or, for id 0, none known (the dot's state has a
  // long pattern or a change, or the ids ran out): the dot is stepped. The dot after a part
  // falls back further than any letter, as a rule to the root: a fifth of the loads of a
  // Hungarian word's walk, where this is one.
  std::vector<std::uint8_t> packedEndIds;
  std::vector<std::array<std::uint8_t, kWidth>> packedEndWindows;  // [0]: unused

  // The level's automaton, when it is small: one entry per (row, symbol), the number of a
  // target (targets: where the next row begins in table in the low targetBits, so that a
  // step multiplies nothing, with kAutoLong, kAutoChange of the next state's window in its
  // two low bits, and the window in the top bits, from windowShift on, so that a step
  // shifts it out without a mask; autoPattern: the pattern of a long one). Empty when the level
  // has more rows, targets or windows than 16 bits count, a target would not fit 32 bits, or
  // the table would pass kAutomatonBytes (a table much larger than a core's cache costs more
  // misses than the walk's nodes); then the reading walks the nodes. Measured on a quiet machine:
  // nl's table (600 KB) reads 20% faster than its walk, hu's (5 MB) no faster; under heavy
  // load, with the caches shared, nl's was 10% slower.
  static constexpr std::size_t kAutomatonBytes = std::size_t{1} << 20;
  std::size_t stride = 0;
  std::vector<std::uint16_t> table;
  std::vector<std::uint32_t> targets;
  // The same automaton with each entry the target itself, where that table stays within
  // kWideTableBytes (and nodes are laid out NodeLayout::Smallest): one load a step instead
  // of two dependent ones, table and targets then dropped. In bench-compare (seven paired
  // runs) fr's 680 KB read 10% faster; de's 1 MB and nl's 1.2 MB were no faster.
  static constexpr std::size_t kWideTableBytes = std::size_t{768} << 10;
  std::vector<std::uint32_t> wideTable;
  // Whether this level, as the compound one, reads a word alone rather than beside the plain
  // level: one small enough for a wide table (libhyphen's implied one, of a dictionary
  // without NEXTLEVEL, among them) has no misses for the plain level's to overlap, and finds
  // a boundary in most words that reach it (a hyphen's); the plain level then reads only
  // what it leaves whole.
  bool readsAlone() const noexcept { return !wideTable.empty(); }
  // The same automaton as a comb, where the layout is Smallest, the wide table is not taken
  // and the comb is smaller than table and targets (nl's plain level: 581 KB, against 676 KB):
  // most rows differ from the row of their longest suffix of at most two letters in a few
  // entries (nl: 5 a row of 40). Those rows are kept whole, stride entries a row, at the
  // front of combEntries; the entries where another row differs from its default follow,
  // placed first fit at a base no other row has, so that an entry's check is its symbol (a
  // row without entries of its own has base 0, where the root's default row answers no
  // check). An entry is what a step reads, the target itself: the next row's default row
  // (its offset), the window and kAutoLong, kAutoChange as in targets (the low 32 bits), its
  // base (from bit 32) and, in the top byte, the check (kCombFree for a free or default
  // entry). A step loads the comb's entry and the default one side by side, from one array,
  // and keeps one: one load deep, where the table is two.
  // nl, 20,000 words: 124 ns a word against the table's 137 in a tight loop, 178 against 195
  // with the caches emptied between rounds; in bench-compare's breakPoints 164 against 189.
  static constexpr std::uint32_t kCombBaseShift = 32;
  static constexpr std::uint32_t kCombCheckShift = 56;
  static constexpr std::uint64_t kCombFree = 0xff;
  std::vector<std::uint64_t> combEntries;
  std::vector<std::array<std::uint8_t, kWidth>> autoWindows;
  std::vector<std::uint32_t> autoPattern;
  std::uint32_t targetBits = 0;
  std::uint32_t windowShift = 32;
  static constexpr std::uint32_t kAutoLong = 2;
  static constexpr std::uint32_t kAutoChange = 1;

  // Where each quick reading stands after the dot before a part (the same for every part),
  // where no long pattern and no change comes of that dot (ready): each path's state and the
  // window the dot brings, so that a reading starts there rather than step the dot.
  struct Start {
    bool ready = false;
    std::uint32_t row = 0;    // the automaton's
    std::uint32_t place = 0;  // the packed walk's
    std::uint64_t node = 0;   // packedNodes[place]
    std::uint64_t comb = 0;   // the comb's entry
    std::uint32_t slot = 0;   // the compact or wide walk's
    std::array<std::uint8_t, kWidth> window{};
  };
  Start start;
  // How a quick reading that may take the automaton finds its states (the reading's own
  // numbering of its paths), worked out with start.
  std::uint8_t automatonPath = 0;

  bool empty() const noexcept { return index == nullptr; }
};

// A read dictionary. Immutable once made; shared by every hyphenator made from it.
struct DictionaryData {
  std::string source;
  std::string encodingName;                          // the first line, as written
  const SingleByteEncoding* encoding = nullptr;      // null: UTF-8
  // The top level's settings, as the file gives them (0 where it gives none), and as they
  // are used: a dictionary without NEXTLEVEL gets the compound margins of its plain margins
  // (or 3) and the default NOHYPHEN list, as libhyphen gives it.
  std::int64_t leftMin = 0, rightMin = 0, compoundLeftMin = 0, compoundRightMin = 0;
  std::vector<std::u32string> noHyphen;
  std::u32string noHyphenFirst;  // the first character of each item, sorted, once each
  // Bit c of the first characters below 256 (noHyphenLow[c / 64] >> c % 64), so that a word
  // is scanned without a search per character.
  std::array<std::uint64_t, 4> noHyphenLow{};
  // The characters below kLowCodes (Latin, Greek, Cyrillic, Armenian, Hebrew, Arabic: the
  // letters of nearly every dictionary) are looked up in the tables below, one load each; a
  // power of two, so that four characters are tested against it at once (c0 | c1 | c2 | c3).
  static constexpr char32_t kLowCodes = 0x800;
  // What each character below kLowCodes makes of a word: kLowExceptional (a digit, the first
  // character of a NOHYPHEN item) leaves it to the general route, kLowCompound (one the
  // compound level reads) has the compound level read it before the common word's route may
  // take it. A character below kLowCodes without kLowExceptional is common: only a word of
  // common characters may take the common word's route.
  static constexpr std::uint8_t kLowExceptional = 1;
  static constexpr std::uint8_t kLowCompound = 2;
  std::array<std::uint8_t, kLowCodes> lowKind{};
  // Whether the compound level reads a common character (or has a pattern of dots alone):
  // then the common word's route has it read a word of common characters before taking it
  // (most words of a dictionary with NEXTLEVEL).
  bool compoundReadsCommon = false;
  // The folding (below) of each character below kLowCodes, with kFoldedCommon set where the
  // folded character is common: a word is folded and checked with one load a character.
  static constexpr std::uint32_t kFoldedCommon = 0x80000000u;
  std::array<std::uint32_t, kLowCodes> foldedLow{};
  // The case folding words are divided with: each letter of the patterns, and the capital
  // forms of them (made once, when read).
  CharMap folding;
  bool explicitLevels = false;  // the file has NEXTLEVEL
  DictionaryLevel compound;     // the first level: compound boundaries
  DictionaryLevel plain;        // the second: the breaks within a part
  // Both levels' symbols of the codes below its size (DictionaryLevel::lowSymbols: the
  // compound level's in the low byte, the plain level's in the high one), so that reading the
  // levels side by side looks a character up once. Empty where a level has no lowSymbols.
  std::vector<std::uint16_t> bothLowSymbols;
  std::size_t patternCount[2] = {0, 0};
  // Lower-case letters of the changes, with the upper-case form each takes in a word
  // written in capitals (sorted by the lower-case letter).
  std::vector<std::pair<char32_t, char32_t>> upperOfChangeLetters;
};

// How the walk's nodes are laid out: packed or else compact where they fit, and a small
// automaton's wide table (what dictionaries are read with), compact (for tests of the
// compact walk and of the automaton's table of target numbers), always wide (for tests of
// the wide walk, which only very large levels need), or packed with the automaton as a comb
// (for tests of the comb, which only large levels take).
enum class NodeLayout { Smallest, Compact, Wide, Comb };

// Reads a dictionary. Throws DictionaryError naming source, the line and the byte offset of
// what is wrong; std::bad_alloc.
std::shared_ptr<const DictionaryData> readDictionaryData(std::string_view bytes, std::string_view source,
                                                         NodeLayout layout = NodeLayout::Smallest);

// The value of every boundary of a word and the change each break brings, as libhyphen's
// hnj_hyphen_hyphenate3 gives them; see divideDictionaryWord.
struct DictionaryResult {
  struct Change {
    const DictionaryChange* text = nullptr;  // null: a standard break (or none)
    std::int32_t begin = 0;  // the first character of the word it replaces
    std::uint32_t cut = 0;   // how many it replaces
  };
  std::vector<std::uint8_t> values;  // values[i]: the boundary after character i
  std::vector<Change> changes;       // per boundary (at least values.size(); null past it)
  // Whether a change may be among changes; when not, every one has a null text (and the
  // next division need not clear them).
  bool anyChange = true;
};

// Copies n values (a word's, a few dozen at most as a rule) without a call to memmove:
// overlapping copies of fixed size, which compilers make plain moves.
inline void copyValues(std::uint8_t* to, const std::uint8_t* from, std::size_t n) noexcept {
  if (n >= 8) {
    for (std::size_t k = 0; k + 8 < n; k += 8) std::memcpy(to + k, from + k, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (std::size_t k = 0; k < n; ++k) to[k] = from[k];
  }
}

struct DictionaryMargins {
  std::int64_t left = 0, right = 0, compoundLeft = 0, compoundRight = 0;
};

// Divides word (code points, matched exactly as given) with d and the given margins: fills
// out.values with n values, one per character, each the largest value of the patterns that
// decide that boundary, 0 where a margin, NOHYPHEN or a leading or trailing digit rules a
// break out. out is reused from call to call.
void divideDictionaryWord(const DictionaryData& d, std::u32string_view word,
                          const DictionaryMargins& margins, DictionaryResult& out);

// The values the first level alone gives word, without margins (libhyphen's
// hnj_hyphen_hyphenate). Fills out.values with n values.
void firstLevelValues(const DictionaryData& d, std::u32string_view word, DictionaryResult& out);

// Whether both quick readings of each level of d (its automaton, where it has one, and its
// walk) give part the values of the plain reading, or both leave it to the plain reading,
// and whether the two levels read side by side give what each gives alone, and whether the
// common word's route of divideDictionaryWord gives part what the general route gives it
// (itself, or through Division going on from the compound reading it leaves, or read from
// part's UTF-8 in a dictionary in UTF-8): a check of the quick paths against the plain
// ones, for tests (dictionary_checks.cpp). Throws std::bad_alloc.
bool quickReadingsAgree(const DictionaryData& d, std::u32string_view part);

}  // namespace quellix::detail

#endif
