// The library against the plain reference implementation in reference/: every built-in
// language on generated words, and random small texts of every format.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "char_classes.hpp"
#include "data_file.hpp"
#include "embedded_files.hpp"
#include "language_loading.hpp"
#include "quellix/algebra.hpp"
#include "quellix/exception.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"
#include "quellix/show.hpp"
#include "reference/reference_hyphenator.hpp"
#include "utf8_encode.hpp"

namespace quellix {
namespace {

namespace ref = reference;
using Text = std::u32string;
using Rng = std::mt19937_64;

std::string utf8(std::u32string_view text) { return detail::toUtf8(text); }

// Readable code points for failure messages: ASCII as is, the rest as U+XXXX.
std::string printable(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "<U+%04X>", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

// The first difference between a library trie and a reference trie, or "" when they are
// the same tree with the same score lists. Walks both with an explicit stack.
std::string trieDifference(const Patterns& library, const ref::Trie& reference) {
  std::vector<std::pair<Patterns, std::size_t>> pending{{library, 0}};
  while (!pending.empty()) {
    auto [node, index] = pending.back();
    pending.pop_back();
    const ref::Trie::Node& expected = reference.nodes[index];
    if (node.scores() != expected.scores)
      return "scores " + ref::renderScores(node.scores()) + " vs " + ref::renderScores(expected.scores);
    auto children = node.children();
    if (children.size() != expected.children.size())
      return "child count " + std::to_string(children.size()) + " vs " +
             std::to_string(expected.children.size());
    auto it = expected.children.begin();
    for (auto& [code, child] : children) {
      if (code != it->first)
        return "child code " + std::to_string(code) + " vs " + std::to_string(it->first);
      pending.emplace_back(child, it->second);
      ++it;
    }
  }
  return "";
}

std::vector<std::pair<Text, Scores>> asEntries(const ref::ExceptionMap& table) {
  return {table.begin(), table.end()};
}

std::vector<std::size_t> breaksOf(const std::vector<Text>& pieces) {
  std::vector<std::size_t> out;
  std::size_t at = 0;
  for (std::size_t k = 0; k + 1 < pieces.size(); ++k) out.push_back(at += pieces[k].size());
  return out;
}

// Compares hyphenate, breakPoints and the UTF-8 forms of the library with the reference
// for one word and one pair of margins. The words given are valid scalar values.
void expectSameDivision(const Hyphenator& library, const ref::Hyphenator& reference,
                        const Text& word) {
  SCOPED_TRACE("word " + printable(word) + " margins " + std::to_string(reference.leftMin) + "," +
               std::to_string(reference.rightMin));
  const std::optional<std::vector<Text>> expected = ref::hyphenate(reference, word);
  if (!expected) {
    try {
      (void)hyphenate(library, word);
      ADD_FAILURE() << "no ScoreError";
    } catch (const ScoreError& e) {
      EXPECT_EQ(std::string(e.what()), "Malformed quellix score for " + utf8(word));
    }
    std::array<std::size_t, 1> none{};
    EXPECT_THROW((void)breakPoints(library, word, none), ScoreError);
    EXPECT_THROW((void)hyphenate(library, std::string_view(utf8(word))), ScoreError);
    return;
  }
  const std::vector<Text> pieces = hyphenate(library, word);
  ASSERT_EQ(pieces, *expected);

  std::vector<std::size_t> out(word.size() + 2);
  std::size_t count = breakPoints(library, word, out);
  out.resize(std::min(count, out.size()));
  EXPECT_EQ(out, breaksOf(pieces));

  const std::string bytes = utf8(word);
  std::vector<std::string_view> bytePieces = hyphenate(library, std::string_view(bytes));
  ASSERT_EQ(bytePieces.size(), pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) EXPECT_EQ(bytePieces[k], utf8(pieces[k]));
}

// ---------------------------------------------------------------------------------------
// Every built-in language.

struct LanguageTexts {
  Text patterns, exceptions, chars;
};

LanguageTexts textsOf(Language language) {
  auto read = [language](const char* suffix) {
    return detail::readDataFile(detail::dataFileName(language, suffix), &detail::lookupEmbeddedFile);
  };
  return {read(".pat.txt.gz"), read(".hyp.txt.gz"), read(".chr.txt.gz")};
}

// Words for a language: random strings of its own letters (both the normal forms and the
// variants of its character-class text, so mixed case), a few with a word-edge dot, and
// every exception word, as written and with letters swapped for random variants.
std::vector<Text> wordsFor(const LanguageTexts& texts, Rng& rng) {
  std::set<char32_t> letterSet;
  std::map<char32_t, std::vector<char32_t>> variantsOf;  // normal form -> its variants
  for (const Text& line : ref::splitLines(texts.chars)) {
    for (char32_t c : line) letterSet.insert(c);
    for (std::size_t k = 1; k < line.size(); ++k) variantsOf[line[0]].push_back(line[k]);
  }
  const std::vector<char32_t> letters(letterSet.begin(), letterSet.end());
  std::vector<Text> words{Text()};
  std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
  std::uniform_int_distribution<int> length(1, 16), percent(0, 99);
  for (int k = 0; k < 300; ++k) {
    Text word;
    for (int j = length(rng); j > 0; --j) word += percent(rng) < 2 ? U'.' : letters[pick(rng)];
    words.push_back(word);
  }
  for (const Text& line : ref::splitLines(texts.exceptions)) {
    Text word = ref::exceptionWord(line);
    words.push_back(word);
    for (char32_t& c : word) {
      auto it = variantsOf.find(c);
      if (it != variantsOf.end() && percent(rng) < 50)
        c = it->second[std::uniform_int_distribution<std::size_t>(0, it->second.size() - 1)(rng)];
    }
    words.push_back(word);
  }
  return words;
}

// The margins of the language and others around and far from it, extremes included.
std::vector<std::pair<std::int64_t, std::int64_t>> marginsFor(std::int64_t l, std::int64_t r,
                                                              Rng& rng) {
  std::vector<std::pair<std::int64_t, std::int64_t>> margins{
      {l, r},         {1, 1},        {0, 0},        {2, -1},         {-2, 3},
      {-5, -5},       {0, 1},        {1, 0},        {INT64_MIN, INT64_MAX},
      {INT64_MAX, INT64_MIN},        {INT64_MAX, INT64_MAX},         {INT64_MIN, INT64_MIN},
      {INT64_MIN, 0}, {0, INT64_MIN}, {INT64_MAX, 0}, {0, INT64_MAX}};
  std::uniform_int_distribution<std::int64_t> small(-6, 8);
  for (int k = 0; k < 3; ++k) margins.emplace_back(small(rng), small(rng));
  return margins;
}

class EveryLanguage : public ::testing::TestWithParam<Language> {};

TEST_P(EveryLanguage, AgreesWithTheReference) {
  const Language language = GetParam();
  if (!languageBuiltIn(language)) GTEST_SKIP() << show(language) << " is not built in";
  Rng rng(0x5eed0000u + static_cast<unsigned>(fromEnum(language)));
  const LanguageTexts texts = textsOf(language);
  const ref::Trie refTrie = ref::parsePatterns(texts.patterns);
  const ref::ExceptionMap refExceptions = ref::parseExceptions(texts.exceptions);
  const ref::CharMap refChars = ref::parseCharClasses(texts.chars);

  // The tables of the shared hyphenator are the parsed texts.
  const Hyphenator& h = languageHyphenator(language);
  const Patterns& trie = hyphenatorPatterns(h);
  const Exceptions& exceptions = hyphenatorExceptions(h);
  const CharNormaliser& chars = hyphenatorChars(h);
  ASSERT_EQ(trieDifference(trie, refTrie), "");
  EXPECT_TRUE(parsePatterns(texts.patterns) == trie);
  EXPECT_EQ(exceptions.entries(), asEntries(refExceptions));
  const detail::CharMap map = detail::charClassMap(texts.chars);
  ASSERT_EQ(map.size(), refChars.size());
  for (const auto& [variant, normal] : refChars) {
    EXPECT_EQ(chars(variant), normal) << static_cast<std::uint32_t>(variant);
    EXPECT_EQ(map(variant), normal) << static_cast<std::uint32_t>(variant);
  }
  for (char32_t c : {U'\0', U'\n', U'.', U'-', U'0', char32_t{0xFFFF}, char32_t{0x10FFFF}})
    EXPECT_EQ(chars(c), ref::normalise(refChars, c));

  ref::Hyphenator reference{[&refChars](char32_t c) { return ref::normalise(refChars, c); },
                            refTrie, refExceptions, 0, 0};
  const auto margins = marginsFor(hyphenatorLeftMin(h), hyphenatorRightMin(h), rng);
  for (const Text& word : wordsFor(texts, rng)) {
    Text normal = word;
    for (char32_t& c : normal) c = ref::normalise(refChars, c);
    ASSERT_EQ(lookupPattern(normal, trie), ref::lookupPattern(normal, refTrie)) << printable(word);
    EXPECT_EQ(lookupException(normal, exceptions), ref::lookupException(normal, refExceptions));
    for (const auto& [l, r] : margins) {
      reference.leftMin = l;
      reference.rightMin = r;
      if (l == hyphenatorLeftMin(h) && r == hyphenatorRightMin(h)) {
        expectSameDivision(h, reference, word);
      } else {
        expectSameDivision(Hyphenator(chars, trie, exceptions, l, r), reference, word);
      }
    }
  }
}

TEST_P(EveryLanguage, MergesOfPartsAgreeWithTheReference) {
  const Language language = GetParam();
  if (!languageBuiltIn(language)) GTEST_SKIP() << show(language) << " is not built in";
  Rng rng(0xa11ce000u + static_cast<unsigned>(fromEnum(language)));
  const LanguageTexts texts = textsOf(language);
  // Two random parts of the pattern lines, and of the exception lines.
  auto split = [&rng](const Text& text) {
    std::pair<Text, Text> parts;
    for (const Text& line : ref::splitLines(text)) {
      Text& part = rng() % 2 ? parts.first : parts.second;
      part += line + U"\n";
    }
    return parts;
  };
  const auto [patternsA, patternsB] = split(texts.patterns);
  const Patterns a = parsePatterns(patternsA), b = parsePatterns(patternsB);
  const ref::Trie merged = ref::merge(ref::parsePatterns(patternsA), ref::parsePatterns(patternsB));
  EXPECT_EQ(trieDifference(a + b, merged), "");
  EXPECT_TRUE(a + b == b + a);

  const auto [exceptionsA, exceptionsB] = split(texts.exceptions);
  const Exceptions x = parseExceptions(exceptionsA), y = parseExceptions(exceptionsB);
  EXPECT_EQ((x + y).entries(), asEntries(ref::mergeExceptions(ref::parseExceptions(exceptionsA),
                                                              ref::parseExceptions(exceptionsB))));
}

INSTANTIATE_TEST_SUITE_P(Languages, EveryLanguage,
                         ::testing::ValuesIn(enumFrom(languageMinBound).toVector()),
                         [](const ::testing::TestParamInfo<Language>& language) {
                           return std::string(languageName(language.param));
                         });

// ---------------------------------------------------------------------------------------
// Random small texts.

// Draws characters by weight: a text of length up to maxLength over alphabet.
Text randomText(Rng& rng, std::u32string_view alphabet, std::size_t maxLength) {
  Text out;
  std::size_t length = std::uniform_int_distribution<std::size_t>(0, maxLength)(rng);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (std::size_t k = 0; k < length; ++k) out += alphabet[pick(rng)];
  return out;
}

// Letters, the word edge, digits (often, so that adjacent digits and digit-only lines
// occur), line feeds (so empty lines occur), a carriage return and a few code points at
// the edges of the range.
constexpr std::u32string_view kPatternAlphabet =
    U"aabbbcc..0123456789135\n\n\n\r\u00e9\U0010FFFF";
constexpr std::u32string_view kWordAlphabet = U"aaabbbcc.\u00e9";

TEST(RandomPatternTexts, ParseInsertLookupAndRenderAgreeWithTheReference) {
  Rng rng(20240601);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const Text text = randomText(rng, kPatternAlphabet, 40);
    SCOPED_TRACE("text " + printable(text));
    const Patterns trie = parsePatterns(text);
    const ref::Trie expected = ref::parsePatterns(text);
    ASSERT_EQ(trieDifference(trie, expected), "");
    EXPECT_EQ(show(trie), ref::showTrie(expected));
    EXPECT_EQ(showsPrec(11, trie), ref::showTrie(expected, 11));
    for (const Text& line : ref::splitLines(text)) EXPECT_EQ(scorePattern(line), ref::scorePattern(line));

    const Text line = randomText(rng, U"abc.0123456789", 8);
    EXPECT_EQ(trieDifference(insertPattern(line, trie), ref::insertPattern(line, expected)), "")
        << printable(line);

    for (int k = 0; k < 12; ++k) {
      const Text word = randomText(rng, kWordAlphabet, 8);
      ASSERT_EQ(lookupPattern(word, trie), ref::lookupPattern(word, expected)) << printable(word);
    }
  }
}

TEST(RandomPatternTexts, MergesAgreeWithTheReference) {
  Rng rng(77);
  for (int iteration = 0; iteration < 2000; ++iteration) {
    const Text ta = randomText(rng, kPatternAlphabet, 30), tb = randomText(rng, kPatternAlphabet, 30),
               tc = randomText(rng, kPatternAlphabet, 30);
    SCOPED_TRACE("texts " + printable(ta) + " | " + printable(tb));
    const Patterns a = parsePatterns(ta), b = parsePatterns(tb), c = parsePatterns(tc);
    const ref::Trie ra = ref::parsePatterns(ta), rb = ref::parsePatterns(tb);
    ASSERT_EQ(trieDifference(a + b, ref::merge(ra, rb)), "");
    EXPECT_TRUE(a + a == a);
    EXPECT_TRUE(a + Patterns() == a);
    EXPECT_TRUE((a + b) + c == a + (b + c));
    EXPECT_EQ(show(a + b), show(b + a));
    for (int k = 0; k < 6; ++k) {
      const Text word = randomText(rng, kWordAlphabet, 8);
      EXPECT_EQ(lookupPattern(word, a + b), ref::lookupPattern(word, ref::merge(ra, rb)));
    }
  }
}

// Letters, hyphen-minus (often, so adjacent and trailing hyphens occur), line feeds,
// quotation mark, backslash, digits and characters that the rendering escapes.
constexpr std::u32string_view kExceptionAlphabet = U"aabbc---\n\n\"\\1\u00e9\u0001\r";

TEST(RandomExceptionTexts, ParseAddLookupMergeAndRenderAgreeWithTheReference) {
  Rng rng(4242);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const Text text = randomText(rng, kExceptionAlphabet, 40);
    const Text other = randomText(rng, kExceptionAlphabet, 40);
    SCOPED_TRACE("text " + printable(text));
    const Exceptions table = parseExceptions(text);
    const ref::ExceptionMap expected = ref::parseExceptions(text);
    ASSERT_EQ(table.entries(), asEntries(expected));
    EXPECT_EQ(table.size(), expected.size());
    EXPECT_EQ(show(table), ref::showExceptions(expected));
    EXPECT_EQ(showsPrec(11, table), ref::showExceptions(expected, 11));
    for (const Text& line : ref::splitLines(text)) {
      EXPECT_EQ(scoreException(line), ref::scoreException(line));
      EXPECT_EQ(lookupException(ref::exceptionWord(line), table),
                ref::lookupException(ref::exceptionWord(line), expected));
    }
    const Text entry = randomText(rng, U"ab-", 6);
    EXPECT_EQ(addException(entry, table).entries(), asEntries(ref::addException(entry, expected)));

    const Exceptions second = parseExceptions(other);
    const ref::ExceptionMap merged = ref::mergeExceptions(expected, ref::parseExceptions(other));
    EXPECT_EQ((table + second).entries(), asEntries(merged));
    EXPECT_TRUE(table + second == second + table);
    EXPECT_TRUE(table + table == table);

    const Scores s1 = ref::scoreException(randomText(rng, U"ab-", 6));
    const Scores s2 = ref::scoreException(randomText(rng, U"ab-", 6));
    EXPECT_EQ(zipMin(s1, s2), ref::zipMin(s1, s2));
  }
}

TEST(RandomCharacterClassTexts, MapAgreesWithTheReference) {
  Rng rng(99);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const Text text = randomText(rng, U"aAbBcC\n\n \u00e9\u00c9\U0010FFFF\u3000\u3001", 30);
    SCOPED_TRACE("text " + printable(text));
    const detail::CharMap map = detail::charClassMap(text);
    const ref::CharMap expected = ref::parseCharClasses(text);
    ASSERT_EQ(map.size(), expected.size());
    for (char32_t c : U"aAbBcC\n \u00e9\u00c9\U0010FFFF\u3000\u3001xyz")
      EXPECT_EQ(map(c), ref::normalise(expected, c)) << static_cast<std::uint32_t>(c);
  }
}

