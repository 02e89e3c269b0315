#include "quellix/hyphenator.hpp"
#include "quellix/algebra.hpp"
#include "quellix/language.hpp"
#include "quellix/show.hpp"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>
#include <thread>

#include "test_support.hpp"

namespace quellix {
namespace {

using testing::asciiPieces;
using testing::makeHyphenator;
using testing::u32;
using Pieces = std::vector<std::string>;

// A handle: its layout is the library's ABI, so nothing of the record may show in it.
static_assert(sizeof(Hyphenator) <= 2 * sizeof(void*));

const Patterns& programTrie() {
  static const Patterns trie = parsePatterns(U"pr2\n1gr");
  return trie;
}

Pieces divide(const Hyphenator& h, std::string_view word) {
  return asciiPieces(hyphenate(h, u32(word)));
}

std::vector<std::size_t> breaks(const Hyphenator& h, std::u32string_view word) {
  std::array<std::size_t, 64> out{};
  std::size_t n = breakPoints(h, word, out);
  return {out.begin(), out.begin() + std::min(n, out.size())};
}

TEST(Hyphenate, WorkedExamples) {
  EXPECT_EQ(divide(makeHyphenator(programTrie(), {}, 2, 3), "program"), (Pieces{"pro", "gram"}));
  EXPECT_EQ(divide(makeHyphenator(programTrie(), {}, 4, 3), "program"), (Pieces{"program"}));
  EXPECT_EQ(divide(makeHyphenator(programTrie(), {}, 2, 3), "pro"), (Pieces{"pro"}));
  Exceptions prog = addException(U"prog-ram", Exceptions());
  EXPECT_EQ(lookupException(U"program", prog), (Scores{0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(divide(makeHyphenator(programTrie(), prog, 2, 3), "program"), (Pieces{"prog", "ram"}));
  auto lowerP = [](char32_t c) { return c == U'P' ? U'p' : c; };
  EXPECT_EQ(divide(makeHyphenator(programTrie(), {}, 2, 3, lowerP), "Program"),
            (Pieces{"Pro", "gram"}));
}

TEST(Hyphenate, ShortWordsConsultNothing) {
  int calls = 0;
  auto counting = [&](char32_t c) {
    ++calls;
    return c;
  };
  auto failingTrie = Lazy<Patterns>::deferred([]() -> Patterns { throw Error("trie used"); });
  Hyphenator h(counting, failingTrie, Exceptions(), 2, 3);
  EXPECT_EQ(divide(h, "abcd"), (Pieces{"abcd"}));
  EXPECT_EQ(divide(h, ""), (Pieces{""}));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(failingTrie.ready());
  // A word of exactly l + r characters is looked up, and can break only after l.
  EXPECT_THROW((void)hyphenate(h, U"abcde"), Error);
  Patterns everywhere = parsePatterns(U"1a\n1b\n1c\n1d\n1e");
  EXPECT_EQ(divide(makeHyphenator(everywhere, {}, 2, 3), "abcde"), (Pieces{"ab", "cde"}));
}

TEST(Hyphenate, MarginsOneAndZero) {
  Patterns odd = parsePatterns(U"1\n");  // the root scores [1]: every boundary odd
  EXPECT_EQ(divide(makeHyphenator(odd, {}, 1, 1), "abcd"), (Pieces{"a", "b", "c", "d"}));
  // With r = 0 the odd value after the last character leaves an empty last piece.
  EXPECT_EQ(divide(makeHyphenator(odd, {}, 1, 0), "abc"), (Pieces{"a", "b", "c", ""}));
  EXPECT_EQ(breaks(makeHyphenator(odd, {}, 1, 0), U"abc"), (std::vector<std::size_t>{1, 2, 3}));
  // Without a value after the last character there is no break there.
  Patterns inner = parsePatterns(U"1b\n1c");
  EXPECT_EQ(divide(makeHyphenator(inner, {}, 1, 0), "abc"), (Pieces{"a", "b", "c"}));
  // l = 0 and r = 0 with nothing to say about the empty word is malformed.
  try {
    (void)hyphenate(makeHyphenator({}, {}, 0, 0), U"");
    FAIL() << "no error";
  } catch (const ScoreError& e) {
    EXPECT_STREQ(e.what(), "Malformed quellix score for ");
  }
  EXPECT_EQ(divide(makeHyphenator(odd, {}, 0, 0), ""), (Pieces{""}));
}

TEST(Hyphenate, NegativeLeftMarginWidensTheWindowOnTheRight) {
  Patterns odd = parsePatterns(U"1\n");
  // l = -1, r = 2, n = 3: breaks after i for 1 <= i <= n - l - r = 2.
  EXPECT_EQ(divide(makeHyphenator(odd, {}, -1, 2), "abc"), (Pieces{"a", "b", "c"}));
  // l = -1, r = 3: n - l - r = 1.
  EXPECT_EQ(divide(makeHyphenator(odd, {}, -1, 3), "abc"), (Pieces{"a", "bc"}));
  Exceptions listed = addException(U"-a-b-c-", Exceptions());
  EXPECT_EQ(divide(makeHyphenator({}, listed, -5, 0), "abc"), (Pieces{"a", "b", "c", ""}));
  try {
    (void)hyphenate(makeHyphenator({}, addException(U"-", Exceptions()) + Exceptions(), -1, 1), U"");
  } catch (...) {
    FAIL() << "an exception with a score is not malformed";
  }
}

TEST(Hyphenate, ExtremeMargins) {
  Patterns odd = parsePatterns(U"1\n");
  const std::int64_t lo = INT64_MIN, hi = INT64_MAX;
  EXPECT_EQ(divide(makeHyphenator(odd, {}, hi, hi), "abc"), (Pieces{"abc"}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, hi, lo), "abc"), (Pieces{"abc"}));
  // INT64_MIN + INT64_MAX is -1: the window runs to n - l - r = 4, past the word.
  EXPECT_EQ(divide(makeHyphenator(odd, {}, lo, hi), "abc"), (Pieces{"a", "b", "c", ""}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, lo + 3, hi), "abc"), (Pieces{"a", "bc"}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, lo, lo), "abc"), (Pieces{"a", "b", "c", ""}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, 1, lo), "abc"), (Pieces{"a", "b", "c", ""}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, lo, 0), "ab"), (Pieces{"a", "b", ""}));
  EXPECT_EQ(divide(makeHyphenator(odd, {}, lo, 2), "ab"), (Pieces{"a", "b", ""}));
  EXPECT_THROW((void)hyphenate(makeHyphenator({}, {}, lo, lo), U""), ScoreError);
  EXPECT_EQ(divide(makeHyphenator({}, {}, hi, 1), ""), (Pieces{""}));
}

