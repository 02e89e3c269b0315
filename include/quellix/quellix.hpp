// quellix: dividing words at their permitted break points with Liang's patterns.
//
// A short tour.
//
// The unit of work is hyphenate(hyphenator, word): it returns the word cut into pieces,
// which concatenate to exactly the word passed in.
//
//   #include <quellix/quellix.hpp>
//   auto pieces = quellix::hyphenate(quellix::english_US, U"associate");  // as, so, ciate
//
// A Hyphenator (hyphenator.hpp) bundles a character normaliser, a pattern trie, an
// exception table and two margins (the least number of characters before the first and
// after the last break). The library carries the hyph-utf8 data of 73 languages in its
// own image: language.hpp names them (enum class Language), gives the process-wide
// hyphenator of each (languageHyphenator, or the named values english_US, german_1996,
// ...) and fresh ones (loadHyphenator). Their tables are built from the embedded data on
// first use, once, and shared.
//
// Callers with patterns of their own build the tables from text: parsePatterns and
// insertPattern (pattern.hpp) make a Patterns trie from TeX-style pattern lines such as
// "1gr" or ".ach4"; parseExceptions and addException (exception.hpp) make an Exceptions
// table from words such as "as-so-ciate". Tables are immutable values: copying is cheap,
// `a + b` merges (patterns keep the larger value at each boundary, exceptions the
// smaller), and show() renders them for debugging. algebra.hpp has the merges of
// sequences (mconcat, sconcat) and stimes.
//
// breakPoints (hyphenator.hpp) gives the break positions without building strings, and
// allocates nothing once the tables are built: the fast path for layout engines.
//
// paths.hpp reports the library's installation directories and its version.
//
// Threads: every operation may be called from any number of threads at once. The only
// synchronisation is the one-time build of a deferred table (lazy.hpp). Errors are
// thrown as quellix::Error subclasses (error.hpp); the library never prints or aborts.
#ifndef QUELLIX_QUELLIX_HPP
#define QUELLIX_QUELLIX_HPP

#include "quellix/algebra.hpp"
#include "quellix/custom.hpp"
#include "quellix/error.hpp"
#include "quellix/exception.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/lazy.hpp"
#include "quellix/paths.hpp"
#include "quellix/pattern.hpp"
#include "quellix/text.hpp"

#endif
