// quellix-bench-compare: quellix against libhyphen, the C hyphenator most desktop software
// uses, on the same words and the same patterns, in one run; prints a Markdown table.
//
//   quellix-bench-compare [--dictionaries DIR] [--rounds N] [--max-words N]
//
// For each of ten languages, DIR holds libhyphen's form of the pattern text quellix embeds
// (hyph_<tag>.dic, made by the build with libhyphen's substrings.pl and the language's
// margins), so both sides divide with identical patterns and margins. The words come from
// Debian word lists (the lowercase words made only of characters the patterns know). Each
// round times one pass over every language's words for each of the three dividers, in a
// rotating order, as CPU time of this thread; the table gives the median round of each.
// First uses and the building of all languages are timed in fresh processes (this program
// started again with --child).
#include <hyphen.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench_dictionaries.hpp"
#include "bench_support.hpp"
#include "bench_text.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/quellix.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

// Counts the allocations of this program, to show that dividing a long word again
// allocates nothing (libhyphen uses malloc and is not counted).
namespace {
std::atomic<std::size_t> allocationCount{0};
[[gnu::noinline]] void* allocate(std::size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
[[gnu::noinline]] void deallocate(void* p) noexcept { std::free(p); }
}  // namespace
void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { deallocate(p); }
void operator delete[](void* p) noexcept { deallocate(p); }
void operator delete(void* p, std::size_t) noexcept { deallocate(p); }
void operator delete[](void* p, std::size_t) noexcept { deallocate(p); }

namespace {

using namespace quellix;
namespace qb = quellix::bench;

using qb::processCpuNs;
using qb::threadCpuNs;

// ---------------------------------------------------------------------------------------
// libhyphen, through its public C interface.

class LibHyphen {
 public:
  explicit LibHyphen(const std::string& dictionaryPath)
      : dict_(hnj_hyphen_load(dictionaryPath.c_str())) {
    if (!dict_) throw std::runtime_error("libhyphen could not load " + dictionaryPath);
  }
  LibHyphen(const LibHyphen&) = delete;
  LibHyphen& operator=(const LibHyphen&) = delete;
  ~LibHyphen() { hnj_hyphen_free(dict_); }

  // Divides word; hyphens (word.size() + 5 bytes) receives one digit per letter, odd
  // where a break follows that letter. Returns libhyphen's status (0 on success).
  int hyphenate(std::string_view word, char* hyphens) const {
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const int status = hnj_hyphen_hyphenate2(dict_, word.data(), static_cast<int>(word.size()),
                                             hyphens, nullptr, &rep, &pos, &cut);
    if (rep) {  // only patterns with replacements allocate these; English has none
      for (std::size_t k = 0; k < word.size(); ++k) std::free(rep[k]);
      std::free(rep);
      std::free(pos);
      std::free(cut);
    }
    return status;
  }

