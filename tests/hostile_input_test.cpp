// Hostile input: very long lines and words, masses of duplicate and distinct lines, code
// points at and beyond the edges of Unicode, extreme margins, damaged gzip data and
// malformed UTF-8. Each gives its defined result or one of the library's errors; memory
// stays bounded and the work grows linearly with the input.
//
// Work is counted, not timed: this binary replaces the global operator new, so a test can
// see how many allocations, and how many bytes, an operation asks for, and the largest
// amount of memory live at once.
#include <gtest/gtest.h>
#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "char_classes.hpp"
#include "data_file.hpp"
#include "embedded_files.hpp"
#include "quellix/algebra.hpp"
#include "quellix/exception.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"
#include "quellix/show.hpp"
#include "reference/reference_hyphenator.hpp"
#include "utf8_encode.hpp"

// ---------------------------------------------------------------------------------------
// Allocation accounting for the whole binary.

namespace {
#if defined(_WIN32)
std::size_t malloc_usable_size(void* p) { return _msize(p); }  // Windows' name for it
#endif

std::atomic<std::uint64_t> gAllocations{0};
std::atomic<std::uint64_t> gBytes{0};
std::atomic<std::int64_t> gLive{0};
std::atomic<std::int64_t> gPeak{0};

void* allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) return nullptr;
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  gBytes.fetch_add(size, std::memory_order_relaxed);
  const auto live = gLive.fetch_add(static_cast<std::int64_t>(malloc_usable_size(p)),
                                    std::memory_order_relaxed) +
                    static_cast<std::int64_t>(malloc_usable_size(p));
  std::int64_t peak = gPeak.load(std::memory_order_relaxed);
  while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
  return p;
}

