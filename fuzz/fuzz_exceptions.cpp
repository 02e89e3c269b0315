// Exception text: parseExceptions, addException, lookupException, zipMin, the merge and
// the rendering, each against the reference and against the algebra's laws.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "quellix/algebra.hpp"
#include "quellix/exception.hpp"
#include "quellix/show.hpp"

using namespace quellix;
using namespace quellix::fuzz;

namespace {
std::vector<std::pair<Text, Scores>> entriesOf(const ref::ExceptionMap& table) {
  return {table.begin(), table.end()};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text = decode(asBytes(data, size));
  const Exceptions table = parseExceptions(text);
  const ref::ExceptionMap expected = ref::parseExceptions(text);
  FUZZ_CHECK(table.size() == expected.size());
  FUZZ_CHECK(table.entries() == entriesOf(expected));

  const std::string shown = show(table);
  FUZZ_CHECK(shown == show(table));
  FUZZ_CHECK(shown == ref::showExceptions(expected));
  FUZZ_CHECK(showsPrec(11, table, "!") == "(" + shown + ")!");

  FUZZ_CHECK(table + table == table);
  FUZZ_CHECK(table + parseExceptions(text) == table);
  FUZZ_CHECK(table + Exceptions() == table && Exceptions() + table == table);
  const std::vector<Text> lines = ref::splitLines(text);
  Text front, back;
  for (std::size_t k = 0; k < lines.size(); ++k) (k % 2 ? front : back) += lines[k] + U"\n";
  const Exceptions a = parseExceptions(front), b = parseExceptions(back);
  FUZZ_CHECK((a + b).entries() ==
             entriesOf(ref::mergeExceptions(ref::parseExceptions(front), ref::parseExceptions(back))));
  FUZZ_CHECK(a + b == b + a);
  FUZZ_CHECK(a + b == table);  // the lines of both halves are the lines of the text

  for (std::size_t k = 0; k < lines.size() && k < 64; ++k) {
    const Text& line = lines[k];
    const Scores s = scoreException(line);
    FUZZ_CHECK(s == ref::scoreException(line));
    FUZZ_CHECK(!s.empty());
    const Text word = ref::exceptionWord(line);
    FUZZ_CHECK(lookupException(word, table) == ref::lookupException(word, expected));
    FUZZ_CHECK(lookupException(word + U"x", table) == ref::lookupException(word + U"x", expected));
    if (k + 1 < lines.size()) {
      const Scores t = scoreException(lines[k + 1]);
      FUZZ_CHECK(zipMin(s, t) == ref::zipMin(s, t));
      FUZZ_CHECK(zipMin(s, t) == zipMin(t, s));
    }
  }
  if (!lines.empty()) {
    // Adding a line the table already holds changes nothing; adding a variant of it
    // behaves as in the reference and leaves the original table as it was.
    FUZZ_CHECK(addException(lines.front(), table) == table);
    const Text variant = lines.back() + U"-";
    const Exceptions added = addException(variant, table);
    FUZZ_CHECK(added.entries() == entriesOf(ref::addException(variant, expected)));
    FUZZ_CHECK(table.entries() == entriesOf(expected));
  }
  return 0;
}
