// quellix-bench-text-rate FILE: hyphenateText's rate on a file of English text, in MB per
// CPU second of this thread, the median of 7 rounds. It uses only the public interface that
// every version of the library has had, so bench/text-before.sh can build it against an
// earlier commit too and compare the two on one machine.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "quellix/quellix.hpp"

namespace {

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quellix-bench-text-rate FILE\n");
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "quellix-bench-text-rate: cannot read %s\n", argv[1]);
      return 1;
    }
    std::ostringstream read;
    read << in.rdbuf();
    const std::string text = read.str();
    const quellix::Hyphenator& h = quellix::languageHyphenator(quellix::Language::English_US);
    std::size_t sink = quellix::hyphenateText(h, text).size();  // builds every table
    std::vector<double> seconds;
    for (int round = 0; round < 7; ++round) {
      const double start = threadCpuSeconds();
      sink += quellix::hyphenateText(h, text).size();
      seconds.push_back(threadCpuSeconds() - start);
    }
    std::sort(seconds.begin(), seconds.end());
    const double megabytes = static_cast<double>(text.size()) / 1e6;
    // The output size shows that both versions wrote the same amount.
    std::printf("%.1f MB/s (spread %.1f-%.1f), %zu bytes out\n", megabytes / seconds[3],
                megabytes / seconds.back(), megabytes / seconds.front(), sink / 8);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quellix-bench-text-rate: %s\n", e.what());
    return 1;
  }
}
