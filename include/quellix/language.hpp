// Language: the 73 languages whose hyph-utf8 pattern data the library carries, and the
// ready Hyphenator of each one.
//
// Everything here is thread-safe. Naming a language or holding one of its hyphenators
// costs nothing; a hyphenator decompresses and parses its data files only when one of its
// tables is first used.
#ifndef QUELLIX_LANGUAGE_HPP
#define QUELLIX_LANGUAGE_HPP

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/export.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language_enum.hpp"

namespace quellix {

// ---------------------------------------------------------------------------------------
// Text form: a language's text form is its enumerator name, plain ASCII ("English_US").

// The name of language ("English_US"), a view of static storage. Empty for a value
// outside 0..72. Constant time; never throws.
[[nodiscard]] QUELLIX_API std::string_view languageName(Language language) noexcept;

// The language whose name ("English_US") or file affix ("en-us") equals text exactly
// (case-sensitive, no trimming), or nothing. Never throws.
[[nodiscard]] QUELLIX_API std::optional<Language> languageFromName(std::string_view text) noexcept;

// ---------------------------------------------------------------------------------------
// Hyphenators of the built-in languages.

// The affix naming language's data files, the hyph-utf8 language tag: "en-us" for
// English_US, "zh-latn-pinyin" for Chinese, "de-ch-1901" for German_Swiss. A view of
// static storage. Constant time. Throws ArgumentError for a value outside 0..72.
[[nodiscard]] QUELLIX_API std::string_view languageAffix(Language language);

// A new Hyphenator for language, owned by the caller and sharing nothing with any other:
// the language's margins, and a normaliser, pattern trie and exception table that are
// built from the embedded data files "hyph-" + affix + ".chr.txt.gz" / ".pat.txt.gz" /
// ".hyp.txt.gz" on their first use. The call itself reads and parses nothing.
// Throws ArgumentError for a value outside 0..72 (and std::bad_alloc). The first use of
// a table throws DataFileError ("Could not find " + file name) if its file is missing from
// the data set, or DecompressionError if it is damaged; every later use of that table
// throws the same error again. Thread-safe.
[[nodiscard]] QUELLIX_API Hyphenator loadHyphenator(Language language);

// The process-wide shared Hyphenator of language: made by loadHyphenator(language) on the
// first call for that language, at most once even when threads race (the others wait),
// and kept until the process ends. Each of its tables is built at most once per process.
// Builds nothing of any other language. Throws ArgumentError for a value outside 0..72.
// Thread-safe.
[[nodiscard]] QUELLIX_API const Hyphenator& languageHyphenator(Language language);

// The licence and provenance notes carried with language's patterns (the embedded
// "hyph-" + affix + ".lic.txt.gz" file), decompressed, as UTF-8 text. Not used by
// division; decompresses afresh on every call. Throws DataFileError if the file is
// missing, DecompressionError if it is damaged, ArgumentError for a value outside 0..72.
// Thread-safe.
[[nodiscard]] QUELLIX_API std::string languageLicence(Language language);

// Whether language's data files were embedded when the library was built (the build's
// QUELLIX_LANGUAGES choice; by default every language is), or were handed to it since (the
// WebAssembly package's core loads each language's files when first needed; once true, it
// stays true). A language left out keeps its
// Language value, name, affix and margins, but building any of its tables, or
// languageLicence, throws DataFileError ("Could not find hyph-" + affix + ...).
// False for a value outside 0..72. Constant time; never throws; thread-safe.
[[nodiscard]] QUELLIX_API bool languageBuiltIn(Language language) noexcept;

// A name for the shared Hyphenator of one language, usable wherever a const Hyphenator&
// is expected: hyphenate(english_US, U"associate"). Holds only the Language; converting
// calls languageHyphenator, so the first conversion builds the record (margins, unbuilt
// tables) and every conversion yields the very same object. Constant-initialised: no
// code runs at library load. Thread-safe.
class BuiltinHyphenator {
 public:
  constexpr explicit BuiltinHyphenator(Language language) noexcept : language_(language) {}

  // The language named.
  [[nodiscard]] constexpr Language language() const noexcept { return language_; }

  // languageHyphenator(language()).
  const Hyphenator& get() const { return languageHyphenator(language_); }
  // languageHyphenator(language()).
  operator const Hyphenator&() const { return get(); }  // NOLINT(google-explicit-constructor)

