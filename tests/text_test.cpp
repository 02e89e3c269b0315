// Running-text hyphenation of plain text: which runs are words, the options, bytes kept
// as they are, and chunked input giving exactly the whole-text result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data_file.hpp"
#include "embedded_files.hpp"
#include "language_loading.hpp"
#include "quellix/algebra.hpp"
#include "quellix/custom.hpp"
#include "quellix/error.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"
#include "quellix/show.hpp"
#include "quellix/text.hpp"
#include "test_support.hpp"
#include "text_tokens.hpp"
#include "unicode_letters.hpp"
#include "unicode_lower.hpp"

namespace {

using quellix::ArgumentError;
using quellix::TextHyphenator;
using quellix::TextOptions;
using quellix::hyphenateText;

constexpr std::string_view kSoft = "\u00AD";

// text without any occurrence of mark.
std::string without(std::string_view text, std::string_view mark) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.substr(i, mark.size()) == mark) {
      i += mark.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

// word divided by the word API, the pieces joined by hyphen.
std::string divided(const quellix::Hyphenator& h, std::string_view word,
                    std::string_view hyphen = kSoft) {
  std::string out;
  for (const std::string_view piece : quellix::hyphenate(h, word)) {
    if (!out.empty()) out.append(hyphen);
    out.append(piece);
  }
  return out;
}

// The expected result for text whose words are its runs of ASCII letters: each run of at
// least minLength letters divided by the word API.
std::string asciiWordsDivided(const quellix::Hyphenator& h, std::string_view text,
                              std::string_view hyphen = kSoft, std::size_t minLength = 5) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && ((text[j] | 0x20) >= 'a' && (text[j] | 0x20) <= 'z')) ++j;
    if (j == i) {
      out.push_back(text[i++]);
      continue;
    }
    const std::string_view word = text.substr(i, j - i);
    out += word.size() >= minLength ? divided(h, word, hyphen) : std::string(word);
    i = j;
  }
  return out;
}

// The output of a TextHyphenator fed text in pieces of size step.
std::string chunked(const quellix::Hyphenator& h, std::string_view text, std::size_t step,
                    const TextOptions& options = {}) {
  TextHyphenator hyphenator(h, options);
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += step) hyphenator.write(text.substr(i, step), out);
  hyphenator.finish(out);
  return out;
}

const quellix::Hyphenator& english() { return quellix::english_US; }

// ---------------------------------------------------------------------------------------
// Words and what lies between them.

TEST(TextWords, EveryWordGetsItsBreaks) {
  EXPECT_EQ(hyphenateText(english(), "Hyphenation of running text."),
            "Hy\u00ADphen\u00ADation of run\u00ADning text.");
  const std::string sentence =
      "The associate professor computed: algorithms, programs and hyphenation (2024)!";
  EXPECT_EQ(hyphenateText(english(), sentence), asciiWordsDivided(english(), sentence));
  // Something really happened.
  EXPECT_NE(hyphenateText(english(), sentence), sentence);
}

TEST(TextWords, EverythingButTheInsertedHyphensIsKept) {
  // White space of every kind, punctuation, digits, a no-break space, CR LF, malformed
  // bytes, an emoji, and an empty text.
  const std::vector<std::string> texts{
      "",
      "  leading\tand\r\ntrailing  \n",
      "associate\u00A0computer\u2003algorithm\u3000program",
      "numbers 12345 hyphenation3000 and 3000hyphenation",
      "malformed \xC3 bytes: hyphen\xFF" "ation, associ\xE2\x82" "ate, \xF0\x9F\x98\x80 computer",
      "a truncated end \xE2\x82",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::string out = hyphenateText(english(), text, TextOptions{.hyphen = "|"});
    EXPECT_EQ(without(out, "|"), text);
  }
  // The malformed bytes end the words around them; the words are still divided.
  const std::string broken = "hyphen\xFF" "ation computer\xC3";
  EXPECT_EQ(hyphenateText(english(), broken, TextOptions{.hyphen = "|"}),
            asciiWordsDivided(english(), broken, "|"));
  EXPECT_EQ(divided(english(), "hyphen", "|"), "hy|phen");
}

