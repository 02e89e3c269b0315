// Running text divided the quick way (whole ASCII tokens and runs of white space at once)
// against the general way (character by character), and divided on several threads
// against one: byte for byte the same output, over generated texts, languages, options
// and every place a text can be cut.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"
#include "quellix/text.hpp"
#include "test_support.hpp"
#include "text_tokens.hpp"

namespace {

using quellix::Hyphenator;
using quellix::TextHyphenator;
using quellix::TextMarkup;
using quellix::TextOptions;
using quellix::kMaxHeldBytes;
using quellix::detail::TextHyphenatorAccess;

// Breaks wherever the margins allow.
const Hyphenator& everywhere() {
  static const Hyphenator h(quellix::CharNormaliser(), quellix::parsePatterns(U"1\n"),
                            quellix::Exceptions(), 1, 1);
  return h;
}

// Words, non-words and the things around them that running text treats specially.
const std::vector<std::string>& plainPieces() {
  static const std::vector<std::string> pieces = {
      "hyphenation", "Hyphenation", "HYPHENATION", "a", "the", "associate", "computer",
      "well-known", "state-of-the-art", "-dash", "trailing-", "x--y", "http://example.com/hyphenation",
      "www.example.org", "user@example.com", "camelCase", "JavaScript", "iHyphenation", "snake_case_word",
      "a/b/c", "and/or", "/usr/share", "~/notes", "back\\slash", "3.14", "1,000,000",
      "end.", "question?", "\"quoted\"", "(parenthetical)", "l'homme", "aujourd'hui",
      "d\u2019accord", "\u00DCbergr\u00F6\u00DFentr\u00E4ger", "e\u0301le\u0301ment",
      "hy\u00ADphen\u00ADation", "na\u00EFve", "\u03A3\u03C9\u03BA\u03C1\u03AC\u03C4\u03B7\u03C2",
      "\xFF\xFE" "bad", "cut\xE2\x80", "\xC3", "\u2013", "hyphen\u2010ation",
      std::string("nul\0byte", 8), "ABCdef", "internationalization", "x",
      std::string(5000, 'a') + "tion", "word" + std::string(4100, '.') + "word",
      std::string(63, 'b') + "-" + std::string(70, 'c'), "x" + std::string(4095, 'y')};
  return pieces;
}

const std::vector<std::string>& separators() {
  static const std::vector<std::string> list = {" ", " ", " ", "\n", "\t", "  ", "\r\n", "\f",
                                                "\v", "\u00A0", "\u2003", ""};
  return list;
}

const std::vector<std::string>& htmlPieces() {
  static const std::vector<std::string> pieces = {
      "<p>", "</p>", "<b>", "</b>", "<span lang=\"de\">", "</span>", "<div lang='fr'>", "</div>",
      "<i lang=xx>", "</i>", "<p lang=\"\">", "<!-- hyphenation in a comment -->",
      "<script>var hyphenation = 1 < 2; // </scr + ipt></script>",
      "<script><!-- <script>hyphenation</script> --></script>", "<style>p { hyphens: auto }</style>",
      "<pre>hyphenation  kept</pre>", "<code>hyphenation</code>", "&amp;", "&shy;", "&#233;",
      "&eacute;", "&nbsp;", "&#x6E;", "&unknownreference;", "<?xml version=\"1.0\"?>",
      "<![CDATA[hyphenation]]>", "<br/>", "a < b", "<!DOCTYPE html>", "<title>hyphenation</title>",
      "<td lang=\"ru\">\u0433\u0438\u0434\u0440\u043E\u044D\u043D\u0435\u0440\u0433\u0438\u044F"};
  return pieces;
}

std::string randomText(std::mt19937& random, bool html, std::size_t pieces) {
  std::string text;
  const auto pick = [&](const std::vector<std::string>& list) -> const std::string& {
    return list[std::uniform_int_distribution<std::size_t>(0, list.size() - 1)(random)];
  };
  for (std::size_t k = 0; k < pieces; ++k) {
    text += html && random() % 3 == 0 ? pick(htmlPieces()) : pick(plainPieces());
    text += pick(separators());
  }
  return text;
}

std::string generalWay(const Hyphenator& h, std::string_view text, const TextOptions& options) {
  TextHyphenator t(h, options);
  TextHyphenatorAccess::useGeneralPath(t);
  std::string out;
  t.write(text, out);
  t.finish(out);
  return out;
}

// text written in chunks whose sizes come from random, on threads threads.
std::string chunked(const Hyphenator& h, std::string_view text, const TextOptions& options,
                    std::mt19937& random, unsigned threads) {
  TextHyphenator t(h, options);
  TextHyphenatorAccess::setMinimumPart(t, 16);
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t size = std::min<std::size_t>(random() % 700, text.size() - at);
    t.write(text.substr(at, size), out, threads);
    at += size;
  }
  t.finish(out);
  return out;
}

