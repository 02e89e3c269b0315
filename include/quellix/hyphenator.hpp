// Hyphenator and hyphenate: dividing one word at its permitted break points.
#ifndef QUELLIX_HYPHENATOR_HPP
#define QUELLIX_HYPHENATOR_HPP

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "quellix/exception.hpp"
#include "quellix/export.hpp"
#include "quellix/lazy.hpp"
#include "quellix/pattern.hpp"

namespace quellix {

namespace detail {
struct HyphenatorAccess;
struct HyphenatorCore;
}  // namespace detail

// Maps one character to its normal form before the tables are consulted. An empty
// function maps every character to itself.
using CharNormaliser = std::function<char32_t(char32_t)>;

// Everything needed to divide the words of one language: a character normaliser, a
// pattern trie, an exception table and the two margins.
//
// Immutable, and a handle: a Hyphenator is a pointer to a shared record of those five
// fields, so copying one is cheap and copies are the same hyphenator. The first three
// fields may be given as values or as deferred builders (Lazy<T>::deferred) run once on
// first use; a table built through one copy is built for all, and so is the small lookup
// view of the built tables that hyphenate reads. Any number of threads may use one
// Hyphenator, and its copies, at once.
class QUELLIX_API Hyphenator {
 public:
  // The record of the five fields. leftMin and rightMin may be any value, negative
  // included; hyphenate() defines the result for all of them. Throws std::bad_alloc.
  Hyphenator(Lazy<CharNormaliser> chars, Lazy<Patterns> patterns, Lazy<Exceptions> exceptions,
             std::int64_t leftMin, std::int64_t rightMin);
  // Copies share the record. Never throw; a moved-from Hyphenator stays the same
  // hyphenator. Not thread-safe for the object assigned to, as for any value.
  Hyphenator(const Hyphenator& other) noexcept = default;
  Hyphenator(Hyphenator&& other) noexcept;
  Hyphenator& operator=(const Hyphenator& other) noexcept = default;
  Hyphenator& operator=(Hyphenator&& other) noexcept;
  ~Hyphenator();

 private:
  friend struct detail::HyphenatorAccess;
  // A Hyphenator is one shared pointer to a record whose layout is the library's own.
  // Inline, so not exported: only the library makes a Hyphenator from a record.
  explicit Hyphenator(std::shared_ptr<const detail::HyphenatorCore> core) noexcept
      : core_(std::move(core)) {}

  std::shared_ptr<const detail::HyphenatorCore> core_;
};

// The normaliser, built first if deferred. Throws what its builder throws. Thread-safe.
[[nodiscard]] QUELLIX_API const CharNormaliser& hyphenatorChars(const Hyphenator& h);
// The pattern trie, built first if deferred. Throws what its builder throws. Thread-safe.
[[nodiscard]] QUELLIX_API const Patterns& hyphenatorPatterns(const Hyphenator& h);
// The exception table, built first if deferred. Throws what its builder throws.
[[nodiscard]] QUELLIX_API const Exceptions& hyphenatorExceptions(const Hyphenator& h);
// The left margin: the first piece of a divided word has at least this many characters,
// and at least one. Never throws.
[[nodiscard]] QUELLIX_API std::int64_t hyphenatorLeftMin(const Hyphenator& h) noexcept;
// The right margin. With leftMin >= 1, the last piece of a divided word has at least this
// many characters. With leftMin <= 0 the window for breaks moves leftMin characters closer
// to the word's end: the last piece has at least leftMin + rightMin characters, and when
// that is <= 0 it may be empty (a break at the very end; see breakPoints). Never throws.
[[nodiscard]] QUELLIX_API std::int64_t hyphenatorRightMin(const Hyphenator& h) noexcept;

// word cut into pieces at its permitted break points; the pieces concatenate to word,
// with word's own characters. A word shorter than leftMin + rightMin is returned whole
// without consulting any table. Otherwise the normalised word is looked up in the
// exception table and, if absent, in the pattern trie; a break is made after character i
// when the score there is odd and i lies within the margins. Always at least one piece.
// Throws ScoreError ("Malformed quellix score for " + word) when a left margin <= 0
// leaves no score at all, and passes on what the normaliser or a deferred builder throws.
// Thread-safe.
[[nodiscard]] QUELLIX_API std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word);

// The places where hyphenate(h, word) ends a piece that another piece follows, as
// character counts from the start of word, ascending (so the end of the word appears only
// when the last piece is empty, which a right margin <= 0 allows). Writes the first
// min(count, out.size()) of them to out and returns count. Once h is warm it allocates
// nothing (a caller's own normaliser may): warm means its tables are built, which the
// first words do, and, for a trie that has an automaton, that automaton too, which h
// builds when it has divided 4,096 words (proportionally more for a table above 512 KiB;
// Hungarian's, the largest, after about 61,000). Words of more than 256 characters use scratch
// space the calling thread keeps (up to 32 MiB a buffer) and reuses: the first word that
// long on a thread allocates it, later ones do not. Throws as hyphenate.
[[nodiscard]] QUELLIX_API std::size_t breakPoints(const Hyphenator& h, std::u32string_view word,
                                    std::span<std::size_t> out);

// UTF-8 forms. A word given as UTF-8 bytes is divided like its code points, with one
// addition: each byte that starts no well-formed UTF-8 sequence (an overlong form, a
// surrogate, a stray continuation byte, a sequence cut short, ...) counts as one
// character that no pattern, exception word or normaliser knows. Margins count
// characters, not bytes.

// word's pieces as views into word: they always concatenate to word byte for byte, even
// when it is not valid UTF-8. Throws as the code-point hyphenate (the ScoreError message
// quotes word's bytes as they are). Thread-safe.
[[nodiscard]] QUELLIX_API std::vector<std::string_view> hyphenate(const Hyphenator& h, std::string_view word);
// Not for a temporary std::string: the pieces would point into a string already gone.
// Divide a named string, or use the code-point form, whose pieces own their characters.
template <class S>
  requires std::is_same_v<S, std::string>
std::vector<std::string_view> hyphenate(const Hyphenator& h, S&& word) = delete;

// The break positions of the UTF-8 word as byte offsets, ascending: writes the first
// min(count, out.size()) to out and returns count. Allocates nothing once h is warm, as
// the code-point breakPoints. Throws as hyphenate. Thread-safe.
[[nodiscard]] QUELLIX_API std::size_t breakPoints(const Hyphenator& h, std::string_view word,
                                    std::span<std::size_t> out);

}  // namespace quellix

#endif