void deallocate(void* p) noexcept {
  if (!p) return;
  gLive.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)), std::memory_order_relaxed);
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { deallocate(p); }
void operator delete[](void* p) noexcept { deallocate(p); }
void operator delete(void* p, std::size_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::size_t) noexcept { deallocate(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { deallocate(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { deallocate(p); }

namespace quellix {
namespace {

namespace ref = reference;
using Text = std::u32string;

// What an operation asked of the allocator, and the most it held at once beyond what
// was live before it started.
struct Work {
  std::uint64_t allocations = 0;
  std::uint64_t bytes = 0;
  std::int64_t peak = 0;
};

Work measure(const std::function<void()>& operation) {
  const std::uint64_t allocations = gAllocations.load();
  const std::uint64_t bytes = gBytes.load();
  const std::int64_t live = gLive.load();
  gPeak.store(live);
  operation();
  return {gAllocations.load() - allocations, gBytes.load() - bytes, gPeak.load() - live};
}

std::string utf8(std::u32string_view text) { return detail::toUtf8(text); }

std::string gzip(std::string_view content, int level = 6) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(content.size())) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  z.avail_in = static_cast<uInt>(content.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::span<const unsigned char> bytesOf(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::string embedded(std::string_view name) {
  auto bytes = detail::lookupEmbeddedFile(name);
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes ? std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : "";
}

Hyphenator plain(const Patterns& patterns, const Exceptions& exceptions, std::int64_t l,
                 std::int64_t r) {
  return Hyphenator(CharNormaliser(), patterns, exceptions, l, r);
}

Text concat(const std::vector<Text>& pieces) {
  Text out;
  for (const Text& piece : pieces) out += piece;
  return out;
}

// ---------------------------------------------------------------------------------------
// Lines and words of a million characters.

// "x" then 499,999 times "1a" then "1": letters x a^499999, values 0 then 1 everywhere.
Text millionCharacterPattern() {
  Text line = U"x";
  for (int k = 0; k < 499999; ++k) line += U"1a";
  line += U"1";
  return line;
}

TEST(HostileInput, MillionCharacterPatternLine) {
  const Text line = millionCharacterPattern();
  ASSERT_EQ(line.size(), 1000000u);
  const Scores values = scorePattern(line);
  ASSERT_EQ(values.size(), 500001u);
  EXPECT_EQ(values.front(), 0);
  EXPECT_EQ(std::count(values.begin(), values.end(), 1), 500000);

  const Patterns trie = parsePatterns(line);
  EXPECT_TRUE(trie == insertPattern(line, Patterns()));
  // The chain is half a million nodes deep; only its end holds scores.
  Patterns node = trie;
  for (std::size_t depth = 0; depth < 500000; ++depth) {
    ASSERT_TRUE(node.scores().empty()) << depth;
    std::optional<Patterns> next = node.child(depth == 0 ? U'x' : U'a');
    ASSERT_TRUE(next.has_value()) << depth;
    node = *next;
  }
  EXPECT_EQ(node.scores(), values);
  EXPECT_TRUE(node.children().empty());

  // The word of the pattern's letters: one walk runs the whole chain.
  const Text word = U"x" + Text(499999, U'a');
  const Scores s = lookupPattern(word, trie);
  ASSERT_EQ(s.size(), word.size());
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(std::count(s.begin(), s.end(), 1), 499999);
  const std::vector<Text> pieces = hyphenate(plain(trie, {}, 2, 3), word);
  ASSERT_EQ(pieces.size(), word.size() - 3);
  EXPECT_EQ(pieces.front(), U"xa");
  EXPECT_EQ(pieces.back(), U"aaa");
  EXPECT_EQ(concat(pieces), word);
  EXPECT_EQ(lookupPattern(U"xaaa", trie), (Scores{0, 0, 0, 0}));

  // Merging, comparing, rendering and freeing a deep trie use no deep recursion.
  const Patterns again = parsePatterns(line);
  EXPECT_TRUE(trie + again == trie);
  const Patterns other = parsePatterns(line + U"\nxa5");
  EXPECT_FALSE(trie + other == trie);
  EXPECT_TRUE(trie + other == other);
  const std::string rendered = show(trie);
  EXPECT_EQ(rendered.rfind("Patterns [] (fromList [(120,Patterns [] (fromList [(97,", 0), 0u);
  EXPECT_EQ(rendered, show(again));
}

TEST(HostileInput, MillionValueScoreListCostsWhatTheWordNeeds) {
  // "a" followed by a million scores: a word's values past its own end are never looked at,
  // so dividing a short word must not touch (or allocate) the list's whole reach.
  Text line = U"a";
  for (std::size_t k = 0; k < 1000000; ++k) line += k % 2 ? U'0' : U'1';
  const Patterns trie = parsePatterns(line);
  ref::Hyphenator reference;
  reference.patterns = ref::parsePatterns(line);
  const Text word = U"banana";
  for (const auto& [left, right] : {std::pair<std::int64_t, std::int64_t>{1, 1}, {1, 0}, {-1, 1}}) {
    SCOPED_TRACE(std::to_string(left) + "," + std::to_string(right));
    const Hyphenator h = plain(trie, {}, left, right);
    std::size_t out[8];
    (void)breakPoints(h, word, out);  // builds the index
    const Work work = measure([&] { (void)breakPoints(h, word, out); });
    EXPECT_EQ(work.bytes, 0u);
    reference.leftMin = left;
    reference.rightMin = right;
    EXPECT_EQ(hyphenate(h, word), *ref::hyphenate(reference, word));
  }
  // lookupPattern still gives the whole combined list, which reaches past the word.
  const Scores whole = lookupPattern(U"ba", trie);
  EXPECT_GT(whole.size(), 100000u);
  EXPECT_EQ(whole, ref::lookupPattern(U"ba", reference.patterns));
}

TEST(HostileInput, MillionCharacterExceptionLine) {
  // "x", 499,999 times "-x", then "x": the word x^500001 with a break before every x but
  // the first and the last.
  Text line = U"x";
  for (int k = 0; k < 499999; ++k) line += U"-x";
  line += U"x";
  ASSERT_EQ(line.size(), 1000000u);
  const Exceptions table = parseExceptions(line);
  const Text word(500001, U'x');
  const std::optional<Scores> scores = lookupException(word, table);
  ASSERT_TRUE(scores.has_value());
  ASSERT_EQ(scores->size(), word.size() + 1);
  EXPECT_EQ(std::count(scores->begin(), scores->end(), 1), 499999);
  const std::vector<Text> pieces = hyphenate(plain({}, table, 1, 1), word);
  ASSERT_EQ(pieces.size(), 500000u);
  EXPECT_EQ(pieces.back(), U"xx");
  EXPECT_EQ(concat(pieces), word);
  EXPECT_TRUE(table + parseExceptions(line) == table);
  EXPECT_EQ(show(table).size(), std::string("Exceptions (fromList [(\"\",[])])").size() +
                                    word.size() + 2 * scores->size() - 1);
}

TEST(HostileInput, MillionCharacterWord) {
  std::mt19937 rng(7);
  Text word;
  for (int k = 0; k < 1000000; ++k) word += static_cast<char32_t>(U'a' + rng() % 26);
  const Hyphenator& h = english_US;
  const Patterns& trie = hyphenatorPatterns(h);
  const Scores s = lookupPattern(word, trie);
  ASSERT_GE(s.size(), word.size());
  // A boundary's value depends only on the letters near it (no English pattern is longer
  // than a dozen letters), so a slice of the word gives the same values in its middle.
  for (std::size_t at = 1000; at < word.size(); at += 99991) {
    const Scores local = lookupPattern(std::u32string_view(word).substr(at - 40, 80), trie);
    for (std::size_t k = 20; k < 60; ++k) ASSERT_EQ(local[k], s[at - 40 + k]) << at;
  }
  const std::vector<Text> pieces = hyphenate(h, word);
  EXPECT_EQ(concat(pieces), word);
  EXPECT_GT(pieces.size(), 1000u);
  EXPECT_GE(pieces.front().size(), 2u);
  EXPECT_GE(pieces.back().size(), 3u);
  std::vector<std::size_t> breaks(pieces.size());
  EXPECT_EQ(breakPoints(h, word, breaks), pieces.size() - 1);

  const std::string bytes = utf8(word);
  std::vector<std::string_view> bytePieces = hyphenate(h, std::string_view(bytes));
  ASSERT_EQ(bytePieces.size(), pieces.size());
  for (std::size_t k = 0; k < pieces.size(); k += 997) EXPECT_EQ(bytePieces[k], utf8(pieces[k]));
}

// ---------------------------------------------------------------------------------------
// Masses of lines.

Text repeatLines(std::u32string_view line, int times) {
  Text out;
  for (int k = 0; k < times; ++k) {
    out += line;
    out += U'\n';
  }
  return out;
}

TEST(HostileInput, HundredThousandDuplicateLines) {
  EXPECT_TRUE(parsePatterns(repeatLines(U"ab1c", 100000)) == parsePatterns(U"ab1c"));
  // Among lines with the same letters the first one decides.
  const Patterns firstWins = parsePatterns(U"a1b\n" + repeatLines(U"a3b", 99999));
  EXPECT_EQ(firstWins.child(U'a')->child(U'b')->scores(), (Scores{0, 1, 0}));

  EXPECT_TRUE(parseExceptions(repeatLines(U"ta-ble", 100000)) == parseExceptions(U"ta-ble"));
  // A word listed once without its break keeps no break.
  const Exceptions unbroken = parseExceptions(repeatLines(U"ta-ble", 99999) + U"table");
  EXPECT_EQ(lookupException(U"table", unbroken), (Scores{0, 0, 0, 0, 0, 0}));

  const detail::CharMap same = detail::charClassMap(repeatLines(U"aA", 100000));
  EXPECT_EQ(same.size(), 1u);
  EXPECT_EQ(same(U'A'), U'a');
  // The last line that lists a variant decides.
  const detail::CharMap last = detail::charClassMap(repeatLines(U"aA", 99999) + U"bA");
  EXPECT_EQ(last(U'A'), U'b');
}

TEST(HostileInput, HundredThousandDistinctExceptionWords) {
  auto wordOf = [](int k) {
    Text word;
    for (int j = 0; j < 4; ++j, k /= 26) word += static_cast<char32_t>(U'a' + k % 26);
    return word;
  };
  Text text;
  for (int k = 0; k < 100000; ++k) {
    const Text word = wordOf(k);
    text += word.substr(0, 2) + U"-" + word.substr(2) + U"\n";
  }
  const Exceptions table = parseExceptions(text);
  ASSERT_EQ(table.size(), 100000u);
  const Hyphenator h = plain({}, table, 1, 1);
  for (int k = 0; k < 100000; k += 997) {
    const Text word = wordOf(k);
    EXPECT_EQ(lookupException(word, table), (Scores{0, 0, 1, 0, 0}));
    EXPECT_EQ(hyphenate(h, word), (std::vector<Text>{word.substr(0, 2), word.substr(2)}));
  }
  EXPECT_FALSE(lookupException(U"zzzzz", table).has_value());
  EXPECT_TRUE(table + table == table);
  EXPECT_EQ(table.entries().size(), 100000u);
}

// ---------------------------------------------------------------------------------------
// Code points at and beyond the edges of Unicode.

constexpr char32_t kEdgeCodes[] = {U'\0', char32_t{0xD800}, char32_t{0xDBFF}, char32_t{0xDC00},
                                   char32_t{0xDFFF}, char32_t{0xFFFE}, char32_t{0x10FFFF},
                                   char32_t{0x110000}, char32_t{0xFFFFFFFF}};

TEST(HostileInput, EdgeCodePointsAreOrdinaryLetters) {
  // Patterns made of the edge codes, matched exactly like any letter.
  Text text;
  for (char32_t c : kEdgeCodes) text += Text(1, c) + U"1" + Text(1, c) + U"\n";
  text += Text(1, U'\0') + U"3" + Text(1, char32_t{0xFFFFFFFF}) + Text(U"\n.2\0\n", 5);
  const Patterns trie = parsePatterns(text);
  const ref::Trie expected = ref::parsePatterns(text);
  EXPECT_EQ(show(trie), ref::showTrie(expected));
  EXPECT_NE(show(trie).find("(4294967295,"), std::string::npos);
  Text all(std::begin(kEdgeCodes), std::end(kEdgeCodes));
  for (std::size_t k = 0; k < all.size(); ++k) {
    for (std::size_t len = 0; k + len <= all.size(); ++len) {
      const Text word = all.substr(k, len);
      EXPECT_EQ(lookupPattern(word, trie), ref::lookupPattern(word, expected)) << k << "+" << len;
    }
    const Text doubled = all.substr(k, 1) + all.substr(k, 1) + all.substr(k, 1);
    EXPECT_EQ(lookupPattern(doubled, trie), ref::lookupPattern(doubled, expected));
  }

  // Exception words of edge codes, and their rendering with numeric escapes.
  const Text entry = Text(1, U'\0') + U"-" + Text(1, char32_t{0xD800}) + U"1";
  const Exceptions table = parseExceptions(entry + U"\n" + Text(1, char32_t{0x10FFFF}));
  EXPECT_EQ(lookupException(Text(1, U'\0') + Text(1, char32_t{0xD800}) + U"1", table),
            (Scores{0, 1, 0, 0}));
  EXPECT_EQ(show(table), ref::showExceptions(ref::parseExceptions(entry + U"\n" +
                                                                  Text(1, char32_t{0x10FFFF}))));
  EXPECT_NE(show(table).find("(\"\\0\\55296\\&1\",[0,1,0,0])"), std::string::npos) << show(table);

  // A normaliser built from edge codes maps them as listed and leaves the rest alone.
  Text classes;
  for (char32_t c : kEdgeCodes) classes += Text(1, U'a') + Text(1, c) + U"\n";
  const detail::CharMap map = detail::charClassMap(classes);
  for (char32_t c : kEdgeCodes) EXPECT_EQ(map(c), U'a') << static_cast<std::uint32_t>(c);
  EXPECT_EQ(map(char32_t{0xFFFFFFFE}), char32_t{0xFFFFFFFE});
  EXPECT_EQ(map(U'b'), U'b');

  // Division through both interfaces; NUL bytes are characters of a UTF-8 word.
  const Hyphenator h = plain(trie, table, 1, 1);
  for (std::size_t k = 0; k + 3 <= all.size(); ++k)
    EXPECT_EQ(concat(hyphenate(h, all.substr(k, 3))), all.substr(k, 3));
  const std::string nulWord("a\0b\0c", 5);
  std::vector<std::string_view> pieces = hyphenate(plain(parsePatterns(U"1\n"), {}, 1, 1), nulWord);
  EXPECT_EQ(pieces.size(), 5u);
}

TEST(HostileInput, ExtremeMarginsAgreeWithTheReference) {
  const std::int64_t margins[] = {INT64_MIN, INT64_MIN + 1, -2, -1, 0, 1, 2, INT64_MAX - 1, INT64_MAX};
  const Text patterns = U"1\n.a3\nb1b\n2c.";
  const Patterns trie = parsePatterns(patterns);
  const Exceptions table = parseExceptions(U"ab-c\n");
  ref::Hyphenator reference{{}, ref::parsePatterns(patterns), ref::parseExceptions(U"ab-c\n"), 0, 0};
  for (std::int64_t l : margins) {
    for (std::int64_t r : margins) {
      reference.leftMin = l;
      reference.rightMin = r;
      const Hyphenator h = plain(trie, table, l, r);
      for (const Text word : {U"", U"a", U"ab", U"abc", U"abbc", U"bbbbbb"}) {
        SCOPED_TRACE(std::to_string(l) + "," + std::to_string(r) + " " + utf8(word));
        const auto expected = ref::hyphenate(reference, word);
        if (!expected) {
          EXPECT_THROW((void)hyphenate(h, word), ScoreError);
          continue;
        }
        EXPECT_EQ(hyphenate(h, word), *expected);
      }
    }
  }
  // The empty trie and table: the empty word has no score at all when l <= 0.
  EXPECT_THROW((void)hyphenate(plain({}, {}, INT64_MIN, INT64_MIN), U""), ScoreError);
  EXPECT_EQ(hyphenate(plain({}, {}, INT64_MAX, INT64_MAX), U"abc"), (std::vector<Text>{U"abc"}));
  // A long word with the widest window.
  const Text word(100000, U'b');
  const auto pieces = hyphenate(plain(trie, {}, INT64_MIN, INT64_MAX), word);
  EXPECT_EQ(pieces.size(), word.size() + 1);  // every boundary odd, the last one included
  EXPECT_EQ(pieces.back(), U"");
}

// ---------------------------------------------------------------------------------------
// Damaged gzip data.

TEST(HostileGzip, EmptyInputIsAnError) {
  try {
    detail::gunzip({}, "hyph-x.pat.txt.gz");
    FAIL() << "no error";
  } catch (const DecompressionError& e) {
    EXPECT_NE(std::string(e.what()).find("hyph-x.pat.txt.gz"), std::string::npos);
  }
  detail::FileLookup empty = [](std::string_view) { return std::span<const unsigned char>(); };
  EXPECT_THROW(detail::readDataFile("x", empty), DecompressionError);
  detail::FileLookup none = [](std::string_view) { return std::nullopt; };
  try {
    detail::readDataFile("hyph-x.pat.txt.gz", none);
    FAIL() << "no error";
  } catch (const DataFileError& e) {
    EXPECT_STREQ(e.what(), "Could not find hyph-x.pat.txt.gz");
  }
}

TEST(HostileGzip, EveryTruncationIsAnError) {
  for (const char* name : {"hyph-en-us.chr.txt.gz", "hyph-en-us.hyp.txt.gz", "hyph-de-1996.chr.txt.gz"}) {
    const std::string whole = embedded(name);
    const std::string content = detail::gunzip(bytesOf(whole), name);
    for (std::size_t size = 0; size < whole.size(); ++size)
      EXPECT_THROW(detail::gunzip(bytesOf(std::string_view(whole).substr(0, size)), name),
                   DecompressionError)
          << name << " cut to " << size;
    EXPECT_EQ(detail::gunzip(bytesOf(whole), name), content);
  }
  if (!languageBuiltIn(Language::Hungarian)) GTEST_SKIP() << "Hungarian is not built in";
  const std::string large = embedded("hyph-hu.pat.txt.gz");
  for (std::size_t size = 0; size < large.size(); size += large.size() / 37 + 1)
    EXPECT_THROW(detail::gunzip(bytesOf(std::string_view(large).substr(0, size)), "hu"),
                 DecompressionError);
  EXPECT_THROW(detail::gunzip(bytesOf(std::string_view(large).substr(0, large.size() - 1)), "hu"),
               DecompressionError);
}

TEST(HostileGzip, CorruptionIsAnErrorOrChangesNothing) {
  // A flipped bit either breaks the member or lies where the content does not depend on
  // it (the time stamp, the stored name, unused flags): the checksum guards the rest.
  for (const char* name : {"hyph-en-us.chr.txt.gz", "hyph-en-us.hyp.txt.gz"}) {
    const std::string whole = embedded(name);
    const std::string content = detail::gunzip(bytesOf(whole), name);
    std::size_t errors = 0;
    for (std::size_t at = 0; at < whole.size(); ++at) {
      for (unsigned char mask : {0x01, 0x10, 0x80, 0xFF}) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ mask);
        try {
          EXPECT_EQ(detail::gunzip(bytesOf(damaged), name), content) << at << " ^ " << int(mask);
        } catch (const DecompressionError&) {
          ++errors;
        }
      }
    }
    EXPECT_GT(errors, whole.size() * 2);
  }
}

TEST(HostileGzip, MembersAndFramingThatAreNotOneGzipMember) {
  const std::string content = "ab1c\nx2y\n";
  const std::string member = gzip(content);
  EXPECT_EQ(detail::gunzip(bytesOf(member), "m"), content);
  EXPECT_EQ(detail::gunzip(bytesOf(gzip("")), "empty"), "");
  EXPECT_THROW(detail::gunzip(bytesOf(member + member), "two"), DecompressionError);
  EXPECT_THROW(detail::gunzip(bytesOf(member + std::string(1, '\0')), "trailing"), DecompressionError);
  // zlib and raw deflate streams are not gzip.
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string zlibStream(size, '\0');
  ASSERT_EQ(compress(reinterpret_cast<Bytef*>(zlibStream.data()), &size,
                     reinterpret_cast<const Bytef*>(content.data()), static_cast<uLong>(content.size())),
            Z_OK);
  zlibStream.resize(size);
  EXPECT_THROW(detail::gunzip(bytesOf(zlibStream), "zlib"), DecompressionError);
  EXPECT_THROW(detail::gunzip(bytesOf(member.substr(10)), "raw"), DecompressionError);
  // A gzip header followed by noise.
  std::mt19937 rng(1);
  for (int k = 0; k < 200; ++k) {
    std::string noise = member.substr(0, 10);
    for (int j = 0; j < 64; ++j) noise += static_cast<char>(rng());
    EXPECT_THROW(detail::gunzip(bytesOf(noise), "noise"), DecompressionError);
  }
  // A wrong length or checksum in the trailer.
  for (std::size_t at = member.size() - 8; at < member.size(); ++at) {
    std::string damaged = member;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x40);
    EXPECT_THROW(detail::gunzip(bytesOf(damaged), "trailer"), DecompressionError) << at;
  }
}

TEST(HostileGzip, MemoryStaysBounded) {
  // A trailer that claims 4 GiB must not make the reader reserve it.
  std::string liar = embedded("hyph-en-us.chr.txt.gz");
  for (std::size_t k = liar.size() - 4; k < liar.size(); ++k) liar[k] = '\xFF';
  const Work lying = measure([&] {
    EXPECT_THROW(detail::gunzip(bytesOf(liar), "liar"), DecompressionError);
  });
  EXPECT_LT(lying.peak, 1 << 20);
  // A small member that inflates to 16 MiB holds about that much, and no more.
  const std::string bomb = gzip(std::string(16 << 20, '\0'), 9);
  ASSERT_LT(bomb.size(), 64u << 10);
  std::size_t size = 0;
  const Work inflating = measure([&] { size = detail::gunzip(bytesOf(bomb), "bomb").size(); });
  EXPECT_EQ(size, 16u << 20);
  EXPECT_LT(inflating.peak, 3 * (16 << 20));
}

// ---------------------------------------------------------------------------------------
// Malformed UTF-8.

Text codes(std::initializer_list<std::uint32_t> values) {
  Text out;
  for (std::uint32_t v : values) out += static_cast<char32_t>(v);
  return out;
}

struct Utf8Case {
  const char* what;
  std::string bytes;
  Text expected;
};

std::vector<Utf8Case> utf8Cases() {
  using S = std::string;
  return {
      {"overlong 2-byte NUL", S("\xC0\x80"), codes({0xC0, 0x80})},
      {"overlong 2-byte", S("\xC1\xBF"), codes({0xC1, 0xBF})},
      {"overlong 3-byte", S("\xE0\x80\x80"), codes({0xE0, 0x80, 0x80})},
      {"overlong 3-byte top", S("\xE0\x9F\xBF"), codes({0xE0, 0x9F, 0xBF})},
      {"overlong 4-byte", S("\xF0\x80\x80\x80"), codes({0xF0, 0x80, 0x80, 0x80})},
      {"overlong 4-byte top", S("\xF0\x8F\xBF\xBF"), codes({0xF0, 0x8F, 0xBF, 0xBF})},
      {"truncated 2-byte", S("\xC3"), codes({0xC3})},
      {"truncated 3-byte", S("\xE2\x82"), codes({0xE2, 0x82})},
      {"truncated 4-byte", S("\xF0\x9F\x98"), codes({0xF0, 0x9F, 0x98})},
      {"truncated before ASCII", S("\xE2\x82" "A"), codes({0xE2, 0x82, 'A'})},
      {"truncated before a character", S("\xF0\x9F\x98\xC3\xA9"), codes({0xF0, 0x9F, 0x98, 0xE9})},
      {"truncated before its own kind", S("\xE2\xE2\x80\x99"), codes({0xE2, 0x2019})},
      {"every length in a row", S("a\xC3\xA9\xE2\x80\x99\xF0\x9F\x98\x80"),
       codes({'a', 0xE9, 0x2019, 0x1F600})},
      {"stray continuation", S("\x80"), codes({0x80})},
      {"stray continuations", S("a\x80\xBF" "b"), codes({'a', 0x80, 0xBF, 'b'})},
      {"5-byte form", S("\xF8\x88\x80\x80\x80"), codes({0xF8, 0x88, 0x80, 0x80, 0x80})},
      {"6-byte form", S("\xFC\x84\x80\x80\x80\x80"), codes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80})},
      {"encoded high surrogate", S("\xED\xA0\x80"), codes({0xED, 0xA0, 0x80})},
      {"encoded low surrogate", S("\xED\xBF\xBF"), codes({0xED, 0xBF, 0xBF})},
      {"encoded surrogate pair", S("\xED\xA0\xBD\xED\xB8\x80"),
       codes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80})},
      {"past U+10FFFF", S("\xF4\x90\x80\x80"), codes({0xF4, 0x90, 0x80, 0x80})},
      {"lead F5", S("\xF5\x80\x80\x80"), codes({0xF5, 0x80, 0x80, 0x80})},
      {"FE and FF", S("\xFE\xFF"), codes({0xFE, 0xFF})},
      {"first 2-byte", S("\xC2\x80"), codes({0x80})},
      {"last 2-byte", S("\xDF\xBF"), codes({0x7FF})},
      {"first 3-byte", S("\xE0\xA0\x80"), codes({0x800})},
      {"last before surrogates", S("\xED\x9F\xBF"), codes({0xD7FF})},
      {"first after surrogates", S("\xEE\x80\x80"), codes({0xE000})},
      {"U+FFFF", S("\xEF\xBF\xBF"), codes({0xFFFF})},
      {"first 4-byte", S("\xF0\x90\x80\x80"), codes({0x10000})},
      {"U+10FFFF", S("\xF4\x8F\xBF\xBF"), codes({0x10FFFF})},
      {"byte-order mark kept", S("\xEF\xBB\xBF" "a"), codes({0xFEFF, 'a'})},
      {"NUL and CR LF kept", S("a\0\r\n", 4), codes({'a', 0, '\r', '\n'})},
  };
}

