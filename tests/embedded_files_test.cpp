// The embedded data set: the table's names, order and bytes, the lookup, and the facts
// that identify the right release of the hyph-utf8 files.
#include "embedded_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "data_file.hpp"
#include "language_rows.hpp"

#ifndef QUELLIX_TEST_DATA_DIR
#error "QUELLIX_TEST_DATA_DIR must name the data directory the library embeds"
#endif
#ifndef QUELLIX_TEST_EMBEDDED_AFFIXES
#error "QUELLIX_TEST_EMBEDDED_AFFIXES must list the affixes the build embeds"
#endif

namespace quellix::detail {
namespace {

using testing::kAffixesWithExceptions;
using testing::kExpectedLanguages;

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string asString(std::span<const unsigned char> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::size_t lineCount(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Whether the build embeds the language of affix (QUELLIX_LANGUAGES may choose a few).
bool embedded(std::string_view affix) {
  const std::string list = "," + std::string(QUELLIX_TEST_EMBEDDED_AFFIXES) + ",";
  return list.find("," + std::string(affix) + ",") != std::string::npos;
}

bool allEmbedded() {
  return std::all_of(kExpectedLanguages.begin(), kExpectedLanguages.end(),
                     [](const auto& row) { return embedded(row.affix); });
}

TEST(EmbeddedFiles, HoldsFourFilesPerLanguageInByteOrder) {
  const auto files = embeddedFiles();
  if (allEmbedded()) {
    ASSERT_EQ(files.size(), 292u);
    EXPECT_EQ(files.front().name, "hyph-af.chr.txt.gz");
    EXPECT_EQ(files[1].name, "hyph-af.hyp.txt.gz");
    EXPECT_EQ(files[2].name, "hyph-af.lic.txt.gz");
    EXPECT_EQ(files[3].name, "hyph-af.pat.txt.gz");
    EXPECT_EQ(files[4].name, "hyph-as.chr.txt.gz");
    EXPECT_EQ(files.back().name, "hyph-zh-latn-pinyin.pat.txt.gz");
  }
  EXPECT_TRUE(std::adjacent_find(files.begin(), files.end(), [](const auto& a, const auto& b) {
                return !(a.name < b.name);
              }) == files.end());

  std::vector<std::string> expected;
  for (const auto& row : kExpectedLanguages)
    if (embedded(row.affix))
      for (const char* kind : {"chr", "hyp", "lic", "pat"})
      expected.push_back("hyph-" + std::string(row.affix) + "." + kind + ".txt.gz");
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> actual;
  for (const auto& file : files) actual.emplace_back(file.name);
  EXPECT_EQ(actual, expected);
}

// The compressed sizes depend on the compressor that made the files; only the content
// identifies the release (checked below), so the bytes are compared with the files.
TEST(EmbeddedFiles, BytesAreExactlyTheFilesOfTheDataDirectory) {
  for (const auto& file : embeddedFiles()) {
    SCOPED_TRACE(std::string(file.name));
    EXPECT_EQ(asString(file.bytes), readWholeFile(std::string(QUELLIX_TEST_DATA_DIR) + "/" +
                                                  std::string(file.name)));
  }
}

TEST(EmbeddedFiles, LookupMatchesWholeNamesExactly) {
  if (!embedded("en-us")) GTEST_SKIP() << "en-us is not built in";
  const auto found = lookupEmbeddedFile("hyph-en-us.pat.txt.gz");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(asString(*found),
            readWholeFile(std::string(QUELLIX_TEST_DATA_DIR) + "/hyph-en-us.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile("hyph-en-us.pat.txt"));
  EXPECT_FALSE(lookupEmbeddedFile("HYPH-EN-US.PAT.TXT.GZ"));
  EXPECT_FALSE(lookupEmbeddedFile("Hyph-en-us.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile("hyph-utf8/hyph-en-us.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile("/hyph-en-us.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile(" hyph-en-us.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile("hyph-en-us.pat.txt.gz "));
  EXPECT_FALSE(lookupEmbeddedFile(std::string_view("hyph-en-us.pat.txt.gz\0", 22)));
  EXPECT_FALSE(lookupEmbeddedFile(""));
  EXPECT_FALSE(lookupEmbeddedFile("README.md"));
  EXPECT_FALSE(lookupEmbeddedFile("hyph-en.pat.txt.gz"));
  EXPECT_FALSE(lookupEmbeddedFile("hyph-zz.pat.txt.gz"));
  // The licences are there although the library never asks for them.
  EXPECT_TRUE(lookupEmbeddedFile("hyph-en-us.lic.txt.gz"));
}

TEST(EmbeddedFiles, LookupFindsEveryEntryByItsOwnName) {
  for (const auto& file : embeddedFiles()) {
    const auto found = lookupEmbeddedFile(file.name);
    ASSERT_TRUE(found.has_value()) << file.name;
    EXPECT_EQ(found->data(), file.bytes.data());
    EXPECT_EQ(found->size(), file.bytes.size());
  }
}

// Sizes and line counts of the decompressed texts identify the release of the data set.
TEST(EmbeddedFiles, ContentMatchesTheKnownRelease) {
  if (!allEmbedded()) GTEST_SKIP() << "the totals are those of all 73 languages";
  std::map<std::string, std::size_t> linesPerKind;
  std::size_t totalBytes = 0;
  std::map<std::string, std::string> texts;
  for (const auto& file : embeddedFiles()) {
    SCOPED_TRACE(std::string(file.name));
    const std::string text = gunzip(file.bytes, file.name);
    const std::string kind(file.name.substr(file.name.size() - 10, 3));
    linesPerKind[kind] += lineCount(text);
    totalBytes += text.size();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF"));
    if (!text.empty()) {
      EXPECT_EQ(text.back(), '\n');
    }
    texts.emplace(std::string(file.name.substr(0, file.name.size() - 3)), text);
  }
  EXPECT_EQ(totalBytes, 2499549u);
  EXPECT_EQ(linesPerKind["pat"], 311697u);
  EXPECT_EQ(linesPerKind["hyp"], 1000u);
  EXPECT_EQ(linesPerKind["chr"], 3866u);
  EXPECT_EQ(linesPerKind["lic"], 2670u);
  EXPECT_EQ(lineCount(texts["hyph-hu.pat.txt"]), 62851u);
  EXPECT_EQ(texts["hyph-hu.pat.txt"].size(), 528090u);
  EXPECT_EQ(lineCount(texts["hyph-pa.pat.txt"]), 60u);
  EXPECT_EQ(lineCount(texts["hyph-en-us.pat.txt"]), 4938u);
  EXPECT_EQ(lineCount(texts["hyph-en-us.hyp.txt"]), 14u);
  EXPECT_EQ(lineCount(texts["hyph-en-us.chr.txt"]), 26u);
  EXPECT_EQ(lineCount(texts["hyph-af.hyp.txt"]), 185u);
  EXPECT_EQ(lineCount(texts["hyph-nb.hyp.txt"]), 2u);
}

TEST(EmbeddedFiles, ExactlyNineteenExceptionFilesAreNonEmpty) {
  for (const auto& row : kExpectedLanguages) {
    if (!embedded(row.affix)) continue;
    const std::string name = "hyph-" + std::string(row.affix) + ".hyp.txt.gz";
    SCOPED_TRACE(name);
    const auto bytes = lookupEmbeddedFile(name);
    ASSERT_TRUE(bytes.has_value());
    const bool listed = std::find(kAffixesWithExceptions.begin(), kAffixesWithExceptions.end(),
                                  row.affix) != kAffixesWithExceptions.end();
    const std::string text = gunzip(*bytes, name);
    EXPECT_EQ(text.empty(), !listed);
  }
  if (embedded("fr")) {
    EXPECT_EQ(gunzip(*lookupEmbeddedFile("hyph-fr.hyp.txt.gz"), "hyph-fr.hyp.txt.gz"), "");
  }
}

}  // namespace
}  // namespace quellix::detail
