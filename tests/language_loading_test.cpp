// Per-language hyphenators: the affix and margin table, the deferred tables and when
// they read their files, the failure semantics, the shared values, and whole words.
#include "language_loading.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "char_classes.hpp"
#include "hyphenator_internal.hpp"
#include "embedded_files.hpp"
#include "language_rows.hpp"
#include "quellix/language.hpp"
#include "test_support.hpp"

namespace quellix {
namespace {

using detail::FileLookup;
using testing::asciiPieces;
using testing::kAffixesWithExceptions;
using testing::kExpectedLanguages;
using L = Language;
using Pieces = std::vector<std::string>;

// The 73 named values in number order.
const std::array<const BuiltinHyphenator*, 73> kValues{
    &afrikaans, &armenian, &assamese, &basque, &bengali, &bulgarian, &catalan, &chinese,
    &coptic, &croatian, &czech, &danish, &dutch, &english_US, &english_GB, &esperanto,
    &estonian, &ethiopic, &finnish, &french, &friulan, &galician, &georgian, &german_1901,
    &german_1996, &german_Swiss, &greek_Ancient, &greek_Mono, &greek_Poly, &gujarati, &hindi,
    &hungarian, &icelandic, &indonesian, &interlingua, &irish, &italian, &kannada, &kurmanji,
    &latin, &latin_Classic, &latvian, &lithuanian, &malayalam, &marathi, &mongolian,
    &norwegian_Bokmal, &norwegian_Nynorsk, &occitan, &oriya, &panjabi, &piedmontese, &polish,
    &portuguese, &romanian, &romansh, &russian, &sanskrit, &serbian_Cyrillic,
    &serbocroatian_Cyrillic, &serbocroatian_Latin, &slovak, &slovenian, &spanish, &swedish,
    &tamil, &telugu, &thai, &turkish, &turkmen, &ukrainian, &uppersorbian, &welsh};

// A file lookup over the embedded data set that records every name asked for and can
// hide or damage files.
struct RecordingLookup {
  std::vector<std::string> asked;
  std::string missing;
  std::string damaged;
  std::vector<unsigned char> damagedBytes;
  std::mutex mutex;

