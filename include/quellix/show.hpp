// Debug rendering of the library's values: showsPrec, show, showList and operator<< for
// Patterns, Exceptions and Language, in the notation of their constructors.
#ifndef QUELLIX_SHOW_HPP
#define QUELLIX_SHOW_HPP

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "quellix/exception.hpp"
#include "quellix/export.hpp"
#include "quellix/language_enum.hpp"
#include "quellix/pattern.hpp"

namespace quellix {

// Debug rendering: Patterns [0,1,0] (fromList [(97,Patterns ...)]), with children in
// ascending code order; in parentheses when d >= 11. Followed by tail.
[[nodiscard]] QUELLIX_API std::string showsPrec(int d, const Patterns& trie, std::string_view tail = {});
// showsPrec(0, trie, "").
[[nodiscard]] QUELLIX_API std::string show(const Patterns& trie);
// "[" + each trie at precedence 0, separated by "," + "]" + tail.
[[nodiscard]] QUELLIX_API std::string showList(std::span<const Patterns> tries, std::string_view tail = {});
// Writes show(trie).
QUELLIX_API std::ostream& operator<<(std::ostream& out, const Patterns& trie);

// Debug rendering: Exceptions (fromList [("table",[0,0,1,0,0,0])]), pairs ordered by
// word; in parentheses when d >= 11; followed by tail. Inside the quoted word, '"' and
// '\' are escaped with a backslash, and any character outside printable ASCII is written
// as a backslash and its decimal code point, followed by "\&" when a digit comes next
// (so "é1" renders as "\233\&1").
[[nodiscard]] QUELLIX_API std::string showsPrec(int d, const Exceptions& table, std::string_view tail = {});
// showsPrec(0, table, "").
[[nodiscard]] QUELLIX_API std::string show(const Exceptions& table);
// "[" + each table at precedence 0, separated by "," + "]" + tail.
[[nodiscard]] QUELLIX_API std::string showList(std::span<const Exceptions> tables, std::string_view tail = {});
// Writes show(table).
QUELLIX_API std::ostream& operator<<(std::ostream& out, const Exceptions& table);


// The name followed by tail. The precedence d is ignored: a name is never parenthesised.
// Throws ArgumentError for a value outside 0..72.
[[nodiscard]] QUELLIX_API std::string showsPrec(int d, Language language, std::string_view tail = {});
// The name, as a std::string. Throws ArgumentError for a value outside 0..72.
[[nodiscard]] QUELLIX_API std::string show(Language language);
// "[" + the names separated by "," (no spaces) + "]" + tail; "[]" + tail when empty.
// Throws ArgumentError if a value lies outside 0..72.
[[nodiscard]] QUELLIX_API std::string showList(std::span<const Language> languages, std::string_view tail = {});
// Writes show(language). Throws ArgumentError for a value outside 0..72.
QUELLIX_API std::ostream& operator<<(std::ostream& out, Language language);

}  // namespace quellix

#endif
