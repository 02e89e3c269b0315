// The character map built from a character-class text, and the deferred normaliser.
#include "char_classes.hpp"

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
  const CharMap map(U"aA\nbB\n");
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

TEST(CharMap, SeveralVariantsOnOneLine) {
  // The Greek files list a precomposed capital beside its pieces, all for one letter.
  const CharMap map(U"\u03AC\u0386\u0391\u0301\n");
  EXPECT_EQ(map(U'\u0386'), U'\u03AC');
  EXPECT_EQ(map(U'\u0391'), U'\u03AC');
  EXPECT_EQ(map(U'\u0301'), U'\u03AC');
  EXPECT_EQ(map.size(), 3u);
}

TEST(CharMap, LastOccurrenceOfAVariantDecides) {
  // As in the German files: "sS" first, later "ßS"; so S becomes ß and s stays s.
  const CharMap german(U"sS\n\u00DFS\n");
  EXPECT_EQ(german(U'S'), U'\u00DF');
  EXPECT_EQ(german(U's'), U's');
  // As in Greek_Mono: "ςΣ" before "σΣ".
  const CharMap greek(U"\u03C2\u03A3\n\u03C3\u03A3\n");
  EXPECT_EQ(greek(U'\u03A3'), U'\u03C3');
  // Within one line as well.
  const CharMap sameLine(U"xAyA\n");
  EXPECT_EQ(sameLine(U'A'), U'x');
  EXPECT_EQ(sameLine(U'y'), U'x');
  const CharMap later(U"aAB\nbB\ncA\n");
  EXPECT_EQ(later(U'A'), U'c');
  EXPECT_EQ(later(U'B'), U'b');
  EXPECT_EQ(later.size(), 2u);
}

TEST(CharMap, ShortLinesAddNothing) {
  const CharMap map(U"a\n\nbB\n\n\nc\n");
  EXPECT_EQ(entriesOf(map), (Entries{{U'B', U'b'}}));
  EXPECT_EQ(map(U'a'), U'a');
  EXPECT_EQ(CharMap(U"").size(), 0u);
  EXPECT_EQ(CharMap(U"\n\n").size(), 0u);
  EXPECT_EQ(CharMap(U"a").size(), 0u);
}

TEST(CharMap, NoCharacterIsSpecial) {
  // Carriage return, space, tab and digits are variants like any other character, and a
  // last line without a line feed still counts.
  const CharMap map(U"aA\r\nb \t\n01\nzZ");
  EXPECT_EQ(map(U'A'), U'a');
  EXPECT_EQ(map(U'\r'), U'a');
  EXPECT_EQ(map(U' '), U'b');
  EXPECT_EQ(map(U'\t'), U'b');
  EXPECT_EQ(map(U'1'), U'0');
  EXPECT_EQ(map(U'Z'), U'z');
  EXPECT_EQ(map(U'\n'), U'\n');
  // A line may even map a character to itself, or to a character that maps elsewhere:
  // a single lookup, no chains.
  const CharMap chain(U"aa\nbA\nAB\n");
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
  text += U"\nz\U0001F600\U0010FFFF\n";
  const CharMap map(text);
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
  const CharMap small(U"aA\n\u2019'\n");
  EXPECT_EQ(small.flat().size(), 0x42u);  // up to and including A
  EXPECT_EQ(small(U'\''), U'\u2019');
  EXPECT_EQ(small(U'\u2019'), U'\u2019');
  EXPECT_TRUE(CharMap().flat().empty());
  EXPECT_EQ(CharMap()(U'A'), U'A');
}

TEST(CharClassNormaliser, BuildsTheMapOnFirstCallAndSharesItBetweenCopies) {
  std::atomic<int> builds{0};
  const CharClassNormaliser normaliser{Lazy<CharMap>::deferred([&builds] {
    ++builds;
    return CharMap(U"aA\n");
  })};
  const CharClassNormaliser copy = normaliser;
  EXPECT_EQ(builds, 0);
  EXPECT_EQ(copy(U'A'), U'a');
  EXPECT_EQ(normaliser(U'A'), U'a');
  EXPECT_EQ(normaliser(U'b'), U'b');
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(&normaliser.map.get(), &copy.map.get());
}

TEST(CharClassNormaliser, FailedBuildFailsEveryCall) {
  int builds = 0;
  const CharClassNormaliser normaliser{Lazy<CharMap>::deferred([&builds]() -> CharMap {
    ++builds;
    throw std::runtime_error("Could not find hyph-xx.chr.txt.gz");
  })};
  for (int i = 0; i < 3; ++i) {
    try {
      normaliser(U'A');
      FAIL() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Could not find hyph-xx.chr.txt.gz");
    }
  }
  EXPECT_EQ(builds, 1);
}

}  // namespace
}  // namespace quellix::detail
