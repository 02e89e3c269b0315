// Reading libhyphen dictionaries: the examples of non-standard hyphenation, what the ordinary
// hyphenator and running text make of a non-standard break, encodings, and the errors of
// malformed files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dictionary_data.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/custom.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/text.hpp"
#include "utf8_encode.hpp"

namespace {

using quellix::Hyphenator;

// The examples of libhyphen's README.nonstandard, with the old German orthography's
// Schiffahrt and the Hungarian double digraphs.
const char* const kNonStandard =
    "UTF-8\n"
    "LEFTHYPHENMIN 2\n"
    "RIGHTHYPHENMIN 2\n"
    "% old German orthography\n"
    ".schif1fahrt/ff=f,5,2\n"
    "1ta\n"
    ".as3szon/sz=sz,2,3\n"
    "n1nyal./ny=ny,1,3\n"
    "l·1l/l=l\n"
    "a1atje./a=t,1,3\n"
    "2s1sz\n";

std::string joined(const std::vector<std::string>& pieces) {
  std::string out;
  for (const std::string& piece : pieces) out += (out.empty() ? "" : "-") + piece;
  return out;
}

TEST(Dictionary, NonStandardBreaksChangeTheSpelling) {
  const Hyphenator h = quellix::readDictionary(kNonStandard, "nonstandard.dic");
  struct Case {
    const char* word;
    const char* withChanges;  // hyphenateWithChanges
    const char* plain;        // hyphenate: the spelling unchanged
  };
  const Case cases[] = {
      {"schiffahrt", "schiff-fahrt", "schiffahrt"},
      {"Schiffahrt", "Schiff-fahrt", "Schiffahrt"},
      {"SCHIFFAHRT", "SCHIFF-FAHRT", "SCHIFFAHRT"},
      {"asszonnyal", "asz-szony-nyal", "asszonnyal"},
      {"paral·lel", "paral-lel", "paral·lel"},
      {"omaatje", "oma-tje", "omaatje"},
      {"tatata", "ta-ta-ta", "ta-ta-ta"},  // standard breaks only
  };
  for (const Case& c : cases) {
    EXPECT_EQ(joined(quellix::hyphenateWithChanges(h, std::string_view(c.word))), c.withChanges) << c.word;
    std::vector<std::string> plain;
    const std::string word = c.word;
    for (std::string_view piece : quellix::hyphenate(h, std::string_view(word))) plain.emplace_back(piece);
    EXPECT_EQ(joined(plain), c.plain) << c.word;
  }
  // Each break with what it replaces: schiffahrt's "f" before the break becomes "ff".
  const std::vector<quellix::SpellingBreak> breaks = quellix::breaksWithChanges(h, U"schiffahrt");
  ASSERT_EQ(breaks.size(), 1u);
  EXPECT_EQ(breaks[0], (quellix::SpellingBreak{5, 4, 6, U"ff", U"f"}));
}

TEST(Dictionary, RunningTextLeavesNonStandardBreaksOutAndKeepsTheOthers) {
  const Hyphenator h = quellix::readDictionary(kNonStandard, "nonstandard.dic");
  quellix::TextOptions options;
  options.hyphen = "-";
  options.minWordLength = 1;
  // "asszonnyal" has only non-standard breaks; "tatata" only standard ones.
  EXPECT_EQ(quellix::hyphenateText(h, "asszonnyal tatata Schiffahrt", options),
            "asszonnyal ta-ta-ta Schiffahrt");
  options.markup = quellix::TextMarkup::Html;
  EXPECT_EQ(quellix::hyphenateText(h, "<p>tatata asszonnyal</p>", options), "<p>ta-ta-ta asszonnyal</p>");
}

TEST(Dictionary, DerivedHyphenatorsKeepTheDictionaryUnlessPatternsReplaceIt) {
  const Hyphenator h = quellix::readDictionary(kNonStandard, "nonstandard.dic");
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(quellix::withMargins(h, 3, 2), std::string_view("tatata"))),
            "tata-ta");
  const Hyphenator listed = quellix::withExceptions(h, "schif-fahrt\n");
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(listed, std::string_view("schiffahrt"))), "schif-fahrt");
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(listed, std::string_view("asszonnyal"))), "asz-szony-nyal");
  EXPECT_TRUE(quellix::dictionaryInfo(listed).has_value());
  const Hyphenator replaced = quellix::withPatternText(h, "1t\n");
  EXPECT_FALSE(quellix::dictionaryInfo(replaced).has_value());
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(replaced, std::string_view("atata"))), "ata-ta");
}

