// The frozen lookup forms of a trie: the double array and, for small tries, the
// automaton. Both must give every boundary the same value for every framed word. The
// double array's image (the form the build embeds for each language) must read back as
// the same index, and a language's trie, made only when asked for, must be the trie of its
// pattern text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data_file.hpp"
#include "embedded_files.hpp"
#include "language_loading.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/algebra.hpp"
#include "quellix/show.hpp"
#include "test_support.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/pattern.hpp"

namespace quellix {
namespace {

using detail::PatternAutomaton;
using detail::PatternIndex;

// The index a lookup uses (for a language, the one the build made). trie is not empty.
const PatternIndex& indexOf(const Patterns& trie) { return *detail::indexOf(trie); }

std::vector<PatternIndex::Symbol> framed(const PatternIndex& index, std::u32string_view word) {
  std::vector<PatternIndex::Symbol> symbols{index.dot};
  for (char32_t c : word) symbols.push_back(index.symbolOf(c));
  symbols.push_back(index.dot);
  return symbols;
}

// Boundary values 0 .. m - 1 of the framed word, through the double array.
std::vector<std::uint8_t> byWalking(const PatternIndex& index, std::u32string_view word) {
  const auto symbols = framed(index, word);
  std::vector<std::uint8_t> values(index.valuesSize(symbols.size()), 0);
  index.match<false>(symbols.data(), symbols.size(), values.data());
  values.resize(symbols.size());
  return values;
}

// The same through the automaton.
std::vector<std::uint8_t> byAutomaton(const PatternAutomaton& automaton, const PatternIndex& index,
                                      std::u32string_view word) {
  const auto symbols = framed(index, word);
  std::vector<std::uint8_t> buffer(symbols.size() + PatternAutomaton::kWidth, 0);
  automaton.match(symbols.data(), symbols.size(), buffer.data());
  const auto* values = buffer.data() + PatternAutomaton::kLead;
  return {values, values + symbols.size()};
}

std::u32string randomWord(std::mt19937& rng, std::u32string_view alphabet, std::size_t maxLength) {
  std::u32string word(rng() % (maxLength + 1), U'a');
  for (char32_t& c : word) c = alphabet[rng() % alphabet.size()];
  return word;
}

// The sixteen-byte steps (SSE2, or the plain loops of a QUELLIX_SIMD=OFF build) against
// their one-byte-at-a-time meaning.
TEST(SixteenByteSteps, MatchTheirBytewiseMeaning) {
  std::mt19937 rng(16);
  for (int trial = 0; trial < 2000; ++trial) {
    std::array<std::uint8_t, 48> scores{};
    for (std::uint8_t& v : scores) v = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : rng() % 10);
    unsigned odd = 0;
    for (unsigned k = 0; k < 16; ++k) odd |= unsigned(scores[k] & 1u) << k;
    ASSERT_EQ(detail::oddSixteen(scores.data()), odd);

    // Raise by two score lists offset by one, advance three boundaries, then write out.
    detail::SlidingWindow window;
    std::array<std::uint8_t, 19> expected{};  // boundaries 0 .. 18
    window.raise(scores.data());
    for (std::size_t k = 0; k < 16; ++k) expected[k] = std::max(expected[k], scores[k]);
    ASSERT_EQ(window.advance(), expected[0]);
    window.raise(scores.data() + 16);
    for (std::size_t k = 0; k < 16; ++k) expected[k + 1] = std::max(expected[k + 1], scores[16 + k]);
    ASSERT_EQ(window.advance(), expected[1]);
    ASSERT_EQ(window.advance(), expected[2]);
    std::array<std::uint8_t, 16> stored{};
    window.store(stored.data());
    ASSERT_TRUE(std::equal(stored.begin(), stored.end(), expected.begin() + 3));
    std::array<std::uint8_t, 16> raised{};
    std::copy(scores.begin() + 32, scores.end(), raised.begin());
    window.raiseInto(raised.data());
    for (std::size_t k = 0; k < 16; ++k)
      ASSERT_EQ(raised[k], std::max(scores[32 + k], expected[3 + k])) << k;
  }
}

TEST(PatternAutomaton, AgreesWithTheDoubleArrayOnRandomTries) {
  std::mt19937 rng(2024);
  constexpr std::u32string_view kLetters = U"abcd.";
  for (int trial = 0; trial < 300; ++trial) {
    std::u32string text;
    const int lines = 1 + static_cast<int>(rng() % 40);
    for (int line = 0; line < lines; ++line) {
      std::u32string letters = randomWord(rng, U"abcd", 6);
      if (letters.empty()) letters = U"a";
      if (rng() % 4 == 0) letters.insert(letters.begin(), U'.');
      if (rng() % 4 == 0) letters.push_back(U'.');
      for (char32_t c : letters) {
        if (rng() % 2) text += static_cast<char32_t>(U'0' + rng() % 10);
        text += c;
      }
      if (rng() % 2) text += static_cast<char32_t>(U'0' + rng() % 10);
      text += U'\n';
    }
    const Patterns trie = parsePatterns(text);
    if (trie.empty()) continue;
    const PatternIndex& index = indexOf(trie);
    const PatternAutomaton* automaton = index.automaton();
    ASSERT_NE(automaton, nullptr) << "a small trie of short patterns has an automaton";
    for (int w = 0; w < 40; ++w) {
      const std::u32string word = randomWord(rng, kLetters, 12);
      ASSERT_EQ(byAutomaton(*automaton, index, word), byWalking(index, word));
    }
  }
}

TEST(PatternAutomaton, AgreesWithTheDoubleArrayForLargeTries) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  // Hungarian has the largest trie of the data set (over 100,000 states), the one whose
  // row and window numbers need 4-byte entries.
  const struct {
    Language language;
    std::u32string_view letters;
    std::size_t entryBytes;
  } cases[] = {
      {Language::English_US, U"abcdefghijklmnopqrstuvwxyz'", 3},
      {Language::Hungarian, U"aábcdeéfghiíjklmnoóöőpqrstuúüűvwxyz", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(languageName(c.language));
    const PatternIndex& index = indexOf(hyphenatorPatterns(languageHyphenator(c.language)));
    const PatternAutomaton* automaton = index.automaton();
    ASSERT_NE(automaton, nullptr);
    EXPECT_EQ(automaton->entryBytes, c.entryBytes);
    std::mt19937 rng(7);
    for (int w = 0; w < 20000; ++w) {
      const std::u32string word = randomWord(rng, c.letters, 14);
      ASSERT_EQ(byAutomaton(*automaton, index, word), byWalking(index, word));
    }
  }
}

TEST(PatternAutomaton, IsLeftOutWhereItWouldNotBeExact) {
  // An empty pattern scores every position: the double array handles it.
  EXPECT_EQ(indexOf(parsePatterns(U"1\nab1c\n")).automaton(), nullptr);
  // A score list of 17 values does not fit the automaton's 16 bytes.
  EXPECT_EQ(indexOf(parsePatterns(U"abcdefghijklmnop1\n")).automaton(), nullptr);
  EXPECT_NE(indexOf(parsePatterns(U"abcdefghijklmno1\n")).automaton(), nullptr);
  // A trie too large for the table budget (4,000 symbols and 8,000 states: 64 MB).
  std::u32string text;
  for (char32_t a = 0x4E00; a < 0x4E00 + 4000; ++a) {
    text += a;
    text += U"1x\n";
  }
  EXPECT_EQ(indexOf(parsePatterns(text)).automaton(), nullptr);
  // Asking again gives the same answer.
  const Patterns small = parsePatterns(U"a1b\n");
  EXPECT_EQ(indexOf(small).automaton(), indexOf(small).automaton());
}

TEST(PatternAutomaton, DividesLikeTheWalkWithAndWithoutIt) {
  // The same patterns with an empty pattern added (no automaton) only raise values by 0:
  // 0 scores everywhere, so divisions must agree.
  const std::u32string text = U"1ba\nab1c\n2bc1\n.a3\nc4.\n";
  const Hyphenator with(CharNormaliser(), parsePatterns(text), Exceptions(), 1, 1);
  const Hyphenator without(CharNormaliser(), parsePatterns(text + U"0\n"), Exceptions(), 1, 1);
  ASSERT_NE(indexOf(parsePatterns(text)).automaton(), nullptr);
  ASSERT_EQ(indexOf(parsePatterns(text + U"0\n")).automaton(), nullptr);
  std::mt19937 rng(99);
  for (int w = 0; w < 2000; ++w) {
    const std::u32string word = randomWord(rng, U"abc", 10);
    ASSERT_EQ(hyphenate(with, word), hyphenate(without, word));
  }
}

// A random pattern text over letters, with word edges and digits anywhere.
std::u32string randomPatternText(std::mt19937& rng, std::u32string_view letters, int maxLines) {
  std::u32string text;
  const int lines = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxLines));
  for (int line = 0; line < lines; ++line) {
    std::u32string word = randomWord(rng, letters, 7);
    if (rng() % 4 == 0) word.insert(word.begin(), U'.');
    if (rng() % 4 == 0) word.push_back(U'.');
    for (char32_t c : word) {
      if (rng() % 2) text += static_cast<char32_t>(U'0' + rng() % 10);
      text += c;
    }
    if (rng() % 3 == 0) text += U"12";  // adjacent digits: lists longer than the pattern
    text += U'\n';
  }
  return text;
}

