// Derived hyphenators: user exception lists, other patterns, other margins.
#include "quellix/custom.hpp"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "exception_table.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/error.hpp"
#include "quellix/exception.hpp"
#include "quellix/pattern.hpp"
#include "quellix/user_files.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace quellix {
namespace {

// text decoded, or ArgumentError naming source, line and offset of the first bad byte.
std::u32string decodeStrictly(std::string_view text, std::string_view source) {
  std::u32string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t line = 1;
  for (std::size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const std::size_t length = detail::decodeUtf8Sequence(bytes + at, text.size() - at, c);
    if (length == 0) {
      throw ArgumentError(std::string(source) + ": not UTF-8 at line " + std::to_string(line) +
                          ", byte offset " + std::to_string(at));
    }
    if (c == U'\n') ++line;
    out += c;
    at += length;
  }
  return out;
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// Calls take(line, number) for each line of a caller's list, numbered from 1: the text
// checked against the file limits and decoded, a byte-order mark at its start left out,
// each line without its line feed and the carriage return before it.
template <class Take>
void forEachLine(std::string_view list, std::string_view source, Take take) {
  checkFileLimits(list, source);
  const std::u32string text = decodeStrictly(list, source);
  std::u32string_view rest = text;
  if (!rest.empty() && rest.front() == U'\uFEFF') rest.remove_prefix(1);
  for (std::size_t number = 1; !rest.empty(); ++number) {
    const std::size_t end = rest.find(U'\n');
    std::u32string_view line = rest.substr(0, end);
    rest = end == std::u32string_view::npos ? std::u32string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == U'\r') line.remove_suffix(1);
    take(line, number);
  }
}

// The entries of a user exception list, one per word line, with comments and the
// blanks around each word left out.
std::vector<std::u32string> readExceptionList(std::string_view list, std::string_view source) {
  std::vector<std::u32string> entries;
  forEachLine(list, source, [&entries](std::u32string_view line, std::size_t) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
    if (line.empty() || line.front() == U'%' || line.front() == U'#') return;
    entries.emplace_back(line);
  });
  return entries;
}

// The patterns of a pattern file, one per line as parsePatterns reads them: patterns are
// separated by white space, '%' starts a comment that runs to the end of the line (as in
// TeX), and so does '#' at the start of a line (as in exception lists). TeX commands and
// braces ("\patterns{") are refused, not taken for letters.
std::u32string readPatternFile(std::string_view text, std::string_view source) {
  constexpr std::u32string_view kSpaces = U" \t\r\f\v";
  std::u32string patterns;
  forEachLine(text, source, [&](std::u32string_view line, std::size_t number) {
    line = line.substr(0, line.find(U'%'));
    std::size_t at = line.find_first_not_of(kSpaces);
    if (at != std::u32string_view::npos && line[at] == U'#') return;
    while (at != std::u32string_view::npos) {
      const std::size_t end = line.find_first_of(kSpaces, at);
      const std::u32string_view pattern = line.substr(at, end - at);
      if (pattern.find_first_of(U"\\{}") != std::u32string_view::npos)
        throw ArgumentError(std::string(source) + ": line " + std::to_string(number) + ": '" +
                            detail::toUtf8(pattern) +
                            "' is TeX markup, not a pattern: give the patterns alone, "
                            "without \\patterns{...}");
      (patterns += pattern) += U'\n';
      at = line.find_first_not_of(kSpaces, end);
    }
  });
  return patterns;
}

// base's entries, with every word of replacements holding replacements' list instead.
Exceptions replaceEntries(const Exceptions& base, const Exceptions& replacements) {
  const detail::ExceptionTable* own = detail::ExceptionAccess::table(replacements);
  if (own == nullptr || own->words.empty()) return base;
  auto merged = std::make_shared<detail::ExceptionTable>();
  if (const detail::ExceptionTable* old = detail::ExceptionAccess::table(base)) merged->words = old->words;
  for (const auto& [word, scores] : own->words) merged->words.insert_or_assign(word, scores);
  return detail::ExceptionAccess::adopt(std::move(merged));
}

}  // namespace

Hyphenator withExceptions(const Hyphenator& h, std::string_view list, std::string_view source) {
  auto entries = std::make_shared<const std::vector<std::u32string>>(readExceptionList(list, source));
  auto exceptions = Lazy<Exceptions>::deferred([h, entries] {
    const CharNormaliser& normalise = hyphenatorChars(h);
    std::u32string text;
    for (const std::u32string& entry : *entries) {
      for (char32_t c : entry) text += (c == U'-' || !normalise) ? c : normalise(c);
      text += U'\n';
    }
    return replaceEntries(hyphenatorExceptions(h), parseExceptions(text));
  });
  return detail::hyphenatorLike(h, detail::patternsCell(h), std::move(exceptions),
                                hyphenatorLeftMin(h), hyphenatorRightMin(h));
}

Hyphenator withPatterns(const Hyphenator& h, Patterns patterns) {
  // The patterns replace a dictionary's division too.
  return detail::hyphenatorLike(h, std::move(patterns), detail::exceptionsCell(h),
                                hyphenatorLeftMin(h), hyphenatorRightMin(h), false);
}

Hyphenator withPatternText(const Hyphenator& h, std::string_view text, std::string_view source) {
  return withPatterns(h, parsePatterns(readPatternFile(text, source)));
}

Hyphenator withMargins(const Hyphenator& h, std::int64_t leftMin, std::int64_t rightMin) {
  return detail::hyphenatorLike(h, detail::patternsCell(h), detail::exceptionsCell(h), leftMin,
                                rightMin);
}

}  // namespace quellix
