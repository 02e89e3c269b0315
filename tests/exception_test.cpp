#include "quellix/exception.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "quellix/algebra.hpp"
#include "quellix/show.hpp"
#include "test_support.hpp"

namespace quellix {
namespace {

using testing::u32;

Exceptions tableOf(std::string_view text) { return parseExceptions(u32(text)); }

TEST(ScoreException, HyphensMarkTheBoundaryBeforeTheNextLetter) {
  EXPECT_EQ(scoreException(U"as-so-ciate"), (Scores{0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(scoreException(U"ta-ble"), (Scores{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(scoreException(U"present"), Scores(8, 0));
  EXPECT_EQ(scoreException(U""), (Scores{0}));
  EXPECT_EQ(scoreException(U"-"), (Scores{1}));
  EXPECT_EQ(scoreException(U"-abc"), (Scores{1, 0, 0, 0}));
  EXPECT_EQ(scoreException(U"abc-"), (Scores{0, 0, 0, 1}));
  // The second of two hyphens is swallowed like a letter.
  EXPECT_EQ(scoreException(U"ab--c"), (Scores{0, 0, 1, 0, 0}));
  // Other dashes are letters.
  EXPECT_EQ(scoreException(U"a\u2010b"), (Scores{0, 0, 0, 0}));
}

TEST(ParseExceptions, WordsAndLines) {
  Exceptions t = tableOf("as-so-ciate\nre-cog-ni-zance\npresent\n");
  EXPECT_EQ(t.size(), 3u);
  EXPECT_EQ(lookupException(U"associate", t), (Scores{0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(lookupException(U"recognizance", t),
            (Scores{0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(lookupException(U"present", t), Scores(8, 0));
  EXPECT_FALSE(lookupException(U"Present", t));
  EXPECT_FALSE(lookupException(U"as-so-ciate", t));

  EXPECT_EQ(tableOf("").size(), 0u);
  Exceptions blank = tableOf("\n");
  EXPECT_EQ(blank.size(), 1u);
  EXPECT_EQ(lookupException(U"", blank), (Scores{0}));
  EXPECT_EQ(lookupException(U"last", tableOf("first\nla-st")), (Scores{0, 0, 1, 0, 0}));
  EXPECT_EQ(lookupException(U"cr\r", tableOf("c-r\r\n")), (Scores{0, 1, 0, 0}));
}

TEST(AddException, RepeatedWordsKeepCommonBreaksAndShortestList) {
  Exceptions t = addException(U"ta-ble", Exceptions());
  Exceptions unbroken = addException(U"table", t);
  EXPECT_EQ(lookupException(U"table", unbroken), Scores(6, 0));
  EXPECT_EQ(lookupException(U"table", t), (Scores{0, 0, 1, 0, 0, 0}));  // unchanged
  Exceptions other = addException(U"tab-le", t);
  EXPECT_EQ(lookupException(U"table", other), Scores(6, 0));
  Exceptions shorter = addException(U"ta--ble", tableOf("t-a-ble"));
  // "ta--ble" has 7 scores, "t-a-ble" 6: the shorter length wins.
  EXPECT_EQ(lookupException(U"table", shorter)->size(), 6u);
  // The order of additions does not matter.
  EXPECT_EQ(tableOf("ta-ble\ntab-le\nt-able"), tableOf("t-able\ntab-le\nta-ble"));
}

TEST(ZipMin, PositionWiseMinimumOfTheCommonLength) {
  EXPECT_EQ(zipMin(Scores{1, 0, 1, 1}, Scores{1, 1, 0}), (Scores{1, 0, 0}));
  EXPECT_EQ(zipMin(Scores{1, 1, 0}, Scores{1, 0, 1, 1}), (Scores{1, 0, 0}));
  EXPECT_EQ(zipMin(Scores{}, Scores{1}), Scores{});
  EXPECT_EQ(zipMin(Scores{-5, 9}, Scores{3, 2}), (Scores{-5, 2}));
}

TEST(MergeExceptions, UnionWithZipMinAndMonoidLaws) {
  Exceptions a = tableOf("ta-ble\nas-so-ciate");
  Exceptions b = tableOf("table\npre-sent");
  Exceptions ab = a + b;
  EXPECT_EQ(ab.size(), 3u);
  EXPECT_EQ(lookupException(U"table", ab), Scores(6, 0));
  EXPECT_EQ(lookupException(U"present", ab), (Scores{0, 0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(a + b, b + a);
  Exceptions c = tableOf("t-able\nfoo");
  EXPECT_EQ((a + b) + c, a + (b + c));
  EXPECT_EQ(a + a, a);
  EXPECT_EQ(a + Exceptions(), a);
  EXPECT_EQ(Exceptions() + a, a);
  EXPECT_EQ(mconcat(std::vector<Exceptions>{a, b, c}), a + (b + c));
  EXPECT_EQ(mconcat(std::vector<Exceptions>{}), Exceptions());
  EXPECT_EQ(sconcat(a, std::vector<Exceptions>{}), a);
  EXPECT_EQ(stimes(3, a), a);
  EXPECT_EQ(lookupException(U"table", a), (Scores{0, 0, 1, 0, 0, 0}));  // operands unchanged
}

TEST(ExceptionsRendering, FormatPrecedenceAndEscapes) {
  EXPECT_EQ(show(Exceptions()), "Exceptions (fromList [])");
  EXPECT_EQ(show(tableOf("ta-ble")), "Exceptions (fromList [(\"table\",[0,0,1,0,0,0])])");
  Exceptions two = tableOf("b-c\na-b");
  EXPECT_EQ(show(two), "Exceptions (fromList [(\"ab\",[0,1,0]),(\"bc\",[0,1,0])])");
  EXPECT_EQ(showsPrec(11, two, "."), "(" + show(two) + ").");
  EXPECT_EQ(showsPrec(10, two).rfind("Exceptions ", 0), 0u);
  std::vector<Exceptions> list{Exceptions(), two};
  EXPECT_EQ(showList(list, ""), "[" + show(Exceptions()) + "," + show(two) + "]");
  EXPECT_EQ(show(parseExceptions(U"q\"\\\u00e91\n")),
            "Exceptions (fromList [(\"q\\\"\\\\\\233\\&1\",[0,0,0,0,0,0])])");
  std::ostringstream out;
  out << two;
  EXPECT_EQ(out.str(), show(two));
}

TEST(Exceptions, MillionCharacterWord) {
  std::u32string word(1'000'000, U'a');
  std::u32string entry = word;
  entry.insert(500'000, U"-");
  Exceptions t = parseExceptions(entry);
  auto scores = lookupException(word, t);
  ASSERT_TRUE(scores);
  EXPECT_EQ(scores->size(), 1'000'001u);
  EXPECT_EQ((*scores)[500'000], 1);
  EXPECT_EQ(t + t, t);
  EXPECT_EQ(show(t).size(), std::string("Exceptions (fromList [(\"\",[])])").size() +
                                1'000'000 + 2 * 1'000'001 - 1);
}

}  // namespace
}  // namespace quellix
