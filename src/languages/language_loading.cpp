// loadHyphenator, languageHyphenator and the licence texts.
#include "language_loading.hpp"

#include <memory>
#include <utility>

#include "char_classes.hpp"
#include "embedded_files.hpp"
#include "hyphenator_internal.hpp"
#include "language_table.hpp"
#include "once_cell.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/exception.hpp"
#include "quellix/pattern.hpp"
#include "supplied_data.hpp"
#include "utf8_encode.hpp"

namespace quellix {
namespace detail {

std::string dataFileName(Language language, std::string_view suffix) {
  const std::string_view affix = languageRow(language).affix;
  std::string name;
  name.reserve(5 + affix.size() + suffix.size());
  name += "hyph-";
  name += affix;
  name += suffix;
  return name;
}

Hyphenator loadHyphenatorFrom(Language language, FileLookup lookup, bool builtIndex) {
  const LanguageRow& row = languageRow(language);
  auto files = std::make_shared<const FileLookup>(std::move(lookup));

  auto map = Lazy<CharMap>::deferred([files, name = dataFileName(language, ".chr.txt.gz")] {
    return charClassMap(readDataFile(name, *files));
  });
  auto patterns = Lazy<Patterns>::deferred(
      [files, name = dataFileName(language, ".pat.txt.gz"), affix = row.affix, builtIndex] {
        auto parse = [files, name] { return parsePatterns(readDataFile(name, *files)); };
        if (builtIndex)
          if (const auto image = lookupEmbeddedPatternIndex(affix))
            if (auto index = PatternIndex::fromImage(*image))
              return deferredPatterns(std::move(index), std::move(parse));
        // Dividing words needs only the index, made straight from the sorted lines; the
        // trie is parsed (the file read again) only if a caller asks for it.
        auto index = buildIndex(sortPatternLines(readDataFile(name, *files)));
        if (!index) return Patterns();
        return deferredPatterns(std::move(index), std::move(parse));
      });
  auto exceptions =
      Lazy<Exceptions>::deferred([files, name = dataFileName(language, ".hyp.txt.gz")] {
        return parseExceptions(readDataFile(name, *files));
      });
  return hyphenatorWithCharMap(std::move(map), std::move(patterns), std::move(exceptions),
                               row.leftMin, row.rightMin);
}

namespace {

// The shared hyphenator of each language, built on first use. Never destroyed: threads
// may still use them while the process exits.
OnceCell<Hyphenator>* sharedHyphenators() {
  static OnceCell<Hyphenator>* const cells = new OnceCell<Hyphenator>[languageCount];
  return cells;
}

}  // namespace
}  // namespace detail

Hyphenator loadHyphenator(Language language) {
  return detail::loadHyphenatorFrom(language, &detail::lookupDataFile, true);
}

const Hyphenator& languageHyphenator(Language language) {
  detail::OnceCell<Hyphenator>* const cells = detail::sharedHyphenators();
  const auto slot = static_cast<std::size_t>(language);
  // Callers name english_US for every word they divide: a built one costs a load.
  if (slot < languageCount) {
    if (const Hyphenator* built = cells[slot].ready()) [[likely]] return *built;
  }
  detail::languageRow(language);  // rejects a value that is not a language
  return cells[slot].get([language] { return loadHyphenator(language); });
}

bool languageBuiltIn(Language language) noexcept {
  if (!detail::isLanguage(language)) return false;
  if (detail::languageSupplied(language)) return true;
  // The build embeds all four files of a language or none of them.
  char name[64] = "hyph-";
  const std::string_view affix = detail::kLanguageRows[static_cast<std::size_t>(language)].affix;
  const std::string_view kind = ".pat.txt.gz";
  if (5 + affix.size() + kind.size() > sizeof name) return false;
  affix.copy(name + 5, affix.size());
  kind.copy(name + 5 + affix.size(), kind.size());
  return detail::lookupEmbeddedFile(std::string_view(name, 5 + affix.size() + kind.size())).has_value();
}

std::string languageLicence(Language language) {
  return detail::toUtf8(
      detail::readDataFile(detail::dataFileName(language, ".lic.txt.gz"), &detail::lookupDataFile));
}

}  // namespace quellix
