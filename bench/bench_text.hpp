// Running text in the comparison benchmark: English prose made at run time from a word
// list, the rate of hyphenateText on it beside the rate of dividing its words alone, and
// how dividing a large text on several threads scales.
#ifndef QUELLIX_BENCH_TEXT_HPP
#define QUELLIX_BENCH_TEXT_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "quellix/hyphenator.hpp"

namespace quellix::bench {

// About `bytes` bytes of English-like prose from `words` (lowercase words): sentences of 3
// to 24 words, the first capitalised, with commas, semicolons, quotes, parentheses and
// digits here and there, lines of at most 72 characters and a blank line between
// paragraphs. The same seed gives the same text. words must not be empty.
std::string makeProse(const std::vector<std::string>& words, std::size_t bytes,
                      std::uint32_t seed);

// prose as an HTML page: each paragraph a p element, with a comment, a script and an
// element in another language now and then.
std::string makeHtml(const std::string& prose);

struct TextRates {
  double textMBps = 0;  // hyphenateText, MB (10^6 bytes) of the text per CPU second
  double wordMBps = 0;  // breakPoints on every word of the text, in MB of the text per second
  double textLowMBps = 0, textHighMBps = 0;  // spread over the rounds
  double wordLowMBps = 0, wordHighMBps = 0;
};

// Rates on text (prose) with h, medians of `rounds` interleaved rounds, CPU time of this
// thread.
TextRates measureTextRates(const Hyphenator& h, const std::string& text, int rounds);

struct JobsScaling {
  std::size_t bytes = 0;
  unsigned jobs = 0;
  double oneThreadSeconds = 0;   // wall time, median
  double manyThreadsSeconds = 0;  // wall time with `jobs` threads, median
  bool identical = false;         // the outputs are byte for byte the same
  // CPU time over jobs x wall time with `jobs` threads: how much of the time the threads
  // were running (below 1 when they wait for each other or the machine runs others).
  double busyShare = 0;
};

// TextHyphenator::write on text in 4 MiB chunks with one thread and with `jobs` threads,
// each through one object and into one buffer kept from round to round (wall time, the
// median of `rounds` after a first round that warms them), plain text or HTML.
JobsScaling measureJobs(const Hyphenator& h, const std::string& text, bool html, unsigned jobs,
                        int rounds);

}  // namespace quellix::bench

#endif
