// The dictionary rows of quellix-bench-compare (bench_dictionaries.cpp).
#ifndef QUELLIX_BENCH_DICTIONARIES_HPP
#define QUELLIX_BENCH_DICTIONARIES_HPP

#include <cstddef>

namespace quellix::bench {

// Prints the table of libhyphen against libquellix-hyphen and quellix on libhyphen's own
// German, Hungarian, Dutch and French dictionaries: rounds interleaved rounds, at most
// maxWords words a dictionary. A dictionary or word list that is not installed is reported
// as skipped. Throws std::runtime_error when libquellix-hyphen cannot be opened.
void printDictionaryComparison(int rounds, std::size_t maxWords);

}  // namespace quellix::bench

#endif