TEST(TextWords, BuiltinLanguagesUseTheirCharacterClasses) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::French, quellix::Language::English_US,
                            quellix::Language::German_1996, quellix::Language::Russian,
                            quellix::Language::Hindi);
  // French lists the apostrophes among its characters: "l'association" is one word.
  const quellix::Hyphenator& french = quellix::french;
  EXPECT_EQ(hyphenateText(french, "l'association", TextOptions{.hyphen = "|"}),
            divided(french, "l'association", "|"));
  // English does not: the apostrophe ends the word.
  EXPECT_EQ(hyphenateText(english(), "hyphenation's", TextOptions{.hyphen = "|"}),
            "hy|phen|ation's");
  // German words include ä, ö, ü and ß; a letter German does not list (ø, Ø) belongs to
  // the word all the same, and the patterns see it in small letters.
  const quellix::Hyphenator& german = quellix::german_1996;
  EXPECT_EQ(hyphenateText(german, "Größenverhältnisse", TextOptions{.hyphen = "|"}),
            divided(german, "Größenverhältnisse", "|"));
  EXPECT_GT(quellix::hyphenate(german, std::string_view("Größenverhältnisse")).size(), 2u);
  const std::string small = divided(german, "Silbenøtrennung", "|");
  std::string capital = divided(german, "SILBENøTRENNUNG", "|");
  capital.replace(capital.find("ø"), 2, "Ø");
  EXPECT_EQ(hyphenateText(german, "Silbenøtrennung SILBENØTRENNUNG", TextOptions{.hyphen = "|"}),
            small + " " + capital);
  EXPECT_GT(std::count(small.begin(), small.end(), '|'), 2);
  // Other scripts: Russian and Hindi words, and Latin letters in Russian text left alone.
  const quellix::Hyphenator& russian = quellix::russian;
  EXPECT_EQ(hyphenateText(russian, "переносить hyphenation", TextOptions{.hyphen = "|"}),
            divided(russian, "переносить", "|") + " hyphenation");
  const quellix::Hyphenator& hindi = quellix::hindi;
  EXPECT_EQ(hyphenateText(hindi, "विभाजन।", TextOptions{.hyphen = "|"}),
            divided(hindi, "विभाजन", "|") + "।");
}

TEST(TextWords, EveryCharacterOfALanguagesClassesIsAWordCharacter) {
  // Also the normal forms whose variants a later line takes over, such as German 's' after
  // "ßSS", which the character map itself no longer lists.
  for (const quellix::Language language : quellix::enumFrom(quellix::languageMinBound)) {
    if (!quellix::languageBuiltIn(language)) continue;  // this build left it out
    SCOPED_TRACE(quellix::show(language));
    const quellix::Hyphenator& h = quellix::languageHyphenator(language);
    const quellix::detail::WordCharacters isWord(h, {});
    const std::u32string classes = quellix::detail::readDataFile(
        quellix::detail::dataFileName(language, ".chr.txt.gz"), &quellix::detail::lookupEmbeddedFile);
    for (const char32_t c : classes) {
      if (c == U'\n' || c == U'\r') continue;
      EXPECT_TRUE(isWord(c)) << static_cast<std::uint32_t>(c);
    }
    for (const char32_t c : {U' ', U'0', U'.', U'\u00AD', U'\u2014'})
      EXPECT_FALSE(isWord(c)) << static_cast<std::uint32_t>(c);
  }
}

