// The table algebra shared by Patterns and Exceptions: mempty, sconcat, mconcat, stimes.
// Written once for any T with a default constructor (the empty value) and operator+.
#ifndef QUELLIX_ALGEBRA_HPP
#define QUELLIX_ALGEBRA_HPP

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "quellix/error.hpp"

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

}  // namespace quellix

#endif
