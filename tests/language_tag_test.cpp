// Finding a language from locale tags, POSIX locale names, affixes and names.
#include "quellix/language_tag.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using quellix::Language;

TEST(FindLanguage, ResolvesWhatUsersWrite) {
  const struct {
    const char* tag;
    std::optional<Language> expected;
  } cases[] = {
      // Exact affixes and names, in any case, with blanks, "_" and locale suffixes.
      {"en-us", Language::English_US},
      {"EN-us", Language::English_US},
      {"en_US", Language::English_US},
      {"  en-US\t", Language::English_US},
      {"English_US", Language::English_US},
      {"hungarian", Language::Hungarian},
      {"la", Language::Latin},
      {"la-x-classic", Language::Latin_Classic},
      {"de-1901", Language::German_1901},
      {"de_DE.UTF-8", Language::German_1996},
      {"de_DE.UTF-8@euro", Language::German_1996},
      {"fr_FR@euro", Language::French},
      // Aliases and unique completions.
      {"en", Language::English_US},
      {"de", Language::German_1996},
      {"el", Language::Greek_Mono},
      {"sh", Language::Serbocroatian_Latin},
      {"sr-Latn", Language::Serbocroatian_Latin},
      {"no", Language::Norwegian_Bokmal},
      {"ku", Language::Kurmanji},
      {"am", Language::Ethiopic},
      {"ti", Language::Ethiopic},
      {"gez", Language::Ethiopic},
      {"mn", Language::Mongolian},
      {"sr", Language::Serbian_Cyrillic},
      {"zh", Language::Chinese},
      {"de-CH", Language::German_Swiss},
      // Dropping subtags from the end.
      {"en-GB-oxendict", Language::English_GB},
      {"pt-BR", Language::Portuguese},
      {"de-AT", Language::German_1996},
      {"sr-Latn-RS", Language::Serbocroatian_Latin},
      {"es-419", Language::Spanish},
      {"el-GR", Language::Greek_Mono},
      // Nothing.
      {"", std::nullopt},
      {"   ", std::nullopt},
      {".UTF-8", std::nullopt},
      {"xx", std::nullopt},
      {"x-en", std::nullopt},
      {"-", std::nullopt},
      {"en us", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quellix::findLanguage(c.tag), c.expected) << "tag '" << c.tag << "'";
  }
}

TEST(FindLanguage, EveryAffixNameAndAliasLeadsBack) {
  for (Language language : quellix::enumFrom(quellix::languageMinBound)) {
    EXPECT_EQ(quellix::findLanguage(quellix::languageAffix(language)), language);
    EXPECT_EQ(quellix::findLanguage(quellix::languageName(language)), language);
    for (std::string_view alias : quellix::languageAliases(language))
      EXPECT_EQ(quellix::findLanguage(alias), language) << alias;
  }
}

TEST(FindLanguage, ListsAliasesAndCompletions) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(quellix::languageAliases(Language::English_US), V{"en"});
  EXPECT_EQ(quellix::languageAliases(Language::Chinese), (V{"zh", "zh-latn"}));
  EXPECT_EQ(quellix::languageAliases(Language::Ethiopic), (V{"am", "ti", "gez", "mul"}));
  EXPECT_EQ(quellix::languageAliases(Language::Serbocroatian_Latin), (V{"sh", "sr-latn"}));
  EXPECT_EQ(quellix::languageAliases(Language::Latin_Classic), V{"la-x"});
  EXPECT_TRUE(quellix::languageAliases(Language::Hungarian).empty());
  EXPECT_THROW((void)quellix::languageAliases(static_cast<Language>(200)), quellix::ArgumentError);
}

TEST(FindLanguage, SuggestsCloseAffixes) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(quellix::closeLanguageAffixes("hungarain", 1), V{"hu"});
  EXPECT_EQ(quellix::closeLanguageAffixes("en-uk", 1), V{"en-us"});
  EXPECT_TRUE(quellix::closeLanguageAffixes("qqqqqqqq").empty());
  EXPECT_TRUE(quellix::closeLanguageAffixes("").empty());
  EXPECT_LE(quellix::closeLanguageAffixes("e").size(), 3u);
  EXPECT_TRUE(quellix::closeLanguageAffixes(std::string(10'000'000, 'x')).empty());
}

}  // namespace