TEST(PatternIndexImage, ReadsBackAsTheSameIndex) {
  std::mt19937 rng(31);
  const std::u32string alphabets[] = {U"abcd", U"a\u00e9\u0101\u4e00", U"ab\U0010FFFF",
                                      std::u32string(U"ab") + char32_t(0x110005)};
  for (int trial = 0; trial < 200; ++trial) {
    const Patterns trie = parsePatterns(randomPatternText(rng, alphabets[trial % 4], 30));
    if (trie.empty()) continue;
    const auto built = detail::buildIndex(detail::PatternAccess::root(trie));
    const std::vector<unsigned char> image = built->serialise();
    ASSERT_EQ(image.size() % 16, 0u);
    // The image's own buffer comes from operator new, which aligns to 16 bytes here.
    const auto read = PatternIndex::fromImage(image);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == *built);
    for (int w = 0; w < 20; ++w) {
      const std::u32string word = randomWord(rng, alphabets[trial % 4] + U".z", 10);
      ASSERT_EQ(byWalking(*read, word), byWalking(*built, word));
    }
  }
}

// The index made straight from a text's sorted lines is the index of the text's trie,
// array for array.
TEST(PatternIndexFromLines, IsTheIndexOfTheParsedTrie) {
  auto check = [](std::u32string_view text) {
    const Patterns trie = parsePatterns(text);
    const auto fromLines = detail::buildIndex(detail::sortPatternLines(text));
    if (trie.empty()) {
      EXPECT_EQ(fromLines, nullptr);
      return;
    }
    ASSERT_NE(fromLines, nullptr);
    EXPECT_TRUE(*fromLines == *detail::buildIndex(detail::PatternAccess::root(trie)));
  };
  // Empty texts and lines, a root list, duplicates (the first line wins), lists longer
  // than their letters, unsorted lines, characters past U+10FFFF.
  std::u32string pastUnicode = U"zz1\n";
  pastUnicode += char32_t(0x110000);
  pastUnicode += U"a1\n\u00e91\n";
  for (std::u32string_view text :
       {std::u32string_view(U""), std::u32string_view(U"\n"), std::u32string_view(U"\n\n"),
        std::u32string_view(U"5\n"), std::u32string_view(U"a1b\n"),
        std::u32string_view(U"b1\na2\nab3\na\n"), std::u32string_view(U"2tab\ntab3\n.ta4\n"),
        std::u32string_view(U"a12b\n1a2b3c4d5e6f7g8h9i0j1k2l3m4n5o6p7q8\n"),
        std::u32string_view(pastUnicode)})
    check(text);
  std::mt19937 rng(5);
  for (int trial = 0; trial < 300; ++trial) check(randomPatternText(rng, U"abc\u00e9\u4e00", 40));
}

