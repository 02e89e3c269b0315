// The Hyphenator record and the public functions over it: its accessors, and hyphenate and
// breakPoints for code points and UTF-8, which find the breaks through word_division.cpp.
#include "quellix/hyphenator.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "char_map.hpp"
#include "hyphenator_core.hpp"
#include "hyphenator_internal.hpp"
#include "pattern_index.hpp"
#include "scratch.hpp"
#include "sort_keys.hpp"
#include "utf8_decode.hpp"

namespace quellix {

using detail::kStackWord;
using detail::Scratch;

namespace detail {

Hyphenator hyphenatorWithCharMap(Lazy<CharMap> map, Lazy<Patterns> patterns,
                                 Lazy<Exceptions> exceptions, std::int64_t leftMin,
                                 std::int64_t rightMin) {
  CharNormaliser apply = [map](char32_t c) { return map.get()(c); };
  return HyphenatorAccess::make(std::make_shared<const HyphenatorCore>(
      std::move(apply), std::move(map), true, std::move(patterns), std::move(exceptions),
      leftMin, rightMin));
}

Hyphenator hyphenatorLike(const Hyphenator& base, Lazy<Patterns> patterns,
                          Lazy<Exceptions> exceptions, std::int64_t leftMin,
                          std::int64_t rightMin, bool keepDictionary) {
  const HyphenatorCore& from = HyphenatorAccess::core(base);
  auto core = std::make_shared<HyphenatorCore>(from.chars, from.map, from.hasMap,
                                               std::move(patterns), std::move(exceptions),
                                               leftMin, rightMin);
  if (keepDictionary) core->dictionary = from.dictionary;
  return HyphenatorAccess::make(std::move(core));
}

Hyphenator dictionaryHyphenator(std::shared_ptr<const DictionaryData> dictionary,
                                Lazy<CharMap> map, Lazy<Patterns> patterns, std::int64_t leftMin,
                                std::int64_t rightMin) {
#if defined(QUELLIX_NO_DICTIONARIES)
  // Word division leaves out the dictionary branch in this build: no such hyphenator may exist.
  throw DictionaryError("this build of quellix divides with no dictionaries (QUELLIX_DICTIONARY_SUPPORT=OFF)");
#endif
  CharNormaliser apply = [map](char32_t c) { return map.get()(c); };
  auto core = std::make_shared<HyphenatorCore>(std::move(apply), std::move(map), true,
                                               std::move(patterns), Exceptions(), leftMin,
                                               rightMin);
  core->dictionary = std::move(dictionary);
  core->noExceptions = true;
  return HyphenatorAccess::make(std::move(core));
}

const DictionaryData* hyphenatorDictionary(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).dictionary.get();
}

const Lazy<Patterns>& patternsCell(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).patterns;
}
const Lazy<Exceptions>& exceptionsCell(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).exceptions;
}

namespace {

std::vector<char32_t> gatherKnownCharacters(const Hyphenator& h) {
  const CharMap* map = hyphenatorCharMap(h);
  std::vector<char32_t> known;
  if (map == nullptr) return known;
  known.reserve(2 * map->size());
  for (const auto& [variant, normal] : map->entries()) {
    known.push_back(variant);
    known.push_back(normal);
  }
  if (const PatternIndex* index = indexOf(hyphenatorPatterns(h))) {  // makes no trie
    for (char32_t c : index->codes)
      if (c != U'.') known.push_back(c);
  }
  sortUnique(known);
  return known;
}

}  // namespace

const std::vector<char32_t>& knownCharacters(const Hyphenator& h) {
  return HyphenatorAccess::core(h).known.get([&h] { return gatherKnownCharacters(h); });
}

PatternReach patternReach(const Hyphenator& h) {
  PatternReach reach;
  // A dictionary's compound level may look at the whole word.
  if (hyphenatorDictionary(h)) return {std::size_t{1} << 20, std::size_t{1} << 20};
  // From the lookup index, which a language has without making its trie.
  if (const PatternIndex* index = indexOf(hyphenatorPatterns(h))) {
    reach.before = index->longestScoreList;
    reach.after = index->longestScoreList > 0 ? std::size_t(index->longestPattern) + 1 : 0;
  }
  return reach;
}

const CharMap* hyphenatorCharMap(const Hyphenator& h) {
  const HyphenatorCore& core = HyphenatorAccess::core(h);
  return core.hasMap ? &core.map.get() : nullptr;
}

}  // namespace detail

namespace {
// The map cell of every hyphenator given a normaliser function: never read.
const Lazy<detail::CharMap>& noCharMap() {
  static const Lazy<detail::CharMap> none{detail::CharMap()};
  return none;
}
}  // namespace

