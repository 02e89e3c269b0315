// The character map of a language, built from its character-class text, and the
// normaliser that applies it. Internal to the library.
#ifndef QUELLIX_SRC_CHAR_CLASSES_HPP
#define QUELLIX_SRC_CHAR_CLASSES_HPP

#include <cstddef>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "quellix/lazy.hpp"

namespace quellix::detail {

// A map from a character to its normal form; a character the map does not list is its
// own normal form.
//
// Built from a character-class text, split at U+000A. A line of exactly two characters
// makes its second a variant of its first ("aA" maps A to a); when several such lines
// list the same second character, the last one decides (Turkish "iI" then "ıI" maps I
// to ı). A line of more than two characters spells a letter with a capital form of
// several characters (German "ßSS"): it maps none of its characters to its first, and
// each of its characters that no two-character line maps is entered as its own normal
// form, so that it still counts as listed. Shorter lines add nothing; nothing is trimmed
// or special.
//
// Lookup is one index into a flat table for the codes below flat().size(), which covers
// every listed variant of every built-in file (the table ends after the largest variant,
// and at most at kFlatLimit); codes beyond it are their own normal form unless listed,
// in which case a binary search over the sorted entries finds them. Immutable; safe to
// read from any number of threads.
class CharMap {
 public:
  // The flat table never grows beyond this many codes (48 KiB of table).
  static constexpr char32_t kFlatLimit = 0x3000;

  // The empty map: every character is its own normal form.
  CharMap() = default;

  // The map of a character-class text. Accepts every text. Throws only bad_alloc.
  explicit CharMap(std::u32string_view charClassText);

  // The normal form of c. Never throws.
  char32_t operator()(char32_t c) const noexcept {
    if (c < flat_.size()) return flat_[c];
    if (c > largestKey_ || entries_.empty()) return c;
    return lookupBeyondFlat(c);
  }

  // The flat part of the map: flat()[c] == (*this)(c) for every c < flat().size(). Lets
  // a caller that normalises many characters index directly.
  std::span<const char32_t> flat() const noexcept { return flat_; }

  // The listed characters with their normal forms, in ascending code order (a character
  // of a longer line that no two-character line maps is listed as its own normal form).
  std::span<const std::pair<char32_t, char32_t>> entries() const noexcept { return entries_; }

  // How many characters are listed: entries().size().
  std::size_t size() const noexcept { return entries_.size(); }

 private:
  char32_t lookupBeyondFlat(char32_t c) const noexcept;

  std::vector<char32_t> flat_;
  std::vector<std::pair<char32_t, char32_t>> entries_;
  char32_t largestKey_ = 0;
};

// The character normaliser of a built-in language: its character map, built on the first
// call, applied to one character. Stored in a Hyphenator inside its CharNormaliser
// (std::function), where hyphenate can recognise it by type and use map's flat table.
// Copies share the map. The call throws what building the map throws (the missing or
// damaged data file, again on every call). Thread-safe.
struct CharClassNormaliser {
  Lazy<CharMap> map;
  char32_t operator()(char32_t c) const { return map.get()(c); }
};

}  // namespace quellix::detail

#endif