TEST(Hyphenate, ExceptionsOverrideTheTrie) {
  Patterns odd = parsePatterns(U"1\n");
  Exceptions none = parseExceptions(U"program\n");
  EXPECT_EQ(divide(makeHyphenator(odd, none, 1, 1), "program"), (Pieces{"program"}));
  // Margins still apply to an exception.
  Exceptions all = parseExceptions(U"p-r-o-g-r-a-m\n");
  EXPECT_EQ(divide(makeHyphenator({}, all, 3, 3), "program"), (Pieces{"pro", "g", "ram"}));
}

TEST(Hyphenate, PiecesAlwaysRebuildTheWord) {
  Patterns trie = parsePatterns(U".ta4\n1ta\n2tab\nb2l2\nb4le.\n1\n3x1");
  const std::vector<std::u32string> words{U"", U"table", U"tablex", U"a.b c-d", U"xxxxxxx"};
  for (std::int64_t l : {-3, 0, 1, 2, 5})
    for (std::int64_t r : {-3, 0, 1, 2, 5})
      for (const auto& w : words) {
        Hyphenator h = makeHyphenator(trie, {}, l, r);
        auto pieces = hyphenate(h, w);
        ASSERT_FALSE(pieces.empty());
        std::u32string joined;
        for (const auto& p : pieces) joined += p;
        EXPECT_EQ(joined, w);
        // breakPoints reports exactly the ends of all pieces but the last.
        auto at = breaks(h, w);
        ASSERT_EQ(at.size(), pieces.size() - 1);
        std::size_t end = 0;
        for (std::size_t k = 0; k < at.size(); ++k) EXPECT_EQ(at[k], end += pieces[k].size());
      }
}