TEST(Dictionary, EncodingsAndSettings) {
  // ISO8859-2: 0xB9 is š; KOI8-R: 0xC1 0xC2 are а б.
  const Hyphenator latin2 = quellix::readDictionary("ISO8859-2\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\na1\xB9\n");
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(latin2, std::string_view("aša"))), "a-ša");
  const Hyphenator koi8 = quellix::readDictionary("KOI8-R\r\nLEFTHYPHENMIN 1\r\nRIGHTHYPHENMIN 1\r\n\xC1\x31\xC2\r\n");
  EXPECT_EQ(joined(quellix::hyphenateWithChanges(koi8, std::string_view("абаб"))), "а-ба-б");
  EXPECT_EQ(quellix::encodeDictionaryText(koi8, U"аб"), "\xC1\xC2");

  const auto info = quellix::dictionaryInfo(quellix::readDictionary(
      "UTF-8\nLEFTHYPHENMIN 1\nCOMPOUNDRIGHTHYPHENMIN 4\nNOHYPHEN -,’\n1-1\nNEXTLEVEL\na1b\n", "d.dic"));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->source, "d.dic");
  EXPECT_TRUE(info->utf8);
  EXPECT_EQ(info->leftMin, 1);
  EXPECT_EQ(info->rightMin, 0);
  EXPECT_EQ(info->compoundRightMin, 4);
  EXPECT_EQ(info->noHyphen, (std::vector<std::string>{"-", "’"}));
  EXPECT_TRUE(info->nextLevel);
  EXPECT_EQ(info->compoundPatterns, 1u);
  EXPECT_EQ(info->patterns, 1u);
  // Without NEXTLEVEL, libhyphen's defaults: compound margins from the plain ones or 3.
  const auto plain = quellix::dictionaryInfo(quellix::readDictionary("ISO8859-1\nRIGHTHYPHENMIN 4\na1b\n"));
  EXPECT_EQ(plain->compoundLeftMin, 3);
  EXPECT_EQ(plain->compoundRightMin, 4);
  EXPECT_EQ(plain->noHyphen, (std::vector<std::string>{"'", "-"}));
}

