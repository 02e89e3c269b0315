// The embedded data set: the 292 gzip-compressed language files carried in the library
// image, found by their exact names. Internal to the library.
#ifndef QUELLIX_SRC_EMBEDDED_FILES_HPP
#define QUELLIX_SRC_EMBEDDED_FILES_HPP

#include <optional>
#include <span>
#include <string_view>

namespace quellix::detail {

// One file of the data set: its bare name ("hyph-en-us.pat.txt.gz") and its bytes exactly
// as they lay in the data directory, a read-only range of the library image that lives
// until the library is unloaded.
struct EmbeddedFile {
  std::string_view name;
  std::span<const unsigned char> bytes;
};

// Every embedded file, in ascending byte-wise order of name. Constant data: nothing runs
// to set it up. Never throws; thread-safe.
std::span<const EmbeddedFile> embeddedFiles() noexcept;

// The bytes of the file whose name equals name exactly (case-sensitive; no directory
// handling, no matching without ".gz"), or nothing. Never throws; thread-safe.
std::optional<std::span<const unsigned char>> lookupEmbeddedFile(std::string_view name) noexcept;

// The lookup index of a language's patterns as the build made it (PatternIndex::serialise)
// from the embedded pattern file of affix ("en-us"), or nothing when the build made none
// (a build that cannot run its own tools, or a language not embedded). Never throws;
// thread-safe.
std::optional<std::span<const unsigned char>> lookupEmbeddedPatternIndex(
    std::string_view affix) noexcept;

}  // namespace quellix::detail

#endif
