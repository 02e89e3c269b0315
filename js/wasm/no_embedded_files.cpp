// The embedded data set of the WebAssembly core: empty. Linked in place of
// src/languages/embedded_files.cpp and the generated data, so that every language's files
// arrive at run time (supplied_data.hpp) and the core carries none of them.
#include "embedded_files.hpp"

namespace quellix::detail {

std::span<const EmbeddedFile> embeddedFiles() noexcept { return {}; }

std::optional<std::span<const unsigned char>> lookupEmbeddedFile(std::string_view) noexcept {
  return std::nullopt;
}

std::optional<std::span<const unsigned char>> lookupEmbeddedPatternIndex(std::string_view) noexcept {
  return std::nullopt;
}

}  // namespace quellix::detail
