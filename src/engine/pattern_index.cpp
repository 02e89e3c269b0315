#include "pattern_index.hpp"

#include <algorithm>
#include <bit>
#include <climits>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <string_view>
#include <type_traits>
#include <unordered_map>

#include "quellix/error.hpp"
#include "sort_keys.hpp"

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

// A trie's nodes breadth first, children in ascending code order: the children of node k
// are the nodes firstChild[k] .. firstChild[k + 1] - 1, and node j is reached by code[j]
// (node 0 is the root).
struct TrieLayout {
  std::vector<char32_t> code;
  std::vector<std::uint32_t> firstChild;  // one more entry than nodes
  std::vector<std::span<const std::uint8_t>> scores;
  std::uint32_t longestPattern = 0;  // depth of the deepest node with scores
  std::size_t size() const noexcept { return code.size(); }
};

void assignSymbols(PatternIndexData& index, const TrieLayout& layout) {
  // Distinct codes in ascending order, through a bitmap up to the largest code used.
  char32_t largest = 0;
  std::vector<char32_t> beyond;
  for (std::size_t j = 1; j < layout.size(); ++j) {
    if (layout.code[j] < kFirstPastUnicode)
      largest = std::max(largest, layout.code[j]);
    else
      beyond.push_back(layout.code[j]);
  }
  std::vector<std::uint64_t> seen(std::size_t(largest) / 64 + 1, 0);
  for (std::size_t j = 1; j < layout.size(); ++j) {
    const char32_t c = layout.code[j];
    if (c < kFirstPastUnicode) seen[c / 64] |= std::uint64_t{1} << (c % 64);
  }
  sortUnique(beyond);

  std::uint16_t usedPages = 0;
  for (std::size_t word = 0; word < seen.size(); ++word) {
    for (std::uint64_t bits = seen[word]; bits; bits &= bits - 1) {
      auto code = static_cast<char32_t>(word * 64 + static_cast<unsigned>(std::countr_zero(bits)));
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
    index.outOfRange.push_back({code, checkedCount(index.codes.size())});
  }
  constexpr std::size_t kDirectLimit = 0x800;
  const std::size_t reach = index.pageOf.size() * 256;
  if (beyond.empty() && reach <= kDirectLimit) {
    index.direct.resize(reach);
    for (std::size_t code = 0; code < reach; ++code) {
      const std::uint16_t page = index.pageOf[code >> 8];
      index.direct[code] = page ? index.symbolPages[(std::size_t(page) - 1) * 256 + (code & 0xff)] : 0;
    }
  }
}

// Places every node of layout in the double array, breadth first; returns the slot of
// each node.
std::vector<std::uint32_t> placeNodes(PatternIndexData& index, const PatternIndex& symbols,
                                      const TrieLayout& layout) {
  auto& slots = index.slots;
  slots.reserve(layout.size() + layout.size() / 4 + 64);
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
  std::vector<std::uint32_t> slotOf(layout.size(), 0);
  std::vector<PatternIndex::Symbol> childSymbols;
  std::uint32_t maxBase = 0;
  for (std::size_t k = 0; k < layout.size(); ++k) {
    const std::uint32_t here = slotOf[k];
    const std::uint32_t first = layout.firstChild[k];
    if (first == layout.firstChild[k + 1]) continue;
    childSymbols.clear();
    for (std::uint32_t j = first; j < layout.firstChild[k + 1]; ++j)
      childSymbols.push_back(symbols.symbolOf(layout.code[j]));
    const std::size_t low = childSymbols.front();
    std::size_t base = std::max(nextFree(1), low) - low;
    for (int tries = 0;; ++tries) {
      bool fits = true;
      for (PatternIndex::Symbol sym : childSymbols)
        if (!isFree(base + sym)) {
          fits = false;
          break;
        }
      if (fits) break;
      // Fresh space past the end always fits.
      base = tries == kPlacementTries ? std::max(slots.size(), low) - low
                                      : nextFree(base + low + 1) - low;
    }
    ensure(base + childSymbols.back() + 1);
    slots[here].base = checkedCount(base);
    maxBase = std::max(maxBase, slots[here].base);
    for (std::size_t j = 0; j < childSymbols.size(); ++j) {
      const std::size_t at = base + childSymbols[j];
      slots[at].check = here;
      skip[at] = static_cast<std::uint32_t>(at + 1);
      slotOf[first + j] = checkedCount(at);
    }
  }
  // Padding: base + any symbol must index a slot.
  ensure(std::size_t(maxBase) + index.codes.size() + 1);
  checkedCount(slots.size());
  return slotOf;
}

void storeScoreLists(PatternIndexData& index, const TrieLayout& layout,
                     const std::vector<std::uint32_t>& slotOf) {
  index.listOf.assign(index.slots.size(), 0);
  // Equal short lists share one entry: a language has a few thousand distinct lists for
  // tens of thousands of patterns.
  std::unordered_map<std::string_view, std::uint32_t> shortIds;
  std::deque<std::array<std::uint8_t, PatternIndex::kShortWidth + 1>> keyStore;
  for (std::size_t k = 0; k < layout.size(); ++k) {
    const std::span<const std::uint8_t> scores = layout.scores[k];
    if (scores.empty()) continue;
    const std::uint32_t slot = slotOf[k];
    index.slots[slot].base |= PatternIndex::kEndsPattern;
    index.longestScoreList = std::max(index.longestScoreList, checkedCount(scores.size()));
    if (scores.size() <= PatternIndex::kShortWidth) {
      // The list's bytes and its length make its key (trailing zeros count for the length).
      std::array<std::uint8_t, PatternIndex::kShortWidth + 1> key{};
      std::copy(scores.begin(), scores.end(), key.begin());
      key.back() = static_cast<std::uint8_t>(scores.size());
      const std::string_view keyView(reinterpret_cast<const char*>(key.data()), key.size());
      if (auto found = shortIds.find(keyView); found != shortIds.end()) {
        index.listOf[slot] = found->second;
        continue;
      }
      const auto id = checkedCount(index.shortLists.size());
      auto& packed = index.shortLists.emplace_back();
      packed.fill(0);
      std::copy(scores.begin(), scores.end(), packed.begin());
      index.shortLength.push_back(static_cast<std::uint8_t>(scores.size()));
      index.listOf[slot] = id;
      // The map's keys view stable storage: the lists themselves with their lengths.
      keyStore.push_back(key);
      shortIds.emplace(std::string_view(reinterpret_cast<const char*>(keyStore.back().data()),
                                        key.size()),
                       id);
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

std::unique_ptr<const PatternIndex> indexOfLayout(const TrieLayout& layout) {
  checkedCount(layout.size());
  auto index = std::make_unique<PatternIndexData>();
  index->longestPattern = layout.longestPattern;
  assignSymbols(*index, layout);
  // A view of the symbols alone while the nodes are placed (the arrays it reads are final).
  PatternIndex symbols;
  symbols.pageOf = index->pageOf;
  symbols.symbolPages = index->symbolPages;
  symbols.outOfRange = index->outOfRange;
  symbols.direct = index->direct;
  const std::vector<std::uint32_t> slotOf = placeNodes(*index, symbols, layout);
  storeScoreLists(*index, layout, slotOf);
  index->dot = symbols.symbolOf(U'.');
  return std::make_unique<const PatternIndex>(std::move(index));
}

}  // namespace

std::unique_ptr<const PatternIndex> buildIndex(const PatternNode* root) {
  TrieLayout layout;
  std::vector<const PatternNode*> order{root};
  std::vector<std::uint32_t> depth{0};
  layout.code.push_back(0);
  for (std::size_t k = 0; k < order.size(); ++k) {
    layout.firstChild.push_back(checkedCount(order.size()));
    layout.scores.push_back(scoresOf(order[k]));
    if (!layout.scores.back().empty())
      layout.longestPattern = std::max(layout.longestPattern, depth[k]);
    for (const PatternChild& c : childrenOf(order[k])) {
      order.push_back(c.node);
      layout.code.push_back(c.code);
      depth.push_back(depth[k] + 1);
    }
  }
  layout.firstChild.push_back(checkedCount(order.size()));
  return indexOfLayout(layout);
}

std::unique_ptr<const PatternIndex> buildIndex(const SortedPatternLines& sorted) {
  using Line = SortedPatternLines::Line;
  const std::vector<Line>& lines = sorted.lines;
  if (lines.empty()) return nullptr;
  // Node k stands for the prefix of length depth[k] shared by the keys of lines
  // [range[k].first, range[k].second); the sorted keys of a node's subtree are contiguous,
  // and the nodes of each depth come in key order, which is breadth-first order.
  TrieLayout layout;
  std::vector<std::pair<std::size_t, std::size_t>> range{{0, lines.size()}};
  std::vector<std::uint32_t> depth{0};
  layout.code.push_back(0);
  for (std::size_t k = 0; k < range.size(); ++k) {
    layout.firstChild.push_back(checkedCount(range.size()));
    auto [at, end] = range[k];
    const std::size_t d = depth[k];
    std::span<const std::uint8_t> scores;
    if (sorted.key(lines[at]).size() == d) {  // the line of exactly this prefix sorts first
      scores = sorted.scores(lines[at]);
      layout.longestPattern = std::max(layout.longestPattern, depth[k]);
      ++at;
    }
    layout.scores.push_back(scores);
    while (at < end) {
      const char32_t c = sorted.key(lines[at])[d];
      std::size_t next = at + 1;
      while (next < end && sorted.key(lines[next])[d] == c) ++next;
      range.emplace_back(at, next);
      depth.push_back(depth[k] + 1);
      layout.code.push_back(c);
      at = next;
    }
  }
  layout.firstChild.push_back(checkedCount(range.size()));
  return indexOfLayout(layout);
}

namespace {

// Stores next (entries row | window << 16 of rows rows) in automaton's table, 3 bytes an
// entry where the row and window numbers fit 24 bits together, little-endian.
void packEntries(PatternAutomaton& automaton, const std::vector<std::uint32_t>& next,
                 std::size_t rows) {
  const auto bitsFor = [](std::size_t count) {
    return std::max(1u, static_cast<unsigned>(std::bit_width(count - 1)));
  };
  const unsigned rowBits = bitsFor(rows), windowBits = bitsFor(automaton.windows.size());
  if (rowBits + windowBits <= 24) {
    automaton.entryBytes = 3;
    automaton.rowBits = rowBits;
  }
  const std::size_t width = automaton.entryBytes;
  automaton.table.assign(next.size() * width + (4 - width), 0);
  std::uint8_t* out = automaton.table.data();
  for (const std::uint32_t entry : next) {
    const std::uint32_t packed = (entry & 0xffffu) | (entry >> 16) << automaton.rowBits;
    for (std::size_t b = 0; b < width; ++b) *out++ = static_cast<std::uint8_t>(packed >> (8 * b));
  }
}

// The automaton of index, or null when index's trie does not qualify (see
// PatternAutomaton).
std::unique_ptr<PatternAutomaton> buildAutomaton(const PatternIndex& index) {
  using Slot = PatternIndex::Slot;
  const std::span<const Slot> slots = index.slots;
  if (slots[0].base & PatternIndex::kEndsPattern) return nullptr;  // an empty pattern
  auto automaton = std::make_unique<PatternAutomaton>();
  const std::size_t symbols = index.codes.size() + 1;
  const std::size_t stride = symbols;
  automaton->stride = stride;
  std::vector<std::uint32_t> next;  // next[row * stride + symbol]: row | window << 16
  const std::size_t rowLimit =
      std::min(PatternAutomaton::kMaxRows, PatternAutomaton::kBudgetBytes / 4 / stride);
  if (rowLimit == 0) return nullptr;

  auto childSlot = [&](std::uint32_t slot, PatternIndex::Symbol c) -> std::uint32_t {
    const std::size_t child = (slots[slot].base & PatternIndex::kBaseMask) + c;
    return child < slots.size() && slots[child].check == slot ? static_cast<std::uint32_t>(child)
                                                             : PatternIndex::kFree;
  };
  // The nodes with children, each of which gets a row: counted first, so that a trie
  // whose table would pass the budget is refused before anything is built, and the table
  // is allocated once (growing it would touch about twice its size in fresh pages).
  std::vector<bool> parents(slots.size(), false);
  for (std::size_t slot = 1; slot < slots.size(); ++slot)
    if (slots[slot].check < slots.size()) parents[slots[slot].check] = true;
  const std::size_t rowCount =
      static_cast<std::size_t>(std::count(parents.begin(), parents.end(), true));
  if (rowCount > rowLimit) return nullptr;
  next.reserve(std::max<std::size_t>(rowCount, 1) * stride);
  auto hasChildren = [&](std::uint32_t slot) { return parents[slot]; };

  // Distinct windows, numbered in order of appearance; 0 is the root's (all zeros).
  std::map<std::array<std::uint8_t, PatternAutomaton::kWidth>, std::uint32_t> windowIds;
  auto windowId = [&](const std::array<std::uint8_t, PatternAutomaton::kWidth>& w) {
    auto [it, added] = windowIds.try_emplace(w, static_cast<std::uint32_t>(windowIds.size()));
    if (added) automaton->windows.push_back(w);
    return it->second;
  };
  windowId({});

  // The trie breadth first. A node's entry (row | window << 16) is settled when its parent
  // is taken from the queue: its longest proper suffix then has its entry in the parent's
  // row, copied from the suffix's parent's row, which is complete (it is shallower).
  struct Node {
    std::uint32_t slot;
    std::uint32_t depth;
    std::uint32_t row;          // its own row, or its suffix's when it has no children
    std::uint32_t suffixEntry;  // the entry of its longest proper suffix
    bool ownRow;
  };
  std::vector<Node> queue{{0, 0, 0, 0, true}};
  std::size_t rows = 1;
  next.assign(stride, 0);  // the root's row: every character leads to the root
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const Node node = queue[q];
    if (q != 0) {
      if (!node.ownRow) continue;
      // Rows are made in the order they were numbered. Where a character has no child, go
      // where the longest proper suffix goes.
      const std::size_t from = std::size_t(node.suffixEntry & 0xffffu) * stride;
      next.resize((std::size_t(node.row) + 1) * stride);
      std::copy_n(next.begin() + static_cast<std::ptrdiff_t>(from), stride,
                  next.begin() + static_cast<std::ptrdiff_t>(node.row) *
                                     static_cast<std::ptrdiff_t>(stride));
    }
    for (PatternIndex::Symbol c = 1; c < symbols; ++c) {
      const std::uint32_t child = childSlot(node.slot, c);
      if (child == PatternIndex::kFree) continue;
      std::uint32_t& entry = next[std::size_t(node.row) * stride + c];
      const std::uint32_t suffixEntry = q == 0 ? 0 : entry;
      auto window = automaton->windows[suffixEntry >> 16];
      if (slots[child].base & PatternIndex::kEndsPattern) {
        const std::uint32_t list = index.listOf[child];
        if (list & PatternIndex::kLongList) return nullptr;
        const std::size_t length = index.shortLength[list];
        const std::size_t d = node.depth + 1;
        // The list must end at most one boundary past the pattern's last character.
        if (d > PatternAutomaton::kWidth - 1 || length > d + 1) return nullptr;
        for (std::size_t j = 0; j < length; ++j) {
          std::uint8_t& v = window[PatternAutomaton::kWidth - 1 - d + j];
          v = std::max(v, index.shortLists[list][j]);
        }
      }
      const std::uint32_t id = windowId(window);
      if (id >= PatternAutomaton::kMaxWindows) return nullptr;
      std::uint32_t row = suffixEntry & 0xffffu;
      const bool ownRow = hasChildren(child);
      if (ownRow) {
        if (rows == rowLimit) return nullptr;
        row = static_cast<std::uint32_t>(rows++);
      }
      queue.push_back({child, node.depth + 1, row, suffixEntry, ownRow});
      entry = row | id << 16;
    }
  }
  packEntries(*automaton, next, rows);
  return automaton;
}

}  // namespace

PatternIndex::PatternIndex(std::unique_ptr<const PatternIndexData> owned) noexcept
    : owned_(std::move(owned)) {
  view(*owned_);
}

void PatternIndex::view(const PatternIndexData& data) noexcept {
  pageOf = data.pageOf;
  symbolPages = data.symbolPages;
  outOfRange = data.outOfRange;
  direct = data.direct;
  codes = data.codes;
  dot = data.dot;
  slots = data.slots;
  listOf = data.listOf;
  shortLists = data.shortLists;
  shortLength = data.shortLength;
  longLists = data.longLists;
  hitOffsets = data.hitOffsets;
  hitValues = data.hitValues;
  longestScoreList = data.longestScoreList;
  longestPattern = data.longestPattern;
}

PatternIndex::~PatternIndex() = default;

const PatternAutomaton* PatternIndex::automaton() const {
  return automaton_.get([this] { return AutomatonIfAny{buildAutomaton(*this)}; }).automaton.get();
}

PatternIndex::Symbol PatternIndex::symbolPastUnicode(char32_t code) const noexcept {
  auto it = std::lower_bound(outOfRange.begin(), outOfRange.end(), code,
                             [](const CodeSymbol& entry, char32_t c) { return entry.code < c; });
  return it != outOfRange.end() && it->code == code ? it->symbol : 0;
}

namespace {

// The header of an index image: what fromImage checks before it trusts the arrays. Every
// integer of an image, in the header and in the arrays, is stored little-endian whatever
// the machine that writes or reads it, so that an image made on the build machine is right
// for any target.
constexpr char kImageMagic[8] = {'q', 'u', 'e', 'l', 'l', 'i', 'x', 'I'};
constexpr std::uint32_t kImageVersion = 2;  // 1 was in the writer's own byte order
constexpr std::uint32_t kByteOrderMark = 0x01020304u;
constexpr std::size_t kImageArrays = 12;
constexpr std::size_t kImageAlign = 16;
struct ImageHeader {
  char magic[8];
  std::uint32_t version;
  std::uint32_t byteOrder;
  std::uint32_t dot;
  std::uint32_t longestScoreList;
  std::uint32_t longestPattern;
  std::uint32_t reserved;
  std::uint32_t elementSize[kImageArrays];
  std::uint64_t count[kImageArrays];
};
constexpr std::size_t kHeaderBytes = (sizeof(ImageHeader) + kImageAlign - 1) / kImageAlign * kImageAlign;
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
static_assert(kLittleEndian || std::endian::native == std::endian::big, "mixed-endian machine");

std::size_t alignedSize(std::size_t bytes) noexcept {
  return (bytes + kImageAlign - 1) / kImageAlign * kImageAlign;
}

// value with its bytes reversed on a big-endian machine: the little-endian form of a
// native value, and the native form of a little-endian one.
template <class T>
T littleEndian(T value) noexcept {
  if constexpr (!kLittleEndian) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    std::reverse(std::begin(bytes), std::end(bytes));
    std::memcpy(&value, bytes, sizeof value);
  }
  return value;
}

// The header's integers converted as littleEndian does.
ImageHeader littleEndian(ImageHeader header) noexcept {
  for (std::uint32_t* field : {&header.version, &header.byteOrder, &header.dot,
                               &header.longestScoreList, &header.longestPattern, &header.reserved})
    *field = littleEndian(*field);
  for (std::size_t k = 0; k < kImageArrays; ++k) {
    header.elementSize[k] = littleEndian(header.elementSize[k]);
    header.count[k] = littleEndian(header.count[k]);
  }
  return header;
}

// The width of the integers an array element is made of: its bytes are reversed in groups
// of this many on a big-endian machine. Every element is integers of one width, unpadded.
template <class Element>
constexpr std::size_t unitBytes() {
  static_assert(std::has_unique_object_representations_v<Element>, "padding in an image element");
  if constexpr (std::is_integral_v<Element>) {
    return sizeof(Element);
  } else if constexpr (std::is_same_v<Element, std::array<std::uint8_t, PatternIndex::kShortWidth>>) {
    return 1;
  } else {
    static_assert(std::is_same_v<Element, PatternIndex::Slot> ||
                      std::is_same_v<Element, PatternIndex::LongList> ||
                      std::is_same_v<Element, PatternIndex::CodeSymbol>,
                  "an image element of unknown layout");
    static_assert(sizeof(char32_t) == 4 && sizeof(Element) % 4 == 0);
    return 4;
  }
}

// Copies the elements of from to out (from.size_bytes() bytes) as littleEndian converts
// each of their integers.
template <class Element>
void copyLittleEndian(std::span<const Element> from, void* out) noexcept {
  if (from.empty()) return;
  std::memcpy(out, from.data(), from.size_bytes());
  constexpr std::size_t unit = unitBytes<Element>();
  if constexpr (!kLittleEndian && unit > 1) {
    auto* bytes = static_cast<unsigned char*>(out);
    for (std::size_t at = 0; at < from.size_bytes(); at += unit) std::reverse(bytes + at, bytes + at + unit);
  }
}

// Calls visit(a.array, b.array, ...) for each array of the indexes given, in image order.
template <class Visit, class... Indexes>
void forEachArray(Visit visit, Indexes&... index) {
  visit(index.pageOf...);
  visit(index.symbolPages...);
  visit(index.outOfRange...);
  visit(index.direct...);
  visit(index.codes...);
  visit(index.slots...);
  visit(index.listOf...);
  visit(index.shortLists...);
  visit(index.shortLength...);
  visit(index.longLists...);
  visit(index.hitOffsets...);
  visit(index.hitValues...);
}

}  // namespace

std::vector<unsigned char> PatternIndex::serialise() const {
  ImageHeader header{};
  std::memcpy(header.magic, kImageMagic, sizeof kImageMagic);
  header.version = kImageVersion;
  header.byteOrder = kByteOrderMark;
  header.dot = dot;
  header.longestScoreList = longestScoreList;
  header.longestPattern = longestPattern;
  std::size_t total = kHeaderBytes;
  std::size_t k = 0;
  forEachArray(
      [&](auto array) {
        header.elementSize[k] = static_cast<std::uint32_t>(sizeof(array[0]));
        header.count[k] = array.size();
        total += alignedSize(array.size_bytes());
        ++k;
      },
      *this);
  std::vector<unsigned char> image(total, 0);
  const ImageHeader stored = littleEndian(header);
  std::memcpy(image.data(), &stored, sizeof stored);
  std::size_t at = kHeaderBytes;
  forEachArray(
      [&](auto array) {
        copyLittleEndian(array, image.data() + at);
        at += alignedSize(array.size_bytes());
      },
      *this);
  return image;
}

std::unique_ptr<const PatternIndex> PatternIndex::fromImage(std::span<const unsigned char> image) {
  ImageHeader header;
  if (image.size() < kHeaderBytes || reinterpret_cast<std::uintptr_t>(image.data()) % kImageAlign != 0)
    return nullptr;
  std::memcpy(&header, image.data(), sizeof header);
  header = littleEndian(header);
  if (std::memcmp(header.magic, kImageMagic, sizeof kImageMagic) != 0 ||
      header.version != kImageVersion || header.byteOrder != kByteOrderMark)
    return nullptr;
  auto index = std::make_unique<PatternIndex>();
  index->dot = header.dot;
  index->longestScoreList = header.longestScoreList;
  index->longestPattern = header.longestPattern;
  std::size_t at = kHeaderBytes;
  std::size_t k = 0;
  bool fits = true;
  forEachArray(
      [&](auto& array) {
        using Element = typename std::remove_reference_t<decltype(array)>::element_type;
        const std::uint64_t count = header.count[k];
        const bool sized = header.elementSize[k] == sizeof(Element);
        ++k;
        if (!fits || !sized || count > (image.size() - at) / sizeof(Element)) {
          fits = false;
          return;
        }
        array = {reinterpret_cast<const Element*>(image.data() + at), static_cast<std::size_t>(count)};
        at += alignedSize(array.size_bytes());
        if (at > image.size()) fits = false;
      },
      *index);
  // What match and symbolOf index without a bounds check.
  if (!fits || index->slots.empty() || index->listOf.size() != index->slots.size() ||
      index->shortLength.size() != index->shortLists.size() ||
      index->hitValues.size() != index->hitOffsets.size() ||
      index->symbolPages.size() != std::size_t(256) * std::count_if(index->pageOf.begin(),
                                                                     index->pageOf.end(),
                                                                     [](std::uint16_t p) { return p != 0; }))
    return nullptr;
  if (kLittleEndian) return index;  // the arrays are used where they lie
  // A big-endian machine divides with a converted copy.
  auto data = std::make_unique<PatternIndexData>();
  data->dot = index->dot;
  data->longestScoreList = index->longestScoreList;
  data->longestPattern = index->longestPattern;
  forEachArray(
      [](auto stored, auto& copy) {
        copy.resize(stored.size());
        copyLittleEndian(stored, copy.data());
      },
      *index, *data);
  return std::make_unique<const PatternIndex>(std::move(data));
}

bool operator==(const PatternIndex& a, const PatternIndex& b) noexcept {
  auto same = [](auto x, auto y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size_bytes()) == 0);
  };
  return a.dot == b.dot && a.longestScoreList == b.longestScoreList &&
         a.longestPattern == b.longestPattern && same(a.pageOf, b.pageOf) && same(a.symbolPages, b.symbolPages) &&
          same(a.outOfRange, b.outOfRange) && same(a.direct, b.direct) &&
          same(a.codes, b.codes) && same(a.slots, b.slots) && same(a.listOf, b.listOf) &&
          same(a.shortLists, b.shortLists) && same(a.shortLength, b.shortLength) &&
          same(a.longLists, b.longLists) && same(a.hitOffsets, b.hitOffsets) &&
          same(a.hitValues, b.hitValues);
}

const PatternIndex& indexOf(const PatternNode* node) {
  return node->index.get([node] { return buildIndex(node); });
}


}  // namespace quellix::detail
