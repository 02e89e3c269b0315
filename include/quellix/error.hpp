// The exceptions quellix throws. Every one derives from quellix::Error, which derives
// from std::runtime_error; what() is the full message, UTF-8 encoded.
#ifndef QUELLIX_ERROR_HPP
#define QUELLIX_ERROR_HPP

#include <stdexcept>
#include <string>

#include "quellix/export.hpp"

namespace quellix {

// Base of every exception the library throws.
class QUELLIX_API Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  ~Error() override;
};

// hyphenate() found no score to pair with the word: "Malformed quellix score for " + word.
// Only possible with a left margin of 0 or less.
class QUELLIX_API ScoreError : public Error {
 public:
  using Error::Error;
  ~ScoreError() override;
};

// lookupPattern() found its internal boundary list too short; guards an invariant and
// is never expected: "lookupPattern.scores0: Impossible (" + word + ")" or ".scores1".
class QUELLIX_API PatternLookupError : public Error {
 public:
  using Error::Error;
  ~PatternLookupError() override;
};

// A Language conversion left the range 0..72 (toEnum, succ, pred).
class QUELLIX_API LanguageRangeError : public Error {
 public:
  using Error::Error;
  ~LanguageRangeError() override;
};

// A language data file is not in the embedded data set: "Could not find " + name.
class QUELLIX_API DataFileError : public Error {
 public:
  using Error::Error;
  ~DataFileError() override;
};

// A gzip stream could not be decompressed (bad header, checksum, truncation, ...).
class QUELLIX_API DecompressionError : public Error {
 public:
  using Error::Error;
  ~DecompressionError() override;
};

// An argument outside an operation's domain, such as a negative stimes() count, or a
// deferred value whose builder asked for the value it was building.
class QUELLIX_API ArgumentError : public Error {
 public:
  using Error::Error;
  ~ArgumentError() override;
};

// A libhyphen dictionary (.dic) could not be read: the file cannot be opened or is too large,
// its first line names no known encoding, or a line is malformed. what() names the source
// (the file), the line and the byte offset from the start of the file.
class QUELLIX_API DictionaryError : public ArgumentError {
 public:
  using ArgumentError::ArgumentError;
  ~DictionaryError() override;
};

// A file a caller named could not be opened or read: "cannot open '" + name + "': " or
// "cannot read '" + name + "': ", followed by the system's reason.
class QUELLIX_API FileError : public Error {
 public:
  using Error::Error;
  ~FileError() override;
};

}  // namespace quellix

#endif
