// hyphenate and breakPoints, in code points and in UTF-8, on a hyphenator built from
// fuzzed texts with arbitrary margins.
//
// Input: a mode byte and the margins (see marginsOf), then four parts separated by 0x1E:
// pattern text, exception text, character-class text, and the words, one per line.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "char_classes.hpp"
#include "hyphenator_internal.hpp"
#include "fuzz_support.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/hyphenator.hpp"
#include "utf8_encode.hpp"

using namespace quellix;
using namespace quellix::fuzz;

namespace {

__extension__ using Wide = __int128;

constexpr std::int64_t kExtremes[] = {INT64_MIN, INT64_MIN + 1, -1, 0, 1, INT64_MAX - 1, INT64_MAX};

struct Header {
  std::int64_t left = 0, right = 0;
  bool plainNormaliser = false;  // a std::function of its own instead of the built-in kind
};

// Mode bits 0-1: 0 small margins from two signed bytes (-6..6), 1 two raw little-endian
// int64, 2 two picks from kExtremes, 3 a small left and an extreme right. Bit 2: the
// normaliser is a plain function. Consumes the header from bytes.
Header marginsOf(std::string_view& bytes) {
  Header h;
  if (bytes.empty()) return h;
  const auto mode = static_cast<unsigned char>(bytes[0]);
  bytes.remove_prefix(1);
  h.plainNormaliser = mode & 4;
  auto take = [&bytes](std::size_t n) {
    std::array<unsigned char, 8> out{};
    std::memcpy(out.data(), bytes.data(), std::min(n, bytes.size()));
    bytes.remove_prefix(std::min(n, bytes.size()));
    return out;
  };
  auto small = [](unsigned char b) { return static_cast<std::int64_t>(static_cast<signed char>(b) % 7); };
  auto extreme = [](unsigned char b) { return kExtremes[b % std::size(kExtremes)]; };
  switch (mode & 3) {
    case 0: {
      auto b = take(2);
      h.left = small(b[0]);
      h.right = small(b[1]);
      break;
    }
    case 1: {
      auto l = take(8), r = take(8);
      std::uint64_t ul = 0, ur = 0;
      for (int k = 7; k >= 0; --k) {
        ul = ul << 8 | l[k];
        ur = ur << 8 | r[k];
      }
      h.left = static_cast<std::int64_t>(ul);
      h.right = static_cast<std::int64_t>(ur);
      break;
    }
    case 2: {
      auto b = take(2);
      h.left = extreme(b[0]);
      h.right = extreme(b[1]);
      break;
    }
    default: {
      auto b = take(2);
      h.left = small(b[0]);
      h.right = extreme(b[1]);
      break;
    }
  }
  return h;
}

std::vector<std::string_view> linesOf(std::string_view bytes, std::size_t limit) {
  std::vector<std::string_view> out;
  while (!bytes.empty() && out.size() < limit) {
    const std::size_t at = bytes.find('\n');
    out.push_back(bytes.substr(0, at));
    if (at == std::string_view::npos) break;
    bytes.remove_prefix(at + 1);
  }
  return out;
}

// The pieces concatenate to the word, and every piece but possibly the last is non-empty.
template <class Piece, class Word>
void checkShape(const std::vector<Piece>& pieces, const Word& word) {
  FUZZ_CHECK(!pieces.empty());
  Word joined;
  for (const Piece& p : pieces) joined += p;
  FUZZ_CHECK(joined == word);
  for (std::size_t k = 0; k + 1 < pieces.size(); ++k) FUZZ_CHECK(!pieces[k].empty());
}

// Every break lies in the window the margins leave: after at least l characters (and at
// least one) and, for l >= 1, before the last r; for l <= 0 the window widens to n - l - r.
void checkBreaks(const std::vector<std::size_t>& breaks, std::size_t n, Wide l, Wide r) {
  const Wide lo = l >= 1 ? l : 1;
  const Wide hi = l >= 1 ? Wide(n) - r : Wide(n) - l - r;
  for (std::size_t k = 0; k < breaks.size(); ++k) {
    FUZZ_CHECK(Wide(breaks[k]) >= lo && Wide(breaks[k]) <= hi && breaks[k] <= n);
    if (k) FUZZ_CHECK(breaks[k] > breaks[k - 1]);
  }
}

// The automaton, where the trie has one, gives every boundary of the framed word the
// value the double array gives it. (A hyphenator switches to it only after thousands of
// words, which one input never reaches.)
void checkAutomaton(const Patterns& trie, std::u32string_view word) {
  const detail::PatternNode* root = detail::PatternAccess::root(trie);
  if (!root) return;
  const detail::PatternIndex& index = detail::indexOf(root);
  const detail::PatternAutomaton* automaton = index.automaton();
  if (!automaton) return;
  std::vector<detail::PatternIndex::Symbol> framed{index.dot};
  for (char32_t c : word) framed.push_back(index.symbolOf(c));
  framed.push_back(index.dot);
  const std::size_t m = framed.size();
  std::vector<std::uint8_t> walked(index.valuesSize(m), 0);
  index.match<false>(framed.data(), m, walked.data());
  std::vector<std::uint8_t> lead(m + detail::PatternAutomaton::kWidth, 0);
  automaton->match(framed.data(), m, lead.data());
  FUZZ_CHECK(std::memcmp(walked.data(), lead.data() + detail::PatternAutomaton::kLead, m) == 0);
  // The same with the symbols found as the automaton reads them (a warm hyphenator's way).
  std::vector<std::uint8_t> direct(m + detail::PatternAutomaton::kWidth, 0xff);
  automaton->matchWord(
      index.dot, word.size(), [&](std::size_t k) { return index.symbolOf(word[k]); },
      direct.data());
  FUZZ_CHECK(direct == lead);
}

// The index's image (the form the build embeds for each language) reads back as the same
// index, and divides the word the same way.
void checkIndexImage(const Patterns& trie, std::u32string_view word) {
  const detail::PatternIndex* index = detail::indexOf(trie);
  if (!index) return;
  const std::vector<unsigned char> image = index->serialise();
  const std::unique_ptr<const detail::PatternIndex> read = detail::PatternIndex::fromImage(image);
  FUZZ_CHECK(read != nullptr && *read == *index);
  std::vector<detail::PatternIndex::Symbol> framed{read->dot};
  for (char32_t c : word) framed.push_back(read->symbolOf(c));
  framed.push_back(read->dot);
  const std::size_t m = framed.size();
  std::vector<std::uint8_t> fromImage(read->wholeValuesSize(m), 0);
  std::vector<std::uint8_t> fromTrie(index->wholeValuesSize(m), 0);
  const std::size_t readLength = read->match<true, true>(framed.data(), m, fromImage.data());
  const std::size_t trieLength = index->match<true, true>(framed.data(), m, fromTrie.data());
  FUZZ_CHECK(readLength == trieLength);
  FUZZ_CHECK(fromImage == fromTrie);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes = asBytes(data, size);
  const Header header = marginsOf(bytes);
  const std::vector<std::string_view> parts = splitRecord(bytes, 4);
  const Text patternText = decode(parts[0]), exceptionText = decode(parts[1]),
             classText = decode(parts[2]);

  const detail::CharMap map = detail::charClassMap(classText);
  const ref::CharMap refChars = ref::parseCharClasses(classText);
  // Through a plain function, or through the table the division reads directly.
  const Hyphenator h =
      header.plainNormaliser
          ? Hyphenator([map](char32_t c) { return map(c); }, parsePatterns(patternText),
                       parseExceptions(exceptionText), header.left, header.right)
          : detail::hyphenatorWithCharMap(Lazy<detail::CharMap>(map), parsePatterns(patternText),
                                          parseExceptions(exceptionText), header.left, header.right);
  const ref::Hyphenator reference{[&refChars](char32_t c) { return ref::normalise(refChars, c); },
                                  ref::parsePatterns(patternText), ref::parseExceptions(exceptionText),
                                  header.left, header.right};
  const Wide l = header.left, r = header.right;

  for (std::string_view raw : linesOf(parts[3], 32)) {
    const Text word = decode(raw);
    checkAutomaton(hyphenatorPatterns(h), word);
    checkIndexImage(hyphenatorPatterns(h), word);
    const bool compare = word.size() <= kReferenceWordLimit;
    const std::optional<std::vector<Text>> expected =
        compare ? ref::hyphenate(reference, word) : std::nullopt;

    std::vector<Text> pieces;
    bool malformed = false;
    try {
      pieces = hyphenate(h, word);
    } catch (const ScoreError& e) {
      malformed = true;
      FUZZ_CHECK(std::string(e.what()) == "Malformed quellix score for " + detail::toUtf8(word));
      // Only a left margin of 0 or less can leave no score, and only for the empty word:
      // any other word gets at least its n values.
      FUZZ_CHECK(l <= 0 && word.empty());
    }
    if (compare) FUZZ_CHECK(malformed == !expected.has_value());
    if (!malformed) {
      if (compare) FUZZ_CHECK(pieces == *expected);
      checkShape(pieces, word);
      const std::vector<std::size_t> breaks = breaksOf(pieces);
      checkBreaks(breaks, word.size(), l, r);
      std::vector<std::size_t> out(word.size() + 1);
      const std::size_t count = breakPoints(h, word, out);
      FUZZ_CHECK(count == breaks.size());
      out.resize(count);
      FUZZ_CHECK(out == breaks);
      std::array<std::size_t, 1> first{};
      FUZZ_CHECK(breakPoints(h, word, first) == count);
      if (count) FUZZ_CHECK(first[0] == breaks[0]);
    }

    // The UTF-8 forms on the raw bytes, which may be malformed.
    std::vector<std::string_view> bytePieces;
    bool byteMalformed = false;
    try {
      bytePieces = hyphenate(h, raw);
    } catch (const ScoreError&) {
      byteMalformed = true;
      FUZZ_CHECK(l <= 0 && raw.empty());
    }
    if (!byteMalformed) {
      checkShape(bytePieces, std::string(raw));
      const std::vector<std::size_t> offsets = breaksOf(bytePieces);
      std::vector<std::size_t> out(raw.size() + 1);
      const std::size_t count = breakPoints(h, raw, out);
      FUZZ_CHECK(count == offsets.size());
      out.resize(count);
      FUZZ_CHECK(out == offsets);
    }
    // Well-formed UTF-8 divides exactly like its code points.
    if (detail::toUtf8(word) == raw) {
      FUZZ_CHECK(byteMalformed == malformed);
      if (!malformed) {
        FUZZ_CHECK(bytePieces.size() == pieces.size());
        for (std::size_t k = 0; k < pieces.size(); ++k)
          FUZZ_CHECK(bytePieces[k] == detail::toUtf8(pieces[k]));
      }
    }
  }
  return 0;
}
