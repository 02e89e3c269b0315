#include "pattern_index.hpp"

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>

#include "quellix/error.hpp"

namespace quellix::detail {
namespace {

constexpr char32_t kFirstPastUnicode = 0x110000;
constexpr std::uint32_t kFree = PatternIndex::kFree;
constexpr std::uint32_t kRootCheck = 0xfffffffeu;  // taken, and no slot's number
// Tries at packing a node's children among earlier ones before it goes to the end.
constexpr int kPlacementTries = 32;

std::uint32_t checkedCount(std::size_t n) {
  if (n >= 0x7fffffffu) throw ArgumentError("pattern trie too large to index");
  return static_cast<std::uint32_t>(n);
}

void assignSymbols(PatternIndex& index, const std::vector<const PatternNode*>& order) {
  // Distinct codes in ascending order, through a bitmap up to the largest code used.
  char32_t largest = 0;
  std::vector<char32_t> beyond;
  for (const PatternNode* node : order)
    for (const PatternChild& c : childrenOf(node)) {
      if (c.code < kFirstPastUnicode)
        largest = std::max(largest, c.code);
      else
        beyond.push_back(c.code);
    }
  std::vector<std::uint64_t> seen(std::size_t(largest) / 64 + 1, 0);
  for (const PatternNode* node : order)
    for (const PatternChild& c : childrenOf(node))
      if (c.code < kFirstPastUnicode) seen[c.code / 64] |= std::uint64_t{1} << (c.code % 64);
  std::sort(beyond.begin(), beyond.end());
  beyond.erase(std::unique(beyond.begin(), beyond.end()), beyond.end());

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
      index.codes.push_back(code);
      index.symbolPages[(std::size_t(index.pageOf[page]) - 1) * 256 + (code & 0xff)] =
          checkedCount(index.codes.size());
    }
  }
  for (char32_t code : beyond) {
    index.codes.push_back(code);
    index.outOfRange.emplace_back(code, checkedCount(index.codes.size()));
  }
  constexpr std::size_t kDirectLimit = 0x800;
  const std::size_t reach = index.pageOf.size() * 256;
  if (beyond.empty() && reach <= kDirectLimit) {
    std::vector<PatternIndex::Symbol> direct(reach);  // symbolOf reads direct once set
    for (std::size_t code = 0; code < reach; ++code)
      direct[code] = index.symbolOf(static_cast<char32_t>(code));
    index.direct = std::move(direct);
  }
}

// Places every node of order (breadth first) in the double array; returns the slot of
// each node.
std::vector<std::uint32_t> placeNodes(PatternIndex& index,
                                      const std::vector<const PatternNode*>& order,
                                      const std::vector<std::uint32_t>& firstChild) {
  auto& slots = index.slots;
  slots.reserve(order.size() + order.size() / 4 + 64);
  slots.assign(1, {kRootCheck, 0});
  // nextFree finds the first free slot at or after a position: a union-find over the
  // occupied slots, each pointing past itself, with path halving.
  std::vector<std::uint32_t> skip{1};
  skip.reserve(slots.capacity());
  auto ensure = [&](std::size_t size) {
    while (slots.size() < size) {
      skip.push_back(static_cast<std::uint32_t>(slots.size()));
      slots.push_back({kFree, 0});
    }
  };
  auto nextFree = [&](std::size_t at) {
    while (at < skip.size() && skip[at] != at) {
      if (skip[at] < skip.size()) skip[at] = skip[skip[at]];
      at = skip[at];
    }
    return at;
  };
  auto isFree = [&slots](std::size_t at) { return at >= slots.size() || slots[at].check == kFree; };
  std::vector<std::uint32_t> slotOf(order.size(), 0);
  std::vector<PatternIndex::Symbol> symbols;
  std::uint32_t maxBase = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::uint32_t here = slotOf[k];
    auto children = childrenOf(order[k]);
    if (children.empty()) continue;
    symbols.clear();
    for (const PatternChild& c : children) symbols.push_back(index.symbolOf(c.code));
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
      slots[at].check = here;
      skip[at] = static_cast<std::uint32_t>(at + 1);
      slotOf[firstChild[k] + j] = checkedCount(at);
    }
  }
  // Padding: base + any symbol must index a slot.
  ensure(std::size_t(maxBase) + index.codes.size() + 1);
  checkedCount(slots.size());
  return slotOf;
}

