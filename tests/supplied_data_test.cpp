// Language data supplied while the library runs (the WebAssembly core's way of loading a
// language): refused where a language has data already, checked before it is kept, and
// then used by every function as embedded data is. A build that embeds every language
// can only check the refusals; the three-language build (small-languages) runs it all.
#include "supplied_data.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "language_loading.hpp"
#include "quellix/error.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/text.hpp"

#ifndef QUELLIX_TEST_DATA_DIR
#error "QUELLIX_TEST_DATA_DIR must name the data directory"
#endif

namespace quellix::detail {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes fileOf(Language language, const char* kind) {
  std::ifstream in(std::string(QUELLIX_TEST_DATA_DIR) + "/" + dataFileName(language, kind), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Files {
  Bytes chr, hyp, lic, pat;
  explicit Files(Language language)
      : chr(fileOf(language, ".chr.txt.gz")), hyp(fileOf(language, ".hyp.txt.gz")),
        lic(fileOf(language, ".lic.txt.gz")), pat(fileOf(language, ".pat.txt.gz")) {}
  LanguageFiles spans() const { return {chr, hyp, lic, pat}; }
};

TEST(SuppliedData, ALanguageWithDataKeepsIt) {
  for (const Language language : {Language::English_US, Language::Czech, Language::Welsh}) {
    if (!languageBuiltIn(language)) continue;
    const Files files(language);
    EXPECT_FALSE(supplyLanguageFiles(language, files.spans()));
    EXPECT_EQ(lookupDataFile(dataFileName(language, ".pat.txt.gz"))->data(),
              lookupDataFile(dataFileName(language, ".pat.txt.gz"))->data());
  }
  EXPECT_THROW((void)supplyLanguageFiles(static_cast<Language>(73), {}), ArgumentError);
  EXPECT_FALSE(lookupDataFile("hyph-zz.pat.txt.gz"));
  EXPECT_FALSE(lookupDataFile("README.md"));
}

TEST(SuppliedData, ALanguageLeftOutLoadsWhenSuppliedAndNotBefore) {
  const Language czech = Language::Czech;
  if (languageBuiltIn(czech)) GTEST_SKIP() << "this build embeds Czech; the small-languages build does not";
  ASSERT_FALSE(languageSupplied(czech));
  const Files good(czech);

  // Damaged or too large files are refused, naming the file, and nothing is kept.
  Files damaged(czech);
  damaged.pat[damaged.pat.size() / 2] ^= 0x55;
  Files truncated(czech);
  truncated.hyp.resize(5);
  for (const Files* files : {&damaged, &truncated}) {
    EXPECT_THROW((void)supplyLanguageFiles(czech, files->spans()), DecompressionError);
    EXPECT_FALSE(languageBuiltIn(czech));
    EXPECT_FALSE(lookupDataFile("hyph-cs.chr.txt.gz"));
  }

  ASSERT_TRUE(supplyLanguageFiles(czech, good.spans()));
  EXPECT_FALSE(supplyLanguageFiles(czech, good.spans()));  // once only
  EXPECT_TRUE(languageBuiltIn(czech) && languageSupplied(czech));
  EXPECT_EQ(Bytes(lookupDataFile("hyph-cs.pat.txt.gz")->begin(), lookupDataFile("hyph-cs.pat.txt.gz")->end()),
            good.pat);
  EXPECT_FALSE(languageLicence(czech).empty());
  const std::vector<std::string_view> pieces = hyphenate(languageHyphenator(czech), std::string_view("rozdělování"));
  EXPECT_EQ(pieces, (std::vector<std::string_view>{"roz", "dě", "lo", "vání"}));
  EXPECT_EQ(hyphenateHtml(languageHyphenator(Language::English_US), "<p lang=cs>rozdělování</p>",
                          TextOptions{.hyphen = "|"}),
            "<p lang=cs>roz|dě|lo|vání</p>");
}

}  // namespace
}  // namespace quellix::detail
