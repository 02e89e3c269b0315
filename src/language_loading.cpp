// loadHyphenator, languageHyphenator and the licence texts.
#include "language_loading.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

#include "char_classes.hpp"
#include "embedded_files.hpp"
#include "language_table.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/exception.hpp"
#include "quellix/pattern.hpp"
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
    return CharMap(readDataFile(name, *files));
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
  return Hyphenator(Lazy<CharNormaliser>(CharNormaliser(CharClassNormaliser{std::move(map)})),
                    std::move(patterns), std::move(exceptions), row.leftMin, row.rightMin);
}

namespace {

// The shared hyphenator of one language: built in place on first use, never destroyed
// (it lives until the process ends, so no destructor is registered at load either).
struct SharedHyphenator {
  std::atomic<const Hyphenator*> built{nullptr};  // the fast way in, once built
  std::once_flag once;
  alignas(Hyphenator) unsigned char storage[sizeof(Hyphenator)] = {};
};
static_assert(std::is_trivially_destructible_v<SharedHyphenator>);

// Constant-initialised: loading the library runs no code for it.
constinit SharedHyphenator sharedHyphenators[languageCount];

}  // namespace
}  // namespace detail

Hyphenator loadHyphenator(Language language) {
  return detail::loadHyphenatorFrom(language, &detail::lookupEmbeddedFile, true);
}

const Hyphenator& languageHyphenator(Language language) {
  const auto slot = static_cast<std::size_t>(language);
  if (slot < languageCount) {
    // Callers name english_US for every word they divide: one load, no call_once.
    if (const Hyphenator* built =
            detail::sharedHyphenators[slot].built.load(std::memory_order_acquire))
      [[likely]] return *built;
  }
  detail::languageRow(language);  // rejects a value that is not a language
  detail::SharedHyphenator& shared = detail::sharedHyphenators[slot];
  // call_once retries after an exception (bad_alloc), so a failed build is not kept.
  std::call_once(shared.once, [&] {
    const Hyphenator* made = ::new (shared.storage) Hyphenator(loadHyphenator(language));
    shared.built.store(made, std::memory_order_release);
  });
  return *std::launder(reinterpret_cast<const Hyphenator*>(shared.storage));
}

bool languageBuiltIn(Language language) noexcept {
  if (!detail::isLanguage(language)) return false;
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
      detail::readDataFile(detail::dataFileName(language, ".lic.txt.gz"), &detail::lookupEmbeddedFile));
}

}  // namespace quellix
