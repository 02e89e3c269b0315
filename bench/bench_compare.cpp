// quellix-bench-compare: quellix against libhyphen, the C hyphenator most desktop software
// uses, on the same words and the same patterns, in one run; prints a Markdown table.
//
//   quellix-bench-compare --dictionary hyph_en_US.dic [--words FILE] [--rounds N]
//
// The dictionary is libhyphen's form of the hyph-en-us.pat.txt text that quellix embeds
// (made by the build with libhyphen's substrings.pl, margins 2 and 3), so both sides
// divide with identical patterns and margins. The words are the lowercase ASCII words of
// the list. Each round times one pass over all words for each of the three dividers,
// one after another in a rotating order; the table gives the median round of each.
// The first use of english_US and the building of all languages are timed in fresh
// processes (this program started again with --child).
#include <hyphen.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/quellix.hpp"

namespace {

using namespace quellix;
namespace qb = quellix::bench;

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

// The first use of english_US: the shared record, then the character map, the exception
// table, the patterns and their lookup index, all built by dividing one word.
int childFirstUse() {
  const qb::Clock::time_point start = qb::Clock::now();
  const Hyphenator& h = english_US;
  const std::vector<std::u32string> pieces = hyphenate(h, U"hyphenation");
  const double elapsed = qb::nanosecondsSince(start);
  printFigure("first_use_ns", elapsed);
  printFigure("pieces", static_cast<double>(pieces.size()));
  return 0;
}

// Every language's hyphenator from loadHyphenator, all three tables forced, kept alive;
// then the patterns' lookup index of each (built by the first lookup).
int childAllLanguages() {
  std::vector<Hyphenator> all;
  all.reserve(languageCount);
  const std::size_t rssBefore = qb::residentBytes();
  const std::size_t heapBefore = qb::heapInUseBytes();
  std::size_t failures = 0;
  const qb::Clock::time_point start = qb::Clock::now();
  for (Language language : enumFrom(languageMinBound)) {
    const Hyphenator& h = all.emplace_back(loadHyphenator(language));
    try {
      hyphenatorChars(h)(U'a');  // builds the character map
      hyphenatorPatterns(h);
      hyphenatorExceptions(h);
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double tablesNs = qb::nanosecondsSince(start);
  const std::size_t rssTables = qb::residentBytes();
  const qb::Clock::time_point indexStart = qb::Clock::now();
  for (const Hyphenator& h : all) {
    try {
      lookupPattern(U"a", hyphenatorPatterns(h));
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double indexNs = qb::nanosecondsSince(indexStart);
  // The automata that hyphenators of long texts switch to (the tries small enough).
  const qb::Clock::time_point automataStart = qb::Clock::now();
  std::size_t automata = 0;
  for (const Hyphenator& h : all) {
    try {
      if (const detail::PatternNode* root = detail::PatternAccess::root(hyphenatorPatterns(h)))
        automata += detail::indexOf(root).automaton() ? 1 : 0;
    } catch (const std::exception&) {
      ++failures;
    }
  }
  const double automataNs = qb::nanosecondsSince(automataStart);
  const std::size_t rssIndex = qb::residentBytes();
  const std::size_t heapAfter = qb::heapInUseBytes();
  printFigure("tables_ns", tablesNs);
  printFigure("tables_rss", static_cast<double>(rssTables) - static_cast<double>(rssBefore));
  printFigure("index_ns", indexNs);
  printFigure("automata_ns", automataNs);
  printFigure("automata", static_cast<double>(automata));
  printFigure("total_rss", static_cast<double>(rssIndex) - static_cast<double>(rssBefore));
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

struct Options {
  std::string dictionary = QUELLIX_BENCH_DICTIONARY;
  std::string words = qb::defaultWordsFile();
  int rounds = 7;
  int coldRuns = 7;
  int buildRuns = 3;
};

std::string withBreaks(std::string_view word, const std::vector<std::size_t>& breaks) {
  std::string out;
  std::size_t begin = 0;
  for (std::size_t at : breaks) {
    out.append(word.substr(begin, at - begin)).push_back('-');
    begin = at;
  }
  return out.append(word.substr(begin));
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

int compare(const Options& options) {
  const std::string loadAverage = qb::loadAverage();
  const std::vector<std::string> words = qb::readLowercaseWords(options.words);
  if (words.empty()) throw std::runtime_error("no lowercase words in " + options.words);
  std::vector<std::u32string> words32;
  words32.reserve(words.size());
  std::size_t longest = 0;
  for (const std::string& word : words) {
    words32.push_back(qb::widen(word));
    longest = std::max(longest, word.size());
  }

  const qb::Clock::time_point loadStart = qb::Clock::now();
  const LibHyphen peer(options.dictionary);
  const double peerLoadNs = qb::nanosecondsSince(loadStart);

  const Hyphenator& english = english_US;
  hyphenate(english, U"hyphenation");  // builds every table before anything is timed
  const CharNormaliser& normalise = hyphenatorChars(english);
  const Exceptions& exceptions = hyphenatorExceptions(english);

  // Same breaks on every word the exception table does not list.
  std::vector<char> hyphens(longest + 5);
  std::vector<std::size_t> out(longest + 1);
  std::size_t compared = 0;
  std::size_t agreeing = 0;
  std::size_t listed = 0;
  std::vector<std::string> disagreements;
  for (std::size_t w = 0; w < words.size(); ++w) {
    std::u32string normal = words32[w];
    for (char32_t& c : normal) c = normalise(c);
    if (lookupException(normal, exceptions)) {
      ++listed;
      continue;
    }
    ++compared;
    const std::size_t count = breakPoints(english, words32[w], out);
    std::vector<std::size_t> ours(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count));
    if (peer.hyphenate(words[w], hyphens.data()) != 0)
      throw std::runtime_error("libhyphen failed on " + words[w]);
    std::vector<std::size_t> theirs;
    for (std::size_t k = 0; k < words[w].size(); ++k)
      if ((hyphens[k] - '0') % 2 == 1) theirs.push_back(k + 1);
    if (ours == theirs) {
      ++agreeing;
    } else if (disagreements.size() < 10) {
      disagreements.push_back(words[w] + ": quellix " + withBreaks(words[w], ours) +
                              ", libhyphen " + withBreaks(words[w], theirs));
    }
  }

  // Interleaved rounds: one pass over all words per divider per round.
  std::size_t sink = 0;
  auto passHyphenate = [&] {
    for (const std::u32string& word : words32) sink += hyphenate(english, word).size();
  };
  auto passBreakPoints = [&] {
    for (const std::u32string& word : words32) sink += breakPoints(english, word, out);
  };
  auto passLibHyphen = [&] {
    for (const std::string& word : words) {
      sink += static_cast<std::size_t>(peer.hyphenate(word, hyphens.data()));
      sink += static_cast<unsigned char>(hyphens[0]);
    }
  };
  constexpr int kHyphenate = 0, kBreakPoints = 1, kLibHyphen = 2;
  std::array<std::vector<double>, 3> passNs;
  for (int round = -1; round < options.rounds; ++round) {  // round -1 warms up
    for (int k = 0; k < 3; ++k) {
      const int which = (round + 1 + k) % 3;
      const qb::Clock::time_point start = qb::Clock::now();
      if (which == kHyphenate) passHyphenate();
      if (which == kBreakPoints) passBreakPoints();
      if (which == kLibHyphen) passLibHyphen();
      const double elapsed = qb::nanosecondsSince(start);
      if (round >= 0) passNs[static_cast<std::size_t>(which)].push_back(elapsed);
    }
  }
  const double n = static_cast<double>(words.size());
  auto nsPerWord = [&](int which) {
    return qb::median(passNs[static_cast<std::size_t>(which)]) / n;
  };
  const double peerNs = nsPerWord(kLibHyphen);

  // parsePatterns of the Hungarian pattern text.
  const std::u32string hungarian = qb::embeddedText("hyph-hu.pat.txt.gz");
  std::size_t hungarianLines = 0;
  for (char32_t c : hungarian) hungarianLines += c == U'\n';
  if (!hungarian.empty() && hungarian.back() != U'\n') ++hungarianLines;
  std::vector<double> parseNs;
  for (int round = -1; round < options.rounds; ++round) {
    const qb::Clock::time_point start = qb::Clock::now();
    Patterns trie = parsePatterns(hungarian);
    const double elapsed = qb::nanosecondsSince(start);
    sink += trie.empty() ? 0 : 1;
    if (round >= 0) parseNs.push_back(elapsed);
  }
  const double parseMs = qb::median(parseNs) / 1e6;

  // Fresh processes.
  const std::map<std::string, double> firstUse = medianOfChildren("first-use", options.coldRuns);
  const std::map<std::string, double> building =
      medianOfChildren("all-languages", options.buildRuns);
  const double firstUseMs = firstUse.at("first_use_ns") / 1e6;
  const double buildS =
      (building.at("tables_ns") + building.at("index_ns") + building.at("automata_ns")) / 1e9;
  const double buildMb = building.at("total_rss") / (1024.0 * 1024.0);

  // The table.
  std::printf("quellix %s against libhyphen %s: english_US, %s lowercase words of %s.\n\n",
              QUELLIX_BENCH_VERSION, QUELLIX_BENCH_HYPHEN_VERSION, grouped(words.size()).c_str(),
              options.words.c_str());
  std::printf("Machine: %s (load average %s at the start). Compiler: %s.\n\n",
              qb::machineDescription().c_str(), loadAverage.c_str(),
              qb::compilerDescription().c_str());
  std::printf("| measurement | result | vs libhyphen | target | met |\n");
  std::printf("|---|---|---|---|---|\n");
  auto wordRow = [&](const char* name, int which, const char* target, double needed) {
    const double ns = nsPerWord(which);
    const double ratio = peerNs / ns;
    std::printf("| %s | %s words/s, %s ns/word | %sx | %s | %s |\n", name,
                format("%.2f M", 1e3 / ns).c_str(), format("%.0f", ns).c_str(),
                format("%.2f", ratio).c_str(), target, needed > 0 ? met(ratio >= needed) : "");
  };
  wordRow("libhyphen `hnj_hyphen_hyphenate2`", kLibHyphen, "(the peer)", 0);
  wordRow("quellix `hyphenate`", kHyphenate, ">= 2x", 2);
  wordRow("quellix `breakPoints`", kBreakPoints, ">= 5x", 5);
  std::printf("| english_US first use, cold (fresh process, median of %d) | %s ms | "
              "| <= 2 ms | %s |\n",
              options.coldRuns, format("%.2f", firstUseMs).c_str(), met(firstUseMs <= 2));
  std::printf("| Hungarian `parsePatterns` (%s lines, median of %d) | %s ms | | <= 40 ms | %s |\n",
              grouped(hungarianLines).c_str(), options.rounds, format("%.1f", parseMs).c_str(),
              met(parseMs <= 40));
  std::printf("| all 73 languages built (fresh process, median of %d) | %s s, %s MB RSS growth | | "
              "<= 0.5 s, <= 60 MB | %s |\n",
              options.buildRuns, format("%.3f", buildS).c_str(), format("%.1f", buildMb).c_str(),
              met(buildS <= 0.5 && buildMb <= 60));
  std::printf("\n");
  std::printf("- Same breaks: %s of %s words (%s words of english_US's exception table left "
              "out).\n",
              grouped(agreeing).c_str(), grouped(compared).c_str(), grouped(listed).c_str());
  for (const std::string& line : disagreements) std::printf("  - differs: %s\n", line.c_str());
  auto spread = [&](int which) {
    const std::vector<double>& ns = passNs[static_cast<std::size_t>(which)];
    const auto [low, high] = std::minmax_element(ns.begin(), ns.end());
    return format("%.0f", *low / n) + "-" + format("%.0f", *high / n);
  };
  std::printf("- Word passes: median of %d interleaved rounds, each one pass over all words per "
              "divider; ns/word ranged libhyphen %s, hyphenate %s, breakPoints %s.\n",
              options.rounds, spread(kLibHyphen).c_str(), spread(kHyphenate).c_str(),
              spread(kBreakPoints).c_str());
  std::printf("- All 73 built: %s s for the three tables (%s MB), %s s more for the lookup "
              "indexes, %s s for the automata of the %s tries small enough to have one; heap "
              "in use %s MB%s.\n",
              format("%.3f", building.at("tables_ns") / 1e9).c_str(),
              format("%.1f", building.at("tables_rss") / (1024.0 * 1024.0)).c_str(),
              format("%.3f", building.at("index_ns") / 1e9).c_str(),
              format("%.3f", building.at("automata_ns") / 1e9).c_str(),
              grouped(static_cast<std::size_t>(building.at("automata"))).c_str(),
              format("%.1f", building.at("total_heap") / (1024.0 * 1024.0)).c_str(),
              building.at("failures") > 0 ? ", SOME TABLES FAILED TO BUILD" : "");
  std::printf("- libhyphen loads its en-us dictionary in %s ms (this process, warm file cache).\n",
              format("%.2f", peerLoadNs / 1e6).c_str());
  if (sink == 0) std::printf("\n");  // keeps the timed work observable
  return disagreements.empty() && building.at("failures") == 0 ? 0 : 1;
}

void usage(std::FILE* to) {
  std::fprintf(to,
               "usage: quellix-bench-compare [--dictionary FILE] [--words FILE] [--rounds N]\n"
               "  --dictionary FILE  libhyphen dictionary of hyph-en-us.pat.txt (default %s)\n"
               "  --words FILE       word list, lowercase ASCII words used (default %s)\n"
               "  --rounds N         interleaved rounds, the median is shown (default 7)\n",
               QUELLIX_BENCH_DICTIONARY, qb::defaultWordsFile().c_str());
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
        if (mode == "first-use") return childFirstUse();
        if (mode == "all-languages") return childAllLanguages();
        std::fprintf(stderr, "unknown child mode %s\n", argv[k]);
        return 2;
      }
      if (arg == "--dictionary" && hasValue) {
        options.dictionary = argv[++k];
      } else if (arg == "--words" && hasValue) {
        options.words = argv[++k];
      } else if (arg == "--rounds" && hasValue) {
        options.rounds = std::max(1, std::atoi(argv[++k]));
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
