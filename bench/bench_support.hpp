// What the benchmark programs share: the word list, the embedded pattern texts, clocks,
// medians and a description of the machine.
#ifndef QUELLIX_BENCH_SUPPORT_HPP
#define QUELLIX_BENCH_SUPPORT_HPP

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quellix::bench {

// The word list named at configure time (QUELLIX_BENCH_WORDS), or the QUELLIX_BENCH_WORDS
// environment variable when set.
std::string defaultWordsFile();

// The lines of the file at path made only of the letters a to z (so no capitals, no
// apostrophes), in file order. Throws std::runtime_error when the file cannot be read.
std::vector<std::string> readLowercaseWords(const std::string& path);

// An ASCII word as code points.
std::u32string widen(std::string_view ascii);

// The decoded text of one embedded data file ("hyph-hu.pat.txt.gz"), read the way the
// library reads it. Throws quellix::DataFileError when there is no such file.
std::u32string embeddedText(std::string_view fileName);

// The resident set size of this process in bytes (VmRSS of /proc/self/status), 0 when
// it cannot be read.
std::size_t residentBytes();

// Bytes the C heap has handed out and not taken back (mallinfo2).
std::size_t heapInUseBytes();

// "Intel(R) Xeon(R) Processor, 2 cores" from /proc/cpuinfo.
std::string machineDescription();

// The one-minute load average from /proc/loadavg ("1.25"), "unknown" if unreadable: on a
// shared machine it tells how much the figures may be disturbed.
std::string loadAverage();

// Compiler, build type and flags the benchmarks were built with.
std::string compilerDescription();

using Clock = std::chrono::steady_clock;

// CPU time of this thread or of the whole process, in nanoseconds.
inline double cpuNanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}
inline double threadCpuNs() { return cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID); }
inline double processCpuNs() { return cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID); }

inline double nanosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// The median of values (the mean of the middle two for an even count); 0 when empty.
inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace quellix::bench

#endif
