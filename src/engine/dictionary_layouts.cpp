// Laying out a dictionary level for the quick readings, once its patterns, windows and
// fallbacks are read (dictionary_reader.cpp): the walk's nodes, packed, compact or wide, and
// the automaton's tables. What each layout is and why is told in DictionaryLevel.
#include "dictionary_layouts.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "dictionary_data.hpp"
#include "pattern_index.hpp"

namespace quellix::detail {
namespace {

// The bits that number count things (0 .. count - 1).
std::uint32_t bitsFor(std::size_t count) { return static_cast<std::uint32_t>(std::bit_width(count - 1)); }

// The walk's compact nodes and compactWindows; false (nothing built) where the layout is Wide
// or a slot's base and window id do not fit 32 bits together.
bool buildCompactNodes(DictionaryLevel& level, const std::vector<std::uint32_t>& windowOf, NodeLayout layout) {
  if (layout == NodeLayout::Wide) return false;
  const std::span<const PatternIndex::Slot> slots = level.index->slots;
  std::map<std::uint32_t, std::uint32_t> ids{{0, 0}};
  level.compactWindows.assign(1, 0);
  for (const std::uint32_t w : windowOf)
    if (ids.try_emplace(w, static_cast<std::uint32_t>(level.compactWindows.size())).second)
      level.compactWindows.push_back(w);
  // Every base is below the number of slots (the index pads so that base + symbol stays inside).
  const std::uint32_t baseBits = std::max<std::uint32_t>(bitsFor(slots.size()), 1);
  if (baseBits >= 32 || baseBits + bitsFor(level.compactWindows.size()) > 32) {
    level.compactWindows.clear();
    return false;
  }
  level.baseBits = baseBits;
  level.compactNodes.resize(slots.size());
  for (std::size_t slot = 0; slot < slots.size(); ++slot)
    level.compactNodes[slot] = {slots[slot].check,
                                (slots[slot].check == PatternIndex::kFree ? 0 : slots[slot].base & PatternIndex::kBaseMask) |
                                    ids.at(windowOf[slot]) << baseBits};
  return true;
}

// The place the packed walk reaches from place on symbol (a symbol of the level's, not 0).
std::uint32_t packedStep(const std::vector<std::uint64_t>& nodes, std::uint32_t place, std::uint32_t symbol) {
  constexpr std::uint64_t kCheckMask = (std::uint64_t{1} << DictionaryLevel::kPackedCheckBits) - 1;
  constexpr std::uint64_t kFallbackMask =
      (std::uint64_t{1} << (DictionaryLevel::kPackedWindowShift - DictionaryLevel::kPackedFallbackShift)) - 1;
  for (;;) {
    const std::uint64_t node = nodes[place];
    const std::uint32_t next = static_cast<std::uint32_t>(node) >> DictionaryLevel::kPackedBaseShift;
    if ((nodes[next + symbol] & kCheckMask) == symbol) return next + symbol;
    if (place == 0) return 0;
    place = static_cast<std::uint32_t>(node >> DictionaryLevel::kPackedFallbackShift & kFallbackMask);
  }
}

// packedEndIds and packedEndWindows of a level's packed nodes: the windows that the dot after
// a part brings to the most places get an id, as many as a byte numbers.
void buildEndIds(DictionaryLevel& level) {
  const std::vector<std::uint64_t>& nodes = level.packedNodes;
  const PatternIndex::Symbol dot = level.index->dot;
  constexpr std::uint64_t kFlags = DictionaryLevel::kPackedLong | DictionaryLevel::kPackedChange;
  constexpr std::uint32_t kNone = 0xffffffffu;
  // Per place (in use: the root, and every place a slot has), the window of the dot's state,
  // or kNone.
  std::vector<std::uint32_t> endWindow(nodes.size(), kNone);
  std::vector<std::uint32_t> places(level.packedWindows.size(), 0);
  for (std::uint32_t place = 0; place < nodes.size(); ++place) {
    if (place != 0 && level.slotOfPlace[place] == 0) continue;
    const std::uint64_t end = nodes[packedStep(nodes, place, dot)];
    if (end & kFlags) continue;
    endWindow[place] = static_cast<std::uint32_t>(end >> DictionaryLevel::kPackedWindowShift);
    ++places[endWindow[place]];
  }
  std::vector<std::uint32_t> byUse(places.size());
  for (std::uint32_t window = 0; window < byUse.size(); ++window) byUse[window] = window;
  std::stable_sort(byUse.begin(), byUse.end(), [&](std::uint32_t a, std::uint32_t b) { return places[a] > places[b]; });
  std::vector<std::uint8_t> idOf(places.size(), 0);
  level.packedEndWindows.assign(1, {});
  for (const std::uint32_t window : byUse) {
    if (places[window] == 0 || level.packedEndWindows.size() > 0xff) break;
    idOf[window] = static_cast<std::uint8_t>(level.packedEndWindows.size());
    level.packedEndWindows.push_back(level.packedWindows[window]);
  }
  level.packedEndIds.assign(nodes.size(), 0);
  for (std::size_t place = 0; place < nodes.size(); ++place)
    if (endWindow[place] != kNone) level.packedEndIds[place] = idOf[endWindow[place]];
}

// The packed nodes, from the compact ones (which they replace); nothing where the level's
// symbols, places or windows do not fit their fields, or the layout would be too sparse.
void buildPackedNodes(DictionaryLevel& level, const std::vector<std::uint32_t>& nodes,
                      const std::vector<std::uint32_t>& parent, const std::vector<PatternIndex::Symbol>& symbolOf) {
  const PatternIndex& index = *level.index;
  const std::size_t symbols = index.codes.size();
  if (symbols >= (std::size_t{1} << DictionaryLevel::kPackedCheckBits)) return;
  // Each node's children (symbol, slot), in symbol order.
  const std::size_t slots = index.slots.size();
  std::vector<std::uint32_t> childBegin(slots + 1, 0);
  for (const std::uint32_t node : nodes) ++childBegin[parent[node] + 1];
  for (std::size_t slot = 0; slot < slots; ++slot) childBegin[slot + 1] += childBegin[slot];
  std::vector<std::uint32_t> children(nodes.size());
  {
    std::vector<std::uint32_t> fill(childBegin.begin(), childBegin.end() - 1);
    std::vector<std::uint32_t> bySymbol(nodes);
    std::sort(bySymbol.begin(), bySymbol.end(),
              [&](std::uint32_t a, std::uint32_t b) { return symbolOf[a] < symbolOf[b]; });
    for (const std::uint32_t node : bySymbol) children[fill[parent[node]]++] = node;
  }
  // Depth first from the root: each node's children take the first run of free places that
  // fits them at a base no other node has, so that a pattern's letters lie side by side.
  constexpr std::uint32_t kNone = 0xffffffffu;
  std::vector<std::uint32_t> place(slots, kNone), baseOf(slots, kNone);
  std::vector<std::uint8_t> used(1, 1), baseTaken;
  place[0] = 0;
  // Holes further back than kReach places behind the last one used are left: looking
  // further costs time quadratic in the size, for little room.
  constexpr std::size_t kReach = 64;
  std::size_t top = 1, probes = 0;
  const std::size_t probeLimit = 256 * (nodes.size() + 1);
  std::vector<std::uint32_t> stack{0};
  while (!stack.empty()) {
    const std::uint32_t node = stack.back();
    stack.pop_back();
    const std::uint32_t* const first = children.data() + childBegin[node];
    const std::uint32_t* const last = children.data() + childBegin[node + 1];
    if (first == last) continue;
    const std::size_t lowest = symbolOf[*first];
    std::size_t firstFree = top > kReach ? top - kReach : 0;
    while (firstFree < top && used[firstFree]) ++firstFree;
    std::size_t base = firstFree > lowest ? firstFree - lowest : 0;
    for (;; ++base) {
      if (++probes > probeLimit) return;  // a layout this sparse is not worth it
      if (used.size() < base + symbols + 1) used.resize(base + symbols + 1, 0);
      if (baseTaken.size() <= base) baseTaken.resize(base + 1, 0);
      if (baseTaken[base]) continue;
      if (std::none_of(first, last, [&](std::uint32_t child) { return used[base + symbolOf[child]] != 0; })) break;
    }
    baseTaken[base] = 1;
    baseOf[node] = static_cast<std::uint32_t>(base);
    for (const std::uint32_t* child = first; child != last; ++child) {
      used[base + symbolOf[*child]] = 1;
      place[*child] = static_cast<std::uint32_t>(base + symbolOf[*child]);
      top = std::max<std::size_t>(top, place[*child] + 1);
    }
    for (const std::uint32_t* child = last; child != first;) stack.push_back(*--child);
  }
  // Leaves take a base past every place, whose symbols' places stay free.
  std::size_t size = top;
  const std::size_t leafBase = size;
  size += symbols + 1;
  const std::uint32_t placeBits = std::max<std::uint32_t>(bitsFor(size), 1);
  const std::uint32_t windowBits = bitsFor(std::max<std::size_t>(level.compactWindows.size(), 2));
  if (DictionaryLevel::kPackedBaseShift + placeBits > DictionaryLevel::kPackedFallbackShift ||
      DictionaryLevel::kPackedFallbackShift + placeBits > DictionaryLevel::kPackedWindowShift ||
      DictionaryLevel::kPackedWindowShift + windowBits > 64)
    return;
  level.packedNodes.assign(size, 0);
  level.slotOfPlace.assign(size, 0);
  for (std::uint32_t slot = 0; slot < slots; ++slot) {
    if (place[slot] == kNone) continue;
    const std::uint64_t check = slot == 0 ? 0 : symbolOf[slot];
    const std::uint64_t base = baseOf[slot] == kNone ? leafBase : baseOf[slot];
    const std::uint64_t fallback = place[level.fallback[slot]];
    const std::uint64_t window = level.compactNodes[slot].baseWindow >> level.baseBits;
    const std::uint32_t flags = level.compactWindows[window];
    level.packedNodes[place[slot]] =
        check | base << DictionaryLevel::kPackedBaseShift |
        fallback << DictionaryLevel::kPackedFallbackShift |
        window << DictionaryLevel::kPackedWindowShift |
        ((flags & DictionaryLevel::kLong) != 0 ? DictionaryLevel::kPackedLong : 0) |
        ((flags & DictionaryLevel::kChange) != 0 ? DictionaryLevel::kPackedChange : 0);
    level.slotOfPlace[place[slot]] = slot;
  }
  level.packedWindows.resize(level.compactWindows.size());
  for (std::size_t window = 0; window < level.compactWindows.size(); ++window)
    level.packedWindows[window] = level.windows[level.compactWindows[window] & DictionaryLevel::kWindowMask];
  level.placeBits = placeBits;
  buildEndIds(level);
  // The walk reads these nodes alone.
  std::vector<DictionaryLevel::CompactNode>().swap(level.compactNodes);
}

// The automaton's comb (DictionaryLevel::combEntries), from its table and targets, which it
// replaces where always (layout Comb) or it is smaller; false where it is not built.
bool buildComb(DictionaryLevel& level, const std::vector<std::uint32_t>& nodes, const std::vector<bool>& parent,
               const std::vector<std::uint32_t>& rowOf, bool always) {
  const std::span<const PatternIndex::Slot> slots = level.index->slots;
  const std::size_t stride = level.stride;
  const std::vector<std::uint16_t>& table = level.table;
  const std::size_t rows = table.size() / stride;
  if (stride > DictionaryLevel::kCombFree) return false;
  // Each row's default: the row of its longest suffix of at most two letters, whose rows are
  // kept whole (the root's first).
  std::vector<std::uint8_t> depth(slots.size(), 0);
  std::vector<std::uint32_t> defaultOf(rows, 0), denseOf(rows, 0), stateOf(rows, 0);
  for (const std::uint32_t node : nodes) {
    depth[node] = static_cast<std::uint8_t>(std::min(depth[slots[node].check] + 1, 3));
    if (parent[node]) stateOf[rowOf[node]] = node;
  }
  std::uint32_t denseRows = 1;
  for (std::size_t row = 1; row < rows; ++row)
    if (depth[stateOf[row]] <= 2) {
      denseOf[row] = denseRows++;
      defaultOf[row] = static_cast<std::uint32_t>(row);
    }
  for (std::size_t row = 1; row < rows; ++row) {
    if (depth[stateOf[row]] <= 2) continue;
    std::uint32_t suffix = level.fallback[stateOf[row]];
    while (depth[suffix] > 2) suffix = level.fallback[suffix];
    defaultOf[row] = rowOf[suffix];
  }
  // Rows placed first fit, each at a base of its own (base 0 left to rows without entries).
  // Holes further back than kReach entries behind the last one used are left, as in
  // buildPackedNodes.
  constexpr std::size_t kReach = 256;
  constexpr std::uint32_t kFree = 0xffffffffu;
  std::vector<std::uint32_t> placed(stride, kFree);  // per entry: its symbol | its target's number << 8
  std::vector<std::uint32_t> baseOf(rows, 0);
  std::vector<std::uint8_t> baseTaken(1, 1);
  std::vector<std::uint32_t> symbols;
  std::size_t top = 1, probes = 0;
  const std::size_t probeLimit = 256 * rows;
  for (std::size_t row = 1; row < rows; ++row) {
    const std::uint16_t* const own = table.data() + row * stride;
    const std::uint16_t* const dflt = table.data() + std::size_t(defaultOf[row]) * stride;
    symbols.clear();
    for (std::uint32_t symbol = 1; symbol < stride; ++symbol)
      if (own[symbol] != dflt[symbol]) symbols.push_back(symbol);
    if (symbols.empty()) continue;
    std::size_t firstFree = top > kReach ? top - kReach : 1;
    while (firstFree < top && placed[firstFree] != kFree) ++firstFree;
    std::size_t base = firstFree > symbols[0] ? firstFree - symbols[0] : 1;
    for (;; ++base) {
      if (++probes > probeLimit) return false;
      if (placed.size() < base + stride) placed.resize(base + stride, kFree);
      if (baseTaken.size() <= base) baseTaken.resize(base + 1, 0);
      const auto free = [&](std::uint32_t symbol) { return placed[base + symbol] == kFree; };
      if (baseTaken[base] == 0 && std::all_of(symbols.begin(), symbols.end(), free)) break;
    }
    baseTaken[base] = 1;
    baseOf[row] = static_cast<std::uint32_t>(base);
    for (const std::uint32_t symbol : symbols) placed[base + symbol] = symbol | std::uint32_t{own[symbol]} << 8;
    top = std::max<std::size_t>(top, base + symbols.back() + 1);
  }
  const std::vector<std::uint32_t>& targets = level.targets;
  // The default rows first, then the comb: one array, so that a step needs one pointer.
  const std::size_t dense = denseRows * stride;
  const std::size_t combBytes = (dense + placed.size()) * sizeof(std::uint64_t);
  if (dense + placed.size() >= (std::size_t{1} << (DictionaryLevel::kCombCheckShift - DictionaryLevel::kCombBaseShift)) ||
      (!always && combBytes >= table.size() * sizeof(std::uint16_t) + targets.size() * sizeof(std::uint32_t)))
    return false;
  // The entry of a target: the next row's base and default row, the window and flags.
  const std::uint32_t rowMask = static_cast<std::uint32_t>((std::uint64_t{1} << level.targetBits) - 1) & ~3u;
  const auto entryOf = [&](std::uint16_t target) {
    const std::uint32_t row = (targets[target] & rowMask) / static_cast<std::uint32_t>(stride);
    return std::uint64_t{baseOf[row] == 0 ? 0 : baseOf[row] + dense} << DictionaryLevel::kCombBaseShift |
           (denseOf[defaultOf[row]] * static_cast<std::uint32_t>(stride) | (targets[target] & ~rowMask));
  };
  // A free entry's check, and a default entry's (where a row without entries of its own
  // reads, at base 0), matches no symbol.
  constexpr std::uint64_t kNoCheck = DictionaryLevel::kCombFree << DictionaryLevel::kCombCheckShift;
  level.combEntries.assign(dense + placed.size(), kNoCheck);
  for (std::size_t row = 0; row < rows; ++row)
    if (defaultOf[row] == row)
      for (std::size_t symbol = 0; symbol < stride; ++symbol)
        level.combEntries[std::size_t(denseOf[row]) * stride + symbol] = entryOf(table[row * stride + symbol]) | kNoCheck;
  for (std::size_t k = 0; k < placed.size(); ++k)
    if (placed[k] != kFree)
      level.combEntries[dense + k] = entryOf(static_cast<std::uint16_t>(placed[k] >> 8)) |
                                     std::uint64_t{placed[k] & 0xffu} << DictionaryLevel::kCombCheckShift;
  std::vector<std::uint16_t>().swap(level.table);
  std::vector<std::uint32_t>().swap(level.targets);
  return true;
}

// The automaton's table, and its wide table where the layout is Smallest and it is small
// enough; nothing where the level passes the limits told at DictionaryLevel::table.
void buildAutomaton(DictionaryLevel& level, const std::vector<std::uint32_t>& nodes,
                    const std::vector<std::uint32_t>& windowOf, NodeLayout layout) {
  const PatternIndex& index = *level.index;
  const std::span<const PatternIndex::Slot> slots = index.slots;
  // Rows a multiple of four entries: a row's offset leaves its two low bits to the target's
  // flags (kAutoLong, kAutoChange), tested without a mask in a register.
  const std::size_t stride = (index.codes.size() + 1 + 3) & ~std::size_t{3};
  constexpr std::uint32_t kNone = 0xffffffffu;
  std::vector<bool> parent(slots.size(), false);
  for (std::size_t slot = 1; slot < slots.size(); ++slot)
    if (slots[slot].check < slots.size()) parent[slots[slot].check] = true;
  const std::size_t rows = static_cast<std::size_t>(std::count(parent.begin(), parent.end(), true)) + 1;
  if (rows > 0x10000 || rows * stride * 2 > DictionaryLevel::kAutomatonBytes) return;
  // Windows: one per distinct window of the quick reading, one per long pattern.
  std::vector<std::uint32_t> windowIdOf(slots.size(), 0);
  std::map<std::uint32_t, std::uint32_t> ids{{0, 0}};
  level.autoWindows.assign(1, {});
  std::vector<std::uint32_t> flagsOf(1, 0);  // per window: kLong, kChange
  level.autoPattern.assign(1, 0);
  for (std::uint32_t slot = 0; slot < slots.size(); ++slot) {
    const std::uint32_t w = windowOf[slot];
    if (w == 0) continue;
    const bool isLong = (w & DictionaryLevel::kLong) != 0;
    const auto [it, added] = ids.try_emplace(isLong ? 0x80000000u | slot : w,
                                             static_cast<std::uint32_t>(level.autoWindows.size()));
    if (added) {
      level.autoWindows.push_back(isLong ? std::array<std::uint8_t, DictionaryLevel::kWidth>{}
                                         : level.windows[w & DictionaryLevel::kWindowMask]);
      flagsOf.push_back(w & (DictionaryLevel::kLong | DictionaryLevel::kChange));
      level.autoPattern.push_back(level.patternOf[slot] - 1);
    }
    windowIdOf[slot] = it->second;
  }
  const std::uint32_t targetBits = bitsFor(rows * stride);
  const std::uint32_t windowBits = std::max<std::uint32_t>(bitsFor(level.autoWindows.size()), 1);
  if (level.autoWindows.size() > 0x10000 || targetBits + windowBits > 32) {
    level.autoWindows.clear();
    level.autoPattern.clear();
    return;
  }
  // Rows in breadth-first order; a state without children reads its suffix's row.
  std::vector<std::uint32_t> rowOf(slots.size(), kNone);
  rowOf[0] = 0;
  std::uint32_t nextRow = 1;
  for (const std::uint32_t node : nodes)
    rowOf[node] = parent[node] ? nextRow++ : rowOf[level.fallback[node]];
  // What a step reads: a target (where its row begins, its window and the window's flags),
  // by number.
  std::vector<std::uint16_t> targetOf(slots.size(), 0);
  std::map<std::uint32_t, std::uint16_t> targetIds{{0, 0}};
  level.targets.assign(1, 0);
  for (const std::uint32_t node : nodes) {
    const std::uint32_t target = rowOf[node] | windowIdOf[node] << 16;
    const auto [it, added] = targetIds.try_emplace(target, static_cast<std::uint16_t>(level.targets.size()));
    if (added) {
      if (level.targets.size() == 0x10000) {
        level.targets.clear();
        level.autoWindows.clear();
        level.autoPattern.clear();
        return;
      }
      const std::uint32_t flags = flagsOf[windowIdOf[node]];
      level.targets.push_back(rowOf[node] * static_cast<std::uint32_t>(stride) |
                              windowIdOf[node] << (32 - windowBits) |
                              ((flags & DictionaryLevel::kLong) != 0 ? DictionaryLevel::kAutoLong : 0) |
                              ((flags & DictionaryLevel::kChange) != 0 ? DictionaryLevel::kAutoChange : 0));
    }
    targetOf[node] = it->second;
  }
  std::vector<std::uint16_t>& table = level.table;
  table.assign(rows * stride, 0);
  const auto fill = [&](std::uint32_t slot) {
    const std::uint32_t base = slots[slot].base & PatternIndex::kBaseMask;
    std::uint16_t* row = table.data() + std::size_t(rowOf[slot]) * stride;
    for (std::size_t symbol = 1; symbol < stride; ++symbol) {
      const std::size_t child = base + symbol;
      if (child < slots.size() && slots[child].check == slot) row[symbol] = targetOf[child];
    }
  };
  fill(0);
  for (const std::uint32_t node : nodes) {
    if (!parent[node]) continue;
    // Where a character leads nowhere from here, it leads where it leads from the suffix.
    std::copy_n(table.data() + std::size_t(rowOf[level.fallback[node]]) * stride, stride,
                table.data() + std::size_t(rowOf[node]) * stride);
    fill(node);
  }
  level.stride = stride;
  level.targetBits = targetBits;
  level.windowShift = 32 - windowBits;
  if (layout == NodeLayout::Smallest && table.size() * sizeof(std::uint32_t) <= DictionaryLevel::kWideTableBytes) {
    level.wideTable.resize(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) level.wideTable[k] = level.targets[table[k]];
    std::vector<std::uint16_t>().swap(level.table);
    std::vector<std::uint32_t>().swap(level.targets);
  } else if (layout == NodeLayout::Smallest || layout == NodeLayout::Comb) {
    buildComb(level, nodes, parent, rowOf, layout == NodeLayout::Comb);
  }
}

}  // namespace

void layOutLevel(DictionaryLevel& level, NodeLayout layout, const std::vector<std::uint32_t>& nodes,
                 const std::vector<std::uint32_t>& parent, const std::vector<PatternIndex::Symbol>& symbolOf,
                 const std::vector<std::uint32_t>& windowOf) {
  const PatternIndex& index = *level.index;
  const std::size_t slots = index.slots.size();
  if (!buildCompactNodes(level, windowOf, layout)) {
    level.nodes.resize(slots);
    for (std::size_t slot = 0; slot < slots; ++slot)
      level.nodes[slot] = {index.slots[slot].check, index.slots[slot].base & PatternIndex::kBaseMask,
                           level.fallback[slot], windowOf[slot]};
  } else if (layout == NodeLayout::Smallest || layout == NodeLayout::Comb) {
    buildPackedNodes(level, nodes, parent, symbolOf);
  }
  buildAutomaton(level, nodes, windowOf, layout);
}

}  // namespace quellix::detail