TEST(HostileUtf8, EveryKindOfMalformedSequence) {
  for (const Utf8Case& c : utf8Cases()) {
    EXPECT_EQ(detail::decodeUtf8(c.bytes), c.expected) << c.what;
    EXPECT_EQ(ref::decodeUtf8(c.bytes), c.expected) << c.what << " (reference)";
    // The same bytes inside a compressed data file.
    const std::string file = gzip("x" + c.bytes + "\n");
    detail::FileLookup lookup = [&file](std::string_view) { return bytesOf(file); };
    EXPECT_EQ(detail::readDataFile("f", lookup), U"x" + c.expected + U"\n") << c.what;
    // And as a word: the pieces of the UTF-8 form give the bytes back exactly.
    const std::string word = "ab" + c.bytes + "cd";
    std::vector<std::string_view> pieces = hyphenate(plain(parsePatterns(U"1\n"), {}, 1, 1), word);
    std::string joined;
    for (std::string_view p : pieces) joined += p;
    EXPECT_EQ(joined, word) << c.what;
    EXPECT_EQ(pieces.size(), c.expected.size() + 4) << c.what;
  }
}

TEST(HostileUtf8, AllShortSequencesAgreeWithTheReference) {
  std::string bytes(2, '\0');
  for (unsigned a = 0; a < 256; ++a) {
    for (unsigned b = 0; b < 256; ++b) {
      bytes[0] = static_cast<char>(a);
      bytes[1] = static_cast<char>(b);
      ASSERT_EQ(detail::decodeUtf8(bytes), ref::decodeUtf8(bytes)) << a << " " << b;
    }
  }
  // Three bytes with every lead byte from C0 on: all forms of two- and three-byte
  // sequences, cut-off four-byte ones and the invalid leads.
  bytes.assign(3, '\0');
  for (unsigned a = 0xC0; a < 256; ++a) {
    for (unsigned b = 0x70; b < 0xD0; ++b) {
      for (unsigned c = 0x70; c < 0xD0; ++c) {
        bytes[0] = static_cast<char>(a);
        bytes[1] = static_cast<char>(b);
        bytes[2] = static_cast<char>(c);
        ASSERT_EQ(detail::decodeUtf8(bytes), ref::decodeUtf8(bytes)) << a << " " << b << " " << c;
      }
    }
  }
  // Random longer runs drawn mostly from lead and continuation bytes.
  std::mt19937 rng(11);
  const unsigned char pool[] = {0x41, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xDF,
                                0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFC, 0xFF};
  for (int k = 0; k < 100000; ++k) {
    std::string run(1 + rng() % 9, '\0');
    for (char& ch : run) ch = static_cast<char>(pool[rng() % std::size(pool)]);
    ASSERT_EQ(detail::decodeUtf8(run), ref::decodeUtf8(run));
  }
}

