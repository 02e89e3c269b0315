// The name table of the embedded data set. The bytes themselves are assembled from the
// data directory by the generated embedded_data.S (one .incbin per file, in .rodata); the
// generated embedded_files.inc lists the files in name order with their sizes, so the
// table below is a constant with no initialisation code.
#include "embedded_files.hpp"

#include <algorithm>
#include <cstddef>

// The assembled bytes of each file; hidden, so the references stay inside the library.
#define QUELLIX_EMBEDDED_FILE(index, name, size) \
  extern "C" __attribute__((visibility("hidden"))) const unsigned char quellix_embedded_##index[size];
#include "embedded_files.inc"
#undef QUELLIX_EMBEDDED_FILE

namespace quellix::detail {
namespace {

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

}  // namespace quellix::detail
