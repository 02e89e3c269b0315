// Language: the 73 languages whose hyph-utf8 pattern data the library carries, and the
// ready Hyphenator of each one.
//
// Everything here is thread-safe. Naming a language or holding one of its hyphenators
// costs nothing; a hyphenator decompresses and parses its data files only when one of its
// tables is first used.
#ifndef QUELLIX_LANGUAGE_HPP
#define QUELLIX_LANGUAGE_HPP

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/export.hpp"
#include "quellix/hyphenator.hpp"

namespace quellix {

// One of the 73 built-in languages. The number (0 to 72) alone decides equality,
// ordering and enumeration order; the built-in comparison operators of the enum give
// exactly that. The order is alphabetical by name except that English_US (13) comes
// before English_GB (14).
//
// A value outside 0..72 can only be made by a cast; the operations below that may throw
// reject it with ArgumentError, the noexcept ones document what they do with it.
enum class Language : std::uint8_t {
  Afrikaans = 0,
  Armenian = 1,
  Assamese = 2,
  Basque = 3,
  Bengali = 4,
  Bulgarian = 5,
  Catalan = 6,
  Chinese = 7,
  Coptic = 8,
  Croatian = 9,
  Czech = 10,
  Danish = 11,
  Dutch = 12,
  English_US = 13,
  English_GB = 14,
  Esperanto = 15,
  Estonian = 16,
  Ethiopic = 17,
  Finnish = 18,
  French = 19,
  Friulan = 20,
  Galician = 21,
  Georgian = 22,
  German_1901 = 23,
  German_1996 = 24,
  German_Swiss = 25,
  Greek_Ancient = 26,
  Greek_Mono = 27,
  Greek_Poly = 28,
  Gujarati = 29,
  Hindi = 30,
  Hungarian = 31,
  Icelandic = 32,
  Indonesian = 33,
  Interlingua = 34,
  Irish = 35,
  Italian = 36,
  Kannada = 37,
  Kurmanji = 38,
  Latin = 39,
  Latin_Classic = 40,
  Latvian = 41,
  Lithuanian = 42,
  Malayalam = 43,
  Marathi = 44,
  Mongolian = 45,
  Norwegian_Bokmal = 46,
  Norwegian_Nynorsk = 47,
  Occitan = 48,
  Oriya = 49,
  Panjabi = 50,
  Piedmontese = 51,
  Polish = 52,
  Portuguese = 53,
  Romanian = 54,
  Romansh = 55,
  Russian = 56,
  Sanskrit = 57,
  Serbian_Cyrillic = 58,
  Serbocroatian_Cyrillic = 59,
  Serbocroatian_Latin = 60,
  Slovak = 61,
  Slovenian = 62,
  Spanish = 63,
  Swedish = 64,
  Tamil = 65,
  Telugu = 66,
  Thai = 67,
  Turkish = 68,
  Turkmen = 69,
  Ukrainian = 70,
  Uppersorbian = 71,
  Welsh = 72,
};

// The least and the greatest Language (the bounds of the enumeration).
inline constexpr Language languageMinBound = Language::Afrikaans;
inline constexpr Language languageMaxBound = Language::Welsh;
// How many languages there are: fromEnum(languageMaxBound) + 1.
inline constexpr std::size_t languageCount = 73;

// ---------------------------------------------------------------------------------------
// Ordering (the operators ==, !=, <, <=, >, >=, <=> of the enum itself compare numbers).

// std::strong_ordering of the two numbers. Never throws.
constexpr std::strong_ordering compare(Language a, Language b) noexcept { return a <=> b; }
// The value with the larger number. Never throws.
constexpr Language max(Language a, Language b) noexcept { return a < b ? b : a; }
// The value with the smaller number. Never throws.
constexpr Language min(Language a, Language b) noexcept { return b < a ? b : a; }

// ---------------------------------------------------------------------------------------
// Numbers.

// The number of language, 0 to 72. Constant time; never throws.
constexpr std::int64_t fromEnum(Language language) noexcept {
  return static_cast<std::int64_t>(language);
}

// The language numbered i. Constant time. Throws LanguageRangeError outside 0..72, with
// the message "toEnum{Language}: tag (" + i + ") is outside of enumeration's range (0,72)".
QUELLIX_API Language toEnum(std::int64_t i);

// The next language. Throws LanguageRangeError for Welsh:
// "succ{Language}: tried to take `succ' of last tag in enumeration".
QUELLIX_API Language succ(Language language);

// The previous language. Throws LanguageRangeError for Afrikaans:
// "pred{Language}: tried to take `pred' of first tag in enumeration".
QUELLIX_API Language pred(Language language);

// ---------------------------------------------------------------------------------------
// Text form: a language's text form is its enumerator name, plain ASCII ("English_US").

// The name of language ("English_US"), a view of static storage. Empty for a value
// outside 0..72. Constant time; never throws.
QUELLIX_API std::string_view languageName(Language language) noexcept;

// The name followed by tail. The precedence d is ignored: a name is never parenthesised.
// Throws ArgumentError for a value outside 0..72.
QUELLIX_API std::string showsPrec(int d, Language language, std::string_view tail = {});
// The name, as a std::string. Throws ArgumentError for a value outside 0..72.
QUELLIX_API std::string show(Language language);
// "[" + the names separated by "," (no spaces) + "]" + tail; "[]" + tail when empty.
// Throws ArgumentError if a value lies outside 0..72.
QUELLIX_API std::string showList(std::span<const Language> languages, std::string_view tail = {});
// Writes show(language). Throws ArgumentError for a value outside 0..72.
QUELLIX_API std::ostream& operator<<(std::ostream& out, Language language);

// The language whose name ("English_US") or file affix ("en-us") equals text exactly
// (case-sensitive, no trimming), or nothing. Never throws.
QUELLIX_API std::optional<Language> languageFromName(std::string_view text) noexcept;

// ---------------------------------------------------------------------------------------
// Enumeration.

// An arithmetic progression of languages, produced on demand: the result of the
// enumFrom... functions below. A cheap value (three integers); iterating it reads no
// table beyond the numbers. A zero step with a limit not below the start gives an endless
// range, the start repeated forever: iterate it with a bound of your own.
//
// A forward range whose iterators yield Language by value; begin() and end() have the
// same type, so it works with range-for and the standard algorithms. Converting to
// std::vector (implicitly, or with toVector()) copies a finite range and throws
// ArgumentError for an endless one. Thread-safe (immutable).
class LanguageRange {
 public:
  class iterator {
   public:
    using iterator_concept = std::forward_iterator_tag;
    using iterator_category = std::input_iterator_tag;
    using value_type = Language;
    using difference_type = std::ptrdiff_t;
    using reference = Language;