TEST(TextWords, HandMadeHyphenatorsUseUnicodeLettersOrTheCallersPredicate) {
  using quellix::testing::makeHyphenator;
  // Breaks between any two characters, margins 1 and 1.
  const quellix::Hyphenator every =
      makeHyphenator(quellix::parsePatterns(U"a1\nb1\n\u00E91\n\u03B11\n1x"), {}, 1, 1);
  TextOptions options{.hyphen = "|", .minWordLength = 2};
  // Unicode letters and marks by default: é, α and a combining acute join the words,
  // and e with its acute divides as \u00E9 does.
  EXPECT_EQ(hyphenateText(every, "abab, éa αa e\u0301ab 1ab", options),
            "a|b|a|b, é|a α|a e\u0301|a|b 1a|b");
  // The caller's predicate replaces them: here only 'a' and 'b'.
  options.isWordCharacter = [](char32_t c) { return c == 'a' || c == 'b'; };
  EXPECT_EQ(hyphenateText(every, "abab, éa αa xab", options), "a|b|a|b, éa αa xa|b");
  // ... also for a built-in language.
  options.isWordCharacter = [](char32_t c) { return c != ' '; };
  EXPECT_EQ(hyphenateText(english(), "hyphenation's", options), divided(english(), "hyphenation's", "|"));
}

TEST(TextWords, UnicodeClassesComeFromTheCharacterDatabase) {
  using quellix::detail::LetterClass;
  using quellix::detail::letterClass;
  EXPECT_EQ(letterClass(U'a'), LetterClass::Lower);
  EXPECT_EQ(letterClass(U'Z'), LetterClass::Upper);
  EXPECT_EQ(letterClass(U'\u01C5'), LetterClass::Upper);  // Dž, title case
  EXPECT_EQ(letterClass(U'\u00DF'), LetterClass::Lower);
  EXPECT_EQ(letterClass(U'\u0416'), LetterClass::Upper);
  EXPECT_EQ(letterClass(U'\u0915'), LetterClass::Uncased);  // Devanagari KA
  EXPECT_EQ(letterClass(U'\u4E2D'), LetterClass::Uncased);
  EXPECT_EQ(letterClass(U'\U00020000'), LetterClass::Uncased);  // CJK extension B
  EXPECT_EQ(letterClass(U'\u0301'), LetterClass::Mark);
  EXPECT_EQ(letterClass(U'\u093E'), LetterClass::Mark);     // a spacing mark
  for (const char32_t c : {U'0', U' ', U'-', U'\u00AD', U'\u2014', U'\U0001F600', U'\uFFFF',
                           U'\U0010FFFF', char32_t{0x110000}, char32_t{0xFFFFFFFF}})
    EXPECT_EQ(letterClass(c), LetterClass::None) << static_cast<std::uint32_t>(c);
  // Unicode's simple lower case, one code point for one (İ to i, not to i and a dot).
  using quellix::detail::simpleLowercase;
  const std::pair<char32_t, char32_t> lower[] = {
      {U'A', U'a'}, {U'a', U'a'}, {U'\u00C9', U'\u00E9'}, {U'\u0130', U'i'},
      {U'\u03A3', U'\u03C3'}, {U'\u2126', U'\u03C9'}, {U'\u212A', U'k'}, {U'\u1E9E', U'\u00DF'},
      {U'\u01C5', U'\u01C6'}, {U'\u0416', U'\u0436'}, {U'\U00010400', U'\U00010428'},
      {U'\u00DF', U'\u00DF'}, {U'\u0915', U'\u0915'}, {U'1', U'1'}, {U'\U0001E900', U'\U0001E922'}};
  for (const auto& [from, to] : lower)
    EXPECT_EQ(simpleLowercase(from), to) << static_cast<std::uint32_t>(from);
  EXPECT_TRUE(quellix::detail::isLetterOrMark(U'\u200D'));
  EXPECT_FALSE(quellix::detail::isLetterOrMark(U'_'));
  for (const char32_t c : {U' ', U'\t', U'\n', U'\u00A0', U'\u2009', U'\u3000', U'\u2028'})
    EXPECT_TRUE(quellix::detail::isWhiteSpace(c)) << static_cast<std::uint32_t>(c);
  for (const char32_t c : {U'a', U'\u00AD', U'\u200B', U'\uFEFF'})
    EXPECT_FALSE(quellix::detail::isWhiteSpace(c)) << static_cast<std::uint32_t>(c);
}