// The quick readings (a level's automaton, as a table or a comb, and its walk over compact or
// wide nodes) against the plain one, on random words over each dictionary's letters (and a
// digit, and a letter of none): dictionaries with long patterns (past the sixteen values of a
// window), with and without changes, NEXTLEVEL, and a level of 3,000 patterns with many
// suffixes to fall back to.
TEST(Dictionary, QuickReadingsAgreeWithThePlainOne) {
  std::string large = "UTF-8\n1-1\nNEXTLEVEL\n";
  const std::u32string letters = U"abcdefghijklmnopqrstuvwxyzäöüß";
  for (std::size_t k = 0; k < 3000; ++k) {
    std::u32string pattern{letters[k % 30], letters[k / 30 % 30], letters[k / 900 % 30]};
    large += quellix::detail::toUtf8(pattern.substr(0, 1)) + std::to_string(k % 5) +
             quellix::detail::toUtf8(pattern.substr(1)) + (k % 7 == 0 ? "." : "") + "\n";
  }
  const std::string dictionaries[] = {
      kNonStandard,
      "UTF-8\nab1cdefabcdefabcdefab3c\n.abc1d\na1b\nb2c\nc1d.\n2e1f\n1f1a\nabcdefabcdefabcdefa5\n",
      "UTF-8\nabc1def/c=d,3,1\na1b\nNEXTLEVEL\nb1c\n.ab2cd\nbcdefabcdefabcdefab1c\n",
      "UTF-8\n1\na1b\n3\nNEXTLEVEL\n5\nb1c\n",  // lines of digits alone match nowhere
      "UTF-8\nf1/ff=f\n",  // a change the margins take out again (f-1)
      "UTF-8\nb1c/bb=c,1,2\nb3cd\n",  // a later pattern without a change takes bc's out again
      "UTF-8\nb1c./bb=c,1,2\na1b\n",   // a change that the dot after a word brings
      // Without NEXTLEVEL, margins of 1 and uneven compound ones, letters of two bytes:
      // words with hyphens and apostrophes, divided run by run (Division::divideSeparated).
      "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nCOMPOUNDLEFTHYPHENMIN 1\nCOMPOUNDRIGHTHYPHENMIN 3\n"
      "a1b\nb1\xc3\xa9\n\xc3\xa9" "1a\n1\xc5\x91\n\xc5\x91" "1\n.b1a\n",
      large,
  };
  // The same division whichever way the levels are read: the compound level alone first when
  // it is small enough for a wide table (d, when its levels are small), beside the plain
  // level otherwise (compact, which has no wide table).
  const auto sameDivision = [](const quellix::detail::DictionaryData& a, const quellix::detail::DictionaryData& b,
                               std::u32string_view word) {
    const quellix::detail::DictionaryMargins margins{a.leftMin, a.rightMin, a.compoundLeftMin, a.compoundRightMin};
    quellix::detail::DictionaryResult x, y;
    quellix::detail::divideDictionaryWord(a, word, margins, x);
    quellix::detail::divideDictionaryWord(b, word, margins, y);
    if (x.values != y.values) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      const auto &p = x.changes[k], &q = y.changes[k];
      if ((p.text == nullptr) != (q.text == nullptr)) return false;
      if (p.text != nullptr && (p.text->lineEnd != q.text->lineEnd || p.text->nextStart != q.text->nextStart ||
                                p.begin != q.begin || p.cut != q.cut))
        return false;
    }
    return true;
  };
  std::mt19937 random(22);
  std::size_t compoundAlone = 0;  // dictionaries whose compound level is read alone first
  std::size_t combWithEntries = 0;  // whose comb has rows that differ from their default rows
  for (const std::string& text : dictionaries) {
    const Hyphenator h = quellix::readDictionary(text, "quick.dic");
    const quellix::detail::DictionaryData& d = *quellix::detail::hyphenatorDictionary(h);
    // The compact and the wide nodes, which only levels too large for packed ones get.
    const auto compact = quellix::detail::readDictionaryData(text, "quick.dic", quellix::detail::NodeLayout::Compact);
    const auto wide = quellix::detail::readDictionaryData(text, "quick.dic", quellix::detail::NodeLayout::Wide);
    // The automaton as a comb, which only large levels get.
    const auto comb = quellix::detail::readDictionaryData(text, "quick.dic", quellix::detail::NodeLayout::Comb);
    ASSERT_FALSE(comb->plain.combEntries.empty());
    if (std::any_of(comb->plain.combEntries.begin(), comb->plain.combEntries.end(), [](std::uint64_t e) {
          return e >> quellix::detail::DictionaryLevel::kCombCheckShift != quellix::detail::DictionaryLevel::kCombFree;
        }))
      ++combWithEntries;
    ASSERT_FALSE(d.plain.packedNodes.empty());
    ASSERT_TRUE(compact->plain.packedNodes.empty() && !compact->plain.compactNodes.empty());
    ASSERT_TRUE(wide->plain.compactNodes.empty());
    // A small automaton reads with its wide table; the compact layout keeps the narrow one.
    ASSERT_TRUE(compact->plain.table.empty() || (d.plain.table.empty() && !d.plain.wideTable.empty()));
    ASSERT_TRUE(compact->compound.wideTable.empty());
    if (!d.compound.empty() && !d.compound.wideTable.empty()) ++compoundAlone;
    std::u32string alphabet;
    for (const quellix::detail::DictionaryLevel* level : {&d.compound, &d.plain})
      if (level->index) alphabet.append(level->index->codes.begin(), level->index->codes.end());
    alphabet += U"x1";
    for (int k = 0; k < 4000; ++k) {
      std::u32string word(1 + random() % 40, U' ');
      for (char32_t& c : word) c = alphabet[random() % alphabet.size()];
      ASSERT_TRUE(quellix::detail::quickReadingsAgree(d, word)) << quellix::detail::toUtf8(word);
      ASSERT_TRUE(quellix::detail::quickReadingsAgree(*compact, word)) << quellix::detail::toUtf8(word);
      ASSERT_TRUE(quellix::detail::quickReadingsAgree(*wide, word)) << quellix::detail::toUtf8(word);
      ASSERT_TRUE(quellix::detail::quickReadingsAgree(*comb, word)) << quellix::detail::toUtf8(word);
      ASSERT_TRUE(sameDivision(d, *compact, word)) << quellix::detail::toUtf8(word);
      ASSERT_TRUE(sameDivision(d, *comb, word)) << quellix::detail::toUtf8(word);
    }
  }
  EXPECT_GE(compoundAlone, 3u);
  EXPECT_GE(combWithEntries, 2u);
}

