// Reading a language data file: find it by name, decompress the gzip member, decode the
// UTF-8 text. Internal to the library.
#ifndef QUELLIX_SRC_DATA_FILE_HPP
#define QUELLIX_SRC_DATA_FILE_HPP

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quellix::detail {

// Finds the bytes of a data file by its exact name, or gives nothing. The library uses
// lookupEmbeddedFile; tests pass their own to reach the failure paths.
using FileLookup = std::function<std::optional<std::span<const unsigned char>>(std::string_view)>;

// The content of bytes, which must be exactly one gzip member (RFC 1952) and nothing
// after it; an empty member gives an empty result. Inflates straight into one buffer
// sized from the member's length trailer. Throws DecompressionError, whose message names
// fileName, for a bad header, bad deflate data, a checksum or length mismatch, a
// truncated member, bytes after the member, or content longer than limit bytes (found
// while inflating: no more than limit + 1 bytes are ever held). Thread-safe.
std::string gunzip(std::span<const unsigned char> bytes, std::string_view fileName,
                   std::size_t limit = SIZE_MAX);

// The code points of the UTF-8 text bytes, in one pass. A byte that does not start a
// well-formed sequence (Unicode's table of well-formed byte sequences: no overlong forms,
// no surrogates, nothing above U+10FFFF) becomes the character of the same value
// (U+0080..U+00FF) and decoding resumes at the next byte. A byte-order mark and line ends
// are kept as they are. Never throws (beyond bad_alloc).
std::u32string decodeUtf8(std::string_view text);

// The decoded text of the data file called name: lookup(name), gunzip, decodeUtf8.
// Throws DataFileError("Could not find " + name) when lookup gives nothing, and what
// gunzip throws.
std::u32string readDataFile(std::string_view name, const FileLookup& lookup);

}  // namespace quellix::detail

#endif
