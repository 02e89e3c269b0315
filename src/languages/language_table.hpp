// The per-language table (src/languages/languages.inc) as a constant array indexed by number.
// Internal to the library.
#ifndef QUELLIX_SRC_LANGUAGE_TABLE_HPP
#define QUELLIX_SRC_LANGUAGE_TABLE_HPP

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "quellix/language.hpp"

namespace quellix::detail {

// One row of the table: the Language's name, its file affix and its margins.
struct LanguageRow {
  std::string_view name;
  std::string_view affix;
  std::int64_t leftMin;
  std::int64_t rightMin;
};

// The 73 rows, row i for the language numbered i.
inline constexpr LanguageRow kLanguageRows[] = {
#define QUELLIX_LANGUAGE(number, Name, value, affix, leftMin, rightMin) {#Name, affix, leftMin, rightMin},
#include "languages.inc"
#undef QUELLIX_LANGUAGE
};
static_assert(std::size(kLanguageRows) == languageCount);

// Whether language is one of the 73 values (a cast can make others).
constexpr bool isLanguage(Language language) noexcept {
  return static_cast<std::size_t>(language) < languageCount;
}

// The row of language. Throws ArgumentError for a value outside 0..72.
const LanguageRow& languageRow(Language language);

}  // namespace quellix::detail

#endif
