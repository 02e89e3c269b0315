#include "quellix/pattern.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "quellix/algebra.hpp"
#include "quellix/show.hpp"
#include "test_support.hpp"

namespace quellix {
namespace {

using testing::u32;

Patterns trieOf(std::string_view text) { return parsePatterns(u32(text)); }

TEST(ScorePattern, PlacesDigitsOnBoundaries) {
  EXPECT_EQ(scorePattern(U"a1b"), (Scores{0, 1, 0}));
  EXPECT_EQ(scorePattern(U".ach4"), (Scores{0, 0, 0, 0, 4}));
  EXPECT_EQ(scorePattern(U"b4le."), (Scores{0, 4, 0, 0, 0}));
  EXPECT_EQ(scorePattern(U"pr2"), (Scores{0, 0, 2}));
  EXPECT_EQ(scorePattern(U"1gr"), (Scores{1, 0, 0}));
  EXPECT_EQ(scorePattern(U"ab1"), (Scores{0, 0, 1}));
}

TEST(ScorePattern, DegenerateLines) {
  EXPECT_EQ(scorePattern(U""), (Scores{0}));
  EXPECT_EQ(scorePattern(U"4"), (Scores{4}));
  EXPECT_EQ(scorePattern(U"1"), (Scores{1}));
  // The second of two adjacent digits is taken as the letter after the first.
  EXPECT_EQ(scorePattern(U"a12b"), (Scores{0, 1, 0, 0}));
  EXPECT_EQ(scorePattern(U"12"), (Scores{1, 0}));
}

TEST(PatternsRendering, EmptyAndSingleLine) {
  EXPECT_EQ(show(Patterns()), "Patterns [] (fromList [])");
  EXPECT_EQ(show(parsePatterns(U"")), "Patterns [] (fromList [])");
  EXPECT_EQ(show(trieOf("a1b")),
            "Patterns [] (fromList [(97,Patterns [] (fromList [(98,Patterns [0,1,0] "
            "(fromList []))]))])");
}

TEST(PatternsRendering, PrecedenceListsAndStreams) {
  Patterns t = trieOf("a1b");
  EXPECT_EQ(showsPrec(11, t, "!"), "(" + show(t) + ")!");
  EXPECT_EQ(showsPrec(10, t, ""), show(t));
  std::vector<Patterns> list{Patterns(), t};
  EXPECT_EQ(showList(list, "x"), "[" + show(Patterns()) + "," + show(t) + "]x");
  EXPECT_EQ(showList(std::span<const Patterns>(), ""), "[]");
  std::ostringstream out;
  out << t;
  EXPECT_EQ(out.str(), show(t));
}

TEST(PatternsRendering, ChildrenInAscendingCodeOrder) {
  Patterns t = trieOf("z1\nb1\nm1");
  EXPECT_EQ(show(t),
            "Patterns [] (fromList [(98,Patterns [0,1] (fromList [])),(109,Patterns [0,1] "
            "(fromList [])),(122,Patterns [0,1] (fromList []))])");
}

TEST(ParsePatterns, LineSplitting) {
  // A final line feed opens no line; a missing one still ends the last line.
  EXPECT_EQ(trieOf("a1b\n"), trieOf("a1b"));
  // An empty line is the pattern with no letters: the root gets [0].
  EXPECT_EQ(trieOf("\n").scores(), (Scores{0}));
  EXPECT_EQ(trieOf("a1\n\nb1").scores(), (Scores{0}));
  // Carriage returns are letters.
  Patterns cr = trieOf("a1\r");
  ASSERT_TRUE(cr.child(U'a'));
  EXPECT_TRUE(cr.child(U'a')->child(U'\r'));
}

TEST(ParsePatterns, FirstLineWinsAndMatchesInsertion) {
  Patterns t = trieOf("2tab\ntab3");
  EXPECT_EQ(t.child(U't')->child(U'a')->child(U'b')->scores(), (Scores{2, 0, 0, 0}));
  // Parsing equals inserting from the last line to the first.
  std::string text = ".ta4\n1ta\n2tab\nb2l2\nb4le.\ntab3\n1ta\nx\n";
  Patterns inserted;
  std::vector<std::string> lines{".ta4", "1ta", "2tab", "b2l2", "b4le.", "tab3", "1ta", "x"};
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) inserted = insertPattern(u32(*it), inserted);
  EXPECT_EQ(trieOf(text), inserted);
  EXPECT_EQ(show(trieOf(text)), show(inserted));
}

TEST(InsertPattern, ReplacesScoresAndKeepsInputs) {
  Patterns base = trieOf("ab1");
  Patterns replaced = insertPattern(U"a1b", base);
  EXPECT_EQ(base.child(U'a')->child(U'b')->scores(), (Scores{0, 0, 1}));
  EXPECT_EQ(replaced.child(U'a')->child(U'b')->scores(), (Scores{0, 1, 0}));
  // A prefix pattern keeps the node's children.
  Patterns prefix = insertPattern(U"a3", replaced);
  EXPECT_EQ(prefix.child(U'a')->scores(), (Scores{0, 3}));
  EXPECT_TRUE(prefix.child(U'a')->child(U'b'));
  Patterns digitsOnly = insertPattern(U"5", base);
  EXPECT_EQ(digitsOnly.scores(), (Scores{5}));
  EXPECT_TRUE(base.scores().empty());
}

TEST(MergePatterns, MaximumAndLongerTail) {
  Patterns a = trieOf("2tab");
  Patterns b = trieOf("tab3");
  EXPECT_EQ((a + b).child(U't')->child(U'a')->child(U'b')->scores(), (Scores{2, 0, 0, 3}));
  Patterns shortList = insertPattern(U"1", Patterns());  // root [1]
  Patterns longList = trieOf("\n");                       // root [0]
  EXPECT_EQ((shortList + longList).scores(), (Scores{1}));
  Patterns adjacent = insertPattern(U"12", Patterns());   // root [1, 0]
  EXPECT_EQ((shortList + adjacent).scores(), (Scores{1, 0}));
}

TEST(MergePatterns, MonoidLaws) {
  Patterns a = trieOf(".ta4\n1ta\n2tab");
  Patterns b = trieOf("b2l2\nb4le.\ntab3");
  Patterns c = trieOf("1gr\npr2\nta5");
  EXPECT_EQ(a + b, b + a);
  EXPECT_EQ((a + b) + c, a + (b + c));
  EXPECT_EQ(a + a, a);
  EXPECT_EQ(a + Patterns(), a);
  EXPECT_EQ(Patterns() + a, a);
  EXPECT_EQ(mempty<Patterns>(), Patterns());
  std::vector<Patterns> all{a, b, c};
  EXPECT_EQ(mconcat(all), a + (b + (c + Patterns())));
  EXPECT_EQ(mconcat(std::vector<Patterns>{}), Patterns());
  EXPECT_EQ(sconcat(a, std::vector<Patterns>{b, c}), a + (b + c));
  EXPECT_EQ(stimes(1, a), a);
  EXPECT_EQ(stimes(INT64_MAX, a), a);
  // Merging leaves its operands unchanged.
  EXPECT_EQ(show(a), show(trieOf(".ta4\n1ta\n2tab")));
}

TEST(LookupPattern, WorkedExamples) {
  EXPECT_EQ(lookupPattern(U"program", trieOf("pr2\n1gr")), (Scores{0, 0, 2, 1, 0, 0, 0}));
  EXPECT_EQ(lookupPattern(U"table", trieOf(".ta4\n1ta\n2tab\nb2l2\nb4le.")),
            (Scores{2, 0, 4, 4, 2, 0}));
}

TEST(LookupPattern, EdgeCases) {
  EXPECT_EQ(lookupPattern(U"", Patterns()), Scores{});
  EXPECT_EQ(lookupPattern(U"abc", Patterns()), (Scores{0, 0, 0}));
  EXPECT_EQ(lookupPattern(U"", trieOf(".1.")), (Scores{1}));
  // An empty line gives every lookup n + 1 values.
  EXPECT_EQ(lookupPattern(U"abc", trieOf("\n")), (Scores{0, 0, 0, 0}));
  // A digits-only line raises every boundary, the one after the last character included.
  EXPECT_EQ(lookupPattern(U"ab", trieOf("5\na1b")), (Scores{5, 5, 5}));
  // Characters are compared exactly.
  EXPECT_EQ(lookupPattern(U"TABLE", trieOf(".ta4\n1ta\n2tab\nb2l2\nb4le.")),
            (Scores{0, 0, 0, 0, 0}));
  // A dot inside a word matches word-edge patterns there too.
  EXPECT_EQ(lookupPattern(U"a.b", trieOf(".1b")), (Scores{0, 0, 1}));
  EXPECT_EQ(lookupPattern(U"ab", trieOf(".1b")), (Scores{0, 0}));
  // Adjacent digits make lists that reach past the end of the word.
  EXPECT_EQ(lookupPattern(U"a", trieOf("a12345")), (Scores{0, 1, 3}));
}

TEST(LookupPattern, AgreesAfterInsertAndMerge) {
  Patterns a = trieOf("pr2");
  EXPECT_EQ(lookupPattern(U"program", a), (Scores{0, 0, 2, 0, 0, 0, 0}));
  Patterns b = a + trieOf("1gr");
  EXPECT_EQ(lookupPattern(U"program", b), (Scores{0, 0, 2, 1, 0, 0, 0}));
  EXPECT_EQ(lookupPattern(U"program", a), (Scores{0, 0, 2, 0, 0, 0, 0}));
  // A subtree is a trie of its own: under p, the node r holds [0, 0, 2].
  EXPECT_EQ(lookupPattern(U"r", *b.child(U'p')), (Scores{0, 0}));
  EXPECT_EQ(lookupPattern(U"xr", *b.child(U'p')), (Scores{0, 0, 0}));
}

TEST(LookupPattern, CodesBeyondUnicodeAndManyChildren) {
  std::u32string text;
  for (char32_t c = U'a'; c <= U'z'; ++c) text += std::u32string{c, U'1', U'\n'};
  text += std::u32string{U'3', char32_t(0xFFFFFFFF)};
  Patterns t = parsePatterns(text);
  EXPECT_EQ(lookupPattern(U"ab", t), (Scores{0, 1}));
  EXPECT_EQ(lookupPattern(std::u32string{char32_t(0xFFFFFFFF)}, t), (Scores{3}));
  EXPECT_EQ(lookupPattern(std::u32string{char32_t(0x10FFFF), char32_t(0xD800)}, t),
            (Scores{0, 0}));
}

TEST(Unsnoc, SplitsOffTheLastElement) {
  auto three = unsnoc(std::vector<int>{1, 2, 3});
  ASSERT_TRUE(three);
  EXPECT_EQ(three->first, (std::vector<int>{1, 2}));
  EXPECT_EQ(three->second, 3);
  auto one = unsnoc(std::vector<int>{7});
  ASSERT_TRUE(one);
  EXPECT_TRUE(one->first.empty());
  EXPECT_EQ(one->second, 7);
  EXPECT_FALSE(unsnoc(std::vector<int>{}));
}

TEST(PatternsDepth, MillionLetterLine) {
  const std::u32string letters = U"y" + std::u32string(999'999, U'x');
  Patterns deep = insertPattern(U"2" + letters, Patterns());
  Patterns parsed = parsePatterns(U"2" + letters);
  EXPECT_EQ(deep, parsed);
  Patterns other = insertPattern(letters + U"1", Patterns());
  Patterns merged = deep + other;
  EXPECT_FALSE(merged == deep);
  std::string rendered = show(deep);
  EXPECT_EQ(rendered, show(parsed));
  EXPECT_EQ(rendered.substr(rendered.size() - 6), ")]))])");
  // The word of the same letters is matched all the way down.
  Scores s = lookupPattern(letters, merged);
  ASSERT_EQ(s.size(), letters.size());
  EXPECT_EQ(s[0], 2);
}

TEST(LookupPattern, LinearInTheWordLength) {
  // A naive lookup that rebuilds lists per start is quadratic; this would take minutes.
  Patterns t = trieOf("a1\n1b\nab2a\n.a3");
  std::u32string word;
  for (int k = 0; k < 500'000; ++k) word += U"ab";
  Scores s = lookupPattern(word, t);
  ASSERT_EQ(s.size(), word.size());
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[1], 3);
  EXPECT_EQ(s[2], 2);
  EXPECT_EQ(s[3], 1);
}

TEST(Patterns, ConcurrentFirstLookups) {
  Patterns t = trieOf("pr2\n1gr\n.ta4\n1ta");
  std::vector<std::thread> threads;
  std::vector<Scores> results(8);
  for (int k = 0; k < 8; ++k)
    threads.emplace_back([&, k] { results[k] = lookupPattern(U"program", Patterns(t)); });
  for (auto& th : threads) th.join();
  for (const auto& r : results) EXPECT_EQ(r, (Scores{0, 0, 2, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace quellix