    // A past-the-end iterator of the empty range.
    constexpr iterator() noexcept = default;

    constexpr Language operator*() const noexcept { return static_cast<Language>(number_); }
    constexpr iterator& operator++() noexcept {
      if (remaining_ > 0) {
        --remaining_;
        number_ += step_;
      }
      return *this;
    }
    constexpr iterator operator++(int) noexcept {
      iterator before = *this;
      ++*this;
      return before;
    }
    // Iterators of one range are equal when the same number of elements is left.
    friend constexpr bool operator==(const iterator& a, const iterator& b) noexcept {
      return a.remaining_ == b.remaining_;
    }

   private:
    friend class LanguageRange;
    constexpr iterator(std::int64_t number, std::int64_t step, std::int64_t remaining) noexcept
        : number_(number), step_(step), remaining_(remaining) {}
    std::int64_t number_ = 0;
    std::int64_t step_ = 0;
    // Elements left including the current one; -1 for an endless range, which never ends.
    std::int64_t remaining_ = 0;
  };

  // The empty range.
  constexpr LanguageRange() noexcept = default;

  constexpr iterator begin() const noexcept {
    return iterator(first_, step_, endless_ ? -1 : count_);
  }
  constexpr iterator end() const noexcept { return iterator(first_, step_, 0); }

  // Whether the range has no element. Never throws.
  constexpr bool empty() const noexcept { return !endless_ && count_ == 0; }
  // Whether the range repeats one language without end. Never throws.
  constexpr bool endless() const noexcept { return endless_; }
  // The number of elements (at most 73). Throws ArgumentError for an endless range.
  constexpr std::size_t size() const {
    if (endless_) throw ArgumentError("LanguageRange: an endless range has no size");
    return static_cast<std::size_t>(count_);
  }

  // The elements in order. Throws ArgumentError for an endless range.
  std::vector<Language> toVector() const {
    std::vector<Language> out;
    out.reserve(size());
    for (Language language : *this) out.push_back(language);
    return out;
  }
  // toVector(). Throws ArgumentError for an endless range.
  operator std::vector<Language>() const { return toVector(); }  // NOLINT(google-explicit-constructor)

  // Same elements in the same order (two endless ranges: the same repeated language).
  friend constexpr bool operator==(const LanguageRange& a, const LanguageRange& b) noexcept {
    if (a.endless_ != b.endless_) return false;
    if (a.endless_) return a.first_ == b.first_;
    if (a.count_ != b.count_) return false;
    if (a.count_ == 0) return true;
    return a.first_ == b.first_ && (a.count_ == 1 || a.step_ == b.step_);
  }