TEST(BreakPoints, CountsBeyondTheBuffer) {
  Hyphenator h = makeHyphenator(parsePatterns(U"1\n"), {}, 1, 1);
  std::array<std::size_t, 2> out{};
  EXPECT_EQ(breakPoints(h, U"abcdef", out), 5u);
  EXPECT_EQ(out[0], 1u);
  EXPECT_EQ(out[1], 2u);
  EXPECT_EQ(breakPoints(h, U"abcdef", std::span<std::size_t>()), 5u);
}

TEST(Hyphenator, AccessorsAndSharedDeferredFields) {
  int builds = 0;
  auto trie = Lazy<Patterns>::deferred([&] {
    ++builds;
    return parsePatterns(U"pr2\n1gr");
  });
  Hyphenator h(testing::identity, trie, Exceptions(), 2, 3);
  Hyphenator copy = h;
  EXPECT_EQ(hyphenatorLeftMin(h), 2);
  EXPECT_EQ(hyphenatorRightMin(h), 3);
  EXPECT_EQ(builds, 0);
  EXPECT_EQ(divide(copy, "program"), (Pieces{"pro", "gram"}));
  EXPECT_EQ(&hyphenatorPatterns(h), &hyphenatorPatterns(copy));
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(hyphenatorChars(h)(U'q'), U'q');
  EXPECT_EQ(hyphenatorExceptions(h).size(), 0u);
}

TEST(Hyphenator, CopiesMovesAndAssignmentsKeepDividing) {
  // Each object keeps its own view of the shared tables; none may outlive or lose them.
  const Patterns trie = parsePatterns(U"pr2\n1gr\n1ta");
  Hyphenator h(testing::identity, trie, parseExceptions(U"pro-ta"), 2, 2);
  EXPECT_EQ(divide(h, "program"), (Pieces{"pro", "gram"}));  // builds h's view
  Hyphenator copy = h;
  EXPECT_EQ(divide(copy, "program"), (Pieces{"pro", "gram"}));
  Hyphenator moved = std::move(copy);
  EXPECT_EQ(divide(moved, "protagram"), (Pieces{"pro", "ta", "gram"}));
  EXPECT_EQ(divide(copy, "program"), (Pieces{"pro", "gram"}));  // NOLINT(bugprone-use-after-move)
  Hyphenator other(testing::identity, parsePatterns(U"o1g"), Exceptions(), 1, 1);
  EXPECT_EQ(divide(other, "program"), (Pieces{"pro", "gram"}));
  other = h;  // drops the view of its old tables
  EXPECT_EQ(divide(other, "protagram"), (Pieces{"pro", "ta", "gram"}));
  EXPECT_EQ(divide(other, "prota"), (Pieces{"pro", "ta"}));  // the exception
  other = Hyphenator(testing::identity, parsePatterns(U"a1m"), Exceptions(), 1, 1);
  EXPECT_EQ(divide(other, "program"), (Pieces{"progra", "m"}));
  const Hyphenator& self = other;
  other = self;
  EXPECT_EQ(divide(other, "program"), (Pieces{"progra", "m"}));
}