// ---------------------------------------------------------------------------------------
// Options.

TEST(TextOptions, MinimumWordLengthCountsCharacters) {
  // "table" (5) is divided as ta-ble; "über" with ü counts 4 characters, not 5 bytes.
  ASSERT_EQ(divided(english(), "table", "|"), "ta|ble");
  EXPECT_EQ(hyphenateText(english(), "table", TextOptions{.hyphen = "|"}), "ta|ble");
  EXPECT_EQ(hyphenateText(english(), "table", TextOptions{.hyphen = "|", .minWordLength = 6}),
            "table");
  const quellix::Hyphenator& german = quellix::german_1996;
  const std::string word = "Ölfass";  // 6 characters, 7 bytes
  ASSERT_GT(quellix::hyphenate(german, std::string_view(word)).size(), 1u);
  EXPECT_EQ(hyphenateText(german, word, TextOptions{.hyphen = "|", .minWordLength = 6}),
            divided(german, word, "|"));
  EXPECT_EQ(hyphenateText(german, word, TextOptions{.hyphen = "|", .minWordLength = 7}), word);
  // 0 and 1 are allowed: the margins still decide.
  EXPECT_EQ(hyphenateText(english(), "table", TextOptions{.hyphen = "|", .minWordLength = 0}),
            "ta|ble");
}

TEST(TextOptions, HyphenStringIsAnyText) {
  EXPECT_EQ(hyphenateText(english(), "associate", TextOptions{.hyphen = "-"}), "as-so-ciate");
  EXPECT_EQ(hyphenateText(english(), "associate", TextOptions{.hyphen = "<wbr>"}),
            "as<wbr>so<wbr>ciate");
  EXPECT_EQ(hyphenateText(english(), "associate", TextOptions{.hyphen = ""}), "associate");
}

TEST(TextOptions, SoftHyphenatedWordsAreLeftOrCompleted) {
  const std::string text = "hy\u00ADphenation as\u00ADsociate \u00ADcomputer\u00AD";
  // By default a word with a soft hyphen is someone's choice and stays as it is; soft
  // hyphens at a word's edge are not in the word.
  EXPECT_EQ(hyphenateText(english(), text, TextOptions{.hyphen = "|"}),
            "hy\u00ADphenation as\u00ADsociate \u00ADcom|puter\u00AD");
  // Otherwise the missing breaks are added, never one beside an existing soft hyphen.
  EXPECT_EQ(hyphenateText(english(), text, TextOptions{.hyphen = "|", .skipSoftHyphenated = false}),
            "hy\u00ADphen|ation as\u00ADso|ciate \u00ADcom|puter\u00AD");
  // A soft hyphen where the patterns allow no break stays, and the word is still divided.
  EXPECT_EQ(hyphenateText(english(), "hyphe\u00ADnation",
                          TextOptions{.hyphen = "|", .skipSoftHyphenated = false}),
            "hy|phe\u00ADn|ation");
  // Hyphenating twice changes nothing more, either way.
  const std::string once = hyphenateText(english(), text);
  EXPECT_EQ(hyphenateText(english(), once), once);
  TextOptions complete{.skipSoftHyphenated = false};
  const std::string completed = hyphenateText(english(), text, complete);
  EXPECT_EQ(hyphenateText(english(), completed, complete), completed);
}

TEST(TextOptions, WordsInCapitalsCanBeSkipped) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::Hindi);
  const std::string text = "CONSTITUTION Constitution constitution ÉTÉÉTÉ HTML5";
  const TextOptions skip{.hyphen = "|", .skipCapitals = true};
  EXPECT_EQ(hyphenateText(english(), text, TextOptions{.hyphen = "|"}),
            asciiWordsDivided(english(), "CONSTITUTION Constitution constitution", "|") +
                " ÉTÉÉTÉ HTML5");
  EXPECT_EQ(hyphenateText(english(), text, skip),
            "CONSTITUTION " + divided(english(), "Constitution", "|") + " " +
                divided(english(), "constitution", "|") + " ÉTÉÉTÉ HTML5");
  // A word without case (Devanagari) is not in capitals.
  EXPECT_EQ(hyphenateText(quellix::hindi, "विभाजन", skip), divided(quellix::hindi, "विभाजन", "|"));
}

