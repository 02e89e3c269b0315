// Running text as writers write it: words in capitals, words already hyphenated, letters in
// decomposed form, character references inside words, and the tokens a writer expects to
// stay whole. The same answers come through hyphenateText, hyphenateHtml, TextHyphenator
// and the C API.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "quellix/quellix.h"
#include "quellix/language.hpp"
#include "quellix/text.hpp"
#include "test_support.hpp"

namespace quellix {
namespace {

std::string divide(const Hyphenator& h, std::string_view text, std::size_t minLength = 0) {
  return hyphenateText(h, text, TextOptions{.hyphen = "-", .minWordLength = minLength});
}

// The text cut into chunks of every size from 1 to 7 bytes, through one TextHyphenator.
std::string streamed(const Hyphenator& h, std::string_view text, const TextOptions& options) {
  std::string result;
  for (std::size_t size = 1; size <= 7; ++size) {
    TextHyphenator stream(h, options);
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += size) stream.write(text.substr(at, size), out);
    stream.finish(out);
    if (size > 1) {
      EXPECT_EQ(out, result) << "chunks of " << size;
    }
    result = out;
  }
  return result;
}

struct Row {
  const Hyphenator& h;
  std::string input;
  std::string expected;
};

TEST(RealText, TheRowsOfTheWrongDivisionsReport) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const Row rows[] = {
      {german_1996, "WISSENSCHAFT", "WIS-SEN-SCHAFT"},
      {german_1996, "KUNSTSTOFF", "KUNST-STOFF"},
      {german_1996, "GESCHICHTE", "GE-SCHICH-TE"},
      {armenian, "\u0535\u0550\u0535\u054E\u0531\u0546", "\u0535-\u0550\u0535-\u054E\u0531\u0546"},
      {greek_Ancient, "\u03A0\u039F\u039B\u0399\u03A4\u0395\u0399\u0391",
       "\u03A0\u039F-\u039B\u0399-\u03A4\u0395\u0399-\u0391"},
      {english_US, "algorithm representative", "al-go-rithm rep-re-sen-ta-tive"},
      {english_US, "algorithm;x", "al-go-rithm;x"},
      {english_US, "well-known", "well-known"},
      {french, "porte-monnaie", "porte-mon-naie"},
      {french, "e\u0301le\u0301mentaire", "e\u0301le\u0301-men-taire"},
      // Letters the languages' lists forget, as TeX divides them.
      {catalan, "walkman kleenex Walkman KLEENEX", "walk-man klee-nex Walk-man KLEE-NEX"},
      {turkish, "kuwaitli Kuwaitli", "ku-wa-it-li Ku-wa-it-li"},
      {uppersorbian, "vokabular Vokabular", "vo-ka-bu-lar Vo-ka-bu-lar"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    EXPECT_EQ(divide(row.h, row.input), row.expected);
    EXPECT_EQ(streamed(row.h, row.input, TextOptions{.hyphen = "-", .minWordLength = 0}),
              row.expected);
    EXPECT_EQ(hyphenateHtml(row.h, "<p>" + row.input + "</p>",
                            TextOptions{.hyphen = "-", .minWordLength = 0}),
              "<p>" + row.expected + "</p>");
  }
}

TEST(RealText, ExistingHyphensDivideAWordPartByPart) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const Row rows[] = {
      // Each part keeps the margins; the hyphen is the break at its place.
      {english_US, "computer-associate", "com-puter-as-so-ciate"},
      {english_US, "computer\u2010associate", "com-puter\u2010as-so-ciate"},
      {english_US, "self-representative", "self-rep-re-sen-ta-tive"},
      // Not between letters: an ordinary character next to whole words.
      {english_US, "-computer computer- computer--associate",
       "-com-puter com-puter- com-puter--as-so-ciate"},
      // Russian lists the hyphen among its letters; it still joins parts.
      {russian, "\u0447\u0435\u0440\u043D\u043E-\u0431\u0435\u043B\u044B\u0439",
       "\u0447\u0435\u0440-\u043D\u043E-\u0431\u0435-\u043B\u044B\u0439"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    EXPECT_EQ(divide(row.h, row.input), row.expected);
  }
  // The minimum length counts each part: "well" is short, "associate" is not.
  EXPECT_EQ(divide(english_US, "well-associated", 5), "well-" + divide(english_US, "associated"));
  // Margins of 0 would allow a break at each end of a part: never beside the hyphen.
  using testing::makeHyphenator;
  const Hyphenator everywhere = makeHyphenator(parsePatterns(U"1a1\n1b1\n.1\n1."), {}, -2, -2);
  const TextOptions bars{.hyphen = "|", .minWordLength = 0};
  const std::string alone = hyphenateText(everywhere, "ab", bars);
  ASSERT_EQ(alone, "a|b|");
  EXPECT_EQ(hyphenateText(everywhere, "ab-ab\u2010ab", bars), "a|b-a|b\u2010a|b|");
}

TEST(RealText, DecomposedLettersDivideAsTheirComposedForm) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  // French "élémentaire": composed, decomposed, and mixed; Greek with its accents.
  for (const std::string& form :
       {std::string("e\u0301le\u0301mentaire"), std::string("\u00E9le\u0301mentaire")}) {
    SCOPED_TRACE(form);
    const std::string out = divide(french, form);
    EXPECT_EQ(out, form.substr(0, form.find("ment")) + "-men-taire");
  }
  const std::string greek = "\u03C0\u03BF\u03BB\u03B9\u03C4\u03B5\u03B9\u0301\u03B1";
  EXPECT_EQ(divide(greek_Mono, greek), "\u03C0\u03BF-\u03BB\u03B9-\u03C4\u03B5\u03B9\u0301-\u03B1");
  EXPECT_EQ(divide(greek_Mono, "\u03C0\u03BF\u03BB\u03B9\u03C4\u03B5\u03AF\u03B1"),
            "\u03C0\u03BF-\u03BB\u03B9-\u03C4\u03B5\u03AF-\u03B1");
  using testing::makeHyphenator;
  const Hyphenator every = makeHyphenator(parsePatterns(U"a1\nb1\nx1\n\u1EAD1"), {}, 1, 1);
  // Marks in either order compose alike ("\u1EAD": a with dot below and circumflex).
  const TextOptions bars{.hyphen = "|", .minWordLength = 0};
  EXPECT_EQ(hyphenateText(every, "ba\u0302\u0323b ba\u0323\u0302b \u1EADb", bars),
            "b|a\u0302\u0323|b b|a\u0323\u0302|b \u1EAD|b");
  // A mark never starts a piece, even one the patterns know nothing of: the break after x
  // would fall between x and its macron.
  EXPECT_EQ(hyphenateText(every, "ax\u0304b", bars), "a|x\u0304b");
  // A letter that composes into one the language lacks is no letter of it, in either form.
  std::string composedForm = divide(english_US, "associate na\u00EFveassociate");
  composedForm.replace(composedForm.find("\u00EF"), 2, "i\u0308");
  EXPECT_EQ(divide(english_US, "associate nai\u0308veassociate"), composedForm);
  // TextHyphenator gives the same whatever the chunks, even between a letter and its mark.
  EXPECT_EQ(streamed(french, "e\u0301le\u0301mentaire re\u0301pe\u0301tition",
                     TextOptions{.hyphen = "-", .minWordLength = 0}),
            divide(french, "e\u0301le\u0301mentaire re\u0301pe\u0301tition"));
}

