#include "pattern_index.hpp"

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>

#include "quellix/error.hpp"

namespace quellix::detail {
namespace {

constexpr char32_t kFirstPastUnicode = 0x110000;
constexpr std::uint32_t kFree = PatternIndex::kNoParent;
constexpr std::uint32_t kRootParent = 0xfffffffeu;
// Tries at packing a node's children among earlier ones before it goes to the end.
constexpr int kPlacementTries = 32;

std::uint32_t checkedCount(std::size_t n) {
  if (n >= 0x7fffffffu) throw ArgumentError("pattern trie too large to index");
  return static_cast<std::uint32_t>(n);
}

void assignSymbols(PatternIndex& index, const std::vector<const PatternNode*>& order) {
  // Distinct codes in ascending order, through a bitmap of the Unicode range.
  std::vector<std::uint64_t> seen(kFirstPastUnicode / 64, 0);
  std::vector<char32_t> beyond;
  for (const PatternNode* node : order)
    for (const PatternChild& c : childrenOf(node)) {
      if (c.code < kFirstPastUnicode)
        seen[c.code / 64] |= std::uint64_t{1} << (c.code % 64);
      else
        beyond.push_back(c.code);
    }
  std::sort(beyond.begin(), beyond.end());
  beyond.erase(std::unique(beyond.begin(), beyond.end()), beyond.end());

  PatternIndex::Symbol next = 0;
  std::uint16_t usedPages = 0;
  for (std::size_t word = 0; word < seen.size(); ++word) {
    for (std::uint64_t bits = seen[word]; bits; bits &= bits - 1) {
      auto code = static_cast<char32_t>(word * 64 + static_cast<unsigned>(__builtin_ctzll(bits)));
      std::size_t page = code >> 8;
      if (index.pageOf.size() <= page) index.pageOf.resize(page + 1, 0);
      if (index.pageOf[page] == 0) {
        index.pageOf[page] = ++usedPages;
        index.symbolPages.resize(std::size_t(usedPages) * 256, 0);
      }
      index.symbolPages[(std::size_t(index.pageOf[page]) - 1) * 256 + (code & 0xff)] = ++next;
    }
  }
  for (char32_t code : beyond) index.outOfRange.emplace_back(code, ++next);
  index.symbolCount = checkedCount(next);
  constexpr std::size_t kDirectLimit = 0x800;
  const std::size_t reach = index.pageOf.size() * 256;
  if (beyond.empty() && reach <= kDirectLimit) {
    std::vector<PatternIndex::Symbol> direct(reach);  // symbolOf reads direct once set
    for (std::size_t code = 0; code < reach; ++code)
      direct[code] = index.symbolOf(static_cast<char32_t>(code));
    index.direct = std::move(direct);
  }
}

PatternIndex* buildIndex(const PatternNode* root) {
  auto index = std::make_unique<PatternIndex>();
  // Breadth-first order: the children of order[k] are order[firstChild[k] ..].
  std::vector<const PatternNode*> order{root};
  std::vector<std::uint32_t> firstChild;
  for (std::size_t k = 0; k < order.size(); ++k) {
    firstChild.push_back(checkedCount(order.size()));
    for (const PatternChild& c : childrenOf(order[k])) order.push_back(c.node);
  }
  checkedCount(order.size());
  assignSymbols(*index, order);

  auto& slots = index->slots;
  slots.assign(1, {kRootParent, 0, 0, 0});
  // nextFree finds the first free slot at or after a position: a union-find over the
  // occupied slots, each pointing past itself, with path halving.
  std::vector<std::uint32_t> skip{1};
  auto ensure = [&](std::size_t size) {
    while (slots.size() < size) {
      skip.push_back(static_cast<std::uint32_t>(slots.size()));
      slots.push_back({kFree, 0, 0, 0});
    }
  };
  auto nextFree = [&](std::size_t at) {
    while (at < skip.size() && skip[at] != at) {
      if (skip[at] < skip.size()) skip[at] = skip[skip[at]];
      at = skip[at];
    }
    return at;
  };
  auto isFree = [&slots](std::size_t at) { return at >= slots.size() || slots[at].parent == kFree; };
  std::vector<std::uint32_t> slotOf(order.size(), 0);
  std::vector<PatternIndex::Symbol> symbols;
  std::uint32_t maxBase = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::uint32_t here = slotOf[k];
    auto children = childrenOf(order[k]);
    if (children.empty()) continue;
    symbols.clear();
    for (const PatternChild& c : children) symbols.push_back(index->symbolOf(c.code));
    const std::size_t low = symbols.front();
    std::size_t base = std::max(nextFree(1), low) - low;
    for (int tries = 0;; ++tries) {
      bool fits = true;
      for (PatternIndex::Symbol sym : symbols)
        if (!isFree(base + sym)) {
          fits = false;
          break;
        }
      if (fits) break;
      // Fresh space past the end always fits.
      base = tries == kPlacementTries ? std::max(slots.size(), low) - low
                                      : nextFree(base + low + 1) - low;
    }
    ensure(base + symbols.back() + 1);
    slots[here].base = checkedCount(base);
    maxBase = std::max(maxBase, slots[here].base);
    for (std::size_t j = 0; j < symbols.size(); ++j) {
      const std::size_t at = base + symbols[j];
      slots[at].parent = here;
      skip[at] = static_cast<std::uint32_t>(at + 1);
      slotOf[firstChild[k] + j] = checkedCount(at);
    }
  }
  // Padding: base + any symbol must index a slot.
  ensure(std::size_t(maxBase) + index->symbolCount + 1);
  checkedCount(slots.size());

  index->scoreLength.assign(slots.size(), 0);
  for (std::size_t k = 0; k < order.size(); ++k) {
    auto scores = scoresOf(order[k]);
    PatternIndex::Slot& out = slots[slotOf[k]];
    out.hitBegin = checkedCount(index->hitOffsets.size());
    for (std::size_t j = 0; j < scores.size(); ++j) {
      if (scores[j] == 0) continue;
      index->hitOffsets.push_back(static_cast<std::uint32_t>(j));
      index->hitValues.push_back(scores[j]);
    }
    out.hitCount = checkedCount(index->hitOffsets.size() - out.hitBegin);
    if (!scores.empty()) out.hitCount |= PatternIndex::kHoldsList;
    index->scoreLength[slotOf[k]] = checkedCount(scores.size());
    index->longestScoreList = std::max(index->longestScoreList, checkedCount(scores.size()));
  }
  checkedCount(index->hitOffsets.size());
  index->dot = index->symbolOf(U'.');
  return index.release();
}

}  // namespace

PatternIndex::Symbol PatternIndex::symbolPastUnicode(char32_t code) const noexcept {
  auto it = std::lower_bound(outOfRange.begin(), outOfRange.end(), code,
                             [](const auto& entry, char32_t c) { return entry.first < c; });
  return it != outOfRange.end() && it->first == code ? it->second : 0;
}

const PatternIndex& indexOf(const PatternNode* node) {
  if (const PatternIndex* ready = node->index.load(std::memory_order_acquire)) return *ready;
  // Threads that race here each build an equal index; the first one published is kept.
  PatternIndex* built = buildIndex(node);
  const PatternIndex* expected = nullptr;
  if (node->index.compare_exchange_strong(expected, built, std::memory_order_acq_rel,
                                          std::memory_order_acquire))
    return *built;
  delete built;
  return *expected;
}

void destroyIndex(const PatternIndex* index) noexcept { delete index; }

}  // namespace quellix::detail