// ---------------------------------------------------------------------------------------
// Linear growth: doubling the input must not quadruple the work.

// work(size) for size, 2 size and 4 size; each doubling may at most roughly double it.
void expectLinear(const char* what, std::size_t size, const std::function<Work(std::size_t)>& work) {
  const Work w1 = work(size), w2 = work(2 * size), w4 = work(4 * size);
  SCOPED_TRACE(what);
  EXPECT_LT(double(w2.allocations), 2.6 * double(w1.allocations) + 8) << w1.allocations << " " << w2.allocations;
  EXPECT_LT(double(w4.allocations), 2.6 * double(w2.allocations) + 8) << w2.allocations << " " << w4.allocations;
  EXPECT_LT(double(w2.bytes), 2.6 * double(w1.bytes) + 4096) << w1.bytes << " " << w2.bytes;
  EXPECT_LT(double(w4.bytes), 2.6 * double(w2.bytes) + 4096) << w2.bytes << " " << w4.bytes;
}

// Pattern lines whose letters start with n distinct characters (a root with n children,
// so that copying the root for each line would be quadratic), each with a common tail.
Text wideText(std::size_t n) {
  Text out;
  for (std::size_t k = 0; k < n; ++k) out += Text(1, static_cast<char32_t>(0x4E00 + k)) + U"1ab2c\n";
  return out;
}

