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
  EXPECT_EQ(languageMinBound, L::Afrikaans);
  EXPECT_EQ(languageMaxBound, L::Welsh);
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
  EXPECT_THROW((void)show(bogus), ArgumentError);
  EXPECT_THROW((void)showsPrec(0, bogus), ArgumentError);
  const std::vector<Language> list{L::Thai, bogus};
  EXPECT_THROW((void)showList(list), ArgumentError);
  EXPECT_THROW((void)languageAffix(bogus), ArgumentError);
  EXPECT_THROW((void)succ(static_cast<Language>(200)), ArgumentError);
  EXPECT_THROW((void)pred(static_cast<Language>(200)), ArgumentError);
  EXPECT_EQ(succ(L::Ukrainian), L::Uppersorbian);
}

// Each range written out as its size, first numbers and last number; the numbers between
// follow in steps of the first two.
TEST(LanguageEnumeration, RangesHoldTheNumbersTheirBoundsName) {
  struct Case {
    const char* call;
    LanguageRange range;
    std::size_t size;
    std::vector<std::int64_t> first;
    std::int64_t last;
  };
  const Case cases[] = {
      {"enumFrom(Afrikaans)", enumFrom(languageMinBound), 73, {0, 1, 2}, 72},
      {"enumFrom(Uppersorbian)", enumFrom(L::Uppersorbian), 2, {71, 72}, 72},
      {"enumFrom(Welsh)", enumFrom(L::Welsh), 1, {72}, 72},
      {"enumFromTo(English_US, Estonian)", enumFromTo(L::English_US, L::Estonian), 4,
       {13, 14, 15, 16}, 16},
      {"enumFromTo(Thai, Thai)", enumFromTo(L::Thai, L::Thai), 1, {67}, 67},
      {"enumFromTo(Welsh, Afrikaans)", enumFromTo(L::Welsh, L::Afrikaans), 0, {}, 0},
      {"enumFromThen(Afrikaans, Assamese)", enumFromThen(L::Afrikaans, L::Assamese), 37,
       {0, 2, 4}, 72},
      {"enumFromThen(Welsh, Ukrainian)", enumFromThen(L::Welsh, L::Ukrainian), 37,
       {72, 70, 68}, 0},
      {"enumFromThen(Armenian, Basque)", enumFromThen(L::Armenian, L::Basque), 36, {1, 3, 5}, 71},
      {"enumFromThen(Thai, Welsh)", enumFromThen(L::Thai, L::Welsh), 2, {67, 72}, 72},
      {"enumFromThen(Basque, Afrikaans)", enumFromThen(L::Basque, L::Afrikaans), 2, {3, 0}, 0},
      {"enumFromThenTo(Afrikaans, Armenian, Afrikaans)",
       enumFromThenTo(L::Afrikaans, L::Armenian, L::Afrikaans), 1, {0}, 0},
      {"enumFromThenTo(Armenian, Assamese, Afrikaans)",
       enumFromThenTo(L::Armenian, L::Assamese, L::Afrikaans), 0, {}, 0},
      {"enumFromThenTo(Welsh, Turkish, Afrikaans)",
       enumFromThenTo(L::Welsh, L::Turkish, L::Afrikaans), 19, {72, 68, 64}, 0},
      // Falling with the limit above the second element: x alone, or nothing above x.
      {"enumFromThenTo(Basque, Afrikaans, Armenian)",
       enumFromThenTo(L::Basque, L::Afrikaans, L::Armenian), 1, {3}, 3},
      {"enumFromThenTo(Basque, Afrikaans, Bengali)",
       enumFromThenTo(L::Basque, L::Afrikaans, L::Bengali), 0, {}, 0},
      // Rising, stopping before the limit when the step overshoots it.
      {"enumFromThenTo(Afrikaans, Basque, Catalan)",
       enumFromThenTo(L::Afrikaans, L::Basque, L::Catalan), 3, {0, 3, 6}, 6},
      {"enumFromThenTo(Afrikaans, Basque, Bulgarian)",
       enumFromThenTo(L::Afrikaans, L::Basque, L::Bulgarian), 2, {0, 3}, 3},
      // A zero step below the start is empty, not endless.
      {"enumFromThenTo(Thai, Thai, Tamil)", enumFromThenTo(L::Thai, L::Thai, L::Tamil), 0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_FALSE(c.range.endless());
    EXPECT_EQ(c.range.size(), c.size);
    EXPECT_EQ(c.range.empty(), c.size == 0);
    const std::vector<std::int64_t> got = numbers(c.range);
    ASSERT_EQ(got.size(), c.size);
    EXPECT_EQ(c.range.toVector().size(), c.size);
    if (c.size == 0) continue;
    EXPECT_TRUE(std::equal(c.first.begin(), c.first.end(), got.begin()));
    EXPECT_EQ(got.back(), c.last);
    for (std::size_t k = 2; k < got.size(); ++k)
      EXPECT_EQ(got[k] - got[k - 1], got[1] - got[0]) << "at " << k;
  }
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
