#include "pattern_index.hpp"

#include <algorithm>
#include <limits>
#include <memory>

#include "quellix/error.hpp"

namespace quellix::detail {
namespace {

// Nodes with at least this many children get a dense row: one probe instead of a scan.
constexpr std::uint32_t kDenseThreshold = 8;
constexpr char32_t kFirstPastUnicode = 0x110000;

std::uint32_t checkedCount(std::size_t n) {
  if (n >= PatternIndex::kDenseFlag) throw ArgumentError("pattern trie too large to index");
  return static_cast<std::uint32_t>(n);
}

void assignSymbols(PatternIndex& index, const std::vector<const PatternNode*>& order) {
  std::vector<char32_t> codes;
  for (const PatternNode* node : order)
    for (const PatternChild& c : childrenOf(node)) codes.push_back(c.code);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  index.symbolCount = codes.size();
  checkedCount(codes.size());

  std::size_t pages = 0;
  for (char32_t code : codes)
    if (code < kFirstPastUnicode) pages = std::max<std::size_t>(pages, (code >> 8) + 1);
  index.pageOf.assign(pages, 0);
  std::uint16_t usedPages = 0;
  for (std::size_t k = 0; k < codes.size(); ++k) {
    char32_t code = codes[k];
    auto symbol = static_cast<PatternIndex::Symbol>(k + 1);
    if (code >= kFirstPastUnicode) {
      index.outOfRange.emplace_back(code, symbol);  // codes are sorted, so is this
      continue;
    }
    std::uint16_t& page = index.pageOf[code >> 8];
    if (page == 0) {
      page = ++usedPages;
      index.symbolPages.resize(std::size_t(usedPages) * 256, 0);
    }
    index.symbolPages[(std::size_t(page) - 1) * 256 + (code & 0xff)] = symbol;
  }
}

PatternIndex* buildIndex(const PatternNode* root) {
  auto index = std::make_unique<PatternIndex>();
  // Breadth-first order gives every node's children consecutive numbers.
  std::vector<const PatternNode*> order{root};
  for (std::size_t k = 0; k < order.size(); ++k)
    for (const PatternChild& c : childrenOf(order[k])) order.push_back(c.node);
  checkedCount(order.size());
  assignSymbols(*index, order);

  index->nodes.resize(order.size());
  index->edgeSymbol.assign(order.size(), 0);
  std::uint32_t next = 1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const PatternNode* node = order[k];
    PatternIndex::Node& out = index->nodes[k];
    auto children = childrenOf(node);
    auto scores = scoresOf(node);
    out.firstChild = next;
    out.childCount = static_cast<std::uint32_t>(children.size());
    out.denseRow = 0;
    for (const PatternChild& c : children) index->edgeSymbol[next++] = index->symbolOf(c.code);
    if (children.size() >= kDenseThreshold) {
      out.denseRow = checkedCount(index->dense.size());
      index->dense.resize(index->dense.size() + index->symbolCount + 1, PatternIndex::kNoChild);
      for (std::uint32_t j = 0; j < children.size(); ++j)
        index->dense[out.denseRow + index->edgeSymbol[out.firstChild + j]] = out.firstChild + j;
      out.childCount |= PatternIndex::kDenseFlag;
    }
    out.hitBegin = checkedCount(index->hitOffsets.size());
    for (std::size_t j = 0; j < scores.size(); ++j) {
      if (scores[j] == 0) continue;
      index->hitOffsets.push_back(static_cast<std::uint32_t>(j));
      index->hitValues.push_back(scores[j]);
    }
    out.hitCount = checkedCount(index->hitOffsets.size() - out.hitBegin);
    out.scoreLength = checkedCount(scores.size());
    index->longestScoreList = std::max(index->longestScoreList, out.scoreLength);
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

std::size_t PatternIndex::match(const Symbol* framed, std::size_t m,
                                std::uint8_t* values) const noexcept {
  std::size_t length = m;
  auto apply = [&](std::uint32_t node, std::size_t at) {
    const Node& n = nodes[node];
    length = std::max(length, at + n.scoreLength);
    for (std::uint32_t h = n.hitBegin, end = n.hitBegin + n.hitCount; h < end; ++h) {
      std::uint8_t& v = values[at + hitOffsets[h]];
      v = std::max(v, hitValues[h]);
    }
  };
  const bool rootScores = nodes[0].scoreLength != 0;
  for (std::size_t start = 0; start < m; ++start) {
    if (rootScores) apply(0, start);
    std::uint32_t node = 0;
    for (std::size_t k = start; k < m; ++k) {
      node = child(node, framed[k]);
      if (node == kNoChild) break;
      apply(node, start);
    }
  }
  if (rootScores) apply(0, m);
  return length;
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
