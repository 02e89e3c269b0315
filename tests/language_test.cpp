#include "quellix/language.hpp"
#include "quellix/show.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "language_rows.hpp"

namespace quellix {
namespace {

using testing::kExpectedLanguages;
using L = Language;

std::vector<std::int64_t> numbers(const LanguageRange& range) {
  std::vector<std::int64_t> out;
  for (Language language : range) out.push_back(fromEnum(language));
  return out;
}

std::vector<std::int64_t> progression(std::int64_t from, std::int64_t step, std::int64_t to) {
  std::vector<std::int64_t> out;
  for (std::int64_t n = from; step > 0 ? n <= to : n >= to; n += step) out.push_back(n);
  return out;
}

std::string messageOf(auto&& call) {
  try {
    call();
  } catch (const LanguageRangeError& e) {
    return e.what();
  }
  return "(no LanguageRangeError)";
}

TEST(LanguageTable, EveryValueHasItsNumberNameAndAffix) {
  for (const auto& row : kExpectedLanguages) {
    SCOPED_TRACE(row.name);
    const Language language = toEnum(row.number);
    EXPECT_EQ(fromEnum(language), row.number);
    EXPECT_EQ(show(language), row.name);
    EXPECT_EQ(languageName(language), row.name);
    EXPECT_EQ(languageAffix(language), row.affix);
    EXPECT_EQ(languageFromName(row.name), language);
    EXPECT_EQ(languageFromName(row.affix), language);
    std::ostringstream out;
    out << language;
    EXPECT_EQ(out.str(), row.name);
  }
}

TEST(LanguageTable, EnumeratorsCarryTheirNumbers) {
  EXPECT_EQ(fromEnum(L::Afrikaans), 0);
  EXPECT_EQ(fromEnum(L::English_US), 13);
  EXPECT_EQ(fromEnum(L::English_GB), 14);
  EXPECT_EQ(fromEnum(L::Latin_Classic), 40);
  EXPECT_EQ(fromEnum(L::Norwegian_Bokmal), 46);
  EXPECT_EQ(fromEnum(L::Uppersorbian), 71);
  EXPECT_EQ(fromEnum(L::Welsh), 72);
  EXPECT_EQ(languageCount, kExpectedLanguages.size());
}

TEST(LanguageNumbers, ToEnumAndFromEnumAreInverse) {
  for (std::int64_t i = 0; i <= 72; ++i) EXPECT_EQ(fromEnum(toEnum(i)), i);
  for (Language language : enumFrom(languageMinBound))
    EXPECT_EQ(toEnum(fromEnum(language)), language);
}

TEST(LanguageNumbers, ToEnumRejectsNumbersOutsideTheRange) {
  EXPECT_EQ(messageOf([] { (void)toEnum(73); }),
            "toEnum{Language}: tag (73) is outside of enumeration's range (0,72)");
  EXPECT_EQ(messageOf([] { (void)toEnum(-1); }),
            "toEnum{Language}: tag (-1) is outside of enumeration's range (0,72)");
  EXPECT_NE(messageOf([] { (void)toEnum(INT64_MIN); }).find("tag (-9223372036854775808)"),
            std::string::npos);
  EXPECT_THROW((void)toEnum(INT64_MAX), LanguageRangeError);
}

TEST(LanguageNumbers, SuccAndPredStepByOneAndFailAtTheEnds) {
  EXPECT_EQ(succ(L::English_US), L::English_GB);
  EXPECT_EQ(succ(L::Ukrainian), L::Uppersorbian);
  EXPECT_EQ(pred(L::Armenian), L::Afrikaans);
  EXPECT_EQ(pred(L::Welsh), L::Uppersorbian);
  EXPECT_EQ(messageOf([] { (void)succ(L::Welsh); }),
            "succ{Language}: tried to take `succ' of last tag in enumeration");
  EXPECT_EQ(messageOf([] { (void)pred(L::Afrikaans); }),
            "pred{Language}: tried to take `pred' of first tag in enumeration");
}

TEST(LanguageOrdering, FollowsTheNumbersNotTheNames) {
  EXPECT_LT(L::English_US, L::English_GB);  // although "English_GB" < "English_US"
  EXPECT_TRUE(L::Afrikaans <= L::Afrikaans);
  EXPECT_TRUE(L::Welsh > L::Ukrainian);
  EXPECT_TRUE(L::Welsh >= L::Welsh);
  EXPECT_NE(L::Latin, L::Latin_Classic);
  EXPECT_EQ(compare(L::Latin, L::Latin_Classic), std::strong_ordering::less);
  EXPECT_EQ(compare(L::Thai, L::Thai), std::strong_ordering::equal);
  EXPECT_EQ(compare(L::Welsh, L::Afrikaans), std::strong_ordering::greater);
  EXPECT_EQ(max(L::Latin, L::Latin_Classic), L::Latin_Classic);
  EXPECT_EQ(min(L::Latin, L::Latin_Classic), L::Latin);
  EXPECT_EQ(max(L::English_GB, L::English_US), L::English_GB);
  EXPECT_EQ(languageMinBound, L::Afrikaans);
  EXPECT_EQ(languageMaxBound, L::Welsh);
}

TEST(LanguageText, ShowsPrecIgnoresPrecedenceAndAppendsTail) {
  EXPECT_EQ(showsPrec(0, L::English_US, ""), "English_US");
  EXPECT_EQ(showsPrec(11, L::English_US, ""), "English_US");
  EXPECT_EQ(showsPrec(11, L::Greek_Mono, " rest"), "Greek_Mono rest");
  EXPECT_EQ(showsPrec(-5, L::Welsh), show(L::Welsh));
}

TEST(LanguageText, ShowListBracketsAndCommasWithoutSpaces) {
  const std::vector<Language> two{L::English_US, L::Welsh};
  EXPECT_EQ(showList(two, ""), "[English_US,Welsh]");
  EXPECT_EQ(showList(two, "!"), "[English_US,Welsh]!");
  const std::vector<Language> none;
  EXPECT_EQ(showList(none, ""), "[]");
  EXPECT_EQ(showList(none, "x"), "[]x");
  const std::vector<Language> one{L::Thai};
  EXPECT_EQ(showList(one), "[Thai]");
}

TEST(LanguageText, FromNameMatchesExactlyOnly) {
  EXPECT_EQ(languageFromName("English_US"), L::English_US);
  EXPECT_EQ(languageFromName("en-us"), L::English_US);
  EXPECT_EQ(languageFromName("la-x-classic"), L::Latin_Classic);
  EXPECT_EQ(languageFromName("la"), L::Latin);
  EXPECT_EQ(languageFromName("english_US"), std::nullopt);
  EXPECT_EQ(languageFromName("EN-US"), std::nullopt);
  EXPECT_EQ(languageFromName("en-us "), std::nullopt);
  EXPECT_EQ(languageFromName("en"), std::nullopt);
  EXPECT_EQ(languageFromName(""), std::nullopt);
}

TEST(LanguageText, ValueOutsideTheRangeIsRejected) {
  const auto bogus = static_cast<Language>(73);
  EXPECT_EQ(languageName(bogus), "");
  EXPECT_THROW(show(bogus), ArgumentError);
  EXPECT_THROW(showsPrec(0, bogus), ArgumentError);
  const std::vector<Language> list{L::Thai, bogus};
  EXPECT_THROW(showList(list), ArgumentError);
  EXPECT_THROW((void)languageAffix(bogus), ArgumentError);
  EXPECT_THROW((void)succ(static_cast<Language>(200)), ArgumentError);
  EXPECT_THROW((void)pred(static_cast<Language>(200)), ArgumentError);
  EXPECT_EQ(succ(L::Ukrainian), L::Uppersorbian);
}

TEST(LanguageEnumeration, EnumFromRunsToTheLastValue) {
  EXPECT_EQ(numbers(enumFrom(languageMinBound)), progression(0, 1, 72));
  EXPECT_EQ(numbers(enumFrom(L::Uppersorbian)), (std::vector<std::int64_t>{71, 72}));
  EXPECT_EQ(numbers(enumFrom(L::Welsh)), std::vector<std::int64_t>{72});
}

TEST(LanguageEnumeration, EnumFromToIsInclusiveAndEmptyWhenReversed) {
  EXPECT_TRUE(enumFromTo(L::Welsh, L::Afrikaans).empty());
  EXPECT_EQ(enumFromTo(L::Thai, L::Thai).toVector(), std::vector<Language>{L::Thai});
  EXPECT_EQ(numbers(enumFromTo(L::English_US, L::Estonian)),
            (std::vector<std::int64_t>{13, 14, 15, 16}));
}

TEST(LanguageEnumeration, EnumFromThenRunsToTheEndInTheStepsDirection) {
  const std::vector<Language> up = enumFromThen(L::Afrikaans, L::Assamese);
  ASSERT_EQ(up.size(), 37u);
  EXPECT_EQ(numbers(enumFromThen(L::Afrikaans, L::Assamese)), progression(0, 2, 72));
  EXPECT_EQ(up.back(), L::Welsh);

  const std::vector<Language> down = enumFromThen(L::Welsh, L::Ukrainian);
  ASSERT_EQ(down.size(), 37u);
  EXPECT_EQ(numbers(enumFromThen(L::Welsh, L::Ukrainian)), progression(72, -2, 0));
  EXPECT_EQ(down.back(), L::Afrikaans);

  const std::vector<Language> odd = enumFromThen(L::Armenian, L::Basque);
  ASSERT_EQ(odd.size(), 36u);
  EXPECT_EQ(numbers(enumFromThen(L::Armenian, L::Basque)), progression(1, 2, 71));
  EXPECT_EQ(odd.back(), L::Uppersorbian);

  EXPECT_EQ(numbers(enumFromThen(L::Thai, L::Welsh)), (std::vector<std::int64_t>{67, 72}));
  EXPECT_EQ(numbers(enumFromThen(L::Basque, L::Afrikaans)), (std::vector<std::int64_t>{3, 0}));
}

TEST(LanguageEnumeration, EnumFromThenToStopRules) {
  EXPECT_EQ(enumFromThenTo(L::Afrikaans, L::Armenian, L::Afrikaans).toVector(),
            std::vector<Language>{L::Afrikaans});
  EXPECT_TRUE(enumFromThenTo(L::Armenian, L::Assamese, L::Afrikaans).empty());
  const std::vector<Language> falling = enumFromThenTo(L::Welsh, L::Turkish, L::Afrikaans);
  EXPECT_EQ(falling.size(), 19u);
  EXPECT_EQ(numbers(enumFromThenTo(L::Welsh, L::Turkish, L::Afrikaans)), progression(72, -4, 0));
  // Falling with the limit above the second element: x alone, or nothing above x.
  EXPECT_EQ(enumFromThenTo(L::Basque, L::Afrikaans, L::Armenian).toVector(),
            std::vector<Language>{L::Basque});
  EXPECT_TRUE(enumFromThenTo(L::Basque, L::Afrikaans, L::Bengali).empty());
  // Rising, stopping before the limit when the step overshoots it.
  EXPECT_EQ(numbers(enumFromThenTo(L::Afrikaans, L::Basque, L::Catalan)),
            (std::vector<std::int64_t>{0, 3, 6}));
  EXPECT_EQ(numbers(enumFromThenTo(L::Afrikaans, L::Basque, L::Bulgarian)),
            (std::vector<std::int64_t>{0, 3}));
  // A zero step below the start is empty, not endless.
  EXPECT_TRUE(enumFromThenTo(L::Thai, L::Thai, L::Tamil).empty());
  EXPECT_FALSE(enumFromThenTo(L::Thai, L::Thai, L::Tamil).endless());
}

TEST(LanguageEnumeration, ZeroStepIsEndlessAndRefusesToMaterialise) {
  for (const LanguageRange& range :
       {enumFromThen(L::Thai, L::Thai), enumFromThenTo(L::Thai, L::Thai, L::Thai),
        enumFromThenTo(L::Thai, L::Thai, L::Welsh)}) {
    EXPECT_TRUE(range.endless());
    EXPECT_FALSE(range.empty());
    int seen = 0;
    for (Language language : range) {
      EXPECT_EQ(language, L::Thai);
      if (++seen == 1000) break;
    }
    EXPECT_EQ(seen, 1000);
    EXPECT_THROW(range.toVector(), ArgumentError);
    EXPECT_THROW(static_cast<void>(static_cast<std::vector<Language>>(range)), ArgumentError);
    EXPECT_THROW(static_cast<void>(range.size()), ArgumentError);
  }
}

TEST(LanguageEnumeration, RangesWorkWithStandardAlgorithms) {
  const LanguageRange all = enumFrom(languageMinBound);
  EXPECT_EQ(all.size(), 73u);
  EXPECT_EQ(std::distance(all.begin(), std::find(all.begin(), all.end(), L::Thai)), 67);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  EXPECT_EQ(enumFromTo(L::Afrikaans, L::Welsh), enumFrom(L::Afrikaans));
  EXPECT_EQ(enumFromThen(L::Thai, L::Thai), enumFromThenTo(L::Thai, L::Thai, L::Welsh));
  EXPECT_FALSE(enumFromThen(L::Thai, L::Thai) == enumFromTo(L::Thai, L::Thai));
  EXPECT_EQ(LanguageRange(), enumFromTo(L::Welsh, L::Thai));
}

}  // namespace
}  // namespace quellix
