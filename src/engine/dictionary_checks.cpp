// The check of the dictionary's quick paths against its plain ones, for tests: each level's
// quick readings against matchLevel, the two levels read side by side against each alone, and
// the division's common word's routes (from code points and from UTF-8) and framed
// verdicts against the general route and the reference judge. Nothing here is on the way of
// dividing a word.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dictionary_data.hpp"
#include "dictionary_division.hpp"
#include "dictionary_reading.hpp"
#include "utf8_encode.hpp"

namespace quellix::detail {

using Change = DictionaryResult::Change;

bool quickReadingsAgree(const DictionaryData& d, std::u32string_view part) {
  DictionaryScratch& scratch = dictionaryScratch();
  LevelScratch& s = scratch.level;
  const std::size_t n = part.size();
  const auto sameChange = [](const Change& a, const Change& b) {
    return a.text == b.text && (a.text == nullptr || (a.begin == b.begin && a.cut == b.cut));
  };
  for (const DictionaryLevel* level : {&d.compound, &d.plain}) {
    if (level->empty()) continue;
    std::vector<std::uint8_t> plain(n, 0), walked(n, 0), automaton(n, 0);
    std::vector<Change> changes(n);
    matchLevel(*level, part, 0, plain.data(), changes.data());
    const bool walkedWhole = quickMatch(*level, part, walked.data(), s, false);
    const bool automatonWhole = quickMatch(*level, part, automaton.data(), s, true);
    if (walkedWhole != automatonWhole) return false;
    if (walkedWhole && (walked != plain || automaton != plain)) return false;
    // The walk that keeps track of changes gives what the plain reading gives, always.
    std::vector<std::uint8_t> replayed(n, 0);
    std::vector<Change> replayedChanges(n);
    if (!quickMatch(*level, part, replayed.data(), s, false, replayedChanges.data(), 0) || replayed != plain ||
        !std::equal(changes.begin(), changes.end(), replayedChanges.begin(), sameChange))
      return false;
  }
  if (!d.compound.empty() && !d.plain.empty()) {
    // Both levels side by side, as the whole word is read, against each read alone.
    std::vector<std::uint8_t> compound(n, 0), compoundAlone(n, 0), plain(n, 0), plainAlone(n, 0);
    std::vector<Change> changes(n), changesAlone(n);
    const bool plainWhole = readBoth(d, part, 0, compound.data(), changes.data(), plain.data(), s);
    readLevel(d.compound, part, 0, compoundAlone.data(), changesAlone.data(), s);
    if (compound != compoundAlone ||
        !std::equal(changes.begin(), changes.end(), changesAlone.begin(), sameChange))
      return false;
    if (plainWhole != quickMatch(d.plain, part, plainAlone.data(), s)) return false;
    if (plainWhole && plain != plainAlone) return false;
  }
  // anyChange is a promise (false: no change at all), not a finding: a route that read with
  // matchLevel may keep it true where margins took every change out, so each route is held
  // to its promise and the changes themselves are compared.
  const auto noChange = [n](const DictionaryResult& r) {
    return std::all_of(r.changes.begin(), r.changes.begin() + static_cast<std::ptrdiff_t>(n),
                       [](const Change& c) { return c.text == nullptr; });
  };
  const auto keepsPromise = [&](const DictionaryResult& r) { return r.anyChange || noChange(r); };
  // Division with frames against Division judging every position, and the common word's
  // route against Division's, with the dictionary's own margins.
  const DictionaryMargins margins{d.leftMin, d.rightMin, d.compoundLeftMin, d.compoundRightMin};
  DictionaryResult common, general, judged;
  divideGeneral(d, part, margins, general, scratch);
  divideGeneral(d, part, margins, judged, scratch, true);
  if (general.values != judged.values || !keepsPromise(general) || !keepsPromise(judged) ||
      !std::equal(general.changes.begin(), general.changes.begin() + static_cast<std::ptrdiff_t>(n),
                  judged.changes.begin(), sameChange))
    return false;
  // The common word's route read straight from the word's UTF-8, where it takes the word.
  if (d.encoding == nullptr) {
    DictionaryResult read;
    const std::size_t count = divideCommonUtf8Word(d, toUtf8(part), margins, read, s);
    if (count != 0 && (count != n || !std::equal(general.values.begin(), general.values.end(), read.values.begin()) ||
                       !noChange(general) || !noChange(read)))
      return false;
  }
  // The common word's route, and Division going on from the compound reading it left.
  switch (divideCommonWord(d, part, margins, common, s)) {
    case CommonRoute::Divided:
      return common.values == general.values && noChange(general);
    case CommonRoute::Compound: {
      DictionaryResult handed;
      divideGeneral(d, part, margins, handed, scratch, false, true);
      return handed.values == general.values && keepsPromise(handed) &&
             std::equal(general.changes.begin(), general.changes.begin() + static_cast<std::ptrdiff_t>(n),
                        handed.changes.begin(), sameChange);
    }
    case CommonRoute::General:
      break;
  }
  return true;
}

}  // namespace quellix::detail
