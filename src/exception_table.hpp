// The storage behind Exceptions. Internal.
#ifndef QUELLIX_SRC_EXCEPTION_TABLE_HPP
#define QUELLIX_SRC_EXCEPTION_TABLE_HPP

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
struct ExceptionTable {
  using Map = std::unordered_map<std::u32string, std::vector<std::uint8_t>, WordHash, WordEqual>;
  Map words;
};

struct ExceptionAccess {
  static const ExceptionTable* table(const Exceptions& e) noexcept { return e.table_.get(); }
  static Exceptions adopt(std::shared_ptr<const ExceptionTable> t) noexcept {
    return Exceptions(std::move(t));
  }
  // The stored list of word, or null; one hash probe, no allocation.
  static const std::vector<std::uint8_t>* find(const Exceptions& e,
                                               std::u32string_view word) noexcept {
    const ExceptionTable* t = e.table_.get();
    if (!t || t->words.empty()) return nullptr;
    auto it = t->words.find(word);
    return it == t->words.end() ? nullptr : &it->second;
  }
};

}  // namespace quellix::detail

#endif