TEST(PatternIndexImage, RefusesImagesItCannotRead) {
  const Patterns trie = parsePatterns(U"a1b\n.ab2c\n3x.\n");
  const std::vector<unsigned char> image = indexOf(trie).serialise();
  ASSERT_NE(PatternIndex::fromImage(image), nullptr);
  auto refused = [](std::vector<unsigned char> damaged) {
    return PatternIndex::fromImage(damaged) == nullptr;
  };
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused(std::vector<unsigned char>(image.begin(), image.begin() + 64)));
  // Cut short anywhere past the header: some array no longer fits.
  EXPECT_TRUE(refused(std::vector<unsigned char>(image.begin(), image.end() - 16)));
  std::vector<unsigned char> wrongMagic = image;
  wrongMagic[0] ^= 1;
  EXPECT_TRUE(refused(wrongMagic));
  std::vector<unsigned char> wrongVersion = image;
  wrongVersion[8] ^= 1;
  EXPECT_TRUE(refused(wrongVersion));
  std::vector<unsigned char> otherByteOrder = image;
  std::reverse(otherByteOrder.begin() + 12, otherByteOrder.begin() + 16);
  EXPECT_TRUE(refused(otherByteOrder));
  std::vector<unsigned char> otherLayout = image;
  otherLayout[32 + 5 * 4] ^= 4;  // the element size of the slots
  EXPECT_TRUE(refused(otherLayout));
  std::vector<unsigned char> hugeCount = image;
  std::memset(hugeCount.data() + 80 + 5 * 8, 0xff, 8);  // the count of the slots
  EXPECT_TRUE(refused(hugeCount));
  // An image that does not start on a 16-byte boundary is refused, not misread.
  std::vector<unsigned char> store(image.size() + 32);
  const auto address = reinterpret_cast<std::uintptr_t>(store.data());
  unsigned char* odd = store.data() + (16 - address % 16) % 16 + 1;
  std::memcpy(odd, image.data(), image.size());
  EXPECT_EQ(PatternIndex::fromImage({odd, image.size()}), nullptr);
}