TEST(TextOptions, UrlsAndMailAddressesAreSkipped) {
  const TextOptions options{.hyphen = "|"};
  // Left whole: the whole token, whatever words it contains.
  for (const std::string token :
       {"http://hyphenation.example/association", "<https://example.org/computer>",
        "ftp://computer", "www.hyphenation.example", "(WWW.hyphenation.example)",
        "associate@computer.example", "mailto:computer@association.example,",
        "x://associate"}) {
    SCOPED_TRACE(token);
    EXPECT_EQ(hyphenateText(english(), token, options), token);
    EXPECT_EQ(hyphenateText(english(), "computer " + token + " computer", options),
              "com|puter " + token + " com|puter");
  }
  // Not addresses: nothing on one side of '@', "www." inside a word, a lone "//".
  EXPECT_EQ(hyphenateText(english(), "associate@ @computer", options), "as|so|ciate@ @com|puter");
  EXPECT_EQ(hyphenateText(english(), "computerwww-associate", options),
            divided(english(), "computerwww", "|") + "-as|so|ciate");
  EXPECT_EQ(hyphenateText(english(), "associate//computer", options), "as|so|ciate//com|puter");
  // With skipping off, the words inside are divided like any other.
  const TextOptions divide{.hyphen = "|", .skipUrls = false};
  for (const std::string token : {"http://hyphenation.example/association",
                                  "associate@computer.example"}) {
    EXPECT_EQ(hyphenateText(english(), token, divide), asciiWordsDivided(english(), token, "|"));
    EXPECT_NE(hyphenateText(english(), token, divide), token);
  }
}

TEST(TextOptions, ErrorsOfTheHyphenatorComeThrough) {
  const quellix::Hyphenator broken(
      quellix::CharNormaliser{},
      quellix::Lazy<quellix::Patterns>::deferred(
          []() -> quellix::Patterns { throw quellix::DataFileError("Could not find test.pat"); }),
      quellix::Exceptions{}, 1, 1);
  EXPECT_THROW((void)hyphenateText(broken, "associate"), quellix::DataFileError);
  // Even for a text without words: the tables are built first.
  EXPECT_THROW(TextHyphenator{broken}, quellix::DataFileError);
}

// ---------------------------------------------------------------------------------------
// Chunked input.

// Texts that put every kind of boundary somewhere: words, multi-byte characters, malformed
// and truncated sequences, URLs, soft hyphens, capitals.
const std::vector<std::string> kPlainTexts{
    "Hyphenation of running text: the associate professor computed algorithms.\n",
    "Größenverhältnisse, Silbentrennung und Donaudampfschifffahrt\u00A0— Übermäßig!",
    "see http://hyphenation.example/association or www.computer.example, mail "
    "associate@computer.example; hy\u00ADphenation CONSTITUTION",
    "bad \xE2\x82 bytes\xFF in hyphen\xC3" "ation, \xF0\x9F\x98\x80 emoji and a cut \xF0\x9F",
};

TEST(TextStream, EveryChunkingGivesTheWholeTextResult) {
  const std::vector<const quellix::Hyphenator*> hyphenators{&english(),
                                                             &static_cast<const quellix::Hyphenator&>(quellix::german_1996)};
  for (const bool skipUrls : {true, false}) {
    const TextOptions options{.skipCapitals = true, .skipUrls = skipUrls};
    for (const quellix::Hyphenator* h : hyphenators) {
      for (const std::string& text : kPlainTexts) {
        const std::string whole = hyphenateText(*h, text, options);
        for (const std::size_t step : {1, 2, 3, 4, 5, 7, 13, 64, 1000}) {
          SCOPED_TRACE(text + " in steps of " + std::to_string(step));
          EXPECT_EQ(chunked(*h, text, step, options), whole);
        }
      }
    }
  }
}

