// quellix-bench: Google Benchmark measurements of the word-division engine and the
// built-in languages. The English figures use the word list named by QUELLIX_BENCH_WORDS
// (lowercase ASCII words of Debian's wamerican), read when the program starts.
//
//   quellix-bench                         everything
//   quellix-bench --benchmark_filter=Parse  only the parsePatterns runs
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.hpp"
#include "quellix/quellix.hpp"

namespace {

using namespace quellix;
namespace qb = quellix::bench;

struct WordList {
  std::vector<std::u32string> words;
  std::string error;  // why there are no words
};

const WordList& englishWords() {
  static const WordList list = [] {
    WordList result;
    try {
      for (const std::string& word : qb::readLowercaseWords(qb::defaultWordsFile()))
        result.words.push_back(qb::widen(word));
      if (result.words.empty()) result.error = "no lowercase words in " + qb::defaultWordsFile();
    } catch (const std::exception& e) {
      result.error = e.what();
    }
    return result;
  }();
  return list;
}

// The shared english_US hyphenator with every table built, so that the word loops measure
// division alone.
const Hyphenator& readyEnglish() {
  const Hyphenator& h = english_US;
  benchmark::DoNotOptimize(hyphenate(h, U"hyphenation"));
  return h;
}

// One word per iteration, cycling through the list.
template <class Divide>
void overEnglishWords(benchmark::State& state, Divide&& divide) {
  const WordList& list = englishWords();
  if (list.words.empty()) {
    state.SkipWithError(list.error.c_str());
    return;
  }
  std::size_t next = 0;
  for (auto _ : state) {
    divide(list.words[next]);
    if (++next == list.words.size()) next = 0;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  state.counters["words"] = static_cast<double>(list.words.size());
}

void BM_Hyphenate_EnglishUS(benchmark::State& state) {
  const Hyphenator& h = readyEnglish();
  overEnglishWords(state, [&](const std::u32string& word) {
    benchmark::DoNotOptimize(hyphenate(h, word));
  });
}
BENCHMARK(BM_Hyphenate_EnglishUS);

void BM_BreakPoints_EnglishUS(benchmark::State& state) {
  const Hyphenator& h = readyEnglish();
  std::array<std::size_t, 64> out{};
  overEnglishWords(state, [&](const std::u32string& word) {
    benchmark::DoNotOptimize(breakPoints(h, word, out));
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_BreakPoints_EnglishUS);

// The pattern lookup alone (the words are already in normal form: lowercase ASCII).
void BM_LookupPattern_EnglishUS(benchmark::State& state) {
  const Patterns& patterns = hyphenatorPatterns(readyEnglish());
  overEnglishWords(state, [&](const std::u32string& word) {
    benchmark::DoNotOptimize(lookupPattern(word, patterns));
  });
}
BENCHMARK(BM_LookupPattern_EnglishUS);

// One long word: the cost must grow linearly with its length.
void BM_LookupPattern_LongWord(benchmark::State& state) {
  const Patterns& patterns = hyphenatorPatterns(readyEnglish());
  const std::u32string piece = U"hyphenationalgorithm";
  std::u32string word;
  while (word.size() < static_cast<std::size_t>(state.range(0))) word += piece;
  word.resize(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lookupPattern(word, patterns));
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_LookupPattern_LongWord)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// parsePatterns of a language's whole pattern text (decoded beforehand); the trie is
// destroyed outside the timed part.
void parseLanguagePatterns(benchmark::State& state, const char* fileName) {
  const std::u32string text = qb::embeddedText(fileName);
  for (auto _ : state) {
    Patterns trie = parsePatterns(text);
    benchmark::DoNotOptimize(trie);
    state.PauseTiming();
    trie = Patterns();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(parseLanguagePatterns, Hungarian, "hyph-hu.pat.txt.gz")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parseLanguagePatterns, EnglishUS, "hyph-en-us.pat.txt.gz")
    ->Unit(benchmark::kMillisecond);

// What the first use of english_US does (character map, patterns with their lookup index,
// exceptions, then one division), on a fresh hyphenator each time. The process is warm
// here; quellix-bench-compare measures the cold first use in a fresh process.
void BM_FirstUse_EnglishUS(benchmark::State& state) {
  for (auto _ : state) {
    std::optional<Hyphenator> h = loadHyphenator(Language::English_US);
    benchmark::DoNotOptimize(hyphenate(*h, U"hyphenation"));
    state.PauseTiming();
    h.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstUse_EnglishUS)->Unit(benchmark::kMicrosecond);

// Every language's hyphenator from loadHyphenator with its character map, patterns (and
// their lookup index) and exceptions built.
void BM_BuildAllLanguages(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<Hyphenator> all;
    all.reserve(languageCount);
    for (Language language : enumFrom(languageMinBound)) {
      const Hyphenator& h = all.emplace_back(loadHyphenator(language));
      benchmark::DoNotOptimize(hyphenatorChars(h)(U'a'));
      benchmark::DoNotOptimize(lookupPattern(U"a", hyphenatorPatterns(h)));
      benchmark::DoNotOptimize(hyphenatorExceptions(h).size());
    }
    state.PauseTiming();
    all.clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * languageCount));
}
BENCHMARK(BM_BuildAllLanguages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