// The bytes an image must hold, written out field by field: every integer little-endian,
// each array from a 16-byte boundary. Independent of the machine the test runs on.
class LittleEndianImage {
 public:
  explicit LittleEndianImage(const PatternIndex& index) {
    bytes_.insert(bytes_.end(), {'q', 'u', 'e', 'l', 'l', 'i', 'x', 'I'});
    for (std::uint32_t field : {2u, 0x01020304u, index.dot, index.longestScoreList,
                                index.longestPattern, 0u})
      put(field, 4);
    const std::size_t sizes[] = {2, 4, 8, 4, 4, 8, 4, 16, 1, 12, 4, 1};
    for (std::size_t size : sizes) put(size, 4);
    const std::size_t counts[] = {index.pageOf.size(),     index.symbolPages.size(),
                                  index.outOfRange.size(), index.direct.size(),
                                  index.codes.size(),      index.slots.size(),
                                  index.listOf.size(),     index.shortLists.size(),
                                  index.shortLength.size(), index.longLists.size(),
                                  index.hitOffsets.size(), index.hitValues.size()};
    for (std::size_t count : counts) put(count, 8);
    pad();
    for (auto code : index.pageOf) put(code, 2);
    pad();
    for (auto symbol : index.symbolPages) put(symbol, 4);
    pad();
    for (const auto& entry : index.outOfRange) {
      put(entry.code, 4);
      put(entry.symbol, 4);
    }
    pad();
    for (auto symbol : index.direct) put(symbol, 4);
    pad();
    for (auto code : index.codes) put(code, 4);
    pad();
    for (const auto& slot : index.slots) {
      put(slot.check, 4);
      put(slot.base, 4);
    }
    pad();
    for (auto list : index.listOf) put(list, 4);
    pad();
    for (const auto& list : index.shortLists)
      for (auto value : list) put(value, 1);
    pad();
    for (auto length : index.shortLength) put(length, 1);
    pad();
    for (const auto& list : index.longLists) {
      put(list.length, 4);
      put(list.hitBegin, 4);
      put(list.hitEnd, 4);
    }
    pad();
    for (auto offset : index.hitOffsets) put(offset, 4);
    pad();
    for (auto value : index.hitValues) put(value, 1);
    pad();
  }
  const std::vector<unsigned char>& bytes() const { return bytes_; }

