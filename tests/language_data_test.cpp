// Which languages the build embedded, what a left-out language still offers and how it
// fails, and the licence table data/licences.tsv against the embedded licence notices.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "quellix/quellix.hpp"

#ifndef QUELLIX_TEST_EMBEDDED_AFFIXES
#error "QUELLIX_TEST_EMBEDDED_AFFIXES must list the affixes the build embeds"
#endif

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::set<std::string> embeddedAffixes() {
  const std::vector<std::string> list = split(QUELLIX_TEST_EMBEDDED_AFFIXES, ',');
  return {list.begin(), list.end()};
}

// Whitespace runs become one blank; each line's leading "%" comment signs are dropped.
std::string normalise(const std::string& text) {
  std::string out;
  for (std::string line : split(text, '\n')) {
    line.erase(0, line.find_first_not_of('%'));
    for (char c : line + ' ') {
      const bool blank = c == ' ' || c == '\t' || c == '\r';
      if (blank && (out.empty() || out.back() == ' ')) continue;
      out += blank ? ' ' : c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

TEST(LanguageData, BuiltInAreExactlyTheLanguagesTheBuildEmbedded) {
  const std::set<std::string> embedded = embeddedAffixes();
  ASSERT_FALSE(embedded.empty());
  std::size_t builtIn = 0;
  for (quellix::Language language : quellix::enumFrom(quellix::languageMinBound)) {
    const std::string affix(quellix::languageAffix(language));
    EXPECT_EQ(quellix::languageBuiltIn(language), embedded.count(affix) == 1) << affix;
    builtIn += quellix::languageBuiltIn(language) ? 1 : 0;
  }
  EXPECT_EQ(builtIn, embedded.size());
  EXPECT_FALSE(quellix::languageBuiltIn(static_cast<quellix::Language>(73)));
  EXPECT_FALSE(quellix::languageBuiltIn(static_cast<quellix::Language>(255)));
}

// A left-out language keeps its name, affix and margins; its tables and its licence fail
// with the usual error for a missing file, every time they are asked for.
TEST(LanguageData, LeftOutLanguagesFailAtFirstUseOfATable) {
  std::size_t leftOut = 0;
  for (quellix::Language language : quellix::enumFrom(quellix::languageMinBound)) {
    if (quellix::languageBuiltIn(language)) continue;
    ++leftOut;
    const std::string affix(quellix::languageAffix(language));
    SCOPED_TRACE(affix);
    EXPECT_EQ(quellix::languageFromName(affix), language);
    EXPECT_EQ(quellix::languageFromName(quellix::languageName(language)), language);
    const quellix::Hyphenator& h = quellix::languageHyphenator(language);
    EXPECT_GE(quellix::hyphenatorLeftMin(h), 1);
    EXPECT_GE(quellix::hyphenatorRightMin(h), 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        (void)quellix::hyphenate(h, U"abcdefghij");
        ADD_FAILURE() << "dividing a word in a left-out language succeeded";
      } catch (const quellix::DataFileError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("Could not find hyph-" + affix + "."))
            << error.what();
      }
    }
    try {
      (void)quellix::languageLicence(language);
      ADD_FAILURE() << "the licence of a left-out language was found";
    } catch (const quellix::DataFileError& error) {
      EXPECT_EQ(std::string(error.what()), "Could not find hyph-" + affix + ".lic.txt.gz");
    }
  }
  if (leftOut == 0) GTEST_SKIP() << "this build embeds every language";
}

// Every quoted sentence of the licence table stands in that language's embedded notice,
// so the table (and the copyright files made from it) say what the notices say.
TEST(LanguageData, LicenceTableQuotesEachNotice) {
  std::ifstream in(QUELLIX_TEST_LICENCE_TABLE);
  ASSERT_TRUE(in) << QUELLIX_TEST_LICENCE_TABLE;
  std::set<std::string> rows;
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (header) {
      header = false;
      continue;
    }
    const std::vector<std::string> fields = split(line, '\t');
    ASSERT_EQ(fields.size(), 5u) << line;
    const std::string& affix = fields[0];
    EXPECT_TRUE(rows.insert(affix).second) << affix << " twice";
    const auto language = quellix::languageFromName(affix);
    ASSERT_TRUE(language.has_value()) << affix;
    if (!quellix::languageBuiltIn(*language)) continue;
    const std::string notice = normalise(quellix::languageLicence(*language));
    std::string quotes = fields[3] + " | ";
    for (std::size_t at; (at = quotes.find(" | ")) != std::string::npos; quotes.erase(0, at + 3))
      EXPECT_NE(notice.find(normalise(quotes.substr(0, at))), std::string::npos)
          << affix << ": not in its notice: " << quotes.substr(0, at);
  }
  EXPECT_EQ(rows.size(), quellix::languageCount);
}

}  // namespace
