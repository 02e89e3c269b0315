// Small helpers shared by the tests.
#ifndef QUELLIX_TESTS_TEST_SUPPORT_HPP
#define QUELLIX_TESTS_TEST_SUPPORT_HPP

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"

// Skips the calling test (GTEST_SKIP, so it must be called from the test body) unless
// the library was built with every language named; a build may embed only a few.
#define QUELLIX_REQUIRE_LANGUAGES(...)                                                  \
  do {                                                                                \
    for (const ::quellix::Language required_ : {__VA_ARGS__})                         \
      if (!::quellix::languageBuiltIn(required_))                                     \
        GTEST_SKIP() << ::quellix::languageName(required_) << " is not built in";     \
  } while (false)

// Skips the calling test unless every language is built in: for tests that range over
// many languages.
#define QUELLIX_REQUIRE_ALL_LANGUAGES()                                                 \
  do {                                                                                \
    for (const ::quellix::Language language_ : ::quellix::enumFrom(::quellix::languageMinBound)) \
      if (!::quellix::languageBuiltIn(language_))                                     \
        GTEST_SKIP() << "not every language is built in";                            \
  } while (false)

namespace quellix::testing {

inline std::u32string u32(std::string_view ascii) { return std::u32string(ascii.begin(), ascii.end()); }

inline std::string ascii(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// The pieces of a division, as ASCII strings, for readable expectations.
inline std::vector<std::string> asciiPieces(const std::vector<std::u32string>& pieces) {
  std::vector<std::string> out;
  for (const auto& p : pieces) out.push_back(ascii(p));
  return out;
}

inline char32_t identity(char32_t c) { return c; }

inline Hyphenator makeHyphenator(const Patterns& patterns, const Exceptions& exceptions,
                                 std::int64_t left, std::int64_t right,
                                 CharNormaliser chars = identity) {
  return Hyphenator(std::move(chars), patterns, exceptions, left, right);
}

}  // namespace quellix::testing

#endif
