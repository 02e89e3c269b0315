// CharMap: the engine's table of character normal forms, which a hyphenator applies to each
// character of a word before its tables are consulted. Internal to the library.
#ifndef QUELLIX_SRC_ENGINE_CHAR_MAP_HPP
#define QUELLIX_SRC_ENGINE_CHAR_MAP_HPP

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace quellix::detail {

// A map from a character to its normal form; a character the map does not list is its
// own normal form. Where the entries come from (a language's character classes, say) is
// not the engine's business.
//
// Lookup is one index into a flat table for the codes below flat().size(), which covers
// every listed character up to kFlatLimit; codes beyond it are their own normal form
// unless listed, in which case a binary search over the sorted entries finds them.
// Immutable; safe to read from any number of threads.
class CharMap {
 public:
  // The flat table never grows beyond this many codes (48 KiB of table).
  static constexpr char32_t kFlatLimit = 0x3000;

  // The empty map: every character is its own normal form.
  CharMap() = default;

  // The map of entries (character, normal form), sorted by character with no character
  // twice. Throws only bad_alloc.
  explicit CharMap(std::vector<std::pair<char32_t, char32_t>> sortedEntries);

  // The normal form of c. Never throws.
  char32_t operator()(char32_t c) const noexcept {
    if (c < flat_.size()) return flat_[c];
    if (c > largestKey_ || entries_.empty()) return c;
    return lookupBeyondFlat(c);
  }

  // The flat part of the map: flat()[c] == (*this)(c) for every c < flat().size(). Lets
  // a caller that normalises many characters index directly.
  std::span<const char32_t> flat() const noexcept { return flat_; }

  // The listed characters with their normal forms, in ascending code order.
  std::span<const std::pair<char32_t, char32_t>> entries() const noexcept { return entries_; }

  // How many characters are listed: entries().size().
  std::size_t size() const noexcept { return entries_.size(); }

 private:
  char32_t lookupBeyondFlat(char32_t c) const noexcept;

  std::vector<char32_t> flat_;
  std::vector<std::pair<char32_t, char32_t>> entries_;
  char32_t largestKey_ = 0;
};

}  // namespace quellix::detail

#endif