TEST(BreakPoints, SameBeforeAndAfterAHyphenatorWarmsUp) {
  // A hyphenator that has divided a few thousand words switches to a faster lookup of
  // the same patterns; the first pass sees both, the second only the faster one.
  const Hyphenator h = loadHyphenator(Language::English_US);
  std::mt19937 rng(4096);
  std::vector<std::u32string> words(6000);
  for (auto& word : words) {
    word.resize(3 + rng() % 12);
    for (char32_t& c : word) c = U"abcdefghijklmnopqrstuvwxyzAEIOU"[rng() % 31];
  }
  std::vector<std::vector<std::u32string>> first;
  for (const auto& word : words) first.push_back(hyphenate(h, word));
  for (std::size_t k = 0; k < words.size(); ++k) {
    ASSERT_EQ(hyphenate(h, words[k]), first[k]) << testing::ascii(words[k]);
    ASSERT_EQ(hyphenate(Hyphenator(h), words[k]), first[k]) << testing::ascii(words[k]);
  }
}

TEST(Hyphenate, ErrorsOfTheNormaliserPassThrough) {
  auto failing = [](char32_t) -> char32_t { throw std::runtime_error("bad char"); };
  EXPECT_THROW((void)hyphenate(makeHyphenator({}, {}, 1, 1, failing), U"ab"), std::runtime_error);
}

TEST(Hyphenate, LongWordsAndMalformedEmptyWords) {
  Hyphenator h = makeHyphenator(parsePatterns(U"a1b"), {}, 1, 1);
  std::u32string word;
  for (int k = 0; k < 100'000; ++k) word += U"ab";
  EXPECT_EQ(hyphenate(h, word).size(), 100'001u);
  EXPECT_THROW((void)hyphenate(makeHyphenator({}, {}, 0, -1), U""), ScoreError);
  try {
    (void)hyphenate(makeHyphenator({}, {}, -1, 0), U"");
    FAIL() << "no error";
  } catch (const ScoreError& e) {
    EXPECT_STREQ(e.what(), "Malformed quellix score for ");
  }
}

TEST(Hyphenator, ConcurrentUse) {
  auto trie = Lazy<Patterns>::deferred([] { return parsePatterns(U"pr2\n1gr\n1ta\n2tab"); });
  Hyphenator h(testing::identity, trie, Exceptions(), 2, 3);
  std::vector<std::thread> threads;
  std::vector<int> good(8, 0);
  for (int k = 0; k < 8; ++k)
    threads.emplace_back([&, k] {
      for (int j = 0; j < 200; ++j) good[k] += divide(h, "program") == Pieces{"pro", "gram"};
    });
  for (auto& t : threads) t.join();
  for (int g : good) EXPECT_EQ(g, 200);
}

}  // namespace
}  // namespace quellix

namespace quellix {
namespace {

std::vector<std::string> utf8Pieces(const Hyphenator& h, std::string_view word) {
  auto views = hyphenate(h, word);
  return {views.begin(), views.end()};
}

TEST(HyphenateUtf8, DividesLikeTheCodePointsAndCountsCharacters) {
  // "é" is two bytes but one character for the margins.
  Hyphenator h = makeHyphenator(parsePatterns(U"1\n"), {}, 2, 2);
  EXPECT_EQ(utf8Pieces(h, "\xc3\xa9" "abc\xc3\xa9"), (std::vector<std::string>{"\xc3\xa9" "a", "b", "c\xc3\xa9"}));
  std::array<std::size_t, 8> out{};
  ASSERT_EQ(breakPoints(h, "\xc3\xa9" "abc\xc3\xa9", out), 2u);
  EXPECT_EQ(out[0], 3u);  // byte offsets
  EXPECT_EQ(out[1], 4u);
  Hyphenator program = makeHyphenator(programTrie(), {}, 2, 3);
  EXPECT_EQ(utf8Pieces(program, "program"), (std::vector<std::string>{"pro", "gram"}));
}

TEST(HyphenateUtf8, MalformedBytesAreKeptAndKnownToNoTable) {
  // The byte 0xFF must not match the pattern character U+00FF, nor the exception word.
  Patterns trie = parsePatterns(U"1\u00ff\n\u00ff1");
  Exceptions listed = parseExceptions(U"a-\u00ff-b");
  Hyphenator h = makeHyphenator(trie, listed, 1, 1);
  EXPECT_EQ(utf8Pieces(h, "a\xff" "b"), (std::vector<std::string>{"a\xff" "b"}));
  EXPECT_EQ(utf8Pieces(h, "a\xc3\xbf" "b"), (std::vector<std::string>{"a", "\xc3\xbf", "b"}));
  // Every kind of malformed input still rebuilds byte for byte.
  Hyphenator every = makeHyphenator(parsePatterns(U"1\n"), {}, 1, 1);
  for (std::string_view word : std::initializer_list<std::string_view>{"\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                                "\xf8\x88\x80\x80\x80", "\xfc\x84\x80\x80\x80\x80", "\x80\x80",
                                "ab\xe2\x82", "\xe2\x82" "ab", std::string_view("x\0y", 3)}) {
    std::string joined;
    auto pieces = hyphenate(every, word);
    for (std::string_view p : pieces) joined += p;
    EXPECT_EQ(joined, word);
    EXPECT_EQ(pieces.size(), word.size()) << "each byte is one character here";
  }
}

}  // namespace
}  // namespace quellix

