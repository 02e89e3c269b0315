// Derived hyphenators: user exception lists, other patterns, other margins.
#include "quellix/custom.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "quellix/language.hpp"

namespace {

std::string divided(const quellix::Hyphenator& h, std::string_view word) {
  std::string out;
  for (std::string_view piece : quellix::hyphenate(h, word)) {
    if (!out.empty()) out += '-';
    out += piece;
  }
  return out;
}

TEST(WithExceptions, UserWordsTakeThePlaceOfBuiltInOnes) {
  const quellix::Hyphenator house = quellix::withExceptions(
      quellix::english_US,
      "\xEF\xBB\xBF# house style\r\n"
      "% also a comment\n"
      "\n"
      "   \t\n"
      "Quel-lix  \r\n"
      "\tasso-ciate\n"
      "table\n"
      "ré-su-mé");
  const struct {
    std::string_view word, expected;
  } cases[] = {
      {"quellix", "quel-lix"},   {"QUELLIX", "QUEL-LIX"},       {"Quellix", "Quel-lix"},
      {"associate", "asso-ciate"}, {"table", "table"},          {"résumé", "ré-sumé"},
      {"hyphenation", "hy-phen-ation"},  // untouched words keep the language's division
  };
  for (const auto& c : cases) EXPECT_EQ(divided(house, c.word), c.expected) << c.word;
  // The base is unchanged.
  EXPECT_EQ(divided(quellix::english_US, "associate"), "as-so-ciate");
  EXPECT_EQ(divided(quellix::english_US, "table"), "ta-ble");
}

TEST(WithExceptions, RejectsTextThatIsNotUtf8AndNamesWhere) {
  try {
    (void)quellix::withExceptions(quellix::english_US, "ok\nfi-ne\nba\xC3(d\n", "house.txt");
    FAIL() << "no error";
  } catch (const quellix::ArgumentError& e) {
    EXPECT_STREQ(e.what(), "house.txt: not UTF-8 at line 3, byte offset 11");
  }
  EXPECT_THROW((void)quellix::withPatternText(quellix::english_US, "1a\n\xFF", "p.tex"),
               quellix::ArgumentError);
}

TEST(WithPatternsAndMargins, ReplaceOnlyWhatTheyName) {
  const quellix::Hyphenator everyB = quellix::withPatternText(quellix::english_US, "1b\n");
  EXPECT_EQ(divided(everyB, "abbabba"), "ab-ba-bba");
  EXPECT_EQ(divided(everyB, "associate"), "as-so-ciate");  // exceptions still apply
  EXPECT_EQ(quellix::hyphenatorLeftMin(everyB), 2);

  const quellix::Hyphenator wide = quellix::withMargins(quellix::english_US, 4, 4);
  EXPECT_EQ(divided(wide, "hyphenation"), "hyphen-ation");
  EXPECT_EQ(quellix::hyphenatorRightMin(wide), 4);
  EXPECT_TRUE(quellix::hyphenatorPatterns(wide) == quellix::hyphenatorPatterns(quellix::english_US));

  // Derivations compose.
  const quellix::Hyphenator both = quellix::withMargins(
      quellix::withExceptions(quellix::english_US, "hyphena-tion\n"), 1, 1);
  EXPECT_EQ(divided(both, "hyphenation"), "hyphena-tion");
}

}  // namespace
