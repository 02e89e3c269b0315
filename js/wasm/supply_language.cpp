// The WebAssembly core's entry for a language's data files, which the JavaScript glue
// fetches when the language is first needed (js/quellix/loader.js) and hands over here.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "quellix/error.hpp"
#include "quellix/quellix.h"
#include "data_file.hpp"
#include "language_loading.hpp"
#include "supplied_data.hpp"

namespace {
std::string supplyError;
}

extern "C" {

// Makes the four files of language number index (chr, hyp, lic, pat, each a gzip file
// of the data set) that language's data; QUELLIX_OK also when it had its data already.
// On failure quellix_wasm_supply_error() says why.
int quellix_wasm_supply_language(std::size_t index, const unsigned char* chr, std::size_t chrSize,
                                 const unsigned char* hyp, std::size_t hypSize,
                                 const unsigned char* lic, std::size_t licSize,
                                 const unsigned char* pat, std::size_t patSize) {
  if (index >= quellix::languageCount) {
    supplyError = "no language has the number " + std::to_string(index);
    return QUELLIX_ERROR_INVALID_ARGUMENT;
  }
  try {
    quellix::detail::supplyLanguageFiles(static_cast<quellix::Language>(index),
                                         {{chr, chrSize}, {hyp, hypSize}, {lic, licSize}, {pat, patSize}});
    return QUELLIX_OK;
  } catch (const std::bad_alloc&) {
    supplyError = "out of memory";
    return QUELLIX_ERROR_NO_MEMORY;
  } catch (const std::exception& error) {
    supplyError = error.what();
    return QUELLIX_ERROR_DATA;
  }
}

const char* quellix_wasm_supply_error(void) { return supplyError.c_str(); }

// The decompressed file ".chr", ".hyp", ".lic" or ".pat" (kind 0 to 3) of language number
// index, in a block of malloc'ed memory the caller frees, its length in *length; NULL on
// failure (quellix_wasm_supply_error() says why).
char* quellix_wasm_language_file(std::size_t index, int kind, std::size_t* length) {
  static constexpr const char* kSuffixes[] = {".chr.txt.gz", ".hyp.txt.gz", ".lic.txt.gz", ".pat.txt.gz"};
  if (index >= quellix::languageCount || kind < 0 || kind > 3 || length == nullptr) {
    supplyError = "no such language file";
    return nullptr;
  }
  try {
    const std::string name =
        quellix::detail::dataFileName(static_cast<quellix::Language>(index), kSuffixes[kind]);
    const auto bytes = quellix::detail::lookupDataFile(name);
    if (!bytes) {
      supplyError = "Could not find " + name;
      return nullptr;
    }
    const std::string text = quellix::detail::gunzip(*bytes, name);
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (out == nullptr) throw std::bad_alloc();
    std::memcpy(out, text.data(), text.size());
    *length = text.size();
    return out;
  } catch (const std::exception& error) {
    supplyError = error.what();
    return nullptr;
  }
}

}  // extern "C"
