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
// The operations most callers need:
//   - hyphenator.hpp: Hyphenator (a cheap handle: a character normaliser, a pattern trie,
//     an exception table, two margins), hyphenate, breakPoints (the break positions
//     without building strings; allocates nothing once the tables are built).
//   - language.hpp: the 73 built-in languages, languageHyphenator (or the named values
//     english_US, german_1996, ...), loadHyphenator, languageName, languageAffix.
//   - language_tag.hpp: findLanguage("de-AT"), the language for a BCP 47 / HTML tag.
//   - custom.hpp: withExceptions, withMargins, withPatternText: a language's hyphenator
//     with your own word list, margins or patterns.
//   - text.hpp: hyphenateText and TextHyphenator for running text and HTML.
//   - dictionary.hpp: loadDictionary, libhyphen's .dic files (/usr/share/hyphen), and
//     breaksWithChanges / hyphenateWithChanges for the breaks that change a word's spelling.
// Tables are built from the embedded data on first use, once, and shared.
//
// For callers with tables of their own: pattern.hpp (parsePatterns, insertPattern,
// lookupPattern) and exception.hpp (parseExceptions, addException, lookupException)
// build immutable tables from TeX-style text ("1gr", ".ach4"; "as-so-ciate"). The
// functional operations over them have their own headers: algebra.hpp merges tables
// (a + b, mconcat, sconcat, stimes, zipMin), show.hpp renders them for debugging, and
// language_enum.hpp enumerates languages (succ, pred, toEnum, enumFromTo, ...).
//
// paths.hpp reports the library's installation directories and its version; lazy.hpp
// holds Lazy<T>, the deferred values a Hyphenator may be given. user_files.hpp (with
// limits.h) holds the size limits of callers' pattern and exception files and a reader
// that keeps to them; printable.hpp the escaping that messages give a caller's text.
//
// Threads: every operation may be called from any number of threads at once. The only
// synchronisation is the one-time build of a deferred value (lazy.hpp). Errors are
// thrown as quellix::Error subclasses (error.hpp); the library never prints or aborts.
#ifndef QUELLIX_QUELLIX_HPP
#define QUELLIX_QUELLIX_HPP

#include "quellix/algebra.hpp"
#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/error.hpp"
#include "quellix/exception.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_enum.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/lazy.hpp"
#include "quellix/paths.hpp"
#include "quellix/printable.hpp"
#include "quellix/pattern.hpp"
#include "quellix/show.hpp"
#include "quellix/text.hpp"
#include "quellix/user_files.hpp"

#endif
