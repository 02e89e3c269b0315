#include "bench_text.hpp"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <random>
#include <string_view>

#include "bench_support.hpp"
#include "quellix/text.hpp"

namespace quellix::bench {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::string makeProse(const std::vector<std::string>& words, std::size_t bytes,
                      std::uint32_t seed) {
  std::mt19937 random(seed);
  // Short words are the most frequent in prose: favour the start of a list sorted by
  // length by drawing the rank from a skewed distribution.
  std::vector<const std::string*> byLength;
  byLength.reserve(words.size());
  for (const std::string& word : words) byLength.push_back(&word);
  std::stable_sort(byLength.begin(), byLength.end(),
                   [](const std::string* a, const std::string* b) { return a->size() < b->size(); });
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto pick = [&]() -> const std::string& {
    const double u = unit(random);
    return *byLength[static_cast<std::size_t>(u * u * static_cast<double>(byLength.size() - 1))];
  };
  std::uniform_int_distribution<int> sentenceLength(3, 24);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> sentencesPerParagraph(2, 8);

  std::string text;
  text.reserve(bytes + 256);
  std::size_t lineStart = 0;
  const auto add = [&](std::string_view piece) {
    // A space before every piece but the first of a line; a new line past 72 characters.
    if (text.size() > lineStart) {
      if (text.size() - lineStart + 1 + piece.size() > 72) {
        text.push_back('\n');
        lineStart = text.size();
      } else {
        text.push_back(' ');
      }
    }
    text.append(piece);
  };
  std::string piece;
  while (text.size() < bytes) {
    const int sentences = sentencesPerParagraph(random);
    for (int s = 0; s < sentences; ++s) {
      const int length = sentenceLength(random);
      for (int w = 0; w < length; ++w) {
        piece.clear();
        const int roll = percent(random);
        if (roll < 2) piece.push_back('"');
        if (roll >= 2 && roll < 3) piece.push_back('(');
        if (roll >= 3 && roll < 5) {
          piece.append(std::to_string(static_cast<int>(unit(random) * 2000)));
        } else {
          piece.append(pick());
          if (w == 0) piece[0] = static_cast<char>(piece[0] - 'a' + 'A');
        }
        if (roll < 2) piece.push_back('"');
        if (roll >= 2 && roll < 3) piece.push_back(')');
        if (w + 1 < length) {
          const int mark = percent(random);
          if (mark < 8) piece.push_back(',');
          else if (mark < 9) piece.push_back(';');
        }
        if (w + 1 == length) piece.push_back(percent(random) < 90 ? '.' : '?');
        add(piece);
      }
    }
    text.append("\n\n");
    lineStart = text.size();
  }
  return text;
}

std::string makeHtml(const std::string& prose) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><title>Prose</title>"
                     "<style>p { hyphens: manual }</style></head><body>\n";
  html.reserve(prose.size() + prose.size() / 8);
  std::size_t paragraph = 0;
  for (std::size_t at = 0; at < prose.size();) {
    std::size_t end = prose.find("\n\n", at);
    if (end == std::string::npos) end = prose.size();
    html += paragraph % 10 == 9 ? "<p lang=\"de\">" : "<p>";
    html.append(prose, at, end - at);
    html += "</p>\n";
    if (paragraph % 20 == 0) html += "<!-- a comment about hyphenation -->\n";
    if (paragraph % 50 == 0) html += "<script>if (a < b) { hyphenate(document.body); }</script>\n";
    ++paragraph;
    at = end + 2;
  }
  html += "</body></html>\n";
  return html;
}

TextRates measureTextRates(const Hyphenator& h, const std::string& text, int rounds) {
  // The words as hyphenateText sees them: maximal runs of ASCII letters.
  std::u32string letters;
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (std::size_t i = 0; i < text.size();) {
    if (!isAsciiLetter(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = letters.size();
    while (i < text.size() && isAsciiLetter(text[i])) letters.push_back(static_cast<unsigned char>(text[i++]));
    spans.emplace_back(start, letters.size() - start);
  }
  std::vector<std::size_t> breaks(256);
  std::size_t sink = 0;
  std::vector<double> textNs, wordNs;
  const auto timeText = [&] {
    const double start = threadCpuNs();
    sink += hyphenateText(h, text).size();
    return threadCpuNs() - start;
  };
  const auto timeWords = [&] {
    const double start = threadCpuNs();
    const std::u32string_view all = letters;
    for (const auto& [at, length] : spans) sink += breakPoints(h, all.substr(at, length), breaks);
    return threadCpuNs() - start;
  };
  timeText();  // warms the tables, the automaton and the caches
  timeWords();
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      textNs.push_back(timeText());
      wordNs.push_back(timeWords());
    } else {
      wordNs.push_back(timeWords());
      textNs.push_back(timeText());
    }
  }
  const double megabytes = static_cast<double>(text.size()) / 1e6;
  const auto rate = [megabytes](double ns) { return megabytes / (ns / 1e9); };
  TextRates rates;
  rates.textMBps = rate(median(textNs));
  rates.wordMBps = rate(median(wordNs));
  rates.textLowMBps = rate(*std::max_element(textNs.begin(), textNs.end()));
  rates.textHighMBps = rate(*std::min_element(textNs.begin(), textNs.end()));
  rates.wordLowMBps = rate(*std::max_element(wordNs.begin(), wordNs.end()));
  rates.wordHighMBps = rate(*std::min_element(wordNs.begin(), wordNs.end()));
  if (sink == 0) rates.textMBps = 0;  // keeps the timed work observable
  return rates;
}

JobsScaling measureJobs(const Hyphenator& h, const std::string& text, bool html, unsigned jobs,
                        int rounds) {
  TextOptions options;
  options.markup = html ? TextMarkup::Html : TextMarkup::Plain;
  constexpr std::size_t kChunk = std::size_t{4} << 20;
  // As a program streaming text through one TextHyphenator into one buffer does: both
  // are kept from round to round, so that no round pays for fresh memory.
  TextHyphenator single(h, options);
  TextHyphenator parallel(h, options);
  std::string singleOut, parallelOut;
  singleOut.reserve(text.size() + text.size() / 2);
  parallelOut.reserve(text.size() + text.size() / 2);
  double busy = 0;  // CPU seconds of the process over the runs with `jobs` threads
  const auto run = [&](TextHyphenator& hyphenator, unsigned threads, std::string& out) {
    out.clear();
    const double cpuStart = processCpuNs();
    const auto start = Clock::now();
    for (std::size_t at = 0; at < text.size(); at += kChunk)
      hyphenator.write(std::string_view(text).substr(at, kChunk), out, threads);
    hyphenator.finish(out);
    if (threads > 1) busy += (processCpuNs() - cpuStart) / 1e9;
    return nanosecondsSince(start) / 1e9;
  };
  JobsScaling result;
  result.bytes = text.size();
  result.jobs = jobs;
  run(single, 1, singleOut);  // warms
  run(parallel, jobs, parallelOut);
  busy = 0;
  std::vector<double> one, many;
  for (int round = 0; round < rounds; ++round) {
    one.push_back(run(single, 1, singleOut));
    many.push_back(run(parallel, jobs, parallelOut));
  }
  result.oneThreadSeconds = median(one);
  result.manyThreadsSeconds = median(many);
  result.busyShare = busy / (jobs * std::accumulate(many.begin(), many.end(), 0.0));
  result.identical = singleOut == parallelOut;
  return result;
}

}  // namespace quellix::bench