struct Setting {
  const char* name;
  const Hyphenator& (*hyphenator)();
  TextOptions options;
};

std::vector<Setting> settings() {
  const auto en = []() -> const Hyphenator& { return quellix::english_US.get(); };
  const auto fr = []() -> const Hyphenator& { return quellix::french.get(); };
  const auto de = []() -> const Hyphenator& { return quellix::german_1996.get(); };
  return {
      {"english", en, {}},
      {"english, urls divided, short words", en, {.minWordLength = 1, .skipUrls = false}},
      {"english, capitals left, hyphen -", en, {.hyphen = "-", .skipSoftHyphenated = false, .skipCapitals = true}},
      {"french", fr, {}},
      {"german, words of any length", de, {.minWordLength = 0}},
      {"everywhere", everywhere, {.hyphen = "|", .minWordLength = 0}},
      {"everywhere, own word characters", everywhere,
       {.hyphen = "|", .minWordLength = 2,
        .isWordCharacter = [](char32_t c) { return (c >= 'a' && c <= 'm') || c == '\''; }}},
      // Word characters the quick way finds as the letters, or as none, with a few toggled.
      {"everywhere, letters and apostrophe but q, capitals left", everywhere,
       {.hyphen = "|", .minWordLength = 3, .skipCapitals = true,
        .isWordCharacter = [](char32_t c) {
          return c == '\'' || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z' && (c | 0x20) != 'q');
        }}},
      {"everywhere, digits to 5 and x", everywhere,
       {.hyphen = "=", .minWordLength = 2,
        .isWordCharacter = [](char32_t c) { return (c >= '0' && c <= '5') || c == 'x'; }}},
      {"english, words of 20 and more", en, {.minWordLength = 20}},
      {"everywhere, words of 64 and more, long hyphen", everywhere,
       {.hyphen = "<long hyphen string>", .minWordLength = 64}},
      {"english html", en, {.markup = TextMarkup::Html}},
      {"english html, languages ignored", en, {.markup = TextMarkup::Html, .followLang = false}},
      {"french html, hyphen |", fr, {.hyphen = "|", .minWordLength = 3, .markup = TextMarkup::Html}},
  };
}

TEST(TextPaths, QuickWayWritesWhatTheGeneralWayWrites) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::French,
                            quellix::Language::German_1996, quellix::Language::Russian);
  std::mt19937 random(16);
  for (const Setting& setting : settings()) {
    const Hyphenator& h = setting.hyphenator();
    const bool html = setting.options.markup == TextMarkup::Html;
    for (int round = 0; round < 62; ++round) {
      // The last rounds' texts span several of the quick way's windows (16 KiB).
      const std::string text = randomText(random, html, round < 60 ? 1 + random() % 40 : 1000);
      const std::string expected = generalWay(h, text, setting.options);
      ASSERT_EQ(quellix::hyphenateText(h, text, setting.options), expected)
          << setting.name << ", text: " << text;
      ASSERT_EQ(chunked(h, text, setting.options, random, 1), expected) << setting.name;
    }
  }
}

// A whole text's last token goes the quick way too (nothing can follow it): where it ends
// a window of the quick way or is cut by a byte the quick way leaves, where it is longer
// than a token is held, and where what is held of it does not look like a URL but the
// whole does.
TEST(TextPaths, TheLastTokenOfAWholeTextIsDividedAsTheGeneralWayDividesIt) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US);
  constexpr std::size_t kWindow = std::size_t{16} << 10;
  std::vector<std::string> texts = {
      "hyphenation", "associate hyphenation", "hyphenation\xC3", "hyphenation<b", "hyphenation&amp",
      std::string(4200, 'a') + "://hyphenation", "x" + std::string(kMaxHeldBytes - 1, 'y'),
      std::string(kMaxHeldBytes + 1, 'y'),
      "hyphenation " + std::string(kMaxHeldBytes + 3, 'y'),
      std::string(kMaxHeldBytes, ' ') + "x" + std::string(kMaxHeldBytes - 1, 'y')};
  std::string words, letters;
  while (words.size() < 2 * kWindow) words += "computer ";
  while (letters.size() < kMaxHeldBytes) letters += "hyphenation";
  texts.push_back(letters.substr(0, kMaxHeldBytes - 2) + "://");  // a URL by its last byte
  for (std::size_t at = kWindow - 13; at <= kWindow + 13; ++at) {
    texts.push_back(words.substr(0, at) + "hyphenation");
    texts.push_back(words.substr(0, at) + "hyphenation associate");
  }
  for (const TextOptions& options :
       {TextOptions{}, TextOptions{.minWordLength = 1, .skipUrls = false}, TextOptions{.markup = TextMarkup::Html}}) {
    for (const std::string& text : texts)
      ASSERT_EQ(quellix::hyphenateText(quellix::english_US, text, options),
                generalWay(quellix::english_US, text, options))
          << text.substr(0, 40) << "... (" << text.size() << " bytes)";
  }
}

