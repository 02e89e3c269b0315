// Building a language's Hyphenator from its data files, with the file lookup as a
// parameter so that tests can supply a data set with missing or damaged files.
// Internal to the library.
#ifndef QUELLIX_SRC_LANGUAGE_LOADING_HPP
#define QUELLIX_SRC_LANGUAGE_LOADING_HPP

#include <string>
#include <string_view>

#include "data_file.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"

namespace quellix::detail {

// "hyph-" + languageAffix(language) + suffix, e.g. "hyph-en-us.pat.txt.gz".
// Throws ArgumentError for a value outside 0..72.
std::string dataFileName(Language language, std::string_view suffix);

// loadHyphenator(language) with its files found through lookup instead of the embedded
// data set. The call looks nothing up; each table calls lookup once, when first needed
// (lookup is kept until then, shared by the three builders). The patterns divide words
// through their lookup index, made from the sorted lines of the pattern file, and make
// their trie (calling lookup again) only when a caller asks for its nodes. With
// builtIndex, lookup must find the embedded files, and the index the build made from the
// embedded pattern file is used when there is one. Throws ArgumentError for a value outside 0..72.
Hyphenator loadHyphenatorFrom(Language language, FileLookup lookup, bool builtIndex = false);

}  // namespace quellix::detail

#endif
