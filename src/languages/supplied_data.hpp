// Language data handed to the library while it runs, beside the embedded data set: for a
// build that carries some languages' files or none (the WebAssembly core, whose languages
// arrive as a page first needs them). Internal to the library.
#ifndef QUELLIX_SRC_SUPPLIED_DATA_HPP
#define QUELLIX_SRC_SUPPLIED_DATA_HPP

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "quellix/language.hpp"

namespace quellix::detail {

// The four gzip files of one language, byte for byte as they lie in the data directory
// ("hyph-<affix>.chr.txt.gz", ".hyp", ".lic", ".pat").
struct LanguageFiles {
  std::span<const unsigned char> chr;
  std::span<const unsigned char> hyp;
  std::span<const unsigned char> lic;
  std::span<const unsigned char> pat;
};

// The most bytes a supplied file may decompress to (the largest of the data set, the
// Hungarian patterns, is 528,090).
inline constexpr std::size_t kMaxSuppliedFileBytes = 4u << 20;

// Makes files the data of language for every later lookupDataFile, loadHyphenator and
// languageBuiltIn: each file is checked (one whole gzip member of at most
// kMaxSuppliedFileBytes) and copied, and the copies stay until the process ends. Returns
// false and keeps nothing when language has data already (embedded, or supplied before).
// Throws ArgumentError for a value outside 0..72, DecompressionError naming the file for
// one that is damaged or too large (nothing is kept then), std::bad_alloc. Thread-safe.
bool supplyLanguageFiles(Language language, const LanguageFiles& files);

// The bytes of the data file called name: the embedded one, or else the one supplied for
// its language; nothing when there is neither. Never throws; thread-safe.
std::optional<std::span<const unsigned char>> lookupDataFile(std::string_view name) noexcept;

// Whether supplyLanguageFiles gave language its data. Never throws; thread-safe.
bool languageSupplied(Language language) noexcept;

}  // namespace quellix::detail

#endif
