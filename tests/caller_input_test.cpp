// What the library takes from callers' files and shows of callers' text: the size limits
// of pattern texts and exception lists, the file reader that keeps to them, the pattern
// file notation, and the escaping that messages give a caller's text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/custom.hpp"
#include "quellix/error.hpp"
#include "quellix/language.hpp"
#include "quellix/printable.hpp"
#include "quellix/text.hpp"
#include "quellix/user_files.hpp"

namespace {

std::string divided(const quellix::Hyphenator& h, std::string_view word) {
  std::string out;
  for (std::string_view piece : quellix::hyphenate(h, word)) out.append(out.empty() ? "" : "-").append(piece);
  return out;
}

std::string messageOf(auto&& call) {
  try {
    call();
  } catch (const quellix::Error& e) {
    return e.what();
  }
  return "(no error)";
}

// Pattern files as people write them give the patterns a plain one-per-line text gives.
TEST(PatternFiles, LineEndsMarksAndSeveralPatternsALineReadAlike) {
  const quellix::Hyphenator base = quellix::withMargins(quellix::english_US, 1, 1);
  const std::string_view plain = "a1b\nc1d\n";
  const std::string_view written[] = {
      "a1b\r\nc1d\r\n",                       // CR LF
      "\xEF\xBB\xBF" "a1b\nc1d",              // byte-order mark, no final line feed
      "a1b c1d\n",                            // several on a line, as TeX files have
      "  a1b\t\tc1d  \r\n\n",                 // blanks and tabs anywhere
      "% house patterns\na1b % first\n# second\nc1d\n",  // comments
      "a1b\rc1d\r",                           // carriage returns alone
  };
  for (const std::string_view text : written) {
    const quellix::Hyphenator h = quellix::withPatternText(base, text);
    EXPECT_TRUE(quellix::hyphenatorPatterns(h) ==
                quellix::hyphenatorPatterns(quellix::withPatternText(base, plain)))
        << text;
    EXPECT_EQ(divided(h, "abab"), "a-ba-b") << text;
    EXPECT_EQ(divided(h, "cdcd"), "c-dc-d") << text;
  }
  // TeX markup is refused with the line, not read as letters that never match.
  EXPECT_EQ(messageOf([&] { (void)quellix::withPatternText(base, "% x\n\\patterns{\na1b\n}\n", "p.tex"); }),
            "p.tex: line 2: '\\patterns{' is TeX markup, not a pattern: give the patterns alone, "
            "without \\patterns{...}");
  EXPECT_THROW((void)quellix::withPatternText(base, "a1b }\n"), quellix::ArgumentError);
}

// Texts past a limit are refused by every loader, with a message that names the limit.
TEST(FileLimits, ListsAndPatternTextsBeyondTheLimitsAreRefused) {
  const std::string longLine(quellix::kMaxLineBytes + 1, 'a');
  const std::string fullLine(quellix::kMaxLineBytes, 'a');
  std::string large;
  while (large.size() <= quellix::kMaxFileBytes) large += "ta-ble\n";
  const struct {
    std::string text;
    std::string error;  // empty: accepted
  } cases[] = {
      {fullLine + "\n" + fullLine, ""},
      {"ok\n" + longLine, "src: line 2 is longer than 4096 bytes, the most a line may hold"},
      {fullLine + "\r\n", "src: line 1 is longer than 4096 bytes, the most a line may hold"},
      {large.substr(0, quellix::kMaxFileBytes), ""},
      {large, "src: larger than 8 MiB, the most a pattern text, exception list or dictionary may hold"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    const std::string fromCheck = messageOf([&] { quellix::checkFileLimits(c.text, "src"); });
    EXPECT_EQ(fromCheck, c.error.empty() ? "(no error)" : c.error);
    if (c.error.empty()) continue;
    EXPECT_EQ(messageOf([&] { (void)quellix::withExceptions(quellix::english_US, c.text, "src"); }), c.error);
    EXPECT_EQ(messageOf([&] { (void)quellix::withPatternText(quellix::english_US, c.text, "src"); }), c.error);
  }
}

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    char name[] = "/tmp/quellix-caller-input-XXXXXX";
    const int fd = mkstemp(name);
    path_ = name;
    std::FILE* file = fdopen(fd, "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(ReadUserFile, ReadsWholeFilesAndStopsAtTheFirstLimit) {
  const TempFile small("quel-lix\r\nta-ble\n");
  EXPECT_EQ(quellix::readUserFile(small.path()), "quel-lix\r\nta-ble\n");
  EXPECT_EQ(quellix::readUserFile(TempFile("").path()), "");
  // Files that never end are read only up to the limit they pass first.
  EXPECT_EQ(messageOf([] { (void)quellix::readUserFile("/dev/zero"); }),
            "/dev/zero: line 1 is longer than 4096 bytes, the most a line may hold");
  EXPECT_THROW((void)quellix::readUserFile("/dev/urandom"), quellix::ArgumentError);
  EXPECT_EQ(messageOf([] { (void)quellix::readUserFile("/nonexistent/list.txt"); }),
            "cannot open '/nonexistent/list.txt': No such file or directory");
#if defined(_WIN32)
  // Windows opens no directory as a file.
  EXPECT_EQ(messageOf([] { (void)quellix::readUserFile("/"); }), "cannot open '/': Permission denied");
#else
  EXPECT_EQ(messageOf([] { (void)quellix::readUserFile("/"); }), "cannot read '/': Is a directory");
#endif
  EXPECT_THROW((void)quellix::readUserFile("/"), quellix::FileError);
}

// The escaping of messages, against a table and over random bytes.
TEST(AppendPrintable, EscapesWhatAlteringDisplaysAndKeepsLetters) {
  const struct {
    std::string_view text, shown;
  } cases[] = {
      {"plain words, été, переносить", "plain words, été, переносить"},
      {"evil\x1B]0;pwned\a\x1B[2J.txt", "evil\\x1b]0;pwned\\x07\\x1b[2J.txt"},
      {"tab\tnl\ndel\x7F", "tab\\x09nl\\x0adel\\x7f"},
      {"c1 \xC2\x9B", "c1 \\xc2\\x9b"},
      {"bad \xFF\xC3(", "bad \\xff\\xc3("},
      {"rlo \xE2\x80\xAE" "fdp.exe", "rlo \\xe2\\x80\\xaefdp.exe"},
      {"\xD8\x9C\xE2\x80\x8E\xE2\x80\x8F\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\xA8\xE2\x80\xA9",
       "\\xd8\\x9c\\xe2\\x80\\x8e\\xe2\\x80\\x8f\\xe2\\x81\\xa6\\xe2\\x81\\xa9\\xe2\\x80\\xa8\\xe2\\x80\\xa9"},
      {"zwj\xE2\x80\x8D ok", "zwj\xE2\x80\x8D ok"},  // joiners shape words: kept
  };
  for (const auto& c : cases) {
    std::string out = ">";
    EXPECT_EQ(quellix::appendPrintable(c.text, 1000, out), c.text.size());
    EXPECT_EQ(out, ">" + std::string(c.shown));
  }
  // The limit bounds what is appended and never cuts a character or an escape.
  std::string out;
  EXPECT_EQ(quellix::appendPrintable("ab\xC3\xA9\x1B", 3, out), 2u);
  EXPECT_EQ(out, "ab");
  out.clear();
  EXPECT_EQ(quellix::appendPrintable("ab\xC3\xA9\x1B", 7, out), 4u);
  EXPECT_EQ(out, "ab\xC3\xA9");

  // Any bytes: what comes out is UTF-8 without a control, bidirectional control or
  // separator, and within the limit.
  std::mt19937 random(28);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 40, '\0');
    for (char& b : text) b = static_cast<char>(random() % 3 == 0 ? 0xE2 : random());
    if (round % 2) text.insert(random() % (text.size() + 1), "\xE2\x80\xAE");
    const std::size_t limit = random() % 80;
    std::string shown;
    const std::size_t taken = quellix::appendPrintable(text, limit, shown);
    ASSERT_LE(shown.size(), limit);
    ASSERT_LE(taken, text.size());
    for (std::string_view rest = shown; !rest.empty();) {
      const quellix::Utf8Char c = quellix::firstUtf8Char(rest);
      ASSERT_TRUE(c.wellFormed) << shown;
      ASSERT_FALSE(c.code < 0x20 || (c.code >= 0x7F && c.code < 0xA0) || c.code == 0x061C ||
                   c.code == 0x200E || c.code == 0x200F || (c.code >= 0x202A && c.code <= 0x202E) ||
                   (c.code >= 0x2066 && c.code <= 0x2069) || c.code == 0x2028 || c.code == 0x2029)
          << std::hex << static_cast<std::uint32_t>(c.code);
      rest.remove_prefix(c.length);
    }
  }
}

}  // namespace