TEST(TextStream, NeedsNoHyphenatorBeyondItsOwnHandle) {
  // The only handle of a derived hyphenator goes before the stream is used.
  auto derived = std::make_unique<quellix::Hyphenator>(quellix::withMargins(english(), 2, 3));
  TextHyphenator stream(*derived, TextOptions{.hyphen = "-"});
  derived.reset();
  std::string out;
  stream.write("Hyphenation of ", out);
  stream.write("running text.", out);
  stream.finish(out);
  EXPECT_EQ(out, hyphenateText(quellix::withMargins(english(), 2, 3),
                               "Hyphenation of running text.", TextOptions{.hyphen = "-"}));
}

TEST(TextStream, IrregularChunksAndEmptyWritesChangeNothing) {
  std::string text;
  for (const std::string& t : kPlainTexts) text += t;
  const std::string whole = hyphenateText(english(), text);
  std::uint32_t state = 7;
  for (int round = 0; round < 50; ++round) {
    TextHyphenator hyphenator(english());
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
      state = state * 1664525u + 1013904223u;
      const std::size_t step = (state >> 24) % 12;  // 0 included: an empty write
      hyphenator.write(std::string_view(text).substr(i, step), out);
      i += step;
    }
    hyphenator.finish(out);
    ASSERT_EQ(out, whole) << "round " << round;
  }
}

TEST(TextStream, OutputKeepsUpWithTheInput) {
  TextHyphenator hyphenator(english());
  std::string out;
  // A chunk that ends in white space is answered completely.
  hyphenator.write("associate computer ", out);
  EXPECT_EQ(out, "as\u00ADso\u00ADciate com\u00ADputer ");
  // A word in progress is held back until it ends.
  hyphenator.write("algo", out);
  EXPECT_EQ(out, "as\u00ADso\u00ADciate com\u00ADputer ");
  hyphenator.write("rithm", out);
  hyphenator.finish(out);
  EXPECT_EQ(out, "as\u00ADso\u00ADciate com\u00ADputer al\u00ADgo\u00ADrithm");
  // finish() starts a new text; reset() forgets what was held.
  out.clear();
  hyphenator.write("associ", out);
  hyphenator.reset();
  hyphenator.write("computer", out);
  hyphenator.finish(out);
  EXPECT_EQ(out, "com\u00ADputer");
}

TEST(TextStream, EndlessWordsAndTokensStayBounded) {
  // An endless word and an endless token of words joined by commas, fifty times the held
  // limit each, fed in 1000-byte chunks. The output never lags the input by more than the
  // limit, and both are divided as a whole text would be.
  std::string word;
  while (word.size() < 50 * quellix::kMaxHeldBytes) word += "hyphenation";
  std::string joined;
  while (joined.size() < 50 * quellix::kMaxHeldBytes) joined += "hyphenation,";
  for (const bool skipUrls : {true, false}) {
    for (const std::string* text : {&word, &joined}) {
      SCOPED_TRACE(std::string(skipUrls ? "skip URLs, " : "") + text->substr(0, 12));
      TextHyphenator hyphenator(english(), TextOptions{.hyphen = "|", .skipUrls = skipUrls});
      std::string out;
      std::size_t bytesIn = 0;
      std::size_t inserted = 0;
      for (std::size_t i = 0; i < text->size(); i += 1000) {
        const std::string_view chunk = std::string_view(*text).substr(i, 1000);
        bytesIn += chunk.size();
        const std::size_t before = out.size();
        hyphenator.write(chunk, out);
        for (std::size_t k = before; k < out.size(); ++k) inserted += out[k] == '|';
        ASSERT_GE(out.size() - inserted + quellix::kMaxHeldBytes + 1000, bytesIn);
      }
      hyphenator.finish(out);
      EXPECT_EQ(without(out, "|"), *text);
      EXPECT_GT(inserted, text->size() / 12);
      EXPECT_TRUE(out == hyphenateText(english(), *text, TextOptions{.hyphen = "|", .skipUrls = skipUrls}));
    }
  }
  // The endless word gets exactly the breaks the whole word gets.
  const auto pieces = hyphenate(english(), std::string_view(word));
  std::string joinedPieces;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i != 0) joinedPieces += "|";
    joinedPieces += pieces[i];
  }
  EXPECT_TRUE(hyphenateText(english(), word, TextOptions{.hyphen = "|"}) == joinedPieces);
}