// Pattern lines that share one long stem and differ at its end (a deep, narrow trie).
Text deepText(std::size_t n) {
  Text out;
  const Text stem(60, U's');
  for (std::size_t k = 0; k < n; ++k) out += stem + Text(1, static_cast<char32_t>(0x4E00 + k)) + U"3\n";
  return out;
}

Text randomWord(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Text word;
  for (std::size_t k = 0; k < n; ++k) word += static_cast<char32_t>(U'a' + rng() % 26);
  return word;
}

TEST(LinearWork, ParsingTexts) {
  expectLinear("parsePatterns, wide", 20000, [](std::size_t n) {
    const Text text = wideText(n);
    return measure([&] { (void)parsePatterns(text); });
  });
  expectLinear("parsePatterns, deep", 5000, [](std::size_t n) {
    const Text text = deepText(n);
    return measure([&] { (void)parsePatterns(text); });
  });
  expectLinear("parseExceptions, distinct", 20000, [](std::size_t n) {
    Text text;
    for (std::size_t k = 0; k < n; ++k) text += Text(1, static_cast<char32_t>(0x4E00 + k)) + U"a-b\n";
    return measure([&] { (void)parseExceptions(text); });
  });
  expectLinear("parseExceptions, one word repeated", 20000, [](std::size_t n) {
    const Text text = repeatLines(U"ta-ble", static_cast<int>(n));
    return measure([&] { (void)parseExceptions(text); });
  });
  expectLinear("character map", 20000, [](std::size_t n) {
    Text text;
    for (std::size_t k = 0; k < n; ++k) text += U"a" + Text(1, static_cast<char32_t>(0x20000 + k)) + U"\n";
    return measure([&] { detail::CharMap map = detail::charClassMap(text); });
  });
}

