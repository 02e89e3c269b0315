// What the layers above the engine may know of a Hyphenator beyond its public interface.
// Internal to the library.
#ifndef QUELLIX_SRC_ENGINE_HYPHENATOR_INTERNAL_HPP
#define QUELLIX_SRC_ENGINE_HYPHENATOR_INTERNAL_HPP

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <span>
#include <string_view>
#include <vector>

#include "char_map.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/lazy.hpp"

namespace quellix::detail {

// A hyphenator whose normaliser is a character table (built on its first use): the
// division reads the table directly, and hyphenatorChars(h) gives a function applying it
// that throws, on every call, what building the table threw. Throws std::bad_alloc.
Hyphenator hyphenatorWithCharMap(Lazy<CharMap> map, Lazy<Patterns> patterns,
                                 Lazy<Exceptions> exceptions, std::int64_t leftMin,
                                 std::int64_t rightMin);

// A hyphenator with base's normaliser (its character table too, if it has one) and the
// given other fields; with base's dictionary too unless keepDictionary is false (new
// patterns replace it). Throws std::bad_alloc.
Hyphenator hyphenatorLike(const Hyphenator& base, Lazy<Patterns> patterns,
                          Lazy<Exceptions> exceptions, std::int64_t leftMin, std::int64_t rightMin,
                          bool keepDictionary = true);

struct DictionaryData;

// A hyphenator that divides with a libhyphen dictionary instead of patterns: map folds the
// capital forms of its letters, patterns are its plain level's patterns as an ordinary trie
// (what hyphenatorPatterns gives; the division does not use them). Throws std::bad_alloc.
Hyphenator dictionaryHyphenator(std::shared_ptr<const DictionaryData> dictionary,
                                Lazy<CharMap> map, Lazy<Patterns> patterns, std::int64_t leftMin,
                                std::int64_t rightMin);

// h's dictionary, or null. Never throws.
const DictionaryData* hyphenatorDictionary(const Hyphenator& h) noexcept;

// The breaks of word that a dictionary hyphenator makes without changing its spelling, as
// breakPoints gives them (dictionary.cpp): writes the first min(count, out.size()) to out
// and returns count. opaque marks characters no table knows. Throws what building h's
// tables throws.
std::size_t dictionaryBreakPoints(const Hyphenator& h, std::u32string_view word,
                                  const std::uint8_t* opaque, std::span<std::size_t> out);

// h's tables as Lazy cells, for deriving hyphenators that share them. Never throw.
const Lazy<Patterns>& patternsCell(const Hyphenator& h) noexcept;
const Lazy<Exceptions>& exceptionsCell(const Hyphenator& h) noexcept;

// h's character table, built first, or null when h was given a normaliser function.
// Throws what building the table throws. Thread-safe.
const CharMap* hyphenatorCharMap(const Hyphenator& h);

// The characters h's table knows, sorted and unique, when h has a character table: every
// character it lists as a variant or a normal form, and every character of h's patterns
// (a normal form may be listed by the patterns alone when later variants took over all
// of its entries). Empty for a hyphenator given a normaliser function. Made once per
// hyphenator (copies share it) and kept as long as h's record. Builds the table and the
// patterns first; throws what building them throws. Thread-safe.
const std::vector<char32_t>& knownCharacters(const Hyphenator& h);

// How far h's patterns reach, in characters: a break depends on at most `before`
// characters before it and `after` characters after it. Builds the patterns first;
// throws what building them throws. Thread-safe.
struct PatternReach {
  std::size_t before = 0;
  std::size_t after = 0;
};
PatternReach patternReach(const Hyphenator& h);

// breakPoints(h, word, out) for a word of ASCII bytes (every byte below 0x80), the same
// breaks, without turning the bytes into code points first: the way running text divides
// most of its words. Throws as breakPoints. Thread-safe.
std::size_t divideAsciiWord(const Hyphenator& h, std::string_view word, std::span<std::size_t> out);

}  // namespace quellix::detail

#endif