TEST(RandomHyphenators, DivisionAgreesWithTheReference) {
  Rng rng(31337);
  auto lower = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c; };
  std::uniform_int_distribution<std::int64_t> small(-3, 5);
  const std::int64_t extremes[] = {INT64_MIN, INT64_MIN + 1, -1, 0, 1, INT64_MAX - 1, INT64_MAX};
  std::uniform_int_distribution<std::size_t> pickExtreme(0, std::size(extremes) - 1);
  for (int iteration = 0; iteration < 1500; ++iteration) {
    const Text patterns = randomText(rng, kPatternAlphabet, 40);
    const Text exceptions = randomText(rng, U"ab-\n", 16);
    SCOPED_TRACE("patterns " + printable(patterns) + " exceptions " + printable(exceptions));
    const Patterns trie = parsePatterns(patterns);
    const Exceptions table = parseExceptions(exceptions);
    ref::Hyphenator reference{lower, ref::parsePatterns(patterns), ref::parseExceptions(exceptions),
                              0, 0};
    for (int k = 0; k < 8; ++k) {
      const bool extreme = k >= 6;
      reference.leftMin = extreme ? extremes[pickExtreme(rng)] : small(rng);
      reference.rightMin = extreme ? extremes[pickExtreme(rng)] : small(rng);
      const Hyphenator h(lower, trie, table, reference.leftMin, reference.rightMin);
      for (int w = 0; w < 4; ++w) expectSameDivision(h, reference, randomText(rng, U"aAbBc.", 7));
    }
  }
}

}  // namespace
}  // namespace quellix