TEST(RealText, AddressesPathsAndIdentifiersStayWhole) {
  for (const std::string token :
       {"example.com/representative?q=associate", "docs.example.org", "hyphenation.txt",
        "/usr/share/representative", "~/associate", "representative/associate/computer",
        "representativeAssociate", "JavaScript", "representative_associate",
        "C:\\representative\\associate"}) {
    SCOPED_TRACE(token);
    EXPECT_EQ(divide(english_US, token), token);
    EXPECT_EQ(divide(english_US, "(" + token + "),"), "(" + token + "),");
  }
  // What is not one: a sentence's end, "and/or", an ellipsis, words in capitals.
  EXPECT_EQ(divide(english_US, "associate. computer/associate associate...computer ASSOCIATE"),
            "as-so-ciate. com-puter/as-so-ciate as-so-ciate...com-puter AS-SO-CIATE");
  // With skipUrls off they are divided like any words.
  for (const std::string token : {"representativeAssociate", "example.com/representative"})
    EXPECT_NE(hyphenateText(english_US, token,
                            TextOptions{.hyphen = "-", .minWordLength = 0, .skipUrls = false}),
              token);
}

TEST(RealText, CharacterReferencesInsideAWordJoinIt) {
  const TextOptions options{.hyphen = "-", .minWordLength = 0};
  ASSERT_EQ(divide(english_US, "international"), "in-ter-na-tional");
  EXPECT_EQ(hyphenateHtml(english_US, "inter&#x6E;ational inter&#110;ational", options),
            "in-ter-&#x6E;a-tional in-ter-&#110;a-tional");
  EXPECT_EQ(hyphenateHtml(french, "&eacute;l&eacute;mentaire", options),
            "&eacute;l&eacute;-men-taire");
  // A reference to something else still ends the word.
  EXPECT_EQ(hyphenateHtml(english_US, "computer&amp;associate", options),
            "com-puter&amp;as-so-ciate");
}

