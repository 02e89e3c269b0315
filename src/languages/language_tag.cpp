// Language tags: the lookup from what users write to a Language.
#include "quellix/language_tag.hpp"

#include <algorithm>
#include <array>
#include <string>

#include "language_table.hpp"

namespace quellix {
namespace {

struct Alias {
  std::string_view tag;
  std::string_view affix;
};

// Tags whose language carries a longer affix, or has several pattern sets of which one is
// the usual choice.
constexpr std::array kAliases{
    Alias{"en", "en-us"},      Alias{"de", "de-1996"}, Alias{"el", "el-monoton"},
    Alias{"sh", "sh-latn"},    Alias{"sr-latn", "sh-latn"}, Alias{"no", "nb"},
    Alias{"ku", "kmr"},        Alias{"am", "mul-ethi"}, Alias{"ti", "mul-ethi"},
    Alias{"gez", "mul-ethi"},
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Rule 1: trimmed, without encoding or modifier, "_" as "-", lower case.
std::string normaliseTag(std::string_view tag) {
  while (!tag.empty() && isBlank(tag.front())) tag.remove_prefix(1);
  while (!tag.empty() && isBlank(tag.back())) tag.remove_suffix(1);
  tag = tag.substr(0, tag.find_first_of(".@"));
  std::string out(tag);
  for (char& c : out) c = c == '_' ? '-' : lowerAscii(c);
  return out;
}

// A name or affix in the same form as a normalised tag.
bool equalsNormalised(std::string_view normalised, std::string_view text) {
  if (normalised.size() != text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] == '_' ? '-' : lowerAscii(text[i]);
    if (normalised[i] != c) return false;
  }
  return true;
}

std::optional<Language> languageOfAffix(std::string_view affix) {
  for (std::size_t i = 0; i < languageCount; ++i)
    if (detail::kLanguageRows[i].affix == affix) return static_cast<Language>(i);
  return std::nullopt;
}

std::optional<Language> exactMatch(std::string_view tag) {
  for (std::size_t i = 0; i < languageCount; ++i) {
    const detail::LanguageRow& row = detail::kLanguageRows[i];
    if (equalsNormalised(tag, row.affix) || equalsNormalised(tag, row.name))
      return static_cast<Language>(i);
  }
  return std::nullopt;
}

// The one affix that begins with tag's subtags, if exactly one does.
std::optional<Language> uniqueCompletion(std::string_view tag) {
  std::optional<Language> found;
  for (std::size_t i = 0; i < languageCount; ++i) {
    const std::string_view affix = detail::kLanguageRows[i].affix;
    if (affix.size() > tag.size() && affix.starts_with(tag) && affix[tag.size()] == '-') {
      if (found) return std::nullopt;
      found = static_cast<Language>(i);
    }
  }
  return found;
}

std::optional<Language> aliasOrCompletion(std::string_view tag) {
  for (const Alias& alias : kAliases)
    if (alias.tag == tag) return languageOfAffix(alias.affix);
  return uniqueCompletion(tag);
}

// Levenshtein distance, for suggestions only: both texts are short (cut by the caller).
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string normalisedName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = c == '_' ? '-' : lowerAscii(c);
  return out;
}

}  // namespace

std::optional<Language> findLanguage(std::string_view tag) {
  std::string text = normaliseTag(tag);
  while (!text.empty()) {
    if (auto language = exactMatch(text)) return language;
    if (auto language = aliasOrCompletion(text)) return language;
    const std::size_t dash = text.rfind('-');
    if (dash == std::string::npos) break;
    text.resize(dash);
  }
  return std::nullopt;
}

std::vector<std::string_view> languageAliases(Language language) {
  const std::string_view affix = detail::languageRow(language).affix;
  std::vector<std::string_view> out;
  for (const Alias& alias : kAliases)
    if (alias.affix == affix) out.push_back(alias.tag);
  // Every proper run of leading subtags that completes to this affix alone.
  for (std::size_t dash = affix.find('-'); dash != std::string_view::npos;
       dash = affix.find('-', dash + 1)) {
    const std::string_view prefix = affix.substr(0, dash);
    if (exactMatch(prefix)) continue;
    if (std::find_if(kAliases.begin(), kAliases.end(),
                     [&](const Alias& a) { return a.tag == prefix; }) != kAliases.end())
      continue;
    if (uniqueCompletion(prefix) == language) out.push_back(prefix);
  }
  return out;
}

std::vector<std::string_view> closeLanguageAffixes(std::string_view tag, std::size_t limit) {
  // Tags longer than any name are not typos of one; cutting keeps the work small.
  constexpr std::size_t kLongestCompared = 32;
  std::string text = normaliseTag(tag);
  if (text.empty() || limit == 0) return {};
  if (text.size() > kLongestCompared) text.resize(kLongestCompared);
  // Close means at most a third of the tag's letters changed, and at least one allowed.
  const std::size_t allowed = std::max<std::size_t>(1, text.size() / 3);
  struct Candidate {
    std::size_t distance;
    std::size_t number;
  };
  std::vector<Candidate> candidates;
  for (std::size_t i = 0; i < languageCount; ++i) {
    const detail::LanguageRow& row = detail::kLanguageRows[i];
    const std::size_t distance =
        std::min(editDistance(text, row.affix), editDistance(text, normalisedName(row.name)));
    if (distance <= allowed) candidates.push_back({distance, i});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < candidates.size() && out.size() < limit; ++i)
    out.push_back(detail::kLanguageRows[candidates[i].number].affix);
  return out;
}

}  // namespace quellix
