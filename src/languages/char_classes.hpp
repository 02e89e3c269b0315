// A language's character classes: the character-class text of its data set read into the
// engine's CharMap. Internal to the library.
#ifndef QUELLIX_SRC_LANGUAGES_CHAR_CLASSES_HPP
#define QUELLIX_SRC_LANGUAGES_CHAR_CLASSES_HPP

#include <string_view>

#include "char_map.hpp"

namespace quellix::detail {

// The character map of a character-class text, split at U+000A. A line of exactly two
// characters makes its second a variant of its first ("aA" maps A to a); when several such
// lines list the same second character, the last one decides (Turkish "iI" then "ıI" maps
// I to ı). A line of more than two characters spells a letter with a capital form of
// several characters (German "ßSS"): it maps none of its characters to its first, and each
// of its characters that no two-character line maps is entered as its own normal form, so
// that it still counts as listed. Shorter lines add nothing; nothing is trimmed or
// special. Accepts every text. Throws only bad_alloc.
CharMap charClassMap(std::u32string_view charClassText);

}  // namespace quellix::detail

#endif
