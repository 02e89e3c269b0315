#include "bench_support.hpp"

#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "data_file.hpp"
#include "embedded_files.hpp"

namespace quellix::bench {

std::string defaultWordsFile() {
  if (const char* fromEnvironment = std::getenv("QUELLIX_BENCH_WORDS"))
    if (*fromEnvironment) return fromEnvironment;
  return QUELLIX_BENCH_WORDS_FILE;
}

std::vector<std::string> readLowercaseWords(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot read the word list " + path +
                             " (Debian package wamerican, or set QUELLIX_BENCH_WORDS)");
  }
  std::vector<std::string> words;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (std::all_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
      words.push_back(line);
  }
  return words;
}

std::u32string widen(std::string_view ascii) { return std::u32string(ascii.begin(), ascii.end()); }

std::u32string embeddedText(std::string_view fileName) {
  return detail::readDataFile(fileName, &detail::lookupEmbeddedFile);
}

std::size_t residentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      std::istringstream fields(line.substr(6));
      std::size_t kilobytes = 0;
      fields >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

std::size_t heapInUseBytes() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::string machineDescription() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  std::string model = "unknown CPU";
  unsigned cores = 0;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("processor", 0) == 0) ++cores;
    if (line.rfind("model name", 0) == 0 && cores <= 1) {
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      const std::size_t start = line.find_first_not_of(" \t", colon + 1);
      if (start != std::string::npos) model = line.substr(start);
    }
  }
  return model + ", " + std::to_string(cores) + (cores == 1 ? " core" : " cores");
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  if (!(in >> oneMinute)) return "unknown";
  return oneMinute;
}

std::string compilerDescription() { return QUELLIX_BENCH_COMPILER; }

}  // namespace quellix::bench