 private:
  void put(std::uint64_t value, int width) {
    for (int k = 0; k < width; ++k) bytes_.push_back(static_cast<unsigned char>(value >> (8 * k)));
  }
  void pad() { bytes_.resize((bytes_.size() + 15) / 16 * 16, 0); }
  std::vector<unsigned char> bytes_;
};

// An image is the same bytes on every machine, so that the build machine can make a cross
// build's images: here, whatever this machine's byte order, the image is exactly the
// little-endian encoding of the index, and reads back as the index. Between them the texts
// fill every array: direct symbols, characters past U+10FFFF, long score lists.
TEST(PatternIndexImage, IsLittleEndianOnEveryMachine) {
  std::u32string pastUnicode = U"\u4e001\u00e9\n\U0001F6002a\n";
  pastUnicode += char32_t(0x110005);
  pastUnicode += U"1q\n1a2b3c4d5e6f7g8h9i0j1k2l3m4n5o6p7q8\n";
  bool direct = false, beyond = false, longLists = false;
  for (const std::u32string& text : {std::u32string(U"a1b\n.ab2c\n3x.\n\u00e92\u01001\n"), pastUnicode}) {
    const auto index = detail::buildIndex(detail::sortPatternLines(text));
    ASSERT_NE(index, nullptr);
    direct |= !index->direct.empty();
    beyond |= !index->outOfRange.empty();
    longLists |= !index->longLists.empty();
    const std::vector<unsigned char> image = index->serialise();
    EXPECT_EQ(image, LittleEndianImage(*index).bytes());
    const auto read = PatternIndex::fromImage(image);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(*read == *index);
  }
  EXPECT_TRUE(direct && beyond && longLists);
}

// Every language whose index the build made: the image reads back as exactly the index
// made at run time from the language's pattern text.
TEST(BuiltInPatternIndexes, AreTheIndexesOfTheirPatternTexts) {
  std::size_t withIndex = 0;
  std::size_t builtIn = 0;
  for (const Language language : enumFrom(languageMinBound)) {
    if (!languageBuiltIn(language)) continue;
    ++builtIn;
    SCOPED_TRACE(languageName(language));
    const auto image = detail::lookupEmbeddedPatternIndex(languageAffix(language));
    if (!image) continue;
    ++withIndex;
    const auto embedded = PatternIndex::fromImage(*image);
    ASSERT_NE(embedded, nullptr);
    const Patterns trie = parsePatterns(detail::readDataFile(
        detail::dataFileName(language, ".pat.txt.gz"), &detail::lookupEmbeddedFile));
    EXPECT_TRUE(*embedded == *detail::buildIndex(detail::PatternAccess::root(trie)));
    // and is what a loaded hyphenator divides with.
    EXPECT_TRUE(detail::isDeferred(
        detail::PatternAccess::handle(hyphenatorPatterns(loadHyphenator(language)))));
  }
  // A build makes the index of every language it embeds, or of none.
  EXPECT_TRUE(withIndex == 0 || withIndex == builtIn) << withIndex << " of " << builtIn;
  EXPECT_FALSE(detail::lookupEmbeddedPatternIndex("xx").has_value());
  EXPECT_FALSE(detail::lookupEmbeddedPatternIndex("").has_value());
}

