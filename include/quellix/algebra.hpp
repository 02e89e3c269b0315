// The table algebra: merging Patterns and Exceptions (operator+, zipMin), and mempty,
// sconcat, mconcat, stimes, written once for any T with a default constructor (the empty
// value) and operator+; unsnoc for sequences.
#ifndef QUELLIX_ALGEBRA_HPP
#define QUELLIX_ALGEBRA_HPP

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "quellix/error.hpp"
#include "quellix/exception.hpp"
#include "quellix/export.hpp"
#include "quellix/pattern.hpp"

namespace quellix {

// Whether x + x == x for every x of T; lets stimes() answer without merging.
template <class T>
inline constexpr bool is_idempotent_monoid = false;

// The empty value of T (its default construction). Never throws for the tables.
template <class T>
T mempty() {
  return T{};
}

// The merge of a possibly empty sequence, nested to the right onto the empty value:
// xs[0] + (xs[1] + (... + (xs[n-1] + T{}))). Throws what operator+ throws.
template <class T>
T mconcat(std::span<const T> xs) {
  T result{};
  for (auto it = xs.rbegin(); it != xs.rend(); ++it) result = *it + result;
  return result;
}
template <class T>
T mconcat(std::initializer_list<T> xs) {
  return mconcat(std::span<const T>(xs.begin(), xs.size()));
}
template <class T>
T mconcat(const std::vector<T>& xs) {
  return mconcat(std::span<const T>(xs));
}

// The merge of the non-empty sequence head, rest...: head + (rest[0] + (... rest[n-1])).
template <class T>
T sconcat(const T& head, std::span<const T> rest) {
  if (rest.empty()) return head;
  T acc = rest.back();
  for (std::size_t i = rest.size() - 1; i-- > 0;) acc = rest[i] + acc;
  return head + acc;
}
template <class T>
T sconcat(const T& head, const std::vector<T>& rest) {
  return sconcat(head, std::span<const T>(rest));
}

// x merged with itself n times (n >= 1). For the tables, which are idempotent, that is
// x itself; n == 0 gives the empty value. Throws ArgumentError for a negative n.
template <class T>
T stimes(std::int64_t n, const T& x) {
  if (n < 0) throw ArgumentError("stimes: negative count");
  if (n == 0) return T{};
  if constexpr (is_idempotent_monoid<T>) {
    return x;
  } else {
    // Binary doubling keeps the number of merges logarithmic in n.
    T result{};
    T power = x;
    auto k = static_cast<std::uint64_t>(n);
    for (;;) {
      if (k & 1u) result = result + power;
      k >>= 1;
      if (k == 0) break;
      power = power + power;
    }
    return result;
  }
}

template <>
inline constexpr bool is_idempotent_monoid<Patterns> = true;

// The union of two tries; where both hold a score list, the element-wise maximum
// followed by the longer list's tail. Symmetric, associative, idempotent.
[[nodiscard]] QUELLIX_API Patterns operator+(const Patterns& a, const Patterns& b);

template <>
inline constexpr bool is_idempotent_monoid<Exceptions> = true;

// The position-wise minimum of two lists, as long as the shorter one.
[[nodiscard]] QUELLIX_API Scores zipMin(std::span<const std::int64_t> a, std::span<const std::int64_t> b);

// The union of two tables; a word both hold gets zipMin of its lists. Symmetric,
// associative, idempotent.
[[nodiscard]] QUELLIX_API Exceptions operator+(const Exceptions& a, const Exceptions& b);

// Nothing for an empty sequence, else (all elements but the last, the last element).
template <class T>
std::optional<std::pair<std::vector<T>, T>> unsnoc(std::span<const T> xs) {
  if (xs.empty()) return std::nullopt;
  return std::pair<std::vector<T>, T>(std::vector<T>(xs.begin(), xs.end() - 1), xs.back());
}
template <class T>
std::optional<std::pair<std::vector<T>, T>> unsnoc(const std::vector<T>& xs) {
  return unsnoc(std::span<const T>(xs));
}

}  // namespace quellix

#endif