TEST(LinearWork, BuildingAndRenderingTries) {
  expectLinear("insertPattern of a long line", 50000, [](std::size_t n) {
    const Patterns trie = parsePatterns(wideText(100));
    const Text line = randomWord(n, 3);
    return measure([&] { (void)insertPattern(line, trie); });
  });
  expectLinear("merge", 20000, [](std::size_t n) {
    const Patterns a = parsePatterns(wideText(n)), b = parsePatterns(deepText(n / 4));
    return measure([&] { (void)(a + b); });
  });
  expectLinear("show of a trie", 20000, [](std::size_t n) {
    const Patterns trie = parsePatterns(wideText(n));
    return measure([&] { (void)show(trie); });
  });
  expectLinear("show of a table", 20000, [](std::size_t n) {
    Text text;
    for (std::size_t k = 0; k < n; ++k) text += Text(1, static_cast<char32_t>(0x4E00 + k)) + U"a-b\n";
    const Exceptions table = parseExceptions(text);
    return measure([&] { (void)show(table); });
  });
}

TEST(LinearWork, LookingUpAndDividingLongWords) {
  const Hyphenator& h = english_US;
  const Patterns& trie = hyphenatorPatterns(h);
  (void)lookupPattern(U"warm", trie);  // builds the lookup index once
  (void)hyphenate(h, U"warming");       // and the other tables
  expectLinear("lookupPattern", 50000, [&](std::size_t n) {
    const Text word = randomWord(n, 5);
    return measure([&] { (void)lookupPattern(word, trie); });
  });
  expectLinear("hyphenate", 50000, [&](std::size_t n) {
    const Text word = randomWord(n, 6);
    return measure([&] { (void)hyphenate(h, word); });
  });
  expectLinear("hyphenate of UTF-8", 50000, [&](std::size_t n) {
    const std::string word = utf8(randomWord(n, 7));
    return measure([&] { (void)hyphenate(h, std::string_view(word)); });
  });
  // The normaliser is asked about each character once.
  for (std::size_t n : {1000u, 2000u, 4000u}) {
    std::size_t calls = 0;
    const Hyphenator counting(
        [&calls](char32_t c) {
          ++calls;
          return c;
        },
        trie, Exceptions(), 2, 3);
    (void)hyphenate(counting, randomWord(n, 8));
    EXPECT_EQ(calls, n);
  }
}