void storeScoreLists(PatternIndex& index, const std::vector<const PatternNode*>& order,
                     const std::vector<std::uint32_t>& slotOf) {
  index.listOf.assign(index.slots.size(), 0);
  for (std::size_t k = 0; k < order.size(); ++k) {
    auto scores = scoresOf(order[k]);
    if (scores.empty()) continue;
    const std::uint32_t slot = slotOf[k];
    index.slots[slot].base |= PatternIndex::kEndsPattern;
    index.longestScoreList = std::max(index.longestScoreList, checkedCount(scores.size()));
    if (scores.size() <= PatternIndex::kShortWidth) {
      index.listOf[slot] = checkedCount(index.shortLists.size());
      auto& packed = index.shortLists.emplace_back();
      packed.fill(0);
      std::copy(scores.begin(), scores.end(), packed.begin());
      index.shortLength.push_back(static_cast<std::uint8_t>(scores.size()));
      continue;
    }
    index.listOf[slot] = PatternIndex::kLongList | checkedCount(index.longLists.size());
    PatternIndex::LongList entry{checkedCount(scores.size()),
                                 checkedCount(index.hitOffsets.size()), 0};
    for (std::size_t j = 0; j < scores.size(); ++j) {
      if (scores[j] == 0) continue;
      index.hitOffsets.push_back(static_cast<std::uint32_t>(j));
      index.hitValues.push_back(scores[j]);
    }
    entry.hitEnd = checkedCount(index.hitOffsets.size());
    index.longLists.push_back(entry);
  }
  checkedCount(index.shortLists.size());
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
  const std::vector<std::uint32_t> slotOf = placeNodes(*index, order, firstChild);
  storeScoreLists(*index, order, slotOf);
  index->dot = index->symbolOf(U'.');
  return index.release();
}

// Fills the transitions (State wide) and score windows of the automaton whose trie nodes
// are slotOf (breadth first); false when a score list does not fit its window.
template <class State>
bool fillAutomaton(PatternAutomaton& automaton, std::vector<State>& next, const PatternIndex& index,
                   const std::vector<std::uint32_t>& slotOf,
                   const std::vector<std::uint32_t>& firstChild,
                   const std::vector<PatternIndex::Symbol>& symbolOf,
                   const std::vector<std::uint32_t>& depth) {
  const std::size_t stride = automaton.stride;
  const std::size_t states = slotOf.size();
  next.assign(states * stride, 0);
  automaton.scoresOf.resize(states);
  std::vector<std::uint32_t> fail(states, 0);
  for (std::size_t i = 0; i < states; ++i) {
    State* row = next.data() + i * stride;
    auto& scores = automaton.scoresOf[i];
    if (i == 0) {
      scores.fill(0);
    } else {
      // Where a character has no child, go where the longest proper suffix goes.
      std::copy_n(next.data() + std::size_t(fail[i]) * stride, stride, row);
      scores = automaton.scoresOf[fail[i]];
    }
    const PatternIndex::Slot& slot = index.slots[slotOf[i]];
    if (slot.base & PatternIndex::kEndsPattern) {
      const std::uint32_t list = index.listOf[slotOf[i]];
      if (list & PatternIndex::kLongList) return false;
      const std::size_t length = index.shortLength[list];
      const std::size_t d = depth[i];
      // The list must end at most one boundary past the pattern's last character.
      if (d > PatternAutomaton::kWidth - 1 || length > d + 1) return false;
      for (std::size_t j = 0; j < length; ++j) {
        std::uint8_t& v = scores[PatternAutomaton::kWidth - 1 - d + j];
        v = std::max(v, index.shortLists[list][j]);
      }
    }
    for (std::uint32_t child = firstChild[i]; child < firstChild[i + 1]; ++child) {
      fail[child] = i == 0 ? 0 : static_cast<std::uint32_t>(row[symbolOf[child]]);
      row[symbolOf[child]] = static_cast<State>(child);
    }
  }
  return true;
}