// Reading UTF-8 one character at a time: each well-formed sequence whole, each byte that
// starts none alone, as every UTF-8 function of the library reads it.
TEST(FirstUtf8Char, ReadsWellFormedSequencesWholeAndMalformedBytesAlone) {
  struct Row {
    std::string_view text;
    std::size_t length;
    char32_t code;
    bool wellFormed;
  };
  const Row rows[] = {
      {"", 0, 0, false},
      {"a", 1, U'a', true},
      {std::string_view("\0x", 2), 1, 0, true},
      {"\xC3\xA9t\xC3\xA9", 2, 0xE9, true},
      {"\xE2\x82\xAC", 3, 0x20AC, true},
      {"\xF0\x9F\x98\x80", 4, 0x1F600, true},
      {"\xC2\x80", 2, 0x80, true},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF, true},
      {"\x80", 1, 0, false},                  // a stray continuation byte
      {"\xC0\xAF", 1, 0, false},              // overlong "/"
      {"\xE0\x9F\xBF", 1, 0, false},          // overlong
      {"\xED\xA0\x80", 1, 0, false},          // a surrogate
      {"\xF4\x90\x80\x80", 1, 0, false},      // past U+10FFFF
      {"\xF8\x88\x80\x80\x80", 1, 0, false},
      {"\xE2\x82x", 1, 0, false},              // cut short
      {"\xE2\xC3\xA9", 1, 0, false},
      {"\xF0\x9F\x98", 1, 0, false},
  };
  for (const Row& row : rows) {
    const quellix::Utf8Char c = quellix::firstUtf8Char(row.text);
    EXPECT_EQ(c.length, row.length) << ::testing::PrintToString(row.text);
    EXPECT_EQ(c.code, row.code) << ::testing::PrintToString(row.text);
    EXPECT_EQ(c.wellFormed, row.wellFormed) << ::testing::PrintToString(row.text);
  }
}

// The characters firstUtf8Char reads are the ones the UTF-8 hyphenate counts: a word of
// n of them breaks wherever every character may be a piece of its own.
TEST(FirstUtf8Char, CountsCharactersAsTheUtf8WordFunctionsDo) {
  const quellix::Hyphenator everywhere(quellix::CharNormaliser(), quellix::parsePatterns(U"1\n"),
                                       quellix::Exceptions(), 1, 1);
  std::uint32_t state = 12345;
  const auto nextByte = [&state] {
    state = state * 1664525u + 1013904223u;
    const std::uint32_t r = state >> 24;
    return static_cast<char>(r < 96 ? 0x80 + r % 64 : r < 160 ? 0xC0 + r % 64 : r);
  };
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    for (int i = 0; i < round % 17; ++i) bytes.push_back(nextByte());
    std::vector<std::string_view> characters;
    for (std::string_view rest = bytes; !rest.empty();) {
      const std::size_t length = quellix::firstUtf8Char(rest).length;
      ASSERT_GE(length, 1u);
      characters.push_back(rest.substr(0, length));
      rest.remove_prefix(length);
    }
    if (characters.empty()) continue;
    ASSERT_EQ(hyphenate(everywhere, std::string_view(bytes)), characters)
        << ::testing::PrintToString(bytes);
  }
}

}  // namespace