TEST(Allocation, BreakPointsAllocatesNothingOnceWarm) {
  // Warm: the tables, the hyphenator's view of them and (after 4,096 words) the automaton.
  std::mt19937 rng(11);
  auto words = [&rng](std::u32string_view letters) {
    std::vector<Text> out(5000);
    for (Text& word : out) {
      word.resize(1 + rng() % 20);
      for (char32_t& c : word) c = letters[rng() % letters.size()];
    }
    return out;
  };
  const struct {
    Language language;
    std::u32string_view letters;
  } cases[] = {{Language::English_US, U"abcdefghijklmnopqrstuvwxyzAEIOU-"},
               {Language::Hungarian, U"aábcdeéfghiíjklmnoóöőprstuúüűvzAÁÖ"}};
  for (const auto& c : cases) {
    if (!languageBuiltIn(c.language)) continue;  // this build left it out
    const Hyphenator h = loadHyphenator(c.language);
    const std::vector<Text> list = words(c.letters);
    std::vector<std::string> utf8Words;
    for (const Text& word : list) utf8Words.push_back(utf8(word));
    std::size_t out[8];
    for (const Text& word : list) (void)breakPoints(h, word, out);
    for (const std::string& word : utf8Words) (void)breakPoints(h, std::string_view(word), out);
    std::size_t breaks = 0;
    const Work work = measure([&] {
      for (const Text& word : list) breaks += breakPoints(h, word, out);
      for (const std::string& word : utf8Words) breaks += breakPoints(h, std::string_view(word), out);
    });
    EXPECT_EQ(work.allocations, 0u) << languageAffix(c.language);
    EXPECT_GT(breaks, 0u);

    // A long word takes scratch space the thread keeps: dividing it (or a shorter long
    // word) again allocates nothing.
    Text longWord;
    for (const Text& word : list) longWord += word;
    longWord.resize(std::min<std::size_t>(longWord.size(), 60000));
    const std::string longUtf8 = utf8(longWord);
    std::vector<std::size_t> many(longUtf8.size() + 1);
    (void)breakPoints(h, longWord, many);
    (void)breakPoints(h, std::string_view(longUtf8), many);
    const Work again = measure([&] {
      breaks += breakPoints(h, longWord, many);
      breaks += breakPoints(h, std::u32string_view(longWord).substr(0, 30000), many);
      breaks += breakPoints(h, std::string_view(longUtf8), many);
    });
    EXPECT_EQ(again.allocations, 0u) << languageAffix(c.language);
  }
}

TEST(LinearWork, ReadingDataFiles) {
  expectLinear("gunzip and decodeUtf8", 1 << 18, [](std::size_t n) {
    std::string text;
    std::mt19937 rng(9);
    while (text.size() < n) text += utf8(Text(1, static_cast<char32_t>(0x61 + rng() % 0x3000)));
    const std::string file = gzip(text);
    return measure([&] { detail::decodeUtf8(detail::gunzip(bytesOf(file), "f")); });
  });
}

}  // namespace
}  // namespace quellix
