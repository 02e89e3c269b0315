// The frozen lookup forms of a trie: the double array and, for small tries, the
// automaton. Both must give every boundary the same value for every framed word.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "test_support.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"

namespace quellix {
namespace {

using detail::PatternAutomaton;
using detail::PatternIndex;

const PatternIndex& indexOf(const Patterns& trie) {
  return detail::indexOf(detail::PatternAccess::root(trie));
}

std::vector<PatternIndex::Symbol> framed(const PatternIndex& index, std::u32string_view word) {
  std::vector<PatternIndex::Symbol> symbols{index.dot};
  for (char32_t c : word) symbols.push_back(index.symbolOf(c));
  symbols.push_back(index.dot);
  return symbols;
}

// Boundary values 0 .. m - 1 of the framed word, through the double array.
std::vector<std::uint8_t> byWalking(const PatternIndex& index, std::u32string_view word) {
  const auto symbols = framed(index, word);
  std::vector<std::uint8_t> values(index.valuesSize(symbols.size()), 0);
  index.match<false>(symbols.data(), symbols.size(), values.data());
  values.resize(symbols.size());
  return values;
}

// The same through the automaton.
std::vector<std::uint8_t> byAutomaton(const PatternAutomaton& automaton, const PatternIndex& index,
                                      std::u32string_view word) {
  const auto symbols = framed(index, word);
  std::vector<std::uint8_t> buffer(symbols.size() + PatternAutomaton::kWidth, 0);
  automaton.match(symbols.data(), symbols.size(), buffer.data());
  const auto* values = buffer.data() + PatternAutomaton::kLead;
  return {values, values + symbols.size()};
}

std::u32string randomWord(std::mt19937& rng, std::u32string_view alphabet, std::size_t maxLength) {
  std::u32string word(rng() % (maxLength + 1), U'a');
  for (char32_t& c : word) c = alphabet[rng() % alphabet.size()];
  return word;
}

// The sixteen-byte steps (SSE2, or the plain loops of a QUELLIX_SIMD=OFF build) against
// their one-byte-at-a-time meaning.
TEST(SixteenByteSteps, MatchTheirBytewiseMeaning) {
  std::mt19937 rng(16);
  for (int trial = 0; trial < 2000; ++trial) {
    std::array<std::uint8_t, 48> scores{};
    for (std::uint8_t& v : scores) v = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : rng() % 10);
    unsigned odd = 0;
    for (unsigned k = 0; k < 16; ++k) odd |= unsigned(scores[k] & 1u) << k;
    ASSERT_EQ(detail::oddSixteen(scores.data()), odd);

    // Raise by two score lists offset by one, advance three boundaries, then write out.
    detail::SlidingWindow window;
    std::array<std::uint8_t, 19> expected{};  // boundaries 0 .. 18
    window.raise(scores.data());
    for (std::size_t k = 0; k < 16; ++k) expected[k] = std::max(expected[k], scores[k]);
    ASSERT_EQ(window.advance(), expected[0]);
    window.raise(scores.data() + 16);
    for (std::size_t k = 0; k < 16; ++k) expected[k + 1] = std::max(expected[k + 1], scores[16 + k]);
    ASSERT_EQ(window.advance(), expected[1]);
    ASSERT_EQ(window.advance(), expected[2]);
    std::array<std::uint8_t, 16> stored{};
    window.store(stored.data());
    ASSERT_TRUE(std::equal(stored.begin(), stored.end(), expected.begin() + 3));
    std::array<std::uint8_t, 16> raised{};
    std::copy(scores.begin() + 32, scores.end(), raised.begin());
    window.raiseInto(raised.data());
    for (std::size_t k = 0; k < 16; ++k)
      ASSERT_EQ(raised[k], std::max(scores[32 + k], expected[3 + k])) << k;
  }
}

TEST(PatternAutomaton, AgreesWithTheDoubleArrayOnRandomTries) {
  std::mt19937 rng(2024);
  constexpr std::u32string_view kLetters = U"abcd.";
  for (int trial = 0; trial < 300; ++trial) {
    std::u32string text;
    const int lines = 1 + static_cast<int>(rng() % 40);
    for (int line = 0; line < lines; ++line) {
      std::u32string letters = randomWord(rng, U"abcd", 6);
      if (letters.empty()) letters = U"a";
      if (rng() % 4 == 0) letters.insert(letters.begin(), U'.');
      if (rng() % 4 == 0) letters.push_back(U'.');
      for (char32_t c : letters) {
        if (rng() % 2) text += static_cast<char32_t>(U'0' + rng() % 10);
        text += c;
      }
      if (rng() % 2) text += static_cast<char32_t>(U'0' + rng() % 10);
      text += U'\n';
    }
    const Patterns trie = parsePatterns(text);
    if (!detail::PatternAccess::root(trie)) continue;
    const PatternIndex& index = indexOf(trie);
    const PatternAutomaton* automaton = index.automaton();
    ASSERT_NE(automaton, nullptr) << "a small trie of short patterns has an automaton";
    for (int w = 0; w < 40; ++w) {
      const std::u32string word = randomWord(rng, kLetters, 12);
      ASSERT_EQ(byAutomaton(*automaton, index, word), byWalking(index, word));
    }
  }
}

TEST(PatternAutomaton, AgreesWithTheDoubleArrayForLargeTries) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  // Hungarian has the largest trie of the data set (over 100,000 states).
  const struct {
    Language language;
    std::u32string_view letters;
  } cases[] = {
      {Language::English_US, U"abcdefghijklmnopqrstuvwxyz'"},
      {Language::Hungarian, U"aábcdeéfghiíjklmnoóöőpqrstuúüűvwxyz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(languageName(c.language));
    const PatternIndex& index = indexOf(hyphenatorPatterns(languageHyphenator(c.language)));
    const PatternAutomaton* automaton = index.automaton();
    ASSERT_NE(automaton, nullptr);
    std::mt19937 rng(7);
    for (int w = 0; w < 20000; ++w) {
      const std::u32string word = randomWord(rng, c.letters, 14);
      ASSERT_EQ(byAutomaton(*automaton, index, word), byWalking(index, word));
    }
  }
}

TEST(PatternAutomaton, IsLeftOutWhereItWouldNotBeExact) {
  // An empty pattern scores every position: the double array handles it.
  EXPECT_EQ(indexOf(parsePatterns(U"1\nab1c\n")).automaton(), nullptr);
  // A score list of 17 values does not fit the automaton's 16 bytes.
  EXPECT_EQ(indexOf(parsePatterns(U"abcdefghijklmnop1\n")).automaton(), nullptr);
  EXPECT_NE(indexOf(parsePatterns(U"abcdefghijklmno1\n")).automaton(), nullptr);
  // A trie too large for the table budget (4,000 symbols and 8,000 states: 64 MB).
  std::u32string text;
  for (char32_t a = 0x4E00; a < 0x4E00 + 4000; ++a) {
    text += a;
    text += U"1x\n";
  }
  EXPECT_EQ(indexOf(parsePatterns(text)).automaton(), nullptr);
  // Asking again gives the same answer.
  const Patterns small = parsePatterns(U"a1b\n");
  EXPECT_EQ(indexOf(small).automaton(), indexOf(small).automaton());
}

TEST(PatternAutomaton, DividesLikeTheWalkWithAndWithoutIt) {
  // The same patterns with an empty pattern added (no automaton) only raise values by 0:
  // 0 scores everywhere, so divisions must agree.
  const std::u32string text = U"1ba\nab1c\n2bc1\n.a3\nc4.\n";
  const Hyphenator with(CharNormaliser(), parsePatterns(text), Exceptions(), 1, 1);
  const Hyphenator without(CharNormaliser(), parsePatterns(text + U"0\n"), Exceptions(), 1, 1);
  ASSERT_NE(indexOf(parsePatterns(text)).automaton(), nullptr);
  ASSERT_EQ(indexOf(parsePatterns(text + U"0\n")).automaton(), nullptr);
  std::mt19937 rng(99);
  for (int w = 0; w < 2000; ++w) {
    const std::u32string word = randomWord(rng, U"abc", 10);
    ASSERT_EQ(hyphenate(with, word), hyphenate(without, word));
  }
}

}  // namespace
}  // namespace quellix