 private:
  friend constexpr LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept;
  friend constexpr LanguageRange enumFromTo(Language x, Language z) noexcept;
  constexpr LanguageRange(std::int64_t first, std::int64_t step, std::int64_t count,
                          bool endless) noexcept
      : first_(first), step_(step), count_(count), endless_(endless) {}
  std::int64_t first_ = 0;
  std::int64_t step_ = 0;
  std::int64_t count_ = 0;
  bool endless_ = false;
};

// The languages numbered n(x) up to n(z) inclusive, ascending; empty when n(z) < n(x).
// Never throws.
constexpr LanguageRange enumFromTo(Language x, Language z) noexcept {
  const std::int64_t a = fromEnum(x);
  const std::int64_t c = fromEnum(z);
  return LanguageRange(a, 1, c < a ? 0 : c - a + 1, false);
}

// The languages numbered n(x), n(x)+1, ..., 72. enumFrom(languageMinBound) lists all 73.
// Never throws.
constexpr LanguageRange enumFrom(Language x) noexcept { return enumFromTo(x, languageMaxBound); }

// The progression a, b, b+d, ... with a = n(x), b = n(y), step d = b - a, limited by
// c = n(z). Rising (d >= 0): while the element does not exceed c, but just x when
// a <= c < b and nothing when c < a. Falling (d < 0): while the element is not below c,
// but just x when b < c <= a and nothing when c > a. With d == 0 and c >= a the range is x
// repeated without end (endless()). Never throws.
constexpr LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept {
  const std::int64_t a = fromEnum(x);
  const std::int64_t b = fromEnum(y);
  const std::int64_t c = fromEnum(z);
  const std::int64_t d = b - a;
  if (d >= 0) {
    if (c < b) return LanguageRange(a, d, c >= a ? 1 : 0, false);
    if (d == 0) return LanguageRange(a, 0, 0, true);
    return LanguageRange(a, d, (c - a) / d + 1, false);
  }
  if (c > b) return LanguageRange(a, d, c <= a ? 1 : 0, false);
  return LanguageRange(a, d, (a - c) / -d + 1, false);
}

// enumFromThenTo(x, y, z) with z = languageMinBound when n(x) > n(y), languageMaxBound
// otherwise: a rising step runs up to Welsh, a falling one down to Afrikaans, and
// enumFromThen(x, x) is x without end. Never throws.
constexpr LanguageRange enumFromThen(Language x, Language y) noexcept {
  return enumFromThenTo(x, y, x > y ? languageMinBound : languageMaxBound);
}

// ---------------------------------------------------------------------------------------
// Hyphenators of the built-in languages.

// The affix naming language's data files, the hyph-utf8 language tag: "en-us" for
// English_US, "zh-latn-pinyin" for Chinese, "de-ch-1901" for German_Swiss. A view of
// static storage. Constant time. Throws ArgumentError for a value outside 0..72.
QUELLIX_API std::string_view languageAffix(Language language);

// A new Hyphenator for language, owned by the caller and sharing nothing with any other:
// the language's margins, and a normaliser, pattern trie and exception table that are
// built from the embedded data files "hyph-" + affix + ".chr.txt.gz" / ".pat.txt.gz" /
// ".hyp.txt.gz" on their first use. The call itself reads and parses nothing.
// Throws ArgumentError for a value outside 0..72 (and std::bad_alloc). The first use of
// a table throws DataFileError ("Could not find " + file name) if its file is missing from
// the data set, or DecompressionError if it is damaged; every later use of that table
// throws the same error again. Thread-safe.
QUELLIX_API Hyphenator loadHyphenator(Language language);

// The process-wide shared Hyphenator of language: made by loadHyphenator(language) on the
// first call for that language, at most once even when threads race (the others wait),
// and kept until the process ends. Each of its tables is built at most once per process.
// Builds nothing of any other language. Throws ArgumentError for a value outside 0..72.
// Thread-safe.
QUELLIX_API const Hyphenator& languageHyphenator(Language language);

// The licence and provenance notes carried with language's patterns (the embedded
// "hyph-" + affix + ".lic.txt.gz" file), decompressed, as UTF-8 text. Not used by
// division; decompresses afresh on every call. Throws DataFileError if the file is
// missing, DecompressionError if it is damaged, ArgumentError for a value outside 0..72.
// Thread-safe.
QUELLIX_API std::string languageLicence(Language language);

// Whether language's data files were embedded when the library was built (the build's
// QUELLIX_LANGUAGES choice; by default every language is). A language left out keeps its
// Language value, name, affix and margins, but building any of its tables, or
// languageLicence, throws DataFileError ("Could not find hyph-" + affix + ...).
// False for a value outside 0..72. Constant time; never throws; thread-safe.
QUELLIX_API bool languageBuiltIn(Language language) noexcept;

// A name for the shared Hyphenator of one language, usable wherever a const Hyphenator&
// is expected: hyphenate(english_US, U"associate"). Holds only the Language; converting
// calls languageHyphenator, so the first conversion builds the record (margins, unbuilt
// tables) and every conversion yields the very same object. Constant-initialised: no
// code runs at library load. Thread-safe.
class BuiltinHyphenator {
 public:
  constexpr explicit BuiltinHyphenator(Language language) noexcept : language_(language) {}

  // The language named.
  constexpr Language language() const noexcept { return language_; }

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
