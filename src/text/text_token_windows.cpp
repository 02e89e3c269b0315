// Runs of letters longer than a token may be held (Thai and other scripts written without
// spaces): TokenWriter divides such a run window by window, keeping only the characters
// its next breaks depend on, so that every break is the one the whole run gets.
#include <algorithm>
#include <cstdint>

#include "hyphenator_internal.hpp"
#include "text_tokens.hpp"

namespace quellix::detail {

// The held run has outgrown kMaxHeldBytes: writes its complete parts, and of its last part,
// which may go on, everything whose breaks are decided, keeping the characters the next
// breaks depend on.
void TokenWriter::divideLongRun(std::string& out) {
  const std::size_t n = units_.size();
  markLetters(n);
  // The start of the last part when the run ends in it (or in a hyphen after it).
  std::size_t open = n;
  for (std::size_t i = 0; i < n;) {
    if (!isLetter_[i]) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < n && (isLetter_[j] || (units_[j].kind == Kind::SoftHyphen && j + 1 < n &&
                                      isLetter_[j + 1])))
      ++j;
    const bool joiner = j < n && (units_[j].kind == Kind::SoftHyphen || units_[j].kind == Kind::Hyphen);
    if (j == n || (j + 1 == n && joiner)) open = i;
    i = j;
  }
  if (open > 0) {
    writeUnits(open, out);
    dropWritten(open);
  }
  if (units_.empty()) {
    runStart_ = npos;
    return;
  }
  runStart_ = 0;
  std::size_t partEnd = units_.size();
  if (!isLetter_.empty()) {
    markLetters(units_.size());
    while (partEnd > 0 && !isLetter_[partEnd - 1]) --partEnd;  // a trailing joiner waits
  }
  if (bytes_.size() <= kMaxHeldBytes / 2 || partEnd == 0) return;

  const TextLanguage::Reach& r = language_->reach();
  const std::int64_t leftMin = hyphenatorLeftMin(language_->hyphenator());
  const std::int64_t rightMin = hyphenatorRightMin(language_->hyphenator());
  const std::size_t context = std::max<std::size_t>(
      {r.before + 1, static_cast<std::size_t>(std::clamp<std::int64_t>(leftMin, 0, kMaxReach)), 1});
  const std::size_t guard = std::max<std::size_t>(
      {r.after, static_cast<std::size_t>(std::clamp<std::int64_t>(rightMin, 0, kMaxReach)), 1});
  if (context > kMaxReach || guard > kMaxReach) {
    // A hyphenator that reaches this far cannot be followed in bounded memory.
    out.append(bytes_, bytesBefore(written_));
    clear();
    copyRun_ = true;
    return;
  }
  if (!writeWindow(partEnd, context, guard, out)) {
    // Not yet enough characters to decide any break: hold more (up to a limit).
    if (bytes_.size() > 64 * (kMaxHeldBytes + 4 * (context + guard))) {
      out.append(bytes_, bytesBefore(written_));
      clear();
      copyRun_ = true;
      return;
    }
    shrinkAt_ = 2 * bytes_.size();
  }
}

std::size_t TokenWriter::bytesBefore(std::size_t unit) const {
  std::size_t bytes = 0;
  for (std::size_t k = 0; k < unit; ++k) bytes += units_[k].length;
  return bytes;
}

// Divides a window of the long part units_[0, partEnd), which may go on: writes its units
// up to a cut before which every break is decided (they depend on at most context
// characters before and guard characters after them), and keeps the context the next
// window needs. False when the window is too short to decide anything yet.
bool TokenWriter::writeWindow(std::size_t partEnd, std::size_t context, std::size_t guard,
                              std::string& out) {
  const bool continued = longPart_;
  const PartFacts facts = collectPart(0, partEnd);
  if (!continued && ((facts.softHyphen && options_.skipSoftHyphenated) ||
                     (options_.skipCapitals && facts.upper && !facts.lower))) {
    // Decided on its first window: the whole part is left as it is.
    out.append(bytes_);
    clear();
    copyRun_ = true;
    return true;
  }
  const std::size_t m = letters_.size();
  const std::size_t from = continued ? composedBefore(written_) : 0;
  // A cut before a character that nothing composes with, and no mark.
  const auto cuttable = [this](std::size_t p) {
    const std::size_t code = codeBoundary(p);
    return code != npos && code < codes_.size() && !mayChangeInComposition(codes_[code]) &&
           units_[sources_[code]].kind != Kind::Mark;
  };
  if (m < guard + context + 1) return false;
  std::size_t cut = m - guard;
  while (cut > from && cut >= context && !cuttable(cut)) --cut;
  if (cut <= from || cut < context) return false;
  std::size_t keep = cut - context;
  while (keep > 0 && !cuttable(keep)) --keep;

  markBreaks(from, cut, hyphenBefore_ && !continued, false);
  const std::size_t cutCode = codeBoundary(cut);
  const std::size_t cutUnit = sources_[cutCode - 1] + 1;  // soft hyphens after it wait
  const std::size_t emitFrom = continued ? written_ : 0;
  emitPart(emitFrom, cutUnit, false, bytesBefore(emitFrom), out);

  const std::size_t keepUnit = keep == 0 ? 0 : sources_[codeBoundary(keep)];
  dropWritten(keepUnit);
  longPart_ = true;
  written_ = cutUnit - keepUnit;
  hyphenBefore_ = false;
  return true;
}

}  // namespace quellix::detail