 private:
  Language language_;
};

// The 73 shared hyphenators, one per Language, named after it with a lower-case first
// letter.
inline constexpr BuiltinHyphenator afrikaans{Language::Afrikaans};
inline constexpr BuiltinHyphenator armenian{Language::Armenian};
inline constexpr BuiltinHyphenator assamese{Language::Assamese};
inline constexpr BuiltinHyphenator basque{Language::Basque};
inline constexpr BuiltinHyphenator bengali{Language::Bengali};
inline constexpr BuiltinHyphenator bulgarian{Language::Bulgarian};
inline constexpr BuiltinHyphenator catalan{Language::Catalan};
inline constexpr BuiltinHyphenator chinese{Language::Chinese};
inline constexpr BuiltinHyphenator coptic{Language::Coptic};
inline constexpr BuiltinHyphenator croatian{Language::Croatian};
inline constexpr BuiltinHyphenator czech{Language::Czech};
inline constexpr BuiltinHyphenator danish{Language::Danish};
inline constexpr BuiltinHyphenator dutch{Language::Dutch};
inline constexpr BuiltinHyphenator english_US{Language::English_US};
inline constexpr BuiltinHyphenator english_GB{Language::English_GB};
inline constexpr BuiltinHyphenator esperanto{Language::Esperanto};
inline constexpr BuiltinHyphenator estonian{Language::Estonian};
inline constexpr BuiltinHyphenator ethiopic{Language::Ethiopic};
inline constexpr BuiltinHyphenator finnish{Language::Finnish};
inline constexpr BuiltinHyphenator french{Language::French};
inline constexpr BuiltinHyphenator friulan{Language::Friulan};
inline constexpr BuiltinHyphenator galician{Language::Galician};
inline constexpr BuiltinHyphenator georgian{Language::Georgian};
inline constexpr BuiltinHyphenator german_1901{Language::German_1901};
inline constexpr BuiltinHyphenator german_1996{Language::German_1996};
inline constexpr BuiltinHyphenator german_Swiss{Language::German_Swiss};
inline constexpr BuiltinHyphenator greek_Ancient{Language::Greek_Ancient};
inline constexpr BuiltinHyphenator greek_Mono{Language::Greek_Mono};
inline constexpr BuiltinHyphenator greek_Poly{Language::Greek_Poly};
inline constexpr BuiltinHyphenator gujarati{Language::Gujarati};
inline constexpr BuiltinHyphenator hindi{Language::Hindi};
inline constexpr BuiltinHyphenator hungarian{Language::Hungarian};
inline constexpr BuiltinHyphenator icelandic{Language::Icelandic};
inline constexpr BuiltinHyphenator indonesian{Language::Indonesian};
inline constexpr BuiltinHyphenator interlingua{Language::Interlingua};
inline constexpr BuiltinHyphenator irish{Language::Irish};
inline constexpr BuiltinHyphenator italian{Language::Italian};
inline constexpr BuiltinHyphenator kannada{Language::Kannada};
inline constexpr BuiltinHyphenator kurmanji{Language::Kurmanji};
inline constexpr BuiltinHyphenator latin{Language::Latin};
inline constexpr BuiltinHyphenator latin_Classic{Language::Latin_Classic};
inline constexpr BuiltinHyphenator latvian{Language::Latvian};
inline constexpr BuiltinHyphenator lithuanian{Language::Lithuanian};
inline constexpr BuiltinHyphenator malayalam{Language::Malayalam};
inline constexpr BuiltinHyphenator marathi{Language::Marathi};
inline constexpr BuiltinHyphenator mongolian{Language::Mongolian};
inline constexpr BuiltinHyphenator norwegian_Bokmal{Language::Norwegian_Bokmal};
inline constexpr BuiltinHyphenator norwegian_Nynorsk{Language::Norwegian_Nynorsk};
inline constexpr BuiltinHyphenator occitan{Language::Occitan};
inline constexpr BuiltinHyphenator oriya{Language::Oriya};
inline constexpr BuiltinHyphenator panjabi{Language::Panjabi};
inline constexpr BuiltinHyphenator piedmontese{Language::Piedmontese};
inline constexpr BuiltinHyphenator polish{Language::Polish};
inline constexpr BuiltinHyphenator portuguese{Language::Portuguese};
inline constexpr BuiltinHyphenator romanian{Language::Romanian};
inline constexpr BuiltinHyphenator romansh{Language::Romansh};
inline constexpr BuiltinHyphenator russian{Language::Russian};
inline constexpr BuiltinHyphenator sanskrit{Language::Sanskrit};
inline constexpr BuiltinHyphenator serbian_Cyrillic{Language::Serbian_Cyrillic};
inline constexpr BuiltinHyphenator serbocroatian_Cyrillic{Language::Serbocroatian_Cyrillic};
inline constexpr BuiltinHyphenator serbocroatian_Latin{Language::Serbocroatian_Latin};
inline constexpr BuiltinHyphenator slovak{Language::Slovak};
inline constexpr BuiltinHyphenator slovenian{Language::Slovenian};
inline constexpr BuiltinHyphenator spanish{Language::Spanish};
inline constexpr BuiltinHyphenator swedish{Language::Swedish};
inline constexpr BuiltinHyphenator tamil{Language::Tamil};
inline constexpr BuiltinHyphenator telugu{Language::Telugu};
inline constexpr BuiltinHyphenator thai{Language::Thai};
inline constexpr BuiltinHyphenator turkish{Language::Turkish};
inline constexpr BuiltinHyphenator turkmen{Language::Turkmen};
inline constexpr BuiltinHyphenator ukrainian{Language::Ukrainian};
inline constexpr BuiltinHyphenator uppersorbian{Language::Uppersorbian};
inline constexpr BuiltinHyphenator welsh{Language::Welsh};

}  // namespace quellix

#endif
