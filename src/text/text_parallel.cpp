// Dividing one chunk of running text on several threads: the chunk is cut where nothing
// is held back (after white space in text content; in HTML also inside comments and raw
// text, with the markup state at each cut found by a scout that reads the markup only),
// each part is divided by its own TextStream set to the state at its cut, and the outputs
// are appended in order, byte for byte what one thread writes.
#include <algorithm>
#include <bit>
#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
#include <emmintrin.h>
#endif

#include "text_stream.hpp"

namespace quellix::detail {

// Where a text may be cut: right after chunk[at] has been read (an ASCII character), in a
// state in which no token is open. Text content after white space qualifies, and so does
// the inside of a raw-text element, a comment, CDATA or a declaration: all that the next
// character depends on is then in Markup.
bool TextStream::cutAfter(char byte) const noexcept {
  if (!carry.empty()) return false;
  switch (mode) {
    case Mode::Text:
      return byteKind[static_cast<unsigned char>(byte)] == ByteKind::Space;
    case Mode::RawText:
    case Mode::Comment:
    case Mode::Cdata:
    case Mode::Bogus:
      return true;
    default:
      return false;
  }
}

// On a scout: follows the markup of chunk from the state it was given, and returns for
// each target offset the first place at or after it where the text may be cut, with the
// state there (a place serves every target it reaches). Divides and writes nothing.
std::vector<TextStream::Cut> TextStream::findCuts(
    std::string_view chunk, const std::vector<std::size_t>& targets) {
  std::vector<Cut> cuts;
  std::string scratch;  // what markup would write out, thrown away
  out = &scratch;
  const std::size_t n = chunk.size();
  std::size_t i = takeCarry(chunk);
  std::size_t next = 0;  // the first target still without a place
  const auto found = [&](std::size_t at) {
    cuts.push_back(Cut{at, static_cast<const Markup&>(*this)});
    while (next < targets.size() && targets[next] <= at) ++next;
  };
  while (i < n && next < targets.size()) {
    if (mode == Mode::Text) {
      // Nothing in text content changes the markup state but '<' and '&'; past the target,
      // white space is a place to cut.
      const std::size_t target = std::min(n, std::max(i, targets[next]));
      std::size_t p = markupByteFrom(chunk, i, target);
      if (p == target)
        while (p < n && chunk[p] != '<' && chunk[p] != '&' &&
               byteKind[static_cast<unsigned char>(chunk[p])] != ByteKind::Space)
          ++p;
      if (p == n) break;
      if (chunk[p] != '<' && chunk[p] != '&') {
        found(p + 1);
        i = p + 1;
        continue;
      }
      i = p;
    }
    const std::size_t at = i;
    i = stepAt(chunk, i);
    if (i == at + 1 && i >= targets[next] && static_cast<unsigned char>(chunk[at]) < 0x80 &&
        cutAfter(chunk[at]))
      found(i);
    if (scratch.size() > 4096) scratch.clear();
  }
  out = nullptr;
  return cuts;
}

// Restarts at a place where the text may be cut, in the state another object had there.
void TextStream::restore(const Markup& markup) {
  token.clear();
  static_cast<Markup&>(*this) = markup;
  scopeChanged();
}

void TextStream::writeParallel(std::string_view chunk, std::string& output,
                                          unsigned threads) {
  // More parts than threads, taken by whichever thread is free: a thread that the machine
  // holds back for a while (another process, a busy host) then delays the chunk by one
  // small part rather than by its whole share.
  constexpr std::size_t kPartsPerThread = 8;
  const std::size_t wanted =
      std::min<std::size_t>(std::size_t{threads} * kPartsPerThread, chunk.size() / minPart);
  if (threads <= 1 || wanted <= 1) {
    write(chunk, output);
    return;
  }
  std::vector<std::size_t> targets{0};  // 0: the first place there is
  for (std::size_t k = 1; k < wanted; ++k) targets.push_back(chunk.size() / wanted * k);
  std::vector<Cut> cuts;
  if (options.markup == TextMarkup::Plain) {
    // After white space nothing is held in plain text.
    for (const std::size_t target : targets) {
      std::size_t at = std::max(target, cuts.empty() ? 0 : cuts.back().at);
      while (at < chunk.size() && byteKind[static_cast<unsigned char>(chunk[at])] != ByteKind::Space) ++at;
      if (at < chunk.size()) cuts.push_back(Cut{at + 1, Markup()});
    }
  } else {
    if (!scout) {
      scout = std::make_unique<TextStream>(callerLanguage.hyphenator(), options);
      scout->scanning = true;
    }
    scout->restore(*this);
    cuts = scout->findCuts(chunk, targets);
  }
  if (cuts.size() < 2) {
    write(chunk, output);
    return;
  }
  // Up to the first cut here, as the text goes on from what was held; from each cut on
  // in a state set to what it is there, the last part here again, so that what it leaves
  // held stays with this object.
  write(chunk.substr(0, cuts.front().at), output);
  const std::size_t parts = cuts.size();
  while (workers.size() < parts - 1)
    workers.push_back(std::make_unique<TextStream>(callerLanguage.hyphenator(), options));
  std::vector<std::exception_ptr> failures(parts);
  const auto part = [&](std::size_t k) {
    return chunk.substr(cuts[k].at, (k + 1 < parts ? cuts[k + 1].at : chunk.size()) - cuts[k].at);
  };
  // Each thread takes the next part not yet taken, k < parts - 1, into worker k; what a
  // part throws is rethrown once all have finished.
  std::atomic<std::size_t> nextPart{0};
  const auto divideParts = [&] {
    for (std::size_t k = nextPart.fetch_add(1, std::memory_order_relaxed); k + 1 < parts;
         k = nextPart.fetch_add(1, std::memory_order_relaxed)) {
      try {
        TextStream& worker = *workers[k];
        worker.restore(cuts[k].markup);
        worker.fast = fast;
        worker.partOut.clear();
        worker.write(part(k), worker.partOut);
      } catch (...) {
        failures[k] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> running;
  try {
    const std::size_t helpers = std::min<std::size_t>(threads, parts) - 1;
    running.reserve(helpers);
    while (running.size() < helpers) running.emplace_back(divideParts);
  } catch (...) {
    // A thread could not be started: those that were, and this one, take every part.
  }
  // The lang values the parts find are reported in the order of the text.
  const std::size_t ownUnknown = unknownLanguages.size();
  try {
    restore(cuts.back().markup);
    partOut.clear();
    write(part(parts - 1), partOut);
  } catch (...) {
    failures[parts - 1] = std::current_exception();
  }
  divideParts();
  for (std::thread& thread : running) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  std::vector<std::string> lastPart(unknownLanguages.begin() + static_cast<std::ptrdiff_t>(ownUnknown),
                                    unknownLanguages.end());
  unknownLanguages.resize(ownUnknown);
  for (std::size_t k = 0; k + 1 < parts; ++k) {
    std::vector<std::string>& found = workers[k]->unknownLanguages;
    unknownLanguages.insert(unknownLanguages.end(), found.begin(), found.end());
    found.clear();
  }
  unknownLanguages.insert(unknownLanguages.end(), lastPart.begin(), lastPart.end());
  std::size_t total = partOut.size();
  for (std::size_t k = 0; k + 1 < parts; ++k) total += workers[k]->partOut.size();
  output.reserve(output.size() + total);
  for (std::size_t k = 0; k + 1 < parts; ++k) output.append(workers[k]->partOut);
  output.append(partOut);
}

// The first k in [i, end) where chunk[k] is '<' or '&', or end.
std::size_t TextStream::markupByteFrom(std::string_view chunk, std::size_t i,
                                                  std::size_t end) noexcept {
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  for (; i + 16 <= end; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('<')),
                                                    _mm_cmpeq_epi8(b, _mm_set1_epi8('&'))));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
  }
#endif
  while (i < end && chunk[i] != '<' && chunk[i] != '&') ++i;
  return i;
}

}  // namespace quellix::detail
