// libhyphen dictionaries (.dic): readDictionary never fails other than with its own
// errors, and every quick reading of the levels it builds (automaton tables, compact and
// wide walks, both levels side by side) gives each word the values of the plain reading.
// breaksWithChanges keeps its promises on the same words: positions rise strictly within
// the word and each change covers its break; breakPoints gives exactly its breaks that keep
// the spelling; hyphenateWithChanges gives a piece more than breaks, which make up the word
// again when no break changes it. libquellix-hyphen's hnj_hyphen_hyphenate2 gives the same
// values and changes, writing within buffers of exactly the sizes hyphen.h documents.
//
// Input: the dictionary's bytes, 0x1E, then words one a line (UTF-8).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <hyphen.h>

#include "dictionary_data.hpp"
#include "fuzz_support.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/error.hpp"

using namespace quellix;
using namespace quellix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = splitRecord(asBytes(data, size), 2);
  std::optional<Hyphenator> h;
  try {
    h = readDictionary(parts[0], "fuzz.dic");
  } catch (const DictionaryError&) {
    return 0;
  } catch (const ArgumentError&) {
    return 0;
  }
  const detail::DictionaryData& compact = *detail::hyphenatorDictionary(*h);
  const auto wide = detail::readDictionaryData(parts[0], "fuzz.dic", detail::NodeLayout::Wide);

  const std::unique_ptr<HyphenDict, void (*)(HyphenDict*)> compat(
      hnj_hyphen_load_data(parts[0].data(), parts[0].size()), &hnj_hyphen_free);
  if (!compat) __builtin_trap();  // readDictionary read it

  std::string_view words = parts[1];
  for (int count = 0; !words.empty() && count < 64; ++count) {
    const std::size_t end = words.find('\n');
    const std::string_view line = words.substr(0, end);
    words.remove_prefix(end == std::string_view::npos ? words.size() : end + 1);
    if (line.empty() || line.size() > kReferenceWordLimit) continue;
    const Text word = decode(line);
    const bool compactAgrees = detail::quickReadingsAgree(compact, word);
    if (!compactAgrees || !detail::quickReadingsAgree(*wide, word)) {
      std::fprintf(stderr, "quick and plain readings differ (%s nodes) on '%.*s'\n",
                   compactAgrees ? "wide" : "compact", static_cast<int>(line.size()), line.data());
      __builtin_trap();
    }

    // breakPoints gives the breaks that keep the spelling, the same as breaksWithChanges.
    const std::vector<Utf8SpellingBreak> breaks = breaksWithChanges(*h, line);
    std::vector<std::size_t> positions(line.size() + 1);
    positions.resize(breakPoints(*h, line, positions));
    std::vector<std::size_t> standard;
    bool changed = false;
    for (std::size_t k = 0; k < breaks.size(); ++k) {
      const Utf8SpellingBreak& b = breaks[k];
      if (b.position > line.size() || (k > 0 && b.position <= breaks[k - 1].position) ||
          b.replacedBegin > b.position || b.position > b.replacedEnd || b.replacedEnd > line.size())
        __builtin_trap();
      const bool change = b.replacedBegin != b.replacedEnd || !b.lineEnd.empty() || !b.nextStart.empty();
      if (!change) standard.push_back(b.position);
      changed = changed || change;
    }
    if (standard != positions) __builtin_trap();
    const std::vector<std::string> pieces = hyphenateWithChanges(*h, line);
    if (pieces.size() != breaks.size() + 1) __builtin_trap();
    std::string joined;
    for (const std::string& piece : pieces) joined += piece;
    if (!changed && joined != line) __builtin_trap();

    // hnj_hyphen_hyphenate2 on the word's bytes as they are (in the dictionary's encoding),
    // into heap buffers of exactly the documented sizes.
    const int n = static_cast<int>(line.size());
    std::vector<char> hyphens(line.size() + 5), hyphenated(2 * line.size());
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    if (hnj_hyphen_hyphenate2(compat.get(), line.data(), n, hyphens.data(), hyphenated.data(), &rep, &pos, &cut) != 0)
      __builtin_trap();
    DictionaryValues values;
    dictionaryValues(*h, decodeDictionaryText(*h, line), values);
    std::string digits;
    for (const std::uint8_t v : values.values) digits += static_cast<char>('0' + v);
    if (std::string_view(hyphens.data()) != digits) __builtin_trap();
    std::size_t reps = 0;
    for (int k = 0; rep != nullptr && k < n; ++k) {
      reps += rep[k] != nullptr ? 1 : 0;
      std::free(rep[k]);
    }
    std::free(rep);
    std::free(pos);
    std::free(cut);
    if (reps != values.changes.size()) __builtin_trap();
  }
  return 0;
}
