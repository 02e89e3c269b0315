// Exceptions: the table of words whose division is given explicitly, and its text format.
#ifndef QUELLIX_EXCEPTION_HPP
#define QUELLIX_EXCEPTION_HPP

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quellix/algebra.hpp"
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
  explicit Exceptions(std::shared_ptr<const detail::ExceptionTable> table) noexcept;
  std::shared_ptr<const detail::ExceptionTable> table_;
};

template <>
inline constexpr bool is_idempotent_monoid<Exceptions> = true;

// The score list of one entry: 0 per letter, 1 for a hyphen-minus (which takes the place
// of the letter after it), 0 at the end unless the entry ends with a hyphen. "ta-ble"
// gives [0, 0, 1, 0, 0, 0]; "" gives [0]; "-" gives [1]. Never empty.
QUELLIX_API Scores scoreException(std::u32string_view entry);

// table with entry added under its word (entry without its hyphen-minus characters);
// a word already present gets zipMin of both lists.
QUELLIX_API Exceptions addException(std::u32string_view entry, const Exceptions& table);

// The stored score list of word, unchanged, or nothing. Exact match; thread-safe.
QUELLIX_API std::optional<Scores> lookupException(std::u32string_view word,
                                                  const Exceptions& table);

// The table of every line of text (split at U+000A), each line one entry.
QUELLIX_API Exceptions parseExceptions(std::u32string_view text);

// The position-wise minimum of two lists, as long as the shorter one.
QUELLIX_API Scores zipMin(std::span<const std::int64_t> a, std::span<const std::int64_t> b);

// The union of two tables; a word both hold gets zipMin of its lists. Symmetric,
// associative, idempotent.
QUELLIX_API Exceptions operator+(const Exceptions& a, const Exceptions& b);

// Debug rendering: Exceptions (fromList [("table",[0,0,1,0,0,0])]), pairs ordered by
// word; in parentheses when d >= 11; followed by tail. Inside the quoted word, '"' and
// '\' are escaped with a backslash, and any character outside printable ASCII is written
// as a backslash and its decimal code point, followed by "\&" when a digit comes next
// (so "é1" renders as "\233\&1").
QUELLIX_API std::string showsPrec(int d, const Exceptions& table, std::string_view tail = {});
// showsPrec(0, table, "").
QUELLIX_API std::string show(const Exceptions& table);
// "[" + each table at precedence 0, separated by "," + "]" + tail.
QUELLIX_API std::string showList(std::span<const Exceptions> tables, std::string_view tail = {});
// Writes show(table).
QUELLIX_API std::ostream& operator<<(std::ostream& out, const Exceptions& table);

}  // namespace quellix

#endif