  FileLookup lookup() {
    return [this](std::string_view name) -> std::optional<std::span<const unsigned char>> {
      std::lock_guard<std::mutex> lock(mutex);
      asked.emplace_back(name);
      if (name == missing) return std::nullopt;
      auto bytes = detail::lookupEmbeddedFile(name);
      if (bytes && name == damaged) {
        damagedBytes.assign(bytes->begin(), bytes->end());
        damagedBytes[damagedBytes.size() / 2] ^= 0x55;
        return std::span<const unsigned char>(damagedBytes);
      }
      return bytes;
    };
  }
};

template <class E>
std::string errorOf(auto&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return "(no error of the expected type)";
}

TEST(LanguageAffix, NamesTheDataFiles) {
  EXPECT_EQ(detail::dataFileName(L::English_US, ".pat.txt.gz"), "hyph-en-us.pat.txt.gz");
  EXPECT_EQ(detail::dataFileName(L::English_US, ".hyp.txt.gz"), "hyph-en-us.hyp.txt.gz");
  EXPECT_EQ(detail::dataFileName(L::English_US, ".chr.txt.gz"), "hyph-en-us.chr.txt.gz");
}

TEST(SharedHyphenators, EveryNamedValueIsItsLanguagesSharedHyphenatorWithItsMargins) {
  for (const auto& row : kExpectedLanguages) {
    SCOPED_TRACE(row.name);
    const BuiltinHyphenator& value = *kValues[static_cast<std::size_t>(row.number)];
    const Language language = toEnum(row.number);
    EXPECT_EQ(value.language(), language);
    EXPECT_EQ(&static_cast<const Hyphenator&>(value), &languageHyphenator(language));
    EXPECT_EQ(&value.get(), &languageHyphenator(language));
    EXPECT_EQ(hyphenatorLeftMin(value), row.leftMin);
    EXPECT_EQ(hyphenatorRightMin(value), row.rightMin);
    const Hyphenator fresh = loadHyphenator(language);
    EXPECT_EQ(hyphenatorLeftMin(fresh), row.leftMin);
    EXPECT_EQ(hyphenatorRightMin(fresh), row.rightMin);
  }
}

TEST(SharedHyphenators, LoadHyphenatorGivesDistinctObjectsThatDivideAlike) {
  const Hyphenator first = loadHyphenator(L::English_US);
  const Hyphenator second = loadHyphenator(L::English_US);
  EXPECT_NE(&hyphenatorPatterns(first), &hyphenatorPatterns(second));
  EXPECT_NE(&hyphenatorExceptions(first), &hyphenatorExceptions(second));
  EXPECT_NE(&hyphenatorPatterns(first), &hyphenatorPatterns(english_US));
  EXPECT_TRUE(hyphenatorPatterns(first) == hyphenatorPatterns(english_US));
  EXPECT_TRUE(hyphenatorExceptions(first) == hyphenatorExceptions(english_US));
  for (const char32_t* word :
       {U"associate", U"Associate", U"associates", U"declination", U"obligatory", U"table",
        U"algorithm", U"computer", U"program", U"hyphenation", U"Philanthropic", U"PROJECT",
        U"encyclopedia", U"a", U"", U"supercalifragilisticexpialidocious"}) {
    SCOPED_TRACE(testing::ascii(word));
    EXPECT_EQ(hyphenate(first, word), hyphenate(english_US, word));
    EXPECT_EQ(hyphenate(second, word), hyphenate(english_US, word));
  }
}

TEST(DeferredTables, MakingARecordOrReadingItsMarginsReadsNoFile) {
  RecordingLookup files;
  const Hyphenator h = detail::loadHyphenatorFrom(L::English_US, files.lookup());
  EXPECT_EQ(hyphenatorLeftMin(h), 2);
  EXPECT_EQ(hyphenatorRightMin(h), 3);
  const Hyphenator copy = h;
  (void)hyphenatorChars(copy);  // the normaliser itself; its map is built on its first call
  // A word shorter than the margins consults no table either.
  EXPECT_EQ(asciiPieces(hyphenate(h, U"abcd")), (Pieces{"abcd"}));
  EXPECT_TRUE(files.asked.empty());
}

TEST(DeferredTables, EachTableReadsItsOwnFileOnceOnFirstUse) {
  RecordingLookup files;
  const Hyphenator h = detail::loadHyphenatorFrom(L::English_US, files.lookup());
  const Hyphenator copy = h;
  EXPECT_EQ(hyphenatorChars(h)(U'A'), U'a');
  EXPECT_EQ(files.asked, std::vector<std::string>{"hyph-en-us.chr.txt.gz"});
  EXPECT_EQ(hyphenatorExceptions(copy).size(), 14u);
  EXPECT_EQ(files.asked.back(), "hyph-en-us.hyp.txt.gz");
  EXPECT_FALSE(hyphenatorPatterns(h).empty());
  EXPECT_EQ(files.asked.back(), "hyph-en-us.pat.txt.gz");
  for (int i = 0; i < 3; ++i) {
    (void)hyphenate(h, U"algorithm");
    (void)hyphenate(copy, U"associate");
  }
  // Copies share the tables: three files, each read once.
  EXPECT_EQ(files.asked.size(), 3u);
  EXPECT_EQ(&hyphenatorPatterns(h), &hyphenatorPatterns(copy));
}

TEST(DeferredTables, MissingPatternFileFailsAtEveryPatternLookupOnly) {
  RecordingLookup files;
  files.missing = "hyph-en-us.pat.txt.gz";
  const Hyphenator h = detail::loadHyphenatorFrom(L::English_US, files.lookup());
  EXPECT_EQ(hyphenatorLeftMin(h), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(errorOf<DataFileError>([&] { (void)hyphenate(h, U"algorithm"); }),
              "Could not find hyph-en-us.pat.txt.gz");
    EXPECT_EQ(errorOf<DataFileError>([&] { (void)hyphenatorPatterns(h); }),
              "Could not find hyph-en-us.pat.txt.gz");
  }
  // The other tables are unaffected: an exception word needs no pattern.
  EXPECT_EQ(asciiPieces(hyphenate(h, U"Associate")), (Pieces{"As", "so", "ciate"}));
  EXPECT_EQ(hyphenatorChars(h)(U'Z'), U'z');
  EXPECT_EQ(std::count(files.asked.begin(), files.asked.end(), files.missing), 1);
}

TEST(DeferredTables, MissingCharacterFileFailsAtEveryNormaliserCall) {
  RecordingLookup files;
  files.missing = "hyph-en-us.chr.txt.gz";
  const Hyphenator h = detail::loadHyphenatorFrom(L::English_US, files.lookup());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(errorOf<DataFileError>([&] { (void)hyphenate(h, U"associate"); }),
              "Could not find hyph-en-us.chr.txt.gz");
    EXPECT_EQ(errorOf<DataFileError>([&] { hyphenatorChars(h)(U'a'); }),
              "Could not find hyph-en-us.chr.txt.gz");
  }
  EXPECT_EQ(hyphenatorExceptions(h).size(), 14u);
  EXPECT_EQ(asciiPieces(hyphenate(h, U"abc")), (Pieces{"abc"}));
}

TEST(DeferredTables, MissingExceptionFileNamesItsFile) {
  RecordingLookup files;
  files.missing = "hyph-de-1996.hyp.txt.gz";
  const Hyphenator h = detail::loadHyphenatorFrom(L::German_1996, files.lookup());
  EXPECT_EQ(errorOf<DataFileError>([&] { (void)hyphenatorExceptions(h); }),
            "Could not find hyph-de-1996.hyp.txt.gz");
  EXPECT_EQ(errorOf<DataFileError>([&] { (void)hyphenate(h, U"Silbentrennung"); }),
            "Could not find hyph-de-1996.hyp.txt.gz");
  EXPECT_FALSE(hyphenatorPatterns(h).empty());
}

TEST(DeferredTables, DamagedFileRaisesTheDecompressionErrorAtFirstUseAndLater) {
  RecordingLookup files;
  files.damaged = "hyph-en-us.pat.txt.gz";
  const Hyphenator h = detail::loadHyphenatorFrom(L::English_US, files.lookup());
  const std::string first = errorOf<DecompressionError>([&] { (void)hyphenate(h, U"algorithm"); });
  EXPECT_TRUE(first.starts_with("hyph-en-us.pat.txt.gz: ")) << first;
  EXPECT_EQ(errorOf<DecompressionError>([&] { (void)hyphenatorPatterns(h); }), first);
  EXPECT_EQ(asciiPieces(hyphenate(h, U"table")), (Pieces{"ta", "ble"}));
}

TEST(DeferredTables, ValuesThatNameNoLanguageAreRejected) {
  const auto bogus = static_cast<Language>(99);
  EXPECT_THROW((void)loadHyphenator(bogus), ArgumentError);
  EXPECT_THROW((void)languageHyphenator(bogus), ArgumentError);
  EXPECT_THROW((void)languageLicence(bogus), ArgumentError);
  EXPECT_THROW(static_cast<void>(BuiltinHyphenator(bogus).get()), ArgumentError);
}

// The normalisers of the built-in languages.
char32_t normalise(const Hyphenator& h, char32_t c) { return hyphenatorChars(h)(c); }

TEST(Normaliser, EnglishLowersAsciiLettersOnly) {
  EXPECT_EQ(normalise(english_US, U'A'), U'a');
  EXPECT_EQ(normalise(english_US, U'Z'), U'z');
  for (char32_t same : {U'a', U'\u00E9', U'\u00C9', U'-', U'1', U' ', U'\u03A3'})
    EXPECT_EQ(normalise(english_US, same), same);
}

TEST(Normaliser, CapitalsMapToTheirSmallLetters) {
  QUELLIX_REQUIRE_LANGUAGES(L::German_1901, L::German_1996, L::German_Swiss, L::Greek_Mono);
  // "\u00DFSS" spells the capital of \u00DF and leaves S to "sS".
  for (const Hyphenator* german : {&german_1901.get(), &german_1996.get(), &german_Swiss.get()}) {
    EXPECT_EQ(normalise(*german, U'S'), U's');
    EXPECT_EQ(normalise(*german, U'\u00DF'), U'\u00DF');
    EXPECT_EQ(normalise(*german, U'\u00C4'), U'\u00E4');
  }
  EXPECT_EQ(normalise(greek_Mono, U'\u03A3'), U'\u03C3');
  EXPECT_EQ(normalise(greek_Mono, U'\u03C2'), U'\u03C2');
  EXPECT_EQ(normalise(greek_Mono, U'\u0399'), U'\u03B9');
  EXPECT_EQ(normalise(armenian, U'\u0535'), U'\u0565');
  EXPECT_EQ(normalise(turkish, U'I'), U'\u0131');
}

TEST(Normaliser, IsTheCharacterClassNormaliserWithTheLanguagesMap) {
  QUELLIX_REQUIRE_LANGUAGES(L::Sanskrit, L::English_US);
  const detail::CharMap* sanskritChars = detail::hyphenatorCharMap(sanskrit);
  ASSERT_NE(sanskritChars, nullptr);
  EXPECT_EQ(sanskritChars->size(), 483u);  // with \u1E96 and U+0331 of "\u1E96H\u0331"
  const detail::CharMap* englishChars = detail::hyphenatorCharMap(english_US);
  ASSERT_NE(englishChars, nullptr);
  EXPECT_EQ(englishChars->size(), 26u);
  EXPECT_EQ(englishChars->flat().size(), std::size_t{'Z'} + 1);
}

TEST(Exceptions, OnlyNineteenLanguagesHaveAny) {
  for (const auto& row : kExpectedLanguages) {
    if (!languageBuiltIn(toEnum(row.number))) continue;  // this build left it out
    SCOPED_TRACE(row.name);
    const bool listed = std::find(kAffixesWithExceptions.begin(), kAffixesWithExceptions.end(),
                                  row.affix) != kAffixesWithExceptions.end();
    EXPECT_EQ(hyphenatorExceptions(languageHyphenator(toEnum(row.number))).size() > 0, listed);
  }
  if (languageBuiltIn(L::English_US)) {
    EXPECT_EQ(hyphenatorExceptions(english_US).size(), 14u);
  }
}

TEST(Licence, IsTheDecodedLicenceFileOfTheLanguage) {
  if (languageBuiltIn(L::English_US)) {
    EXPECT_TRUE(languageLicence(L::English_US).starts_with("% This file has been renamed"));
  }
  for (const Language language : enumFrom(languageMinBound)) {
    if (!languageBuiltIn(language)) continue;  // this build left it out (see language_data_test)
    const std::string name = detail::dataFileName(language, ".lic.txt.gz");
    SCOPED_TRACE(name);
    // The licence files are valid UTF-8, so decoding and encoding again gives the bytes.
    EXPECT_EQ(languageLicence(language), detail::gunzip(*detail::lookupEmbeddedFile(name), name));
  }
}

TEST(EndToEnd, EnglishWordsFromExceptionsAndPatterns) {
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"associate")), (Pieces{"as", "so", "ciate"}));
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"Associate")), (Pieces{"As", "so", "ciate"}));
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"algorithm")), (Pieces{"al", "go", "rithm"}));
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"computer")), (Pieces{"com", "puter"}));
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"program")), (Pieces{"pro", "gram"}));
  EXPECT_EQ(asciiPieces(hyphenate(english_US, U"table")), (Pieces{"ta", "ble"}));
  EXPECT_EQ(asciiPieces(hyphenate(languageHyphenator(L::English_US), U"project")),
            (Pieces{"project"}));
}

}  // namespace
}  // namespace quellix
