// The rows of quellix-bench-compare for libhyphen's own dictionaries: libhyphen against
// libquellix-hyphen (the same hyphen.h calls) and against quellix's own API, on the same
// .dic files and words in one process, and the load time of the largest dictionary.
// libquellix-hyphen defines libhyphen's symbols, so it is opened with dlopen and kept local.
#include "bench_dictionaries.hpp"

#include <dlfcn.h>
#include <hyphen.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.hpp"
#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "utf8_decode.hpp"

namespace quellix::bench {
namespace {

// hyphen.h's functions, from libhyphen itself or from libquellix-hyphen.
struct HyphenApi {
  HyphenDict* (*load)(const char*) = nullptr;
  void (*free)(HyphenDict*) = nullptr;
  int (*hyphenate2)(HyphenDict*, const char*, int, char*, char*, char***, int**, int**) = nullptr;
};

HyphenApi libhyphen() { return {&hnj_hyphen_load, &hnj_hyphen_free, &hnj_hyphen_hyphenate2}; }

HyphenApi quellixHyphen() {
  void* library = dlopen(QUELLIX_BENCH_HYPHEN_COMPAT, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) throw std::runtime_error(std::string("cannot open ") + QUELLIX_BENCH_HYPHEN_COMPAT);
  HyphenApi api;
  api.load = reinterpret_cast<decltype(api.load)>(dlsym(library, "hnj_hyphen_load"));
  api.free = reinterpret_cast<decltype(api.free)>(dlsym(library, "hnj_hyphen_free"));
  api.hyphenate2 = reinterpret_cast<decltype(api.hyphenate2)>(dlsym(library, "hnj_hyphen_hyphenate2"));
  if (!api.load || !api.free || !api.hyphenate2) throw std::runtime_error("libquellix-hyphen lacks hyphen.h's functions");
  return api;
}

// Divides word (followed by a NUL); hyphens holds word.size() + 5 bytes. Frees what the call
// allocates.
int divide(const HyphenApi& api, HyphenDict* dict, std::string_view word, char* hyphens) {
  char** rep = nullptr;
  int* pos = nullptr;
  int* cut = nullptr;
  const int status = api.hyphenate2(dict, word.data(), static_cast<int>(word.size()), hyphens, nullptr,
                                    &rep, &pos, &cut);
  if (rep) {
    for (std::size_t k = 0; k < word.size(); ++k) std::free(rep[k]);
    std::free(rep);
    std::free(pos);
    std::free(cut);
  }
  return status;
}

struct DictionaryCorpus {
  const char* name;
  const char* dictionary;
  const char* words;
  bool hunspell;  // a count line, then word/flags
  const char* packages;
};

constexpr DictionaryCorpus kCorpora[] = {
    {"de (hyphen-de)", "/usr/share/hyphen/hyph_de_DE.dic", "/usr/share/dict/ngerman", false, "hyphen-de wngerman"},
    {"hu (hyphen-hu, non-standard)", "/usr/share/hyphen/hyph_hu_HU.dic", "/usr/share/hunspell/hu_HU.dic", true,
     "hyphen-hu hunspell-hu"},
    {"nl (hyphen-nl)", "/usr/share/hyphen/hyph_nl_NL.dic", "/usr/share/dict/dutch", false, "hyphen-nl wdutch"},
    {"fr (hyphen-fr)", "/usr/share/hyphen/hyph_fr.dic", "/usr/share/dict/french", false, "hyphen-fr wfrench"},
};

// The list's words in lower case (as libhyphen expects them) that the dictionary's encoding
// can write, at most most of them spread over the list: as code points and as bytes.
void readWords(const DictionaryCorpus& corpus, const Hyphenator& h, std::size_t most,
               std::vector<std::u32string>& words, std::vector<std::string>& encoded) {
  std::ifstream in(corpus.words);
  std::string line;
  std::vector<std::u32string> all;
  const CharNormaliser& fold = hyphenatorChars(h);
  for (bool first = true; std::getline(in, line); first = false) {
    if (corpus.hunspell) {
      if (first) continue;
      line = line.substr(0, line.find_first_of("/\t "));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::u32string word;
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    bool ok = !line.empty();
    for (std::size_t at = 0; ok && at < line.size();) {
      char32_t c = 0;
      const std::size_t length = detail::decodeUtf8Sequence(bytes + at, line.size() - at, c);
      ok = length != 0;
      word += fold(c);
      at += length == 0 ? 1 : length;
    }
    if (ok && decodeDictionaryText(h, encodeDictionaryText(h, word)) == word) all.push_back(std::move(word));
  }
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  for (std::size_t k = 0; k < std::min(most, all.size()); ++k) {
    words.push_back(all[k * all.size() / std::min(most, all.size())]);
    encoded.push_back(encodeDictionaryText(h, words.back()));
  }
}

std::string number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

void printDictionaryComparison(int rounds, std::size_t maxWords) {
  const HyphenApi peer = libhyphen();
  const HyphenApi ours = quellixHyphen();
  std::printf("\n| libhyphen's dictionaries (same .dic, same words, one process) | words | libhyphen "
              "ns/word | hnj_hyphen_hyphenate2 through libquellix-hyphen | vs libhyphen (>= 5x) | "
              "breakPoints ns/word | vs libhyphen (>= 5x) | same values |\n|---|---|---|---|---|---|---|---|\n");
  std::vector<std::string> skipped;
  for (const DictionaryCorpus& corpus : kCorpora) {
    if (!std::filesystem::exists(corpus.dictionary) || !std::filesystem::exists(corpus.words)) {
      skipped.push_back(std::string(corpus.name) + " (install " + corpus.packages + ")");
      continue;
    }
    const Hyphenator h = loadDictionary(corpus.dictionary);
    std::vector<std::u32string> listed;
    std::vector<std::string> listedBytes;
    readWords(corpus, h, maxWords, listed, listedBytes);
    // Each divider reads the words side by side from one buffer, as from a text. As separate
    // strings, the words too long to be kept inside their string (almost every word as a
    // std::u32string) are heap blocks of their own, which the other dividers' passes push out
    // of the caches: fetching them again is no part of dividing.
    std::u32string text;
    std::string bytes;
    for (std::size_t k = 0; k < listed.size(); ++k) {
      text += listed[k];
      bytes += listedBytes[k];
      bytes += '\0';
    }
    std::vector<std::u32string_view> words;
    std::vector<std::string_view> encoded;
    for (std::size_t k = 0, at = 0, byteAt = 0; k < listed.size(); ++k) {
      words.emplace_back(text.data() + at, listed[k].size());
      encoded.emplace_back(bytes.data() + byteAt, listedBytes[k].size());
      at += listed[k].size();
      byteAt += listedBytes[k].size() + 1;
    }
    std::unique_ptr<HyphenDict, void (*)(HyphenDict*)> theirs(peer.load(corpus.dictionary), peer.free);
    std::unique_ptr<HyphenDict, void (*)(HyphenDict*)> mine(ours.load(corpus.dictionary), ours.free);
    std::size_t longest = 0;
    for (const std::string_view w : encoded) longest = std::max(longest, w.size());
    std::vector<char> a(longest + 5), b(longest + 5);
    std::vector<std::size_t> out(longest + 1);
    std::size_t same = 0;
    for (const std::string_view w : encoded) {
      divide(peer, theirs.get(), w, a.data());
      divide(ours, mine.get(), w, b.data());
      same += std::string_view(a.data()) == std::string_view(b.data()) ? 1 : 0;
    }
    std::vector<double> ns[3];
    std::size_t sink = 0;
    for (int round = -1; round < rounds; ++round) {
      for (int k = 0; k < 3; ++k) {
        const int which = (round + 1 + k) % 3;
        const double start = threadCpuNs();
        if (which == 0) {
          for (const std::string_view w : encoded) sink += static_cast<std::size_t>(divide(peer, theirs.get(), w, a.data())) + a[0];
        } else if (which == 1) {
          for (const std::string_view w : encoded) sink += static_cast<std::size_t>(divide(ours, mine.get(), w, b.data())) + b[0];
        } else {
          for (const std::u32string_view w : words) sink += breakPoints(h, w, out);
        }
        if (round >= 0) ns[which].push_back((threadCpuNs() - start) / static_cast<double>(words.size()));
      }
    }
    const double p = median(ns[0]), c = median(ns[1]), q = median(ns[2]);
    std::printf("| %s | %zu | %s | %s | %sx%s | %s | %sx%s | %zu of %zu |\n", corpus.name, words.size(),
                number("%.0f", p).c_str(), number("%.0f", c).c_str(), number("%.2f", p / c).c_str(),
                p / c >= 5 ? "" : " (**no**)", number("%.0f", q).c_str(), number("%.2f", p / q).c_str(),
                p / q >= 5 ? "" : " (**no**)", same, words.size());
    if (sink == 0) std::printf("\n");
  }
  // Loading the largest of Debian's dictionaries (German, 1.1 MB): libhyphen's load once
  // (it takes seconds), quellix's three times.
  const char* largest = "/usr/share/hyphen/hyph_de_DE.dic";
  if (std::filesystem::exists(largest)) {
    double start = threadCpuNs();
    peer.free(peer.load(largest));
    const double theirs = threadCpuNs() - start;
    std::vector<double> mine;
    for (int k = 0; k < 3; ++k) {
      start = threadCpuNs();
      ours.free(ours.load(largest));
      mine.push_back(threadCpuNs() - start);
    }
    const double ratio = median(mine) / theirs;
    std::printf("| loading hyph_de_DE.dic, the largest: libhyphen %s ms, libquellix-hyphen %s ms "
                "(median of 3) | | | | %s of libhyphen's time (<= 0.5) %s | | | |\n",
                number("%.0f", theirs / 1e6).c_str(), number("%.1f", median(mine) / 1e6).c_str(),
                number("%.3f", ratio).c_str(), ratio <= 0.5 ? "" : "(**no**)");
  }
  for (const std::string& s : skipped) std::printf("- Skipped: %s.\n", s.c_str());
}

}  // namespace quellix::bench
