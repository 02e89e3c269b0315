// libquellix-hyphen writes within the buffers hyphen.h documents (hyphens: word_size + 5
// bytes, the hyphenated word: word_size * 2, at least one) whatever the dictionary's changes of spelling:
// each buffer here is exactly that size with guard bytes after it, and what is written is
// checked whole. (libhyphen 2.8.8 writes past the hyphenated word's buffer where a change is
// longer than the characters it replaces.)
#include <gtest/gtest.h>
#include <hyphen.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Case {
  const char* dictionary;
  const char* word;
  const char* hyphens;
  const char* hyphenated;
  int changes;  // non-null entries of rep
};

constexpr char kLongChange[] =
    "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n"
    "a1b/xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx=yyyyyyyyyyyyyyyyyyyyyyyy,1,2\nc1a\n";
constexpr char kShortChange[] = "ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nf1f/ff=f,1,2\n";
constexpr char kWideLetters[] = "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n\xc3\xa9" "1b/zzzzzzzzzzzz=zzzzzzzz,1,2\nb1\xc3\xa9\n";

TEST(CompatBuffers, HyphenatedWordStaysWithinTwiceTheWord) {
  const Case cases[] = {
      // A change that does not fit: the word with its standard breaks only; rep keeps it.
      {kLongChange, "ab", "10", "ab", 1},
      {kLongChange, "abcab", "10110", "abc=ab", 2},
      {kWideLetters, "\xc3\xa9" "b\xc3\xa9" "b", "1110", "\xc3\xa9" "b=\xc3\xa9" "b", 2},
      // One that fits is written.
      {kShortChange, "schiffahrt", "0000100000", "schiff=fahrt", 1},
      {kShortChange, "f", "0", "f", 0},
      {kShortChange, "", "", "", 0},
  };
  constexpr std::size_t kGuard = 16;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    HyphenDict* dict = hnj_hyphen_load_data(c.dictionary, std::strlen(c.dictionary));
    ASSERT_NE(dict, nullptr);
    const int n = static_cast<int>(std::strlen(c.word));
    std::vector<char> hyphens(static_cast<std::size_t>(n) + 5 + kGuard, '#');
    std::vector<char> hyphenated(static_cast<std::size_t>(n > 0 ? n * 2 : 1) + kGuard, '#');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    ASSERT_EQ(hnj_hyphen_hyphenate2(dict, c.word, n, hyphens.data(), hyphenated.data(), &rep, &pos, &cut), 0);
    EXPECT_EQ(std::string(hyphens.data()), c.hyphens);
    EXPECT_EQ(std::string(hyphenated.data()), c.hyphenated);
    EXPECT_EQ(std::string(hyphens.end() - kGuard, hyphens.end()), std::string(kGuard, '#'));
    EXPECT_EQ(std::string(hyphenated.end() - kGuard, hyphenated.end()), std::string(kGuard, '#'));
    int changes = 0;
    if (rep != nullptr) {
      for (int i = 0; i < n; ++i) {
        changes += rep[i] != nullptr ? 1 : 0;
        std::free(rep[i]);
      }
      std::free(rep);
      std::free(pos);
      std::free(cut);
    }
    EXPECT_EQ(changes, c.changes);
    hnj_hyphen_free(dict);
  }
}

TEST(CompatBuffers, NullArgumentsGiveMinusOne) {
  HyphenDict* dict = hnj_hyphen_load_data(kShortChange, std::strlen(kShortChange));
  ASSERT_NE(dict, nullptr);
  char hyphens[16];
  EXPECT_EQ(hnj_hyphen_hyphenate2(nullptr, "ab", 2, hyphens, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(hnj_hyphen_hyphenate2(dict, nullptr, 2, hyphens, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(hnj_hyphen_hyphenate3(dict, "ab", 2, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0), -1);
  EXPECT_EQ(hnj_hyphen_hyphenate(nullptr, "ab", 2, hyphens), -1);
  EXPECT_EQ(hnj_hyphen_hyphenate2(dict, nullptr, 0, hyphens, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(hyphens, "");
  hnj_hyphen_free(dict);
}

}  // namespace