namespace quellix {
namespace {

// The breaks the window rule gives for the score list of lookupPattern.
std::vector<std::size_t> breaksFromScores(const Scores& s, std::size_t n, std::int64_t l,
                                          std::int64_t r) {
  std::vector<std::size_t> out;
  if (static_cast<std::int64_t>(n) < l + r) return out;
  std::int64_t lo = std::max<std::int64_t>(l, 1);
  std::int64_t hi = std::min<std::int64_t>(static_cast<std::int64_t>(n),
                                           l >= 1 ? static_cast<std::int64_t>(n) - r
                                                  : static_cast<std::int64_t>(n) - l - r);
  hi = std::min<std::int64_t>(hi, static_cast<std::int64_t>(s.size()) - 1);
  for (std::int64_t i = lo; i <= hi; ++i)
    if (s[static_cast<std::size_t>(i)] & 1) out.push_back(static_cast<std::size_t>(i));
  return out;
}

void expectDivisionMatchesLookup(const Patterns& trie, const std::vector<std::u32string>& words) {
  for (auto [l, r] : {std::pair<std::int64_t, std::int64_t>{1, 0}, {2, 3}, {0, 0}, {-1, 1}, {1, 1}})
    for (const auto& w : words) {
      Hyphenator h = makeHyphenator(trie, {}, l, r);
      Scores s = lookupPattern(w, trie);
      if (l <= 0 && s.empty()) continue;  // malformed, checked elsewhere
      EXPECT_EQ(breaks(h, w), breaksFromScores(s, w.size(), l, r))
          << testing::ascii(w) << " l=" << l << " r=" << r;
    }
}

TEST(BreakPoints, AgreeWithLookupOnRandomPatterns) {
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % bound;
  };
  const std::u32string alphabet = U"abc.0123456789";
  for (int round = 0; round < 200; ++round) {
    std::u32string text;
    for (std::uint32_t line = next(12); line-- > 0;) {
      for (std::uint32_t len = next(6); len-- > 0;) text += alphabet[next(next(3) ? 4 : 14)];
      text += U'\n';
    }
    Patterns trie = parsePatterns(text);
    std::vector<std::u32string> words{U""};
    for (int k = 0; k < 20; ++k) {
      std::u32string w;
      for (std::uint32_t len = next(9); len-- > 0;) w += alphabet[next(4)];
      words.push_back(w);
    }
    expectDivisionMatchesLookup(trie, words);
  }
}

TEST(BreakPoints, AgreeWithLookupOnNestedPatterns) {
  // Patterns x1, xx1, ...: every start walks deep and meets a list at every step.
  std::u32string text;
  for (int k = 1; k <= 3000; ++k) text += std::u32string(static_cast<std::size_t>(k), U'x') + U"1\n";
  Patterns trie = parsePatterns(text);
  expectDivisionMatchesLookup(trie, {U"xxxxx", std::u32string(50, U'x'), U"axxb"});
}

}  // namespace
}  // namespace quellix
