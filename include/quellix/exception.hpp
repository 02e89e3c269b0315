// Exceptions: the table of words whose division is given explicitly, and its text format.
#ifndef QUELLIX_EXCEPTION_HPP
#define QUELLIX_EXCEPTION_HPP

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quellix/export.hpp"
#include "quellix/pattern.hpp"

namespace quellix {

namespace detail {
struct ExceptionTable;
struct ExceptionAccess;
}  // namespace detail

// An immutable map from a word to its score list.
//
// Keys are compared exactly, code point by code point (no case folding). Copying shares
// the table and costs O(1); every operation returns a new table and leaves its inputs
// unchanged; any number of threads may read one table at once. The default-constructed
// value is the empty table.
class QUELLIX_API Exceptions {
 public:
  // The empty table. Never throws.
  Exceptions() noexcept;

  // Number of words held.
  std::size_t size() const noexcept;

  // Every (word, score list) pair, ordered by word (code point by code point).
  std::vector<std::pair<std::u32string, Scores>> entries() const;

  // Same words with the same score lists.
  QUELLIX_API friend bool operator==(const Exceptions& a, const Exceptions& b) noexcept;

 private:
  friend struct detail::ExceptionAccess;
  // A table is one shared pointer to a record whose layout is the library's own. Inline,
  // so not exported: only the library makes an Exceptions from a record.
  explicit Exceptions(std::shared_ptr<const detail::ExceptionTable> table) noexcept
      : table_(std::move(table)) {}
  std::shared_ptr<const detail::ExceptionTable> table_;
};

// The score list of one entry: 0 per letter, 1 for a hyphen-minus (which takes the place
// of the letter after it), 0 at the end unless the entry ends with a hyphen. "ta-ble"
// gives [0, 0, 1, 0, 0, 0]; "" gives [0]; "-" gives [1]. Never empty.
[[nodiscard]] QUELLIX_API Scores scoreException(std::u32string_view entry);

// table with entry added under its word (entry without its hyphen-minus characters);
// a word already present gets zipMin of both lists.
[[nodiscard]] QUELLIX_API Exceptions addException(std::u32string_view entry, const Exceptions& table);

// The stored score list of word, unchanged, or nothing. Exact match; thread-safe.
[[nodiscard]] QUELLIX_API std::optional<Scores> lookupException(std::u32string_view word,
                                                  const Exceptions& table);

// The table of every line of text (split at U+000A), each line one entry.
[[nodiscard]] QUELLIX_API Exceptions parseExceptions(std::u32string_view text);

}  // namespace quellix

#endif