// Words of a dictionary with NEXTLEVEL as libhyphen 2.8.8 divides them (hnj_hyphen_hyphenate2's
// values and changes): words the compound level reads and finds no boundary in (the plain
// level divides them), or one, or a change in either level; words whose parts the compound
// level divides again (.ab1cd.) or in whose part the plain level meets a change or a pattern
// longer than a window; words with a digit or a NOHYPHEN character. breakPoints, in capitals
// too, gives their breaks without a change.
TEST(Dictionary, WordsTheCompoundLevelReadsAsLibhyphenDividesThem) {
  const Hyphenator h = quellix::readDictionary(
      "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nCOMPOUNDLEFTHYPHENMIN 2\nCOMPOUNDRIGHTHYPHENMIN 2\n"
      "NOHYPHEN '\nhaus1boot\nschiff1fahrt/ff=f,5,2\nz1a\n.ab1cd.\nhaus1xyz\nNEXTLEVEL\n1b\n1t\n1s\n1h\n1f\n"
      "c1k/k=k,1,1\nxyzxyzxyzxyzxyz3x\n",
      "compound.dic");
  struct Case {
    std::u32string word;
    std::string values;   // one digit a boundary
    std::string changes;  // boundary:change,position,cut
  };
  const Case cases[] = {
      {U"haus", "0010", ""},
      {U"bootshaus", "001110010", ""},
      {U"hausbo", "001100", ""},
      {U"xyz", "000", ""},
      {U"hausboot", "00010000", ""},
      {U"schifffahrt", "01010101000", "5:ff=f,2,2"},
      {U"hausbacken", "0011001000", "6:k=k,1,1"},
      {U"backhaus", "00110010", "2:k=k,1,1"},
      {U"haus2boot", "001010010", ""},
      {U"haus'boot", "001000010", ""},
      {U"1haus", "00010", ""},
      {U"abcd", "0100", ""},
      {U"xyzabcd", "0010100", ""},
      {U"xyzabcdhausboot", "001000100010000", ""},
      {U"hausbootbacken", "00010011001000", "10:k=k,1,1"},
      {U"xyzxyzxyzxyzxyzx", "0000000000000030", ""},  // a pattern longer than a window
      {U"hausxyzxyzxyzxyzxyzx", "00010000000000000000", ""},
      {U"hausxyzxyzxyzxyzxyzxboot", "000100000000000000310000", ""},
  };
  quellix::DictionaryValues values;
  for (const Case& c : cases) {
    const std::string word = quellix::detail::toUtf8(c.word);
    quellix::dictionaryValues(h, c.word, values);
    std::string digits, changes;
    for (const std::uint8_t v : values.values) digits += static_cast<char>('0' + v);
    std::vector<bool> changed(c.word.size() + 1, false);
    for (const quellix::SpellingBreak& b : values.changes) {
      changes += std::to_string(b.position - 1) + ":" + quellix::detail::toUtf8(b.lineEnd) + "=" +
                 quellix::detail::toUtf8(b.nextStart) + "," + std::to_string(b.position - b.replacedBegin) + "," +
                 std::to_string(b.replacedEnd - b.replacedBegin);
      changed[b.position] = true;
    }
    EXPECT_EQ(digits, c.values) << word;
    EXPECT_EQ(changes, c.changes) << word;
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i + 1 < c.values.size(); ++i)
      if ((c.values[i] - '0') % 2 == 1 && !changed[i + 1]) expected.push_back(i + 1);
    std::u32string capitals = c.word;
    for (char32_t& ch : capitals)
      if (ch >= U'a' && ch <= U'z') ch -= 0x20;
    for (const std::u32string& form : {c.word, capitals}) {
      std::vector<std::size_t> at(form.size() + 1);
      at.resize(quellix::breakPoints(h, form, at));
      EXPECT_EQ(at, expected) << quellix::detail::toUtf8(form);
    }
  }
}

