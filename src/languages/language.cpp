// Language: numbers, names, text forms and the checks that tie the public enumeration and
// the per-language values to the table in languages.inc.
#include "quellix/language.hpp"
#include "quellix/language_enum.hpp"
#include "quellix/show.hpp"

#include <ostream>
#include <string>

#include "language_table.hpp"

namespace quellix {
namespace detail {
namespace {

// Whether value is name with its first letter in lower case ("english_US", "English_US").
constexpr bool isValueNameOf(std::string_view value, std::string_view name) {
  if (value.empty() || value.size() != name.size()) return false;
  if (!(name[0] >= 'A' && name[0] <= 'Z') || value[0] != name[0] - 'A' + 'a') return false;
  return value.substr(1) == name.substr(1);
}

// The header spells the enumeration and the 73 values out; each must agree with its row.
#define QUELLIX_LANGUAGE(number, Name, value, affix, leftMin, rightMin)                     \
  static_assert(static_cast<int>(Language::Name) == (number), "Language::" #Name " number"); \
  static_assert(kLanguageRows[number].name == #Name, "row " #number " out of order");       \
  static_assert(quellix::value.language() == Language::Name, #value " names " #Name);       \
  static_assert(isValueNameOf(#value, #Name), #value " is not named after " #Name);
#include "languages.inc"
#undef QUELLIX_LANGUAGE
static_assert(fromEnum(languageMaxBound) + 1 == static_cast<std::int64_t>(languageCount));

[[noreturn]] void throwNotALanguage(Language language) {
  throw ArgumentError("Language: " + std::to_string(static_cast<int>(language)) +
                      " is not the number of a language");
}

}  // namespace

const LanguageRow& languageRow(Language language) {
  if (!isLanguage(language)) throwNotALanguage(language);
  return kLanguageRows[static_cast<std::size_t>(language)];
}

}  // namespace detail

Language toEnum(std::int64_t i) {
  if (i < 0 || i > fromEnum(languageMaxBound)) {
    throw LanguageRangeError("toEnum{Language}: tag (" + std::to_string(i) +
                             ") is outside of enumeration's range (0," +
                             std::to_string(fromEnum(languageMaxBound)) + ")");
  }
  return static_cast<Language>(i);
}

Language succ(Language language) {
  if (language >= languageMaxBound) {
    if (language == languageMaxBound)
      throw LanguageRangeError("succ{Language}: tried to take `succ' of last tag in enumeration");
    detail::languageRow(language);  // throws: not a language
  }
  return static_cast<Language>(fromEnum(language) + 1);
}

Language pred(Language language) {
  if (language == languageMinBound)
    throw LanguageRangeError("pred{Language}: tried to take `pred' of first tag in enumeration");
  detail::languageRow(language);  // rejects a value that is not a language
  return static_cast<Language>(fromEnum(language) - 1);
}

std::string_view languageName(Language language) noexcept {
  if (!detail::isLanguage(language)) return {};
  return detail::kLanguageRows[static_cast<std::size_t>(language)].name;
}

std::string showsPrec(int /*d*/, Language language, std::string_view tail) {
  const std::string_view name = detail::languageRow(language).name;
  std::string out;
  out.reserve(name.size() + tail.size());
  out += name;
  out += tail;
  return out;
}

std::string show(Language language) { return std::string(detail::languageRow(language).name); }

std::string showList(std::span<const Language> languages, std::string_view tail) {
  std::string out = "[";
  for (std::size_t i = 0; i < languages.size(); ++i) {
    if (i != 0) out += ',';
    out += detail::languageRow(languages[i]).name;
  }
  out += ']';
  out += tail;
  return out;
}

std::ostream& operator<<(std::ostream& out, Language language) {
  const std::string_view name = detail::languageRow(language).name;
  return out.write(name.data(), static_cast<std::streamsize>(name.size()));
}

std::optional<Language> languageFromName(std::string_view text) noexcept {
  for (std::size_t i = 0; i < languageCount; ++i) {
    const detail::LanguageRow& row = detail::kLanguageRows[i];
    if (row.name == text || row.affix == text) return static_cast<Language>(i);
  }
  return std::nullopt;
}

std::string_view languageAffix(Language language) { return detail::languageRow(language).affix; }

}  // namespace quellix
