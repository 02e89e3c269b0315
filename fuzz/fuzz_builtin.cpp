// The built-in languages on arbitrary words: hyphenate and breakPoints in UTF-8 and in
// code points, with the real tries, exception tables and normalisers.
//
// Input: one byte choosing the language (modulo 73), then the word's bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "quellix/language.hpp"
#include "utf8_encode.hpp"

using namespace quellix;
using namespace quellix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Language language = toEnum(data[0] % languageCount);
  const Hyphenator& h = languageHyphenator(language);
  const std::string_view raw = asBytes(data + 1, size - 1);

  const std::vector<std::string_view> bytePieces = hyphenate(h, raw);
  std::string joined;
  for (std::string_view piece : bytePieces) joined += piece;
  FUZZ_CHECK(joined == raw);
  const std::vector<std::size_t> offsets = breaksOf(bytePieces);
  std::vector<std::size_t> out(raw.size() + 1);
  out.resize(breakPoints(h, raw, out));
  FUZZ_CHECK(out == offsets);

  const Text word = decode(raw);
  const std::vector<Text> pieces = hyphenate(h, word);
  Text whole;
  for (const Text& piece : pieces) whole += piece;
  FUZZ_CHECK(whole == word);
  // The margins of every built-in language are at least 1: no piece is ever empty, the
  // first has at least leftMin characters and the last at least rightMin.
  for (const Text& piece : pieces) FUZZ_CHECK(!piece.empty() || word.empty());
  if (pieces.size() > 1) {
    FUZZ_CHECK(static_cast<std::int64_t>(pieces.front().size()) >= hyphenatorLeftMin(h));
    FUZZ_CHECK(static_cast<std::int64_t>(pieces.back().size()) >= hyphenatorRightMin(h));
  }
  std::vector<std::size_t> points(word.size() + 1);
  points.resize(breakPoints(h, word, points));
  FUZZ_CHECK(points == breaksOf(pieces));

  // Well-formed UTF-8 divides exactly like its code points.
  if (detail::toUtf8(word) == raw) {
    FUZZ_CHECK(bytePieces.size() == pieces.size());
    for (std::size_t k = 0; k < pieces.size(); ++k) FUZZ_CHECK(bytePieces[k] == detail::toUtf8(pieces[k]));
  }
  return 0;
}