Hyphenator::Hyphenator(Lazy<CharNormaliser> chars, Lazy<Patterns> patterns,
                       Lazy<Exceptions> exceptions, std::int64_t leftMin, std::int64_t rightMin)
    : core_(std::make_shared<const detail::HyphenatorCore>(
          std::move(chars), noCharMap(), false, std::move(patterns),
          std::move(exceptions), leftMin, rightMin)) {}

// Copied, not moved, so that a moved-from Hyphenator stays the same usable hyphenator.
// NOLINTNEXTLINE(performance-move-constructor-init)
Hyphenator::Hyphenator(Hyphenator&& other) noexcept : core_(other.core_) {}

Hyphenator& Hyphenator::operator=(Hyphenator&& other) noexcept {
  core_ = other.core_;
  return *this;
}

Hyphenator::~Hyphenator() = default;

using detail::HyphenatorAccess;

const CharNormaliser& hyphenatorChars(const Hyphenator& h) {
  return HyphenatorAccess::core(h).chars.get();
}
const Patterns& hyphenatorPatterns(const Hyphenator& h) {
  return HyphenatorAccess::core(h).patterns.get();
}
const Exceptions& hyphenatorExceptions(const Hyphenator& h) {
  return HyphenatorAccess::core(h).exceptions.get();
}
std::int64_t hyphenatorLeftMin(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).leftMin;
}
std::int64_t hyphenatorRightMin(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).rightMin;
}

std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word) {
  // Breaks first, so that the pieces are made in a vector of the right size.
  Scratch<std::size_t, kStackWord> breaks(word.size() + 1);
  const std::size_t count =
      detail::divideWord(h, word, nullptr, nullptr, std::span(breaks.data(), word.size() + 1));
  std::vector<std::u32string> pieces;
  pieces.reserve(count + 1);
  const char32_t* const text = word.data();
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    pieces.emplace_back(text + begin, breaks[k] - begin);
    begin = breaks[k];
  }
  pieces.emplace_back(text + begin, word.size() - begin);
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::u32string_view word,
                        std::span<std::size_t> out) {
  return detail::divideWord(h, word, nullptr, nullptr, out);
}

namespace {

// The breaks of the UTF-8 word as byte offsets, the first out.size() written to out; see
// breakPoints. An ASCII word is divided as its bytes (character k starts at byte k);
// any other is read into code points, with the byte offset of each character, and its
// malformed bytes marked as characters no table knows.
std::size_t utf8Breaks(const Hyphenator& h, std::string_view utf8, std::span<std::size_t> out) {
  const std::size_t size = utf8.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t ascii = 0;
  while (ascii < size && bytes[ascii] < 0x80) ++ascii;
  if (ascii == size) return detail::divideAsciiWord(h, utf8, out);

  Scratch<char32_t, kStackWord> chars(size);
  Scratch<std::uint8_t, kStackWord> opaque(size);
  Scratch<std::size_t, kStackWord + 1> start(size + 1);  // byte offset of each character
  for (std::size_t k = 0; k < ascii; ++k) {
    chars[k] = bytes[k];
    opaque[k] = 0;
    start[k] = k;
  }
  bool anyOpaque = false;
  std::size_t n = ascii;
  for (std::size_t at = ascii; at < size; ++n) {
    std::size_t length = detail::decodeUtf8Sequence(bytes + at, size - at, chars[n]);
    opaque[n] = length == 0;
    if (length == 0) {
      chars[n] = bytes[at];
      length = 1;
      anyOpaque = true;
    }
    start[n] = at;
    at += length;
  }
  start[n] = size;
  // Character offsets first, into out's room, then turned into byte offsets.
  const std::size_t count = detail::divideWord(h, std::u32string_view(chars.data(), n),
                                               anyOpaque ? opaque.data() : nullptr, &utf8, out);
  const std::size_t written = std::min(count, out.size());
  for (std::size_t k = 0; k < written; ++k) out[k] = start[out[k]];
  return count;
}

}  // namespace

std::vector<std::string_view> hyphenate(const Hyphenator& h, std::string_view word) {
  // Breaks first, so that the pieces are made in a vector of the right size.
  Scratch<std::size_t, kStackWord> breaks(word.size() + 1);
  const std::size_t count = utf8Breaks(h, word, std::span(breaks.data(), word.size() + 1));
  std::vector<std::string_view> pieces;
  pieces.reserve(count + 1);
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    pieces.emplace_back(word.data() + begin, breaks[k] - begin);
    begin = breaks[k];
  }
  pieces.emplace_back(word.data() + begin, word.size() - begin);
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::string_view word, std::span<std::size_t> out) {
  return utf8Breaks(h, word, out);
}

}  // namespace quellix
