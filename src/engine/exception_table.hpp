// The storage behind Exceptions. Internal.
#ifndef QUELLIX_SRC_EXCEPTION_TABLE_HPP
#define QUELLIX_SRC_EXCEPTION_TABLE_HPP

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quellix/exception.hpp"

namespace quellix::detail {

struct WordHash {
  using is_transparent = void;
  std::size_t operator()(std::u32string_view word) const noexcept {
    return std::hash<std::u32string_view>{}(word);
  }
};
struct WordEqual {
  using is_transparent = void;
  bool operator()(std::u32string_view a, std::u32string_view b) const noexcept { return a == b; }
};

// Score lists built from exception text hold only 0 and 1, so a byte per score suffices.
// Most words looked up are not in the table: a small bit filter over each word's
// length and end letters answers most of those without hashing the whole word.
struct ExceptionTable {
  using Map = std::unordered_map<std::u32string, std::vector<std::uint8_t>, WordHash, WordEqual>;
  Map words;
  std::array<std::uint64_t, 16> filter{};

  // The filter looks only at the length and the first and last characters, so a caller
  // can ask before it has the whole normalised word.
  static std::size_t filterBit(std::size_t size, char32_t front, char32_t back) noexcept {
    std::uint32_t h = static_cast<std::uint32_t>(size) * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(front) * 0x85EBCA77u;
    h ^= static_cast<std::uint32_t>(back) * 0xC2B2AE3Du;
    return (h ^ (h >> 15)) & 1023u;
  }
  static std::size_t filterBit(std::u32string_view word) noexcept {
    return word.empty() ? filterBit(0, 0, 0) : filterBit(word.size(), word.front(), word.back());
  }
  void buildFilter() noexcept {
    filter.fill(0);
    for (const auto& entry : words) {
      std::size_t bit = filterBit(entry.first);
      filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  bool mayHoldBit(std::size_t bit) const noexcept { return (filter[bit / 64] >> (bit % 64)) & 1u; }
  bool mayHold(std::u32string_view word) const noexcept { return mayHoldBit(filterBit(word)); }
  bool mayHold(std::size_t size, char32_t front, char32_t back) const noexcept {
    return mayHoldBit(filterBit(size, front, back));
  }
  // The stored list of word, or null; one hash probe, no allocation.
  const std::vector<std::uint8_t>* find(std::u32string_view word) const noexcept {
    auto it = words.find(word);
    return it == words.end() ? nullptr : &it->second;
  }
};

struct ExceptionAccess {
  static const ExceptionTable* table(const Exceptions& e) noexcept { return e.table_.get(); }
  // Publishes a finished table.
  static Exceptions adopt(std::shared_ptr<ExceptionTable> t) noexcept {
    t->buildFilter();
    return Exceptions(std::move(t));
  }
  // The stored list of word, or null; one hash probe, no allocation.
  static const std::vector<std::uint8_t>* find(const Exceptions& e,
                                               std::u32string_view word) noexcept {
    const ExceptionTable* t = e.table_.get();
    if (!t || t->words.empty() || !t->mayHold(word)) return nullptr;
    return t->find(word);
  }
};

}  // namespace quellix::detail

#endif
