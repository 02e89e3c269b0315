// The character map built from a character-class text, and the deferred normaliser.
#include "char_classes.hpp"
#include "hyphenator_internal.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quellix::detail {
namespace {

using Entries = std::vector<std::pair<char32_t, char32_t>>;

Entries entriesOf(const CharMap& map) { return Entries(map.entries().begin(), map.entries().end()); }

TEST(CharMap, EachLaterCharacterOfALineMapsToItsFirst) {
  const CharMap map = charClassMap(U"aA\nbB\n");
  EXPECT_EQ(map(U'A'), U'a');
  EXPECT_EQ(map(U'B'), U'b');
  EXPECT_EQ(entriesOf(map), (Entries{{U'A', U'a'}, {U'B', U'b'}}));
  // The first character is not entered by its own line; unlisted characters are their
  // own normal form.
  EXPECT_EQ(map(U'a'), U'a');
  EXPECT_EQ(map(U'c'), U'c');
  EXPECT_EQ(map(U'\u00E9'), U'\u00E9');
  EXPECT_EQ(map(U'\U0010FFFF'), U'\U0010FFFF');
  EXPECT_EQ(map.size(), 2u);
}

TEST(CharMap, ALongerLineSpellsACapitalAndMapsNothing) {
  // The multi-character capitals of the built-in files: German "\u00DFSS", Armenian
  // "\u0587\u0535\u0552", Greek "\u0390\u0399\u0308\u0301": the pieces keep the mapping
  // of their own two-character lines, whichever line comes first.
  const CharMap german = charClassMap(U"sS\n\u00DFSS\n");
  EXPECT_EQ(german(U'S'), U's');
  EXPECT_EQ(german(U'\u00DF'), U'\u00DF');
  const CharMap armenian = charClassMap(U"\u0587\u0535\u0552\n\u0565\u0535\n\u0582\u0552\n");
  EXPECT_EQ(armenian(U'\u0535'), U'\u0565');
  EXPECT_EQ(armenian(U'\u0552'), U'\u0582');
  // A piece no two-character line maps is listed as its own normal form, so it still
  // counts as a character of the language.
  const CharMap greek = charClassMap(U"\u0390\u0399\u0308\u0301\n\u03B9\u0399\n");
  EXPECT_EQ(greek(U'\u0399'), U'\u03B9');
  EXPECT_EQ(entriesOf(greek), (Entries{{U'\u0301', U'\u0301'},
                                       {U'\u0308', U'\u0308'},
                                       {U'\u0390', U'\u0390'},
                                       {U'\u0399', U'\u03B9'}}));
  EXPECT_EQ(charClassMap(U"xAyA\n").size(), 3u);
  EXPECT_EQ(charClassMap(U"xAyA\n")(U'A'), U'A');
}

TEST(CharMap, LastTwoCharacterLineOfAVariantDecides) {
  // Turkish: "iI" then "\u0131I" maps I to dotless \u0131.
  const CharMap turkish = charClassMap(U"iI\n\u0131I\n");
  EXPECT_EQ(turkish(U'I'), U'\u0131');
  EXPECT_EQ(turkish(U'i'), U'i');
  // Greek: "\u03C2\u03A3" before "\u03C3\u03A3".
  const CharMap greek = charClassMap(U"\u03C2\u03A3\n\u03C3\u03A3\n");
  EXPECT_EQ(greek(U'\u03A3'), U'\u03C3');
  const CharMap later = charClassMap(U"aB\nbB\ncA\naA\n");
  EXPECT_EQ(later(U'A'), U'a');
  EXPECT_EQ(later(U'B'), U'b');
  EXPECT_EQ(later.size(), 2u);
}

TEST(CharMap, ShortLinesAddNothing) {
  const CharMap map = charClassMap(U"a\n\nbB\n\n\nc\n");
  EXPECT_EQ(entriesOf(map), (Entries{{U'B', U'b'}}));
  EXPECT_EQ(map(U'a'), U'a');
  EXPECT_EQ(charClassMap(U"").size(), 0u);
  EXPECT_EQ(charClassMap(U"\n\n").size(), 0u);
  EXPECT_EQ(charClassMap(U"a").size(), 0u);
}

TEST(CharMap, NoCharacterIsSpecial) {
  // Carriage return, space, tab and digits are characters like any other (so "aA\r" is
  // a line of three), and a last line without a line feed still counts.
  const CharMap map = charClassMap(U"aA\r\nb \n\t\t\n01\nzZ");
  EXPECT_EQ(map(U'A'), U'A');
  EXPECT_EQ(map(U'\r'), U'\r');
  EXPECT_EQ(map.entries().front(), (std::pair<char32_t, char32_t>{U'\t', U'\t'}));
  EXPECT_EQ(map(U' '), U'b');
  EXPECT_EQ(map(U'1'), U'0');
  EXPECT_EQ(map(U'Z'), U'z');
  EXPECT_EQ(map(U'\n'), U'\n');
  // A line may even map a character to itself, or to a character that maps elsewhere:
  // a single lookup, no chains.
  const CharMap chain = charClassMap(U"aa\nbA\nAB\n");
  EXPECT_EQ(chain(U'a'), U'a');
  EXPECT_EQ(chain(U'A'), U'b');
  EXPECT_EQ(chain(U'B'), U'A');
}

TEST(CharMap, FlatTableAndSparseEntriesAgree) {
  // Variants below, at and beyond the flat limit.
  std::u32string text = U"aA\n";
  text += U'x';
  text += static_cast<char32_t>(CharMap::kFlatLimit - 1);
  text += U"\ny";
  text += static_cast<char32_t>(CharMap::kFlatLimit);
  text += U"\nz\U0001F600\nz\U0010FFFF\n";
  const CharMap map = charClassMap(text);
  EXPECT_EQ(map.flat().size(), CharMap::kFlatLimit);
  EXPECT_EQ(map(CharMap::kFlatLimit - 1), U'x');
  EXPECT_EQ(map(CharMap::kFlatLimit), U'y');
  EXPECT_EQ(map(U'\U0001F600'), U'z');
  EXPECT_EQ(map(U'\U0010FFFF'), U'z');
  EXPECT_EQ(map(U'\U0001F601'), U'\U0001F601');
  EXPECT_EQ(map(CharMap::kFlatLimit + 1), CharMap::kFlatLimit + 1);
  for (char32_t c = 0; c < map.flat().size(); ++c) ASSERT_EQ(map.flat()[c], map(c)) << static_cast<std::uint32_t>(c);
  for (const auto& [variant, normal] : map.entries()) EXPECT_EQ(map(variant), normal);

  // The flat table ends after the largest variant when that is below the limit.
  const CharMap small = charClassMap(U"aA\n\u2019'\n");
  EXPECT_EQ(small.flat().size(), 0x42u);  // up to and including A
  EXPECT_EQ(small(U'\''), U'\u2019');
  EXPECT_EQ(small(U'\u2019'), U'\u2019');
  EXPECT_TRUE(CharMap().flat().empty());
  EXPECT_EQ(CharMap()(U'A'), U'A');
}

TEST(HyphenatorWithCharMap, BuildsTheMapOnFirstUseAndSharesItBetweenCopies) {
  std::atomic<int> builds{0};
  const Hyphenator h = hyphenatorWithCharMap(Lazy<CharMap>::deferred([&builds] {
    ++builds;
    return charClassMap(U"aA\n");
  }), Patterns(), Exceptions(), 1, 1);
  const Hyphenator copy = h;
  EXPECT_EQ(builds, 0);
  EXPECT_EQ(hyphenatorChars(copy)(U'A'), U'a');
  EXPECT_EQ(hyphenatorChars(h)(U'A'), U'a');
  EXPECT_EQ(hyphenatorChars(h)(U'b'), U'b');
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(hyphenatorCharMap(h), hyphenatorCharMap(copy));
  EXPECT_EQ(hyphenatorCharMap(Hyphenator(CharNormaliser(), Patterns(), Exceptions(), 1, 1)), nullptr);
}

TEST(HyphenatorWithCharMap, FailedBuildFailsEveryUse) {
  int builds = 0;
  const Hyphenator h = hyphenatorWithCharMap(Lazy<CharMap>::deferred([&builds]() -> CharMap {
    ++builds;
    throw std::runtime_error("Could not find hyph-xx.chr.txt.gz");
  }), Patterns(), Exceptions(), 1, 1);
  for (int i = 0; i < 3; ++i) {
    try {
      (void)hyphenate(h, std::u32string_view(U"word"));
      FAIL() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Could not find hyph-xx.chr.txt.gz");
    }
    EXPECT_THROW(hyphenatorChars(h)(U'A'), std::runtime_error);
  }
  EXPECT_EQ(builds, 1);
}

}  // namespace
}  // namespace quellix::detail