 private:
  HyphenDict* dict_;
};

// ---------------------------------------------------------------------------------------
// Child processes: cold measurements, one fresh process each.

void printFigure(const char* key, double value) { std::printf("%s %.17g\n", key, value); }

// The first use of a language's shared hyphenator: the record, then the character map,
// the exception table, the patterns and their lookup index, all built by dividing one
// word. CPU time of the process.
int childFirstUse(std::string_view tag) {
  const std::optional<Language> language = languageFromName(tag);
  if (!language) return 2;
  const double start = processCpuNs();
  const Hyphenator& h = languageHyphenator(*language);
  const std::vector<std::u32string> pieces = hyphenate(h, U"abcdefghijklmnop");
  const double elapsed = processCpuNs() - start;
  printFigure("first_use_ns", elapsed);
  printFigure("pieces", static_cast<double>(pieces.size()));
  return 0;
}

// Every language's hyphenator from loadHyphenator, all three tables forced, kept alive;
// then the patterns' lookup index of each (built by the first lookup), then the automata.
int childAllLanguages() {
  std::vector<Hyphenator> all;
  all.reserve(languageCount);
  const std::size_t rssBefore = qb::residentBytes();
  const std::size_t heapBefore = qb::heapInUseBytes();
  std::size_t failures = 0;
  const double start = processCpuNs();
  for (Language language : enumFrom(languageMinBound)) {
    const Hyphenator& h = all.emplace_back(loadHyphenator(language));
    try {
      hyphenatorChars(h)(U'a');  // builds the character map
      (void)hyphenatorPatterns(h);
      (void)hyphenatorExceptions(h);
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double tablesNs = processCpuNs() - start;
  const std::size_t rssTables = qb::residentBytes();
  const double indexStart = processCpuNs();
  for (const Hyphenator& h : all) {
    try {
      (void)lookupPattern(U"a", hyphenatorPatterns(h));
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double indexNs = processCpuNs() - indexStart;
  const std::size_t rssIndex = qb::residentBytes();
  // The automata that hyphenators of long texts switch to.
  const double automataStart = processCpuNs();
  std::size_t automata = 0;
  for (const Hyphenator& h : all) {
    try {
      if (const detail::PatternIndex* index = detail::indexOf(hyphenatorPatterns(h)))
        automata += index->automaton() ? 1 : 0;
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double automataNs = processCpuNs() - automataStart;
  const std::size_t rssAutomata = qb::residentBytes();
  const std::size_t heapAfter = qb::heapInUseBytes();
  printFigure("tables_ns", tablesNs);
  printFigure("tables_rss", static_cast<double>(rssTables) - static_cast<double>(rssBefore));
  printFigure("index_ns", indexNs);
  printFigure("index_rss", static_cast<double>(rssIndex) - static_cast<double>(rssBefore));
  printFigure("automata_ns", automataNs);
  printFigure("automata", static_cast<double>(automata));
  printFigure("total_rss", static_cast<double>(rssAutomata) - static_cast<double>(rssBefore));
  printFigure("total_heap", static_cast<double>(heapAfter) - static_cast<double>(heapBefore));
  printFigure("failures", static_cast<double>(failures));
  return 0;
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// Runs this program again with --child mode and collects the "key value" lines it prints.
std::map<std::string, double> runChild(const std::string& mode) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = shellQuote(self) + " --child " + mode;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot start " + command);
  std::map<std::string, double> figures;
  std::array<char, 256> line{};
  while (std::fgets(line.data(), static_cast<int>(line.size()), pipe.get())) {
    char key[64] = {};
    double value = 0;
    if (std::sscanf(line.data(), "%63s %lf", key, &value) == 2) figures[key] = value;
  }
  if (pclose(pipe.release()) != 0) throw std::runtime_error(command + " failed");
  return figures;
}

// The median over runs fresh processes of each figure they print.
std::map<std::string, double> medianOfChildren(const std::string& mode, int runs) {
  std::map<std::string, std::vector<double>> all;
  for (int run = 0; run < runs; ++run)
    for (const auto& [key, value] : runChild(mode)) all[key].push_back(value);
  std::map<std::string, double> medians;
  for (const auto& [key, values] : all) medians[key] = qb::median(values);
  return medians;
}

// ---------------------------------------------------------------------------------------
// The comparison.

enum class ListFormat { Lines, Hunspell };  // Hunspell: a count line, then word/flags

struct Corpus {
  const char* tag;
  const char* path;
  ListFormat format;
  const char* package;
};

constexpr std::array<Corpus, 10> kCorpora{{
    {"en-us", "/usr/share/dict/american-english", ListFormat::Lines, "wamerican"},
    {"de-1996", "/usr/share/dict/ngerman", ListFormat::Lines, "wngerman"},
    {"fr", "/usr/share/dict/french", ListFormat::Lines, "wfrench"},
    {"hu", "/usr/share/hunspell/hu_HU.dic", ListFormat::Hunspell, "hunspell-hu"},
    {"it", "/usr/share/dict/italian", ListFormat::Lines, "witalian"},
    {"nb", "/usr/share/dict/bokmaal", ListFormat::Lines, "wnorwegian"},
    {"nl", "/usr/share/dict/dutch", ListFormat::Lines, "wdutch"},
    {"pl", "/usr/share/dict/polish", ListFormat::Lines, "wpolish"},
    {"pt", "/usr/share/dict/portuguese", ListFormat::Lines, "wportuguese"},
    {"ru", "/usr/share/hunspell/ru_RU.dic", ListFormat::Hunspell, "hunspell-ru"},
}};

// line as code points: UTF-8 when it is well formed, Latin-1 otherwise (wnorwegian).
std::u32string decodeLine(std::string_view line) {
  std::u32string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  for (std::size_t at = 0; at < line.size();) {
    char32_t c = 0;
    const std::size_t length = detail::decodeUtf8Sequence(bytes + at, line.size() - at, c);
    if (length == 0) return std::u32string(line.begin(), line.end());  // bytes as Latin-1
    out.push_back(c);
    at += length;
  }
  return out;
}

// The words of the list that are in normal form and made only of characters the language's
// patterns know, at most maxWords of them, spread evenly over the list.
std::vector<std::u32string> readWords(const Corpus& corpus, const Hyphenator& h,
                                      std::size_t maxWords) {
  std::ifstream in(corpus.path);
  if (!in) return {};
  const CharNormaliser& normalise = hyphenatorChars(h);
  const detail::PatternIndex* found = detail::indexOf(hyphenatorPatterns(h));
  if (!found) return {};
  const detail::PatternIndex& index = *found;
  std::vector<std::u32string> words;
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (corpus.format == ListFormat::Hunspell) {
      if (std::exchange(first, false)) continue;  // the word count
      line = line.substr(0, line.find_first_of("/\t"));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::u32string word = decodeLine(line);
    if (std::all_of(word.begin(), word.end(), [&](char32_t c) {
          return c != U'.' && normalise(c) == c && index.symbolOf(c) != 0;
        }))
      words.push_back(std::move(word));
  }
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  if (words.size() > maxWords) {
    std::vector<std::u32string> spread;
    spread.reserve(maxWords);
    for (std::size_t k = 0; k < maxWords; ++k)
      spread.push_back(std::move(words[k * words.size() / maxWords]));
    words = std::move(spread);
  }
  return words;
}

struct Options {
  std::string dictionaries = QUELLIX_BENCH_DICTIONARY_DIR;
  int rounds = 7;
  std::size_t maxWords = 40000;
  int coldRuns = 7;
  int buildRuns = 3;
};

std::string withBreaks(std::u32string_view word, const std::vector<std::size_t>& breaks) {
  std::string out;
  std::size_t begin = 0;
  for (std::size_t at : breaks) {
    out += detail::toUtf8(word.substr(begin, at - begin)) + "-";
    begin = at;
  }
  return out + detail::toUtf8(word.substr(begin));
}

std::string format(const char* pattern, double value) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), pattern, value);
  return text.data();
}

std::string grouped(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t k = digits.size(); k > 3; k -= 3) digits.insert(k - 3, ",");
  return digits;
}

const char* met(bool ok) { return ok ? "yes" : "**no**"; }

struct LanguageRun {
  const Corpus* corpus = nullptr;
  const Hyphenator* h = nullptr;
  std::unique_ptr<LibHyphen> peer;
  std::size_t patterns = 0;
  // The words, and their UTF-8 forms for libhyphen, each kept in one contiguous block in
  // list order (NUL after each), so that neither side pays for words scattered in memory.
  std::u32string wordText;
  std::string utf8Text;
  std::vector<std::u32string_view> words;
  std::vector<std::string_view> utf8;
  std::size_t letters = 0;
  std::size_t compared = 0, agreeing = 0, listed = 0;
  std::vector<std::string> disagreements;
  std::array<std::vector<double>, 3> passNs;  // per divider, one per round
};

constexpr int kHyphenate = 0, kBreakPoints = 1, kLibHyphen = 2;

void checkAgreement(LanguageRun& run, std::vector<char>& hyphens, std::vector<std::size_t>& out) {
  const CharNormaliser& normalise = hyphenatorChars(*run.h);
  const Exceptions& exceptions = hyphenatorExceptions(*run.h);
  for (std::size_t w = 0; w < run.words.size(); ++w) {
    std::u32string normal(run.words[w]);
    for (char32_t& c : normal) c = normalise(c);
    if (lookupException(normal, exceptions)) {
      ++run.listed;
      continue;
    }
    ++run.compared;
    const std::size_t count = breakPoints(*run.h, run.words[w], out);
    std::vector<std::size_t> ours(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count));
    if (run.peer->hyphenate(run.utf8[w], hyphens.data()) != 0)
      throw std::runtime_error("libhyphen failed on " + std::string(run.utf8[w]));
    // libhyphen gives one digit per character of a UTF-8 dictionary's word.
    std::vector<std::size_t> theirs;
    for (std::size_t k = 0; k < run.words[w].size(); ++k)
      if ((hyphens[k] - '0') % 2 == 1) theirs.push_back(k + 1);
    if (ours == theirs) {
      ++run.agreeing;
    } else if (run.disagreements.size() < 3) {
      run.disagreements.push_back(withBreaks(run.words[w], ours) + " (libhyphen " +
                                  withBreaks(run.words[w], theirs) + ")");
    }
  }
}

// ns per letter of breakPoints on random words of lengths 10 .. 100,000 (letters of the
// English alphabet), and the allocations of a second call on the longest.
struct LengthRow {
  std::size_t length;
  double nsPerLetter;
};

std::vector<LengthRow> measureLengths(const Hyphenator& h, std::size_t& allocationsAfterWarm) {
  std::mt19937 random(16);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<LengthRow> rows;
  std::vector<std::size_t> out(100001);
  std::size_t sink = 0;
  for (std::size_t length = 10; length <= 100000; length *= 10) {
    const std::size_t total = 2000000;  // letters per measurement
    std::vector<std::u32string> words(std::max<std::size_t>(1, total / length / 20));
    for (std::u32string& word : words) {
      word.resize(length);
      for (char32_t& c : word) c = static_cast<char32_t>(letter(random));
    }
    for (const std::u32string& word : words) sink += breakPoints(h, word, out);  // warm
    std::vector<double> ns;
    for (int repeat = 0; repeat < 5; ++repeat) {
      const double start = threadCpuNs();
      for (int pass = 0; pass < 20; ++pass)
        for (const std::u32string& word : words) sink += breakPoints(h, word, out);
      ns.push_back((threadCpuNs() - start) / static_cast<double>(20 * words.size() * length));
    }
    rows.push_back({length, qb::median(ns)});
    if (length == 100000) {
      const std::size_t before = allocationCount.load();
      sink += breakPoints(h, words[0], out);
      allocationsAfterWarm = allocationCount.load() - before;
    }
  }
  if (sink == 0) std::printf("\n");
  return rows;
}

// Running text: English prose made at run time from the word list.
struct RunningText {
  std::size_t bytes = 0;
  qb::TextRates rates;
  qb::JobsScaling plainJobs, htmlJobs;
};

// hyphenateText's rate on English prose before it wrote white space and ASCII tokens in
// bulk: this benchmark's text row at commit 4be0c5e on 2026-12-08 (median 20.0 MB/s over
// three runs, load average about 1.9). The same code's rate differs from one machine, or
// one day of a shared machine, to the next by more than the target's margin, so the row
// only shows the ratio to it; bench/text-before.sh measures both on this machine.
constexpr double kTextRateBefore = 20.0;
constexpr int kJobsRounds = 5;

// The English prose of the running-text rates: about 8 MiB made from the word list.
std::string proseToMeasure(const std::vector<std::string>& words) {
  return qb::makeProse(words, std::size_t{8} << 20, 16);
}

RunningText measureRunningText(const Options& options) {
  RunningText result;
  const std::vector<std::string> words = qb::readLowercaseWords(qb::defaultWordsFile());
  const std::string prose = proseToMeasure(words);
  result.bytes = prose.size();
  result.rates = qb::measureTextRates(english_US, prose, options.rounds);
  const std::string large = qb::makeProse(words, 50'000'000, 1996);
  // Five rounds: a shared machine's speed drifts from one second to the next.
  result.plainJobs = qb::measureJobs(english_US, large, false, 2, kJobsRounds);
  result.htmlJobs = qb::measureJobs(english_US, qb::makeHtml(large), true, 2, kJobsRounds);
  return result;
}

void printRunningText(const RunningText& text) {
  const qb::TextRates& r = text.rates;
  std::printf("\n| running text: English prose (%s MB made from the word list) | result | "
              "target | met |\n|---|---|---|---|\n",
              format("%.1f", static_cast<double>(text.bytes) / 1e6).c_str());
  std::printf("| hyphenateText, MB of text per CPU second (spread %s-%s) | %s MB/s | >= 3x the "
              "code before (%s MB/s on 2026-12-08: %sx) | bench/text-before.sh |\n",
              format("%.1f", r.textLowMBps).c_str(), format("%.1f", r.textHighMBps).c_str(),
              format("%.1f", r.textMBps).c_str(), format("%.1f", kTextRateBefore).c_str(),
              format("%.2f", r.textMBps / kTextRateBefore).c_str());
  std::printf("| breakPoints alone on every word of the same text (spread %s-%s) | %s MB/s | | |\n",
              format("%.1f", r.wordLowMBps).c_str(), format("%.1f", r.wordHighMBps).c_str(),
              format("%.1f", r.wordMBps).c_str());
  std::printf("| text rate / word rate | %s | >= 0.75 | %s |\n",
              format("%.2f", r.textMBps / r.wordMBps).c_str(), met(r.textMBps >= 0.75 * r.wordMBps));
  for (const qb::JobsScaling* jobs : {&text.plainJobs, &text.htmlJobs}) {
    const double speedup = jobs->oneThreadSeconds / jobs->manyThreadsSeconds;
    std::printf("| %s, %s MB: %u threads against 1 (wall time, median of %d; threads busy %s %%) "
                "| %s s / %s s = %sx%s | >= 1.7x | %s |\n",
                jobs == &text.plainJobs ? "--jobs, plain text" : "--jobs, HTML",
                format("%.0f", static_cast<double>(jobs->bytes) / 1e6).c_str(), jobs->jobs, kJobsRounds,
                format("%.0f", 100 * jobs->busyShare).c_str(),
                format("%.2f", jobs->manyThreadsSeconds).c_str(),
                format("%.2f", jobs->oneThreadSeconds).c_str(), format("%.2f", speedup).c_str(),
                jobs->identical ? "" : ", OUTPUT DIFFERS", met(speedup >= 1.7 && jobs->identical));
  }
}

int compare(const Options& options) {
  const std::string loadAverage = qb::loadAverage();
  std::vector<LanguageRun> runs;
  std::vector<std::string> skipped;
  std::size_t longest = 0;
  for (const Corpus& corpus : kCorpora) {
    LanguageRun run;
    run.corpus = &corpus;
    const std::optional<Language> language = languageFromName(corpus.tag);
    if (!language) throw std::runtime_error(std::string("no language ") + corpus.tag);
    run.h = &languageHyphenator(*language);
    (void)hyphenate(*run.h, U"hyphenation");  // builds every table before anything is timed
    const std::vector<std::u32string> list = readWords(corpus, *run.h, options.maxWords);
    if (list.empty()) {
      skipped.push_back(std::string(corpus.tag) + " (no words: install " + corpus.package + ")");
      continue;
    }
    const std::string dictionary = options.dictionaries + "/hyph_" + corpus.tag + ".dic";
    run.peer = std::make_unique<LibHyphen>(dictionary);
    std::vector<std::size_t> wordAt, utf8At;
    for (const std::u32string& word : list) {
      wordAt.push_back(run.wordText.size());
      run.wordText.append(word).push_back(U'\0');
      const std::string bytes = detail::toUtf8(word);
      utf8At.push_back(run.utf8Text.size());
      run.utf8Text.append(bytes).push_back('\0');
      run.letters += word.size();
      longest = std::max(longest, bytes.size());
    }
    for (std::size_t k = 0; k < list.size(); ++k) {
      run.words.emplace_back(run.wordText.data() + wordAt[k], list[k].size());
      run.utf8.emplace_back(run.utf8Text.data() + utf8At[k],
                            (k + 1 < list.size() ? utf8At[k + 1] : run.utf8Text.size()) - utf8At[k] - 1);
    }
    const std::u32string text = qb::embeddedText(std::string("hyph-") + corpus.tag + ".pat.txt.gz");
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find(U'\n', at);
      if (end == std::u32string::npos) end = text.size();
      run.patterns += text.find_first_not_of(U" \t\r", at) < end ? 1 : 0;
      at = end + 1;
    }
    runs.push_back(std::move(run));
  }
  if (runs.empty()) throw std::runtime_error("no word list found; see bench/install-word-lists.sh");

  std::vector<char> hyphens(longest * 2 + 5);
  std::vector<std::size_t> out(longest + 1);
  for (LanguageRun& run : runs) checkAgreement(run, hyphens, out);

  // Interleaved rounds: one pass over each language's words per divider per round.
  std::size_t sink = 0;
  for (int round = -1; round < options.rounds; ++round) {  // round -1 warms up
    for (LanguageRun& run : runs) {
      for (int k = 0; k < 3; ++k) {
        const int which = (round + 1 + k) % 3;
        const double start = threadCpuNs();
        if (which == kHyphenate) {
          for (std::u32string_view word : run.words) sink += hyphenate(*run.h, word).size();
        } else if (which == kBreakPoints) {
          for (std::u32string_view word : run.words) sink += breakPoints(*run.h, word, out);
        } else {
          for (std::string_view word : run.utf8) {
            sink += static_cast<std::size_t>(run.peer->hyphenate(word, hyphens.data()));
            sink += static_cast<unsigned char>(hyphens[0]);
          }
        }
        const double elapsed = threadCpuNs() - start;
        if (round >= 0) run.passNs[static_cast<std::size_t>(which)].push_back(elapsed);
      }
    }
  }

  std::size_t allocationsAfterWarm = 0;
  const std::vector<LengthRow> lengths = measureLengths(english_US, allocationsAfterWarm);
  const RunningText runningText = measureRunningText(options);

  // Fresh processes.
  const std::array<std::pair<const char*, double>, 3> firstUseTargets{
      {{"en-us", 1.0}, {"de-1996", 2.0}, {"hu", 8.0}}};
  std::vector<double> firstUseMs;
  for (const auto& [tag, target] : firstUseTargets)
    firstUseMs.push_back(
        medianOfChildren(std::string("first-use ") + tag, options.coldRuns).at("first_use_ns") / 1e6);
  const std::map<std::string, double> building =
      medianOfChildren("all-languages", options.buildRuns);

  // The table.
  std::printf("quellix %s against libhyphen %s, same patterns (substrings.pl) and margins; "
              "CPU time of one thread, median of %d interleaved rounds.\n\n",
              QUELLIX_BENCH_VERSION, QUELLIX_BENCH_HYPHEN_VERSION, options.rounds);
  std::printf("Machine: %s (load average %s at the start). Compiler: %s.\n\n",
              qb::machineDescription().c_str(), loadAverage.c_str(),
              qb::compilerDescription().c_str());
  std::printf("| language | patterns | words | libhyphen ns/word | breakPoints ns/word | vs "
              "libhyphen (>= 5x) | hyphenate ns/word | vs libhyphen (>= 4x) | same breaks |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  for (const LanguageRun& run : runs) {
    const double n = static_cast<double>(run.words.size());
    auto ns = [&](int which) { return qb::median(run.passNs[static_cast<std::size_t>(which)]) / n; };
    const double peer = ns(kLibHyphen);
    const double bp = peer / ns(kBreakPoints);
    const double hy = peer / ns(kHyphenate);
    std::printf("| %s | %s | %s | %s | %s | %sx %s | %s | %sx %s | %s of %s |\n", run.corpus->tag,
                grouped(run.patterns).c_str(), grouped(run.words.size()).c_str(),
                format("%.0f", peer).c_str(), format("%.0f", ns(kBreakPoints)).c_str(),
                format("%.2f", bp).c_str(), bp >= 5 ? "" : "(**no**)",
                format("%.0f", ns(kHyphenate)).c_str(), format("%.2f", hy).c_str(),
                hy >= 4 ? "" : "(**no**)", grouped(run.agreeing).c_str(),
                grouped(run.compared).c_str());
  }
  std::printf("\n| first use / building | result | target | met |\n|---|---|---|---|\n");
  for (std::size_t k = 0; k < firstUseTargets.size(); ++k)
    std::printf("| %s first use (fresh process, CPU, median of %d) | %s ms | <= %s ms | %s |\n",
                firstUseTargets[k].first, options.coldRuns, format("%.2f", firstUseMs[k]).c_str(),
                format("%.0f", firstUseTargets[k].second).c_str(),
                met(firstUseMs[k] <= firstUseTargets[k].second));
  // Built: every table a word needs, the lookup index included; the automata come later,
  // each after its hyphenator has divided thousands of words.
  const double readyS = (building.at("tables_ns") + building.at("index_ns")) / 1e9;
  const double readyMb = building.at("index_rss") / (1024.0 * 1024.0);
  std::printf("| all 73 languages built: tables and lookup indexes (fresh process, CPU, median of "
              "%d) | %s s, %s MB RSS growth | <= 0.25 s, <= 40 MB | %s |\n",
              options.buildRuns, format("%.3f", readyS).c_str(), format("%.1f", readyMb).c_str(),
              met(readyS <= 0.25 && readyMb <= 40));
  const double buildS =
      (building.at("tables_ns") + building.at("index_ns") + building.at("automata_ns")) / 1e9;
  const double buildMb = building.at("total_rss") / (1024.0 * 1024.0);
  std::printf("| the same, and the automata of every language (fresh process, CPU, median of %d) | %s s, "
              "%s MB RSS growth | <= 0.25 s, <= 40 MB | %s |\n",
              options.buildRuns, format("%.3f", buildS).c_str(), format("%.1f", buildMb).c_str(),
              met(buildS <= 0.25 && buildMb <= 40));
  printRunningText(runningText);
  qb::printDictionaryComparison(options.rounds, options.maxWords);
  std::printf("\n| breakPoints, random a-z words of | ");
  for (const LengthRow& row : lengths) std::printf("%s | ", grouped(row.length).c_str());
  std::printf("\n|---|");
  for (std::size_t k = 0; k < lengths.size(); ++k) std::printf("---|");
  std::printf("\n| ns per letter (english_US) | ");
  for (const LengthRow& row : lengths) std::printf("%s | ", format("%.1f", row.nsPerLetter).c_str());
  std::printf("\n\n");
  std::printf("- Allocations of a second breakPoints call on one 100,000-letter word: %s.\n",
              grouped(allocationsAfterWarm).c_str());
  std::printf("- Same breaks: words of each language's exception table left out (");
  for (const LanguageRun& run : runs)
    std::printf("%s%s %s", &run == &runs.front() ? "" : ", ", run.corpus->tag,
                grouped(run.listed).c_str());
  std::printf(").\n");
  for (const LanguageRun& run : runs)
    for (const std::string& line : run.disagreements)
      std::printf("  - %s differs: %s\n", run.corpus->tag, line.c_str());
  std::printf("- Spread over the rounds (ns/word, min-max): ");
  for (const LanguageRun& run : runs) {
    const double n = static_cast<double>(run.words.size());
    auto spread = [&](int which) {
      const std::vector<double>& ns = run.passNs[static_cast<std::size_t>(which)];
      const auto [low, high] = std::minmax_element(ns.begin(), ns.end());
      return format("%.0f", *low / n) + "-" + format("%.0f", *high / n);
    };
    std::printf("%s%s libhyphen %s, breakPoints %s, hyphenate %s", &run == &runs.front() ? "" : "; ",
                run.corpus->tag, spread(kLibHyphen).c_str(), spread(kBreakPoints).c_str(),
                spread(kHyphenate).c_str());
  }
  std::printf(".\n");
  std::printf("- All 73 built: %s s for the three tables (%s MB), %s s more for the lookup "
              "indexes (%s MB in all), %s s for the automata of %s languages; heap in use "
              "%s MB%s.\n",
              format("%.3f", building.at("tables_ns") / 1e9).c_str(),
              format("%.1f", building.at("tables_rss") / (1024.0 * 1024.0)).c_str(),
              format("%.3f", building.at("index_ns") / 1e9).c_str(),
              format("%.1f", building.at("index_rss") / (1024.0 * 1024.0)).c_str(),
              format("%.3f", building.at("automata_ns") / 1e9).c_str(),
              grouped(static_cast<std::size_t>(building.at("automata"))).c_str(),
              format("%.1f", building.at("total_heap") / (1024.0 * 1024.0)).c_str(),
              building.at("failures") > 0 ? ", SOME TABLES FAILED TO BUILD" : "");
  for (const std::string& line : skipped) std::printf("- Skipped: %s.\n", line.c_str());
  if (sink == 0) std::printf("\n");  // keeps the timed work observable
  return building.at("failures") == 0 ? 0 : 1;
}

void usage(std::FILE* to) {
  std::fprintf(to,
               "usage: quellix-bench-compare [--dictionaries DIR] [--rounds N] [--max-words N]\n"
               "       quellix-bench-compare --write-prose FILE | --dictionaries-only\n"
               "  --dictionaries DIR  libhyphen dictionaries hyph_<tag>.dic (default %s)\n"
               "  --rounds N          interleaved rounds, the median is shown (default 7)\n"
               "  --max-words N       words per language at most (default 40000)\n"
               "  --write-prose FILE  writes the prose of the running-text rows and exits\n",
               QUELLIX_BENCH_DICTIONARY_DIR);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Options options;
    for (int k = 1; k < argc; ++k) {
      const std::string_view arg = argv[k];
      const bool hasValue = k + 1 < argc;
      if (arg == "--child" && hasValue) {
        const std::string_view mode = argv[++k];
        if (mode == "first-use" && k + 1 < argc) return childFirstUse(argv[++k]);
        if (mode == "all-languages") return childAllLanguages();
        std::fprintf(stderr, "unknown child mode %s\n", argv[k]);
        return 2;
      }
      if (arg == "--dictionaries-only") {
        // Only the rows of libhyphen's own dictionaries.
        qb::printDictionaryComparison(options.rounds, options.maxWords);
        return 0;
      }
      if (arg == "--write-prose" && hasValue) {
        // The prose the running-text rows measure, for bench/text-before.sh.
        std::ofstream file(argv[++k], std::ios::binary);
        file << proseToMeasure(qb::readLowercaseWords(qb::defaultWordsFile()));
        return file.good() ? 0 : 1;
      }
      if (arg == "--dictionaries" && hasValue) {
        options.dictionaries = argv[++k];
      } else if (arg == "--rounds" && hasValue) {
        options.rounds = std::max(1, std::atoi(argv[++k]));
      } else if (arg == "--max-words" && hasValue) {
        options.maxWords = static_cast<std::size_t>(std::max(1, std::atoi(argv[++k])));
      } else if (arg == "--help") {
        usage(stdout);
        return 0;
      } else {
        usage(stderr);
        return 2;
      }
    }
    return compare(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quellix-bench-compare: %s\n", e.what());
    return 1;
  }
}