TEST(TextPaths, ThreadsWriteWhatOneThreadWrites) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::French,
                            quellix::Language::German_1996, quellix::Language::Russian);
  std::mt19937 random(1996);
  for (const Setting& setting : settings()) {
    const Hyphenator& h = setting.hyphenator();
    const bool html = setting.options.markup == TextMarkup::Html;
    for (int round = 0; round < 8; ++round) {
      const std::string text = randomText(random, html, 20 + random() % 200);
      const std::string expected = quellix::hyphenateText(h, text, setting.options);
      for (const unsigned threads : {2u, 3u, 8u})
        ASSERT_EQ(chunked(h, text, setting.options, random, threads), expected)
            << setting.name << ", " << threads << " threads, text: " << text;
    }
  }
}

// Every place of the text is made the start of a part: the first chunk ends there, and the
// second is cut at the places the threads ask for, wherever these fall (inside a tag, a
// comment, a script, a reference, a multi-byte character, a word).
TEST(TextPaths, CutsAnywhereChangeNothing) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::German_1996);
  const TextOptions html{.markup = TextMarkup::Html};
  const TextOptions plain{};
  struct Case {
    const char* name;
    std::string text;
    const TextOptions& options;
  };
  const std::vector<Case> cases = {
      {"plain words", "Hyphenation of associate computers, well-known and\nstate-of-the-art. ", plain},
      {"plain multi-byte", "Stra\u00DFenbahnhaltestelle \u00FCbergr\u00F6\u00DFen e\u0301le\u0301ment\u00A0hyphenation x", plain},
      {"plain malformed", "hyphen\xE2\x80 ation \xF0\x9F\x98 computer \xFF associate", plain},
      {"tag with lang", "<p class=\"a b\" lang=\"de-1996\">Silbentrennung hyphenation</p> computer ", html},
      {"comment", "computer <!-- hyphenation -- > still comment --> associate hyphenation ", html},
      {"script", "<script>if (a < b && c) { hyphenation(); } // </b></script> associate ", html},
      {"escaped script", "<script><!-- <script> hyphenation </script> x --></script> computer ", html},
      {"references", "inter&#x6E;ational hy&shy;phen&shy;ation caf&eacute; &nbsp;associate &amp; ", html},
      {"nested languages", "<div lang=de><p>Silbentrennung <span lang=en>hyphenation</span> Wort</p></div> hyphenation ", html},
      {"pre and code", "<pre>hyphenation <code>computer</code> associate</pre> hyphenation ", html},
      {"cdata and declarations", "<!DOCTYPE html><![CDATA[ hyphenation ]]><?pi hyphenation ?> computer ", html},
      {"less-than in text", "a < b hyphenation <3 computer </> associate", html},
  };
  for (const Case& c : cases) {
    const std::string expected = quellix::hyphenateText(quellix::english_US, c.text, c.options);
    for (const unsigned threads : {2u, 3u, 5u}) {
      for (std::size_t first = 0; first <= c.text.size(); ++first) {
        TextHyphenator t(quellix::english_US, c.options);
        TextHyphenatorAccess::setMinimumPart(t, 1);
        std::string out;
        t.write(std::string_view(c.text).substr(0, first), out, threads);
        t.write(std::string_view(c.text).substr(first), out, threads);
        t.finish(out);
        ASSERT_EQ(out, expected) << c.name << ", " << threads << " threads, first chunk " << first;
      }
    }
  }
}

TEST(TextPaths, AFailureOnAnyThreadReachesTheCaller) {
  // A normaliser that fails on one letter: what it throws reaches the caller from any part.
  const Hyphenator failing(
      [](char32_t c) -> char32_t {
        if (c == U'q') throw std::runtime_error("no q");
        return c;
      },
      quellix::parsePatterns(U"1\n"), quellix::Exceptions(), 1, 1);
  for (const int failingWord : {0, 12, 20, 39}) {
    std::string text;
    for (int k = 0; k < 40; ++k) text += k == failingWord ? "quirk " : "words ";
    TextHyphenator t(failing, {.hyphen = "|"});
    TextHyphenatorAccess::setMinimumPart(t, 8);
    std::string out;
    EXPECT_THROW(t.write(text, out, 4), std::runtime_error) << failingWord;
    t.reset();
    out.clear();
    t.write("words words ", out, 4);
    t.finish(out);
    EXPECT_EQ(out, "w|o|r|d|s w|o|r|d|s ");
  }
}

}  // namespace
