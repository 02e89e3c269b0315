// Language and its enumeration: the 73 built-in languages as numbers, their ordering, and
// ranges over them (succ, pred, toEnum, fromEnum, enumFrom...). The hyphenators of the
// languages are in quellix/language.hpp.
#ifndef QUELLIX_LANGUAGE_ENUM_HPP
#define QUELLIX_LANGUAGE_ENUM_HPP

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/export.hpp"

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
[[nodiscard]] constexpr std::strong_ordering compare(Language a, Language b) noexcept { return a <=> b; }
// The value with the larger number. Never throws.
[[nodiscard]] constexpr Language max(Language a, Language b) noexcept { return a < b ? b : a; }
// The value with the smaller number. Never throws.
[[nodiscard]] constexpr Language min(Language a, Language b) noexcept { return b < a ? b : a; }

// ---------------------------------------------------------------------------------------
// Numbers.

// The number of language, 0 to 72. Constant time; never throws.
[[nodiscard]] constexpr std::int64_t fromEnum(Language language) noexcept {
  return static_cast<std::int64_t>(language);
}

// The language numbered i. Constant time. Throws LanguageRangeError outside 0..72, with
// the message "toEnum{Language}: tag (" + i + ") is outside of enumeration's range (0,72)".
[[nodiscard]] QUELLIX_API Language toEnum(std::int64_t i);

// The next language. Throws LanguageRangeError for Welsh:
// "succ{Language}: tried to take `succ' of last tag in enumeration".
[[nodiscard]] QUELLIX_API Language succ(Language language);

// The previous language. Throws LanguageRangeError for Afrikaans:
// "pred{Language}: tried to take `pred' of first tag in enumeration".
[[nodiscard]] QUELLIX_API Language pred(Language language);

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

    [[nodiscard]] constexpr Language operator*() const noexcept { return static_cast<Language>(number_); }
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

  [[nodiscard]] constexpr iterator begin() const noexcept {
    return iterator(first_, step_, endless_ ? -1 : count_);
  }
  [[nodiscard]] constexpr iterator end() const noexcept { return iterator(first_, step_, 0); }

  // Whether the range has no element. Never throws.
  [[nodiscard]] constexpr bool empty() const noexcept { return !endless_ && count_ == 0; }
  // Whether the range repeats one language without end. Never throws.
  [[nodiscard]] constexpr bool endless() const noexcept { return endless_; }
  // The number of elements (at most 73). Throws ArgumentError for an endless range.
  [[nodiscard]] constexpr std::size_t size() const {
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
[[nodiscard]] constexpr LanguageRange enumFromTo(Language x, Language z) noexcept {
  const std::int64_t a = fromEnum(x);
  const std::int64_t c = fromEnum(z);
  return LanguageRange(a, 1, c < a ? 0 : c - a + 1, false);
}

// The languages numbered n(x), n(x)+1, ..., 72. enumFrom(languageMinBound) lists all 73.
// Never throws.
[[nodiscard]] constexpr LanguageRange enumFrom(Language x) noexcept { return enumFromTo(x, languageMaxBound); }

// The progression a, b, b+d, ... with a = n(x), b = n(y), step d = b - a, limited by
// c = n(z). Rising (d >= 0): while the element does not exceed c, but just x when
// a <= c < b and nothing when c < a. Falling (d < 0): while the element is not below c,
// but just x when b < c <= a and nothing when c > a. With d == 0 and c >= a the range is x
// repeated without end (endless()). Never throws.
[[nodiscard]] constexpr LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept {
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
[[nodiscard]] constexpr LanguageRange enumFromThen(Language x, Language y) noexcept {
  return enumFromThenTo(x, y, x > y ? languageMinBound : languageMaxBound);
}

}  // namespace quellix

#endif
