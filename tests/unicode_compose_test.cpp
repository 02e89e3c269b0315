// Canonical composition of words, with the source characters of each composed one.
#include "unicode_compose.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quellix::detail {
namespace {

std::u32string composed(std::u32string_view source) {
  std::vector<ComposedChar> out;
  composeTracked(source, out);
  std::u32string codes;
  for (const ComposedChar& c : out) codes.push_back(c.code);
  return codes;
}

TEST(Compose, GivesTheComposedForm) {
  struct Case {
    std::u32string source, expected;
  };
  const Case cases[] = {
      {U"e\u0301le\u0301ment", U"\u00E9l\u00E9ment"},
      {U"\u00E9le\u0301", U"\u00E9l\u00E9"},
      // Marks in either order; one that cannot join stays after the composed letter.
      {U"a\u0323\u0302", U"\u1EAD"},
      {U"a\u0302\u0323", U"\u1EAD"},
      {U"\u00E2\u0323", U"\u1EAD"},
      {U"x\u0304", U"x\u0304"},
      {U"a\u0304\u0304", U"\u0101\u0304"},
      // Decomposed first: a composed letter followed by a mark recomposes in canonical order.
      {U"\u1EA1\u0302", U"\u1EAD"},
      // Greek with two marks; iota with dialytika and tonos.
      {U"\u03B9\u0308\u0301", U"\u0390"},
      {U"\u0399\u0308\u0301", U"\u03AA\u0301"},
      // Excluded and singleton decompositions: never composed back.
      {U"\u212B", U"\u00C5"},
      {U"\u2126", U"\u03A9"},
      {U"\u0958", U"\u0915\u093C"},
      // Hangul syllables by arithmetic, and a leading mark that has nothing to join.
      {U"\u1100\u1161\u11A8", U"\uAC01"},
      {U"\uAC00\u11A8", U"\uAC01"},
      {U"\u0301a", U"\u0301a"},
      {U"", U""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(composed(c.source), c.expected) << c.source.size();
  }
}

TEST(Compose, TracksTheSourceOfEachCharacter) {
  std::vector<ComposedChar> out;
  // The marks are reordered (dot below first) and both join the e.
  composeTracked(std::u32string_view(U"be\u0302\u0323c"), out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1].code, U'\u1EC7');
  EXPECT_EQ(out[1].first, 1u);
  EXPECT_EQ(out[1].last, 3u);
  EXPECT_EQ(out[2].first, 4u);
}

TEST(Compose, StableCharactersAreKnown) {
  for (char32_t c : {U'a', U'\u00E9', U'\u0101', U'\u0430', U'\u4E00'})
    EXPECT_FALSE(mayChangeInComposition(c)) << static_cast<unsigned>(c);
  for (char32_t c : {U'\u0301', U'\u0323', U'\u212B', U'\u1161', U'\u0B3E'})
    EXPECT_TRUE(mayChangeInComposition(c)) << static_cast<unsigned>(c);
  EXPECT_EQ(combiningClass(U'\u0301'), 230);
  EXPECT_EQ(combiningClass(U'\u0323'), 220);
  EXPECT_EQ(combiningClass(U'a'), 0);
  EXPECT_EQ(combiningClass(U'\U0010FFFF'), 0);
}

}  // namespace
}  // namespace quellix::detail
