// The languages' data files supplied at run time, one slot per language, and the lookup
// over them and the embedded data set.
#include "supplied_data.hpp"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "thread_lock.hpp"

#include "data_file.hpp"
#include "embedded_files.hpp"
#include "language_loading.hpp"
#include "language_table.hpp"

namespace quellix::detail {
namespace {

constexpr std::array<std::string_view, 4> kKinds = {".chr.txt.gz", ".hyp.txt.gz", ".lic.txt.gz",
                                                    ".pat.txt.gz"};

// One language's files, in the order of kKinds. Published once, never changed or freed:
// the spans lookupDataFile hands out stay valid.
struct SuppliedFiles {
  std::array<std::vector<unsigned char>, 4> bytes;
};

std::array<std::atomic<const SuppliedFiles*>, languageCount> slots{};
RecordMutex supplying;

bool embedded(Language language) {
  return lookupEmbeddedFile(dataFileName(language, kKinds[3])).has_value();
}

}  // namespace

bool supplyLanguageFiles(Language language, const LanguageFiles& files) {
  const std::array<std::span<const unsigned char>, 4> given = {files.chr, files.hyp, files.lic,
                                                               files.pat};
  languageRow(language);  // rejects a value that is not a language
  if (embedded(language) || languageSupplied(language)) return false;
  auto copy = std::make_unique<SuppliedFiles>();
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    // What the first use will decompress again; a damaged file is refused now rather
    // than leave the language's tables failing for good.
    gunzip(given[k], dataFileName(language, kKinds[k]), kMaxSuppliedFileBytes);
    copy->bytes[k].assign(given[k].begin(), given[k].end());
  }
  const std::lock_guard<RecordMutex> lock(supplying);
  auto& slot = slots[static_cast<std::size_t>(language)];
  if (slot.load(std::memory_order_acquire) != nullptr) return false;  // another thread was first
  slot.store(copy.release(), std::memory_order_release);
  return true;
}

bool languageSupplied(Language language) noexcept {
  return isLanguage(language) &&
         slots[static_cast<std::size_t>(language)].load(std::memory_order_acquire) != nullptr;
}

std::optional<std::span<const unsigned char>> lookupDataFile(std::string_view name) noexcept {
  if (auto bytes = lookupEmbeddedFile(name)) return bytes;
  // "hyph-" + affix + kind
  constexpr std::string_view prefix = "hyph-";
  if (!name.starts_with(prefix)) return std::nullopt;
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    if (!name.ends_with(kKinds[k]) || name.size() < prefix.size() + kKinds[k].size()) continue;
    const std::string_view affix =
        name.substr(prefix.size(), name.size() - prefix.size() - kKinds[k].size());
    for (std::size_t i = 0; i < languageCount; ++i) {
      if (kLanguageRows[i].affix != affix) continue;
      const SuppliedFiles* files = slots[i].load(std::memory_order_acquire);
      if (files == nullptr) return std::nullopt;
      return std::span<const unsigned char>(files->bytes[k]);
    }
  }
  return std::nullopt;
}

}  // namespace quellix::detail
