// The record a Hyphenator is a handle to, and the entry points of word division
// (word_division.cpp) that the public functions of hyphenator.cpp call. Internal to the
// engine; the layers above see hyphenator_internal.hpp.
#ifndef QUELLIX_SRC_ENGINE_HYPHENATOR_CORE_HPP
#define QUELLIX_SRC_ENGINE_HYPHENATOR_CORE_HPP

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "char_map.hpp"
#include "quellix/hyphenator.hpp"
#include "once_cell.hpp"
#include "quellix/lazy.hpp"

namespace quellix::detail {

struct ReadyTables;  // word_division.cpp
struct DictionaryData;  // dictionary_data.hpp

// The shared record a Hyphenator is a handle to. The five fields never change; the ready
// view is made once, by the first word that finds every table built, and kept for every
// copy of the handle.
struct HyphenatorCore {
  Lazy<CharNormaliser> chars;
  Lazy<CharMap> map;  // the table chars applies, when made from one (hasMap)
  bool hasMap = false;
  Lazy<Patterns> patterns;
  Lazy<Exceptions> exceptions;
  std::int64_t leftMin = 0;
  std::int64_t rightMin = 0;
  OnceCell<ReadyTables> ready;
  OnceCell<std::vector<char32_t>> known;  // see knownCharacters
  // A libhyphen dictionary that divides instead of the patterns (dictionaryHyphenator).
  std::shared_ptr<const DictionaryData> dictionary;
  // Whether exceptions is known to be empty without asking it (a dictionary's own
  // hyphenator), so that a word need not go through its cell.
  bool noExceptions = false;

  // Both in word_division.cpp, where ReadyTables is complete.
  HyphenatorCore(Lazy<CharNormaliser> c, Lazy<CharMap> m, bool withMap, Lazy<Patterns> p,
                 Lazy<Exceptions> e, std::int64_t left, std::int64_t right);
  ~HyphenatorCore();
  HyphenatorCore(const HyphenatorCore&) = delete;
  HyphenatorCore& operator=(const HyphenatorCore&) = delete;
};

struct HyphenatorAccess {
  static const HyphenatorCore& core(const Hyphenator& h) noexcept { return *h.core_; }
  static Hyphenator make(std::shared_ptr<const HyphenatorCore> core) noexcept {
    return Hyphenator(std::move(core));
  }
};

// The breaks of word as breakPoints(h, word, out) gives them: writes the first
// min(count, out.size()) to out and returns count. opaque, when not null, marks the
// characters that no table knows (malformed bytes of UTF-8 input). utf8, when not null,
// is the word as the caller gave it, quoted in a ScoreError; otherwise the error quotes
// word. Throws as breakPoints.
// (divideAsciiWord, for a word of ASCII bytes, is in hyphenator_internal.hpp.)
std::size_t divideWord(const Hyphenator& h, std::u32string_view word, const std::uint8_t* opaque,
                       const std::string_view* utf8, std::span<std::size_t> out);

}  // namespace quellix::detail

#endif