// Whether h's patterns have made their trie yet (always, when its building is not deferred).
bool trieMade(const Hyphenator& h) {
  const detail::PatternNode* handle = detail::PatternAccess::handle(hyphenatorPatterns(h));
  if (!detail::isDeferred(handle)) return true;
  return static_cast<const detail::DeferredRoot*>(handle)->trie.ready() != nullptr;
}

TEST(DeferredTrie, DividingWordsDoesNotMakeIt) {
  QUELLIX_REQUIRE_LANGUAGES(Language::English_US);
  if (!detail::lookupEmbeddedPatternIndex("en-us")) GTEST_SKIP() << "built without indexes";
  const Hyphenator h = loadHyphenator(Language::English_US);
  EXPECT_EQ(testing::asciiPieces(hyphenate(h, U"algorithm")),
            (std::vector<std::string>{"al", "go", "rithm"}));
  EXPECT_EQ(lookupPattern(U"program", hyphenatorPatterns(h)).size(), 7u);
  EXPECT_FALSE(trieMade(h));
  EXPECT_FALSE(hyphenatorPatterns(h).empty());  // asks nothing of the trie
  EXPECT_FALSE(trieMade(h));
  hyphenatorPatterns(h).children();
  EXPECT_TRUE(trieMade(h));
}

TEST(DeferredTrie, IsThePatternTextsTrieInEveryOperation) {
  QUELLIX_REQUIRE_LANGUAGES(Language::English_US, Language::Italian);
  for (const Language language : {Language::English_US, Language::Italian}) {
    SCOPED_TRACE(languageName(language));
    const Patterns parsed = parsePatterns(detail::readDataFile(
        detail::dataFileName(language, ".pat.txt.gz"), &detail::lookupEmbeddedFile));
    // Each operation on a fresh hyphenator, so that each one is the first to ask.
    auto fresh = [language] { return hyphenatorPatterns(loadHyphenator(language)); };
    EXPECT_EQ(show(fresh()), show(parsed));
    EXPECT_EQ(showsPrec(11, fresh()), showsPrec(11, parsed));
    EXPECT_TRUE(fresh() == parsed);
    EXPECT_TRUE(parsed == fresh());
    EXPECT_EQ(fresh().scores(), parsed.scores());
    EXPECT_EQ(fresh().children().size(), parsed.children().size());
    EXPECT_TRUE(fresh().child(U'a').value() == parsed.child(U'a').value());
    EXPECT_FALSE(fresh().child(U'#').has_value());
    const Patterns extra = parsePatterns(U"zz9q\na1\n");
    EXPECT_TRUE(fresh() + extra == parsed + extra);
    EXPECT_TRUE(extra + fresh() == parsed + extra);
    EXPECT_TRUE(fresh() + fresh() == parsed);
    EXPECT_TRUE(insertPattern(U"q9q", fresh()) == insertPattern(U"q9q", parsed));
    for (std::u32string_view word : {U"hyphenation", U"", U"a", U"pr\u00e9sent", U"zzq"})
      EXPECT_EQ(lookupPattern(word, fresh()), lookupPattern(word, parsed));
    // Copies share the made trie and outlive the hyphenator.
    Patterns copy = fresh();
    const Patterns second = copy;
    copy = Patterns();
    EXPECT_TRUE(second == parsed);
  }
}

}  // namespace
}  // namespace quellix