TEST(RealText, TheCApiTextFunctionsAgree) {
  quellix_hyphenator* h = nullptr;
  ASSERT_EQ(quellix_hyphenator_open("fr", &h), QUELLIX_OK);
  quellix_text_options options = quellix_text_options_default();
  options.hyphen = "-";
  options.min_word_length = 0;
  const std::string text = "porte-monnaie e\u0301le\u0301mentaire";
  char buffer[128];
  std::size_t length = 0;
  ASSERT_EQ(quellix_hyphenate_text(h, text.data(), text.size(), &options, buffer, sizeof buffer,
                                   &length),
            QUELLIX_OK);
  EXPECT_EQ(std::string(buffer, length), "porte-mon-naie e\u0301le\u0301-men-taire");
  quellix_hyphenator_close(h);
}

// word divided by the code-point hyphenate, the pieces joined by separator.
std::string wholeWord(const Hyphenator& h, std::string_view word, std::string_view separator) {
  std::string joined;
  for (const std::string_view piece : hyphenate(h, word)) {
    if (!joined.empty()) joined += separator;
    joined += piece;
  }
  return joined;
}

TEST(LongRuns, AreDividedExactlyAsTheWholeRun) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  // Thai is written without spaces between words: runs of thousands of letters.
  const std::string thaiWords =
      "\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22\u0E40\u0E1B\u0E47\u0E19\u0E20\u0E32\u0E29\u0E32"
      "\u0E23\u0E32\u0E0A\u0E01\u0E32\u0E23\u0E1B\u0E23\u0E30\u0E40\u0E17\u0E28\u0E44\u0E17\u0E22";
  std::string run;
  while (run.size() < 9000) run += thaiWords;
  const TextOptions bars{.hyphen = "|", .minWordLength = 0};
  const std::string divided = hyphenateText(thai, run, bars);
  EXPECT_EQ(divided, wholeWord(thai, run, "|"));
  EXPECT_GT(divided.size() - run.size(), 300u);
  EXPECT_EQ(streamed(thai, run, bars), divided);
  // In running text, with URL skipping and the default options.
  EXPECT_EQ(hyphenateText(thai, "(" + run + ")", TextOptions{.hyphen = "|"}),
            "(" + wholeWord(thai, run, "|") + ")");
}

TEST(LongRuns, RandomPatternsReachingFarAgreeWithTheWholeRun) {
  // Patterns over a, b and \u00E9 with long score lists and word-edge anchors, margins from
  // -2 to 6, runs of up to 6,000 letters: every window cut must be invisible. The same
  // run with \u00E9 decomposed divides at the same places.
  std::mt19937 rng(18);
  const std::u32string letters = U"ab\u00E9";
  for (int round = 0; round < 40; ++round) {
    std::u32string patterns;
    for (int k = 0; k < 30; ++k) {
      std::u32string line;
      if (rng() % 5 == 0) line += U'.';
      const int length = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < length; ++i) {
        if (rng() % 2) line += static_cast<char32_t>(U'0' + rng() % 10);
        line += letters[rng() % letters.size()];
      }
      for (int i = static_cast<int>(rng() % 12); i > 0; --i) line += U"1a";  // reaches on
      if (rng() % 5 == 0) line += U'.';
      if (rng() % 2) line += static_cast<char32_t>(U'0' + rng() % 10);
      patterns += line + U"\n";
    }
    const auto margin = [&rng] { return static_cast<std::int64_t>(rng() % 9) - 2; };
    const Hyphenator h = testing::makeHyphenator(parsePatterns(patterns), {}, margin(), margin());
    std::string word;
    std::string decomposed;
    const std::size_t length = 1000 + rng() % 5000;
    for (std::size_t i = 0; i < length; ++i) {
      const char32_t c = letters[rng() % letters.size()];
      word += c == U'a' ? "a" : c == U'b' ? "b" : "\u00E9";
      decomposed += c == U'a' ? "a" : c == U'b' ? "b" : "e\u0301";
    }
    SCOPED_TRACE(round);
    const TextOptions bars{.hyphen = "|", .minWordLength = 0, .skipUrls = false};
    const std::string divided = hyphenateText(h, word, bars);
    ASSERT_TRUE(divided == wholeWord(h, word, "|"));
    std::string expected;
    for (std::size_t at = 0; at < divided.size();) {
      if (divided.compare(at, 2, "\u00E9") == 0) {
        expected += "e\u0301";
        at += 2;
      } else {
        expected += divided[at++];
      }
    }
    ASSERT_TRUE(hyphenateText(h, decomposed, bars) == expected);
    TextHyphenator stream(h, bars);
    std::string chunked;
    for (std::size_t at = 0; at < decomposed.size(); at += 777) stream.write(std::string_view(decomposed).substr(at, 777), chunked);
    stream.finish(chunked);
    ASSERT_TRUE(chunked == expected);
  }
}

}  // namespace
}  // namespace quellix
