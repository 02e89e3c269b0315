// Finding a Language from what users write: BCP 47 tags ("de-AT", "sr-Latn-RS"), POSIX
// locale names ("de_DE.UTF-8"), file affixes ("en-us") and Language names ("Hungarian").
//
// The rules, in order (findLanguage):
//  1. Surrounding blanks are ignored; a POSIX locale's encoding and modifier (".UTF-8",
//     "@euro") are dropped; "_" counts as "-"; letters compare case-insensitively.
//  2. An exact file affix ("en-us", "de-1996", "la-x-classic") or Language name
//     ("English_US", "Hungarian") wins.
//  3. Aliases, for tags whose language has a longer affix or several pattern sets:
//       en -> en-us        de -> de-1996      el -> el-monoton   sh -> sh-latn
//       sr-latn -> sh-latn no -> nb           ku -> kmr          am, ti, gez -> mul-ethi
//     and a tag made of the leading subtags of exactly one affix completes to it
//     ("mn" -> mn-cyrl, "sr" -> sr-cyrl, "zh" -> zh-latn-pinyin, "de-ch" -> de-ch-1901).
//  4. Otherwise the last subtag is dropped and the search goes on from rule 2
//     ("en-GB-oxendict" -> en-gb, "pt-BR" -> pt, "de-AT" -> de -> de-1996,
//     "sr-Latn-RS" -> sr-latn -> sh-latn, "es-419" -> es).
//  5. When nothing is left, there is no language.
//
// All functions here are pure and thread-safe.
#ifndef QUELLIX_LANGUAGE_TAG_HPP
#define QUELLIX_LANGUAGE_TAG_HPP

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/export.hpp"
#include "quellix/language.hpp"

namespace quellix {

// The language that tag names under the rules above, or nothing. Throws nothing but
// std::bad_alloc.
[[nodiscard]] QUELLIX_API std::optional<Language> findLanguage(std::string_view tag);

// The short tags that lead to language through rule 3 (aliases and unique leading
// subtags), in a fixed order, for listings: {"en"} for English_US, {"sr"} for
// Serbian_Cyrillic, {} for Hungarian. Throws ArgumentError for a value outside 0..72.
[[nodiscard]] QUELLIX_API std::vector<std::string_view> languageAliases(Language language);

// Up to limit file affixes of the languages whose affix or name is closest to tag (a small
// edit distance, case-insensitive), closest first; empty when none is close. Meant for
// "did you mean" messages after findLanguage found nothing. Throws nothing but
// std::bad_alloc.
[[nodiscard]] QUELLIX_API std::vector<std::string_view> closeLanguageAffixes(std::string_view tag,
                                                                            std::size_t limit = 3);

}  // namespace quellix

#endif
