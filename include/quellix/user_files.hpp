// Pattern texts, exception lists and dictionaries that callers give the library: the limits
// on their size (quellix/limits.h), and a file reader that keeps to them while it reads.
#ifndef QUELLIX_USER_FILES_HPP
#define QUELLIX_USER_FILES_HPP

#include <cstddef>
#include <string>
#include <string_view>

#include "quellix/export.hpp"
#include "quellix/limits.h"

namespace quellix {

// The most bytes a pattern text, exception list or dictionary may hold.
inline constexpr std::size_t kMaxFileBytes = QUELLIX_MAX_FILE_BYTES;
// The most bytes one of its lines may hold, without the line feed.
inline constexpr std::size_t kMaxLineBytes = QUELLIX_MAX_LINE_BYTES;

// Checks text, the content of source (a file name or a description such as "exception
// list"), against the two limits. Throws ArgumentError, with a message that starts with
// source and names the limit passed (and the line, for a line too long); never for text
// within them. Thread-safe.
QUELLIX_API void checkFileLimits(std::string_view text, std::string_view source);

// The whole content of the file at path (bytes as the system takes them; on Windows,
// UTF-8), read in pieces and checked against the limits as it comes in, so that a file that
// never ends (/dev/zero, a pipe) is read only as far as the first limit it passes. Throws FileError when the file cannot be opened or read (the
// message names the file and the system's reason), ArgumentError as checkFileLimits (with
// path as source) for a file beyond the limits, and std::bad_alloc. Like every message of
// the library, these quote the path as given: show them with appendPrintable()
// (quellix/printable.hpp). Thread-safe.
[[nodiscard]] QUELLIX_API std::string readUserFile(const std::string& path);

}  // namespace quellix

#endif
