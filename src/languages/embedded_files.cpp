// The name table of the embedded data set. The bytes themselves are assembled from the
// data directory by the generated embedded_data.S (one .incbin per file, in .rodata); the
// generated embedded_files.inc lists the files in name order with their sizes, so the
// table below is a constant with no initialisation code.
#include "embedded_files.hpp"

#include <algorithm>
#include <cstddef>

#include "visibility.hpp"

// The assembled bytes of each file; hidden, so the references stay inside the library.
#define QUELLIX_EMBEDDED_FILE(index, name, size) \
  extern "C" QUELLIX_HIDDEN const unsigned char quellix_embedded_##index[size];
#include "embedded_files.inc"
#undef QUELLIX_EMBEDDED_FILE

#if QUELLIX_PATTERN_INDEXES
// The index images, one after another, each from a 16-byte boundary (pattern_indexes.S).
extern "C" QUELLIX_HIDDEN const unsigned char quellix_pattern_indexes[];
#endif

namespace quellix::detail {
namespace {

struct EmbeddedIndex {
  std::string_view affix;
  std::size_t offset;
  std::size_t size;
};
constexpr EmbeddedIndex kEmbeddedIndexes[] = {
#if QUELLIX_PATTERN_INDEXES
#define QUELLIX_PATTERN_INDEX(affix, offset, size) {affix, offset, size},
#include "pattern_indexes.inc"
#undef QUELLIX_PATTERN_INDEX
#endif
    {{}, 0, 0},  // the end (and an entry when the build embeds no index)
};

constexpr EmbeddedFile kEmbeddedFiles[] = {
#define QUELLIX_EMBEDDED_FILE(index, name, size) \
  {std::string_view(name), std::span<const unsigned char>(quellix_embedded_##index, size)},
#include "embedded_files.inc"
#undef QUELLIX_EMBEDDED_FILE
};

constexpr bool namesStrictlyAscending() {
  for (std::size_t i = 1; i < std::size(kEmbeddedFiles); ++i)
    if (!(kEmbeddedFiles[i - 1].name < kEmbeddedFiles[i].name)) return false;
  return true;
}
// The binary search below gives the result of a walk from the first entry only because
// the names are sorted and distinct.
static_assert(namesStrictlyAscending(), "embedded file names must be sorted and distinct");
// 292 with every language; fewer when the build embeds a chosen few.
static_assert(std::size(kEmbeddedFiles) % 4 == 0, "each embedded language has four files");

}  // namespace

std::span<const EmbeddedFile> embeddedFiles() noexcept { return kEmbeddedFiles; }

std::optional<std::span<const unsigned char>> lookupEmbeddedFile(std::string_view name) noexcept {
  const auto* found = std::lower_bound(
      std::begin(kEmbeddedFiles), std::end(kEmbeddedFiles), name,
      [](const EmbeddedFile& file, std::string_view key) { return file.name < key; });
  if (found == std::end(kEmbeddedFiles) || found->name != name) return std::nullopt;
  return found->bytes;
}

std::optional<std::span<const unsigned char>> lookupEmbeddedPatternIndex(
    std::string_view affix) noexcept {
  for (const EmbeddedIndex& entry : kEmbeddedIndexes) {
    if (entry.size == 0 || entry.affix != affix) continue;
#if QUELLIX_PATTERN_INDEXES
    return std::span<const unsigned char>(quellix_pattern_indexes + entry.offset, entry.size);
#endif
  }
  return std::nullopt;
}

}  // namespace quellix::detail
