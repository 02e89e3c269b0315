// Pattern text: parsePatterns, insertPattern, lookupPattern, the merge and the rendering,
// each against the reference and against the algebra's laws; and the pattern file notation
// of withPatternText against a plain reading of it.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_support.hpp"
#include "quellix/algebra.hpp"
#include "quellix/custom.hpp"
#include "quellix/error.hpp"
#include "quellix/pattern.hpp"
#include "quellix/show.hpp"
#include "quellix/text.hpp"
#include "quellix/user_files.hpp"

using namespace quellix;
using namespace quellix::fuzz;

namespace {

// A pattern file read the plain way: each line cut at '%', split into words at white
// space, a line whose first word starts with '#' left out; one pattern a line in the
// result. Nothing for TeX markup.
std::optional<Text> patternFileLines(Text text) {
  if (!text.empty() && text.front() == U'\uFEFF') text.erase(0, 1);
  Text out;
  for (Text line : ref::splitLines(text)) {
    line = line.substr(0, line.find(U'%'));
    std::vector<Text> words{Text()};
    for (char32_t c : line) {
      if (c == U' ' || c == U'\t' || c == U'\r' || c == U'\f' || c == U'\v')
        words.emplace_back();
      else
        words.back() += c;
    }
    bool first = true;
    for (const Text& word : words) {
      if (word.empty()) continue;
      if (first && word.front() == U'#') break;
      first = false;
      if (word.find_first_of(U"\\{}") != Text::npos) return std::nullopt;
      out += word + U"\n";
    }
  }
  return out;
}

// Whether bytes would be taken by the file limits and the strict UTF-8 decoding.
bool readable(std::string_view bytes) {
  try {
    checkFileLimits(bytes, "");
  } catch (const ArgumentError&) {
    return false;
  }
  while (!bytes.empty()) {
    const Utf8Char c = firstUtf8Char(bytes);
    if (!c.wellFormed) return false;
    bytes.remove_prefix(c.length);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text = decode(asBytes(data, size));
  const Patterns trie = parsePatterns(text);
  const ref::Trie expected = ref::parsePatterns(text);
  FUZZ_CHECK(sameTrie(trie, expected));

  // Rendering: stable, as described, parenthesised at precedence 11.
  const std::string shown = show(trie);
  FUZZ_CHECK(shown == show(trie));
  FUZZ_CHECK(shown == ref::showTrie(expected));
  FUZZ_CHECK(showsPrec(11, trie, "!") == "(" + shown + ")!");

  // The algebra: idempotent with itself and with an equal trie built separately, the
  // empty trie neutral, and the merge of two halves as the reference merges them.
  const Patterns again = parsePatterns(text);
  FUZZ_CHECK(trie + trie == trie);
  FUZZ_CHECK(trie + again == trie);
  FUZZ_CHECK(show(trie + again) == shown);
  FUZZ_CHECK(trie + Patterns() == trie && Patterns() + trie == trie);
  const std::vector<Text> lines = ref::splitLines(text);
  Text front, back;
  for (std::size_t k = 0; k < lines.size(); ++k) (k < lines.size() / 2 ? front : back) += lines[k] + U"\n";
  const Patterns a = parsePatterns(front), b = parsePatterns(back);
  FUZZ_CHECK(sameTrie(a + b, ref::merge(ref::parsePatterns(front), ref::parsePatterns(back))));
  FUZZ_CHECK(a + b == b + a);
  FUZZ_CHECK((a + b) + trie == a + (b + trie));

  // Lines one by one: their scores, and inserting the first few into the trie.
  for (std::size_t k = 0; k < lines.size() && k < 64; ++k)
    FUZZ_CHECK(scorePattern(lines[k]) == ref::scorePattern(lines[k]));
  for (std::size_t k = 0; k < lines.size() && k < 3; ++k)
    FUZZ_CHECK(sameTrie(insertPattern(lines[k], trie), ref::insertPattern(lines[k], expected)));

  // Lookups of words the patterns match: each line's letters, without and with the word
  // edges, and the letters of two neighbouring lines run together.
  std::vector<Text> words{Text()};
  for (std::size_t k = 0; k < lines.size() && k < 12; ++k) {
    Text letters = ref::patternLetters(lines[k]);
    words.push_back(letters);
    Text inner;
    for (char32_t c : letters)
      if (c != U'.') inner.push_back(c);
    words.push_back(inner);
    if (k + 1 < lines.size()) words.push_back(inner + ref::patternLetters(lines[k + 1]));
  }
  for (const Text& word : words) {
    const Scores s = lookupPattern(word, trie);
    FUZZ_CHECK(s.size() >= word.size());
    if (word.size() <= kReferenceWordLimit) FUZZ_CHECK(s == ref::lookupPattern(word, expected));
  }

  // The same bytes as a pattern file: its patterns, or an error for what it cannot take.
  const std::optional<Text> fileLines =
      readable(asBytes(data, size)) ? patternFileLines(text) : std::nullopt;
  const Hyphenator base(CharNormaliser(), Patterns(), Exceptions(), 1, 1);
  try {
    const Hyphenator h = withPatternText(base, asBytes(data, size));
    FUZZ_CHECK(fileLines.has_value());
    if (fileLines) FUZZ_CHECK(hyphenatorPatterns(h) == parsePatterns(*fileLines));
  } catch (const ArgumentError&) {
    FUZZ_CHECK(!fileLines.has_value());
  }
  return 0;
}