// Dictionaries without plain patterns (none at all, or all before NEXTLEVEL) divide words
// whose parts the compound level finds (a hyphen's) as libhyphen 2.8.8 does, rather than
// read a plain level that is not there.
TEST(Dictionary, DictionariesWithoutPlainPatternsDivideCompoundWords) {
  const Hyphenator none = quellix::readDictionary("UTF-8\n", "none.dic");
  const Hyphenator compoundOnly = quellix::readDictionary(
      "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nCOMPOUNDLEFTHYPHENMIN 1\nCOMPOUNDRIGHTHYPHENMIN 1\n"
      "1-1\nb1c\nNEXTLEVEL\n",
      "compound-only.dic");
  struct Case {
    const Hyphenator* h;
    std::u32string word;
    std::string values;
  };
  const Case cases[] = {
      {&none, U"ab-cd", "00000"},         {&none, U"a-b", "000"},
      {&compoundOnly, U"ab-cd", "01100"}, {&compoundOnly, U"abc-def", "0111000"},
      {&compoundOnly, U"bcb-c", "10110"}, {&compoundOnly, U"a-b-c", "11110"},
  };
  quellix::DictionaryValues values;
  for (const Case& c : cases) {
    quellix::dictionaryValues(*c.h, c.word, values);
    std::string digits;
    for (const std::uint8_t v : values.values) digits += static_cast<char>('0' + v);
    EXPECT_EQ(digits, c.values) << quellix::detail::toUtf8(c.word);
    std::vector<std::size_t> at(c.word.size() + 1), expected;
    at.resize(quellix::breakPoints(*c.h, c.word, at));
    for (std::size_t i = 0; i + 1 < c.values.size(); ++i)
      if ((c.values[i] - '0') % 2 == 1) expected.push_back(i + 1);
    EXPECT_EQ(at, expected) << quellix::detail::toUtf8(c.word);
  }
}

TEST(Dictionary, MalformedFilesAreRejectedWithFileLineAndByte) {
  struct Case {
    const char* bytes;
    const char* message;  // the message names source, line and byte offset
  };
  const Case cases[] = {
      {"", "bad.dic: line 1, byte offset 0: empty"},
      {"EBCDIC\na1b\n", "bad.dic: line 1, byte offset 0: the first line names no known encoding ('EBCDIC'"},
      {"UTF-8\na1b\nc\xFF" "1d\n", "bad.dic: line 3, byte offset 11: not UTF-8"},
      {"ISO8859-7\na1\xAE\n", "bad.dic: line 2, byte offset 12: byte 0xAE is not a character of ISO8859-7"},
      {"UTF-8\nf1f/ff,1,2\n", "bad.dic: line 2, byte offset 6: malformed non-standard pattern: its change needs one '='"},
      {"UTF-8\nf1f/f=f,x,2\n", "line 2, byte offset 6: malformed non-standard pattern: change,start,cut needs two numbers"},
      {"UTF-8\nf1f/f=f,2\n", "change,start,cut needs two numbers"},
      {"UTF-8\nf1f/f=f,0,1\n", "start 0 and cut 1 leave its 2 letters"},
      {"UTF-8\n.f1f/f=f,2,2\n", "start 2 and cut 2 leave its 2 letters"},
      {"UTF-8\nLEFTHYPHENMIN two\n", "line 2, byte offset 6: LEFTHYPHENMIN needs a number"},
      {"UTF-8\nNEXTLEVEL\na1b\nNEXTLEVEL\n", "line 4, byte offset 20: NEXTLEVEL may appear only once"},
  };
  for (const Case& c : cases) {
    try {
      (void)quellix::readDictionary(c.bytes, "bad.dic");
      ADD_FAILURE() << "accepted: " << c.bytes;
    } catch (const quellix::DictionaryError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
  EXPECT_THROW((void)quellix::loadDictionary("/nonexistent/hyph_xx.dic"), quellix::FileError);
  std::string huge = "UTF-8\n" + std::string(quellix::kMaxLineBytes + 1, 'a');
  EXPECT_THROW((void)quellix::readDictionary(huge), quellix::ArgumentError);
  // Lenient where libhyphen is and Debian's dictionaries need it: a digit in a change (the
  // Hungarian dictionary has one), runs of digits, lines after a pattern's first blank.
  EXPECT_NO_THROW((void)quellix::readDictionary("UTF-8\n.mas5száz8s3zok1ni/sz=3,1,1,14\na12b c1d\n"));
}

}  // namespace
