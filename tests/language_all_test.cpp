// Every built-in language end to end: all three tables build from the embedded data, every
// word of every exception file is divided at its hyphens, within the margins, and words in
// capitals divide as in small letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "data_file.hpp"
#include "embedded_files.hpp"
#include "language_loading.hpp"
#include "quellix/algebra.hpp"
#include "quellix/language.hpp"
#include "quellix/show.hpp"
#include "test_support.hpp"
#include "text_lines.hpp"

namespace quellix {
namespace {

// Each table is compared with the reference's reading of the same file in
// differential_test; here only that every one builds.
TEST(AllLanguages, EveryLanguageBuildsItsTables) {
  for (const Language language : enumFrom(languageMinBound)) {
    if (!languageBuiltIn(language)) continue;  // this build left it out
    SCOPED_TRACE(show(language));
    const Hyphenator& h = languageHyphenator(language);
    EXPECT_FALSE(hyphenatorPatterns(h).empty());
    EXPECT_NO_THROW((void)hyphenatorExceptions(h));
    EXPECT_NO_THROW((void)hyphenatorChars(h)(U'a'));
  }
}

TEST(AllLanguages, ExceptionWordsBreakAtTheirHyphensWithinTheMargins) {
  std::size_t words = 0;
  std::size_t unreachable = 0;
  for (const Language language : enumFrom(languageMinBound)) {
    if (!languageBuiltIn(language)) continue;  // this build left it out
    SCOPED_TRACE(show(language));
    const Hyphenator& h = languageHyphenator(language);
    const std::u32string text = detail::readDataFile(
        detail::dataFileName(language, ".hyp.txt.gz"), &detail::lookupEmbeddedFile);
    detail::forEachLine(text, [&](std::u32string_view line) {
      std::u32string word;
      std::vector<std::size_t> hyphens;  // character counts before each hyphen
      for (char32_t c : line) {
        if (c == U'-') {
          hyphens.push_back(word.size());
        } else {
          word += c;
        }
      }
      // The table is keyed by the word as written; a word that normalisation changes
      // (the one capitalised entry, of "hsb") is never looked up under that key.
      std::u32string normalised = word;
      for (char32_t& c : normalised) c = hyphenatorChars(h)(c);
      ++words;
      if (normalised != word) {
        ++unreachable;
        return;
      }
      const auto n = static_cast<std::int64_t>(word.size());
      std::vector<std::u32string> expected;
      std::size_t begin = 0;
      if (n >= hyphenatorLeftMin(h) + hyphenatorRightMin(h)) {
        for (std::size_t at : hyphens) {
          const auto i = static_cast<std::int64_t>(at);
          if (i < hyphenatorLeftMin(h) || i > n - hyphenatorRightMin(h) || at == begin) continue;
          expected.push_back(word.substr(begin, at - begin));
          begin = at;
        }
      }
      expected.push_back(word.substr(begin));
      EXPECT_EQ(hyphenate(h, word), expected) << detail::dataFileName(language, ".hyp.txt.gz");
    });
  }
  if (languageBuiltIn(Language::Uppersorbian)) {
    EXPECT_GE(unreachable, 1u);  // War-sza-wa
  }
  const auto languages = enumFrom(languageMinBound);
  if (std::all_of(languages.begin(), languages.end(), languageBuiltIn)) {
    EXPECT_EQ(words, 1000u);
    EXPECT_EQ(unreachable, 1u);
  }
}

TEST(AllLanguages, WordsInCapitalsDivideAsInSmallLetters) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  std::mt19937 rng(13);
  std::size_t languagesWithCapitals = 0;
  std::size_t dividedWords = 0;
  for (const Language language : enumFrom(languageMinBound)) {
    SCOPED_TRACE(show(language));
    const Hyphenator& h = languageHyphenator(language);
    const std::u32string chars = detail::readDataFile(
        detail::dataFileName(language, ".chr.txt.gz"), &detail::lookupEmbeddedFile);
    // A letter and its capital from each two-character line, unless another such line
    // claims the capital too (Turkish "iI" and "\u0131I", Greek "\u03C2\u03A3" and "\u03C3\u03A3").
    std::vector<std::pair<char32_t, char32_t>> pairs;
    std::map<char32_t, int> claims;
    detail::forEachLine(chars, [&](std::u32string_view line) {
      if (line.size() != 2) return;
      ++claims[line[1]];
      if (line[0] != line[1]) pairs.emplace_back(line[0], line[1]);
    });
    std::erase_if(pairs, [&](const auto& pair) { return claims[pair.second] > 1; });
    if (pairs.empty()) continue;
    ++languagesWithCapitals;
    std::uniform_int_distribution<std::size_t> pick(0, pairs.size() - 1);
    std::uniform_int_distribution<int> length(4, 14);
    for (int k = 0; k < 300; ++k) {
      std::u32string lower, upper;
      for (int n = length(rng); n > 0; --n) {
        const auto& [small, capital] = pairs[pick(rng)];
        lower.push_back(small);
        upper.push_back(capital);
      }
      const auto smallPieces = hyphenate(h, lower);
      const auto capitalPieces = hyphenate(h, upper);
      ASSERT_EQ(capitalPieces.size(), smallPieces.size()) << detail::dataFileName(language, "");
      for (std::size_t i = 0; i < smallPieces.size(); ++i)
        EXPECT_EQ(capitalPieces[i].size(), smallPieces[i].size());
      if (smallPieces.size() > 1) ++dividedWords;
    }
  }
  EXPECT_GE(languagesWithCapitals, 55u);
  EXPECT_GT(dividedWords, 10000u);  // the words are divided, so the places are compared
}

}  // namespace
}  // namespace quellix
