// Sorting by integer keys through one routine: a stable sort by a key of up to 32 bits is
// a sort of (key << 32 | position) values, which are all distinct. The library's sorts by
// such keys share this one sort rather than each instantiating its own (what the
// WebAssembly core, which a web page loads, is mostly made of). Internal to the library.
#ifndef QUELLIX_SRC_SORT_KEYS_HPP
#define QUELLIX_SRC_SORT_KEYS_HPP

#include <cstdint>
#include <span>
#include <vector>

namespace quellix::detail {

// Sorts values ascending. Never throws.
void sortKeys(std::span<std::uint64_t> values) noexcept;

// Sorts codes ascending and drops repeats, through sortKeys. Throws std::bad_alloc.
void sortUnique(std::vector<char32_t>& codes);

// key << 32 | position, and its two halves.
constexpr std::uint64_t keyAt(std::uint32_t key, std::uint32_t position) noexcept {
  return std::uint64_t{key} << 32 | position;
}
constexpr std::uint32_t keyOf(std::uint64_t value) noexcept { return static_cast<std::uint32_t>(value >> 32); }
constexpr std::uint32_t positionOf(std::uint64_t value) noexcept { return static_cast<std::uint32_t>(value); }

}  // namespace quellix::detail

#endif