// The automaton of index, or null when index's trie does not qualify (see
// PatternAutomaton).
std::unique_ptr<PatternAutomaton> buildAutomaton(const PatternIndex& index) {
  const std::vector<PatternIndex::Slot>& slots = index.slots;
  if (slots[0].base & PatternIndex::kEndsPattern) return nullptr;  // an empty pattern
  auto automaton = std::make_unique<PatternAutomaton>();
  const std::size_t symbols = index.codes.size() + 1;
  constexpr std::size_t kSmallStates = 0x10000;  // 16-bit state numbers
  // The most states the budget allows at the narrowest width.
  const std::size_t stateLimit = PatternAutomaton::kBudgetBytes / sizeof(std::uint16_t) / symbols;
  if (stateLimit == 0) return nullptr;
  automaton->stride = symbols;

  // The trie's nodes breadth first: the children of state i are states
  // firstChild[i] .. firstChild[i + 1], reached by symbolOf[child].
  std::vector<std::uint32_t> slotOf{0};
  std::vector<std::uint32_t> firstChild;
  std::vector<PatternIndex::Symbol> symbolOf{0};
  std::vector<std::uint32_t> depth{0};
  for (std::size_t i = 0; i < slotOf.size(); ++i) {
    firstChild.push_back(static_cast<std::uint32_t>(slotOf.size()));
    const std::uint32_t slot = slotOf[i];
    const std::size_t base = slots[slot].base & PatternIndex::kBaseMask;
    for (PatternIndex::Symbol c = 1; c < symbols; ++c) {
      const std::size_t child = base + c;
      if (child >= slots.size() || slots[child].check != slot) continue;
      if (slotOf.size() == stateLimit) return nullptr;
      slotOf.push_back(static_cast<std::uint32_t>(child));
      symbolOf.push_back(c);
      depth.push_back(depth[i] + 1);
    }
  }
  const std::size_t states = slotOf.size();
  firstChild.push_back(static_cast<std::uint32_t>(states));
  if (states <= kSmallStates)
    return fillAutomaton(*automaton, automaton->next16, index, slotOf, firstChild, symbolOf, depth)
               ? std::move(automaton)
               : nullptr;
  if (states * symbols * sizeof(std::uint32_t) > PatternAutomaton::kBudgetBytes) return nullptr;
  return fillAutomaton(*automaton, automaton->next32, index, slotOf, firstChild, symbolOf, depth)
             ? std::move(automaton)
             : nullptr;
}

}  // namespace

PatternIndex::~PatternIndex() { delete automaton_.load(std::memory_order_acquire); }

const PatternAutomaton* PatternIndex::automaton() const {
  if (const PatternAutomaton* ready = automaton_.load(std::memory_order_acquire)) return ready;
  if (noAutomaton_.load(std::memory_order_relaxed)) return nullptr;
  std::unique_ptr<PatternAutomaton> built = buildAutomaton(*this);
  if (!built) {
    noAutomaton_.store(true, std::memory_order_relaxed);
    return nullptr;
  }
  // Threads that race here each build an equal automaton; the first one published is kept.
  const PatternAutomaton* expected = nullptr;
  if (automaton_.compare_exchange_strong(expected, built.get(), std::memory_order_acq_rel,
                                         std::memory_order_acquire))
    return built.release();
  return expected;
}

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
