#include "quellix/pattern.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <tuple>
#include <utility>

#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "quellix/algebra.hpp"
#include "quellix/error.hpp"
#include "quellix/show.hpp"
#include "text_lines.hpp"
#include "utf8_encode.hpp"

namespace quellix {

using detail::PatternAccess;
using detail::PatternChild;
using detail::PatternNode;

namespace detail {

const PatternNode* makeNode(std::span<const std::uint8_t> scores,
                            std::span<const PatternChild> children) {
  if (scores.empty() && children.empty()) return nullptr;
  if (scores.size() > UINT32_MAX || children.size() > UINT32_MAX)
    throw ArgumentError("pattern too long");
  std::size_t bytes = sizeof(PatternNode) + children.size() * sizeof(PatternChild) + scores.size();
  void* memory = ::operator new(bytes);
  auto* node = static_cast<PatternNode*>(memory);
  new (&node->refs) std::atomic<std::size_t>(1);
  node->childCount = static_cast<std::uint32_t>(children.size());
  node->scoreCount = static_cast<std::uint32_t>(scores.size());
  new (&node->index) OnceCell<PatternIndex>();
  auto* childOut = reinterpret_cast<PatternChild*>(node + 1);
  for (std::size_t k = 0; k < children.size(); ++k) new (childOut + k) PatternChild(children[k]);
  if (!scores.empty())
    std::memcpy(reinterpret_cast<std::uint8_t*>(childOut + children.size()), scores.data(),
                scores.size());
  return node;
}

void release(const PatternNode* node) noexcept {
  if (!node || node->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  if (isDeferred(node)) {
    // Its index and the trie it made (never itself deferred) go with it.
    delete static_cast<const DeferredRoot*>(node);
    return;
  }
  // A trie may be a million nodes deep: free with an explicit stack, not recursion.
  std::vector<const PatternNode*> doomed;
  try {
    doomed.reserve(16);
  } catch (...) {
  }
  const PatternNode* current = node;
  for (;;) {
    for (const PatternChild& c : current->childSpan()) {
      if (c.node->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) continue;
      try {
        doomed.push_back(c.node);
      } catch (...) {
        // Out of memory while freeing: leak the subtree rather than fail.
      }
    }
    std::destroy_at(&const_cast<PatternNode*>(current)->index);
    ::operator delete(const_cast<PatternNode*>(current));
    if (doomed.empty()) return;
    current = doomed.back();
    doomed.pop_back();
  }
}

const PatternNode* resolve(const PatternNode* node) {
  if (!isDeferred(node)) return node;
  const auto* deferred = static_cast<const DeferredRoot*>(node);
  return deferred->trie
      .get([deferred] {
        const PatternNode* made = PatternAccess::release(deferred->makeTrie());  // its reference
        if (!made || isDeferred(made)) {
          release(made);
          throw ArgumentError("a deferred pattern trie was not made");
        }
        return TrieReference(made);
      })
      .node;
}

Patterns deferredPatterns(std::unique_ptr<const PatternIndex> index,
                          std::function<Patterns()> makeTrie) {
  auto root = std::make_unique<DeferredRoot>();
  root->refs.store(1, std::memory_order_relaxed);
  root->childCount = DeferredRoot::kDeferred;
  root->scoreCount = 0;
  // The fresh root's empty cell made again holding index: no other thread sees it yet.
  std::destroy_at(&root->index);
  new (&root->index) OnceCell<PatternIndex>(std::move(index));
  root->makeTrie = std::move(makeTrie);
  return PatternAccess::adopt(root.release());
}

}  // namespace detail

namespace {

Scores widen(std::span<const std::uint8_t> values) { return Scores(values.begin(), values.end()); }

bool isDigit(char32_t c) noexcept { return c >= U'0' && c <= U'9'; }

// The letters of a pattern line (appended to letters) and its values (to values).
void splitPattern(std::u32string_view line, std::vector<char32_t>& letters,
                  std::vector<std::uint8_t>& values) {
  for (char32_t c : line)
    if (!isDigit(c)) letters.push_back(c);
  std::size_t k = 0;
  while (k < line.size()) {
    if (isDigit(line[k])) {
      values.push_back(static_cast<std::uint8_t>(line[k] - U'0'));
      k += 2;  // the character after a digit is its boundary's letter, whatever it is
      if (k > line.size()) return;
    } else {
      values.push_back(0);
      k += 1;
    }
  }
  values.push_back(0);
}

// Copy of node with the child for code replaced by (or extended with) child, which
// hands over its reference.
const PatternNode* withChild(const PatternNode* node, char32_t code, const PatternNode* child) {
  auto old = detail::childrenOf(node);
  std::vector<PatternChild> children;
  children.reserve(old.size() + 1);
  bool placed = false;
  for (const PatternChild& c : old) {
    if (!placed && c.code >= code) {
      children.push_back({code, child});
      placed = true;
      if (c.code == code) continue;
    }
    detail::retain(c.node);
    children.push_back(c);
  }
  if (!placed) children.push_back({code, child});
  try {
    return detail::makeNode(detail::scoresOf(node), children);
  } catch (...) {
    for (const PatternChild& c : children) detail::release(c.node);
    throw;
  }
}

std::vector<std::uint8_t> maxScores(std::span<const std::uint8_t> a,
                                    std::span<const std::uint8_t> b) {
  std::vector<std::uint8_t> out(a.size() >= b.size() ? a.begin() : b.begin(),
                                a.size() >= b.size() ? a.end() : b.end());
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t k = 0; k < common; ++k) out[k] = std::max(a[k], b[k]);
  return out;
}

// Releases the references of a list of children whose node was never made.
void releaseAll(const std::vector<PatternChild>& children) noexcept {
  for (const PatternChild& c : children) detail::release(c.node);
}

const PatternNode* mergeNodes(const PatternNode* a, const PatternNode* b) {
  // Post-order over the pairs of nodes at equal positions, with an explicit stack.
  struct Frame {
    const PatternNode* a;
    const PatternNode* b;
    std::size_t ia = 0, ib = 0;
    char32_t pendingCode = 0;
    std::vector<PatternChild> children;
  };
  auto shortcut = [](const PatternNode* x, const PatternNode* y) -> const PatternNode* {
    // Identical or absent subtrees merge to the other side, shared.
    const PatternNode* r = (x == y || !y) ? x : (!x ? y : nullptr);
    detail::retain(r);
    return r;
  };
  if (a == b || !a || !b) return shortcut(a, b);
  std::vector<Frame> stack;
  stack.push_back(Frame{a, b, 0, 0, 0, {}});
  const PatternNode* result = nullptr;
  try {
    while (!stack.empty()) {
      Frame& f = stack.back();
      auto ca = detail::childrenOf(f.a);
      auto cb = detail::childrenOf(f.b);
      bool descended = false;
      while (f.ia < ca.size() || f.ib < cb.size()) {
        if (f.ib == cb.size() || (f.ia < ca.size() && ca[f.ia].code < cb[f.ib].code)) {
          detail::retain(ca[f.ia].node);
          f.children.push_back(ca[f.ia++]);
        } else if (f.ia == ca.size() || cb[f.ib].code < ca[f.ia].code) {
          detail::retain(cb[f.ib].node);
          f.children.push_back(cb[f.ib++]);
        } else {
          const PatternNode* x = ca[f.ia++].node;
          const PatternNode* y = cb[f.ib++].node;
          char32_t code = ca[f.ia - 1].code;
          if (x == y) {
            detail::retain(x);
            f.children.push_back({code, x});
            continue;
          }
          f.pendingCode = code;
          stack.push_back(Frame{x, y, 0, 0, 0, {}});
          descended = true;
          break;
        }
      }
      if (descended) continue;
      Frame& done = stack.back();
      auto scores = maxScores(detail::scoresOf(done.a), detail::scoresOf(done.b));
      const PatternNode* made = detail::makeNode(scores, done.children);
      done.children.clear();
      stack.pop_back();
      if (stack.empty()) {
        result = made;
        break;
      }
      Frame& parent = stack.back();
      parent.children.push_back({parent.pendingCode, made});
    }
  } catch (...) {
    for (const Frame& f : stack) releaseAll(f.children);
    throw;
  }
  return result;
}

// Appends the rendering of node to out: Patterns [..] (fromList [(code,child),..]).
void render(const PatternNode* root, bool parenthesised, std::string& out) {
  auto open = [&out](const PatternNode* node) {
    out += "Patterns [";
    bool first = true;
    for (std::uint8_t v : detail::scoresOf(node)) {
      if (!first) out += ',';
      first = false;
      out += static_cast<char>('0' + v);
    }
    out += "] (fromList [";
  };
  if (parenthesised) out += '(';
  struct Frame {
    const PatternNode* node;
    std::size_t next;
  };
  std::vector<Frame> stack;
  open(root);
  stack.push_back({root, 0});
  while (!stack.empty()) {
    Frame& f = stack.back();
    auto children = detail::childrenOf(f.node);
    if (f.next > 0) out += ')';
    if (f.next == children.size()) {
      out += "])";
      stack.pop_back();
      continue;
    }
    if (f.next > 0) out += ',';
    const PatternChild& c = children[f.next++];
    out += '(';
    out += std::to_string(static_cast<std::uint32_t>(c.code));
    out += ',';
    open(c.node);
    stack.push_back({c.node, 0});
  }
  if (parenthesised) out += ')';
}

}  // namespace

Patterns::Patterns() noexcept : root_(nullptr) {}
Patterns::Patterns(const Patterns& other) noexcept : root_(other.root_) { detail::retain(root_); }
Patterns::Patterns(Patterns&& other) noexcept : root_(std::exchange(other.root_, nullptr)) {}
Patterns& Patterns::operator=(const Patterns& other) noexcept {
  if (this == &other) return *this;
  detail::retain(other.root_);
  detail::release(std::exchange(root_, other.root_));
  return *this;
}
Patterns& Patterns::operator=(Patterns&& other) noexcept {
  if (this != &other) detail::release(std::exchange(root_, std::exchange(other.root_, nullptr)));
  return *this;
}
Patterns::~Patterns() { detail::release(root_); }

Scores Patterns::scores() const { return widen(detail::scoresOf(detail::resolve(root_))); }

std::vector<std::pair<char32_t, Patterns>> Patterns::children() const {
  const PatternNode* root = detail::resolve(root_);
  std::vector<std::pair<char32_t, Patterns>> out;
  out.reserve(detail::childrenOf(root).size());
  for (const PatternChild& c : detail::childrenOf(root)) {
    detail::retain(c.node);
    out.emplace_back(c.code, Patterns(c.node));
  }
  return out;
}

std::optional<Patterns> Patterns::child(char32_t code) const {
  auto children = detail::childrenOf(detail::resolve(root_));
  auto it = std::lower_bound(children.begin(), children.end(), code,
                             [](const PatternChild& c, char32_t k) { return c.code < k; });
  if (it == children.end() || it->code != code) return std::nullopt;
  detail::retain(it->node);
  return Patterns(it->node);
}

bool Patterns::empty() const noexcept { return root_ == nullptr; }

bool operator==(const Patterns& a, const Patterns& b) noexcept {
  if (a.root_ == b.root_) return true;
  std::vector<std::pair<const PatternNode*, const PatternNode*>> pending;
  const PatternNode* x;
  const PatternNode* y;
  try {
    x = detail::resolve(a.root_);
    y = detail::resolve(b.root_);
  } catch (...) {
    return false;  // a trie that cannot be made equals none; never reached in practice
  }
  for (;;) {
    if (x != y) {
      auto sx = detail::scoresOf(x), sy = detail::scoresOf(y);
      auto cx = detail::childrenOf(x), cy = detail::childrenOf(y);
      if (!std::equal(sx.begin(), sx.end(), sy.begin(), sy.end()) || cx.size() != cy.size())
        return false;
      for (std::size_t k = 0; k < cx.size(); ++k) {
        if (cx[k].code != cy[k].code) return false;
        try {
          pending.emplace_back(cx[k].node, cy[k].node);
        } catch (...) {
          return false;  // cannot finish the comparison; never reached in practice
        }
      }
    }
    if (pending.empty()) return true;
    std::tie(x, y) = pending.back();
    pending.pop_back();
  }
}

Scores scorePattern(std::u32string_view line) {
  std::vector<char32_t> letters;
  std::vector<std::uint8_t> values;
  splitPattern(line, letters, values);
  return widen(values);
}

Patterns insertPattern(std::u32string_view line, const Patterns& trie) {
  std::vector<char32_t> letters;
  std::vector<std::uint8_t> values;
  splitPattern(line, letters, values);

  // The existing nodes along the letters (null past the end of what exists).
  std::vector<const PatternNode*> path(letters.size() + 1, nullptr);
  path[0] = PatternAccess::root(trie);
  for (std::size_t k = 0; k < letters.size() && path[k]; ++k) {
    auto children = detail::childrenOf(path[k]);
    auto it = std::lower_bound(children.begin(), children.end(), letters[k],
                               [](const PatternChild& c, char32_t code) { return c.code < code; });
    if (it != children.end() && it->code == letters[k]) path[k + 1] = it->node;
  }
  // Rebuild the path bottom-up; everything beside it is shared.
  std::vector<PatternChild> kept;
  for (const PatternChild& c : detail::childrenOf(path.back())) {
    detail::retain(c.node);
    kept.push_back(c);
  }
  const PatternNode* node;
  try {
    node = detail::makeNode(values, kept);
  } catch (...) {
    releaseAll(kept);
    throw;
  }
  for (std::size_t k = letters.size(); k-- > 0;) {
    try {
      node = withChild(path[k], letters[k], node);
    } catch (...) {
      detail::release(node);
      throw;
    }
  }
  return PatternAccess::adopt(node);
}

namespace detail {

SortedPatternLines sortPatternLines(std::u32string_view text) {
  SortedPatternLines sorted;
  auto& letters = sorted.letters;
  auto& values = sorted.values;
  auto& lines = sorted.lines;
  using Line = SortedPatternLines::Line;
  letters.reserve(text.size());
  values.reserve(text.size());
  // One entry per line up front: regrowing would touch twice the memory, and fresh pages
  // are a large part of what a first use costs.
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), U'\n')) + 1);
  forEachLine(text, [&](std::u32string_view line) {
    Line entry{letters.size(), 0, values.size(), 0};
    splitPattern(line, letters, values);
    entry.letterEnd = letters.size();
    entry.valueEnd = values.size();
    lines.push_back(entry);
  });
  auto key = [&](const Line& l) { return sorted.key(l); };
  // Pattern texts usually come nearly sorted: merge the ascending runs pairwise (a
  // stable merge keeps equal keys in text order) instead of sorting from scratch.
  auto less = [&](const Line& x, const Line& y) { return key(x) < key(y); };
  std::vector<std::size_t> runs{0};
  for (std::size_t k = 1; k < lines.size(); ++k)
    if (less(lines[k], lines[k - 1])) runs.push_back(k);
  runs.push_back(lines.size());
  while (runs.size() > 2) {
    std::vector<std::size_t> merged{0};
    for (std::size_t j = 0; j + 1 < runs.size(); j += 2) {
      if (j + 2 < runs.size()) {
        std::inplace_merge(lines.begin() + static_cast<std::ptrdiff_t>(runs[j]),
                           lines.begin() + static_cast<std::ptrdiff_t>(runs[j + 1]),
                           lines.begin() + static_cast<std::ptrdiff_t>(runs[j + 2]), less);
        merged.push_back(runs[j + 2]);
      } else {
        merged.push_back(runs[j + 1]);
      }
    }
    runs = std::move(merged);
  }
  lines.erase(std::unique(lines.begin(), lines.end(),
                          [&](const Line& x, const Line& y) { return key(x) == key(y); }),
              lines.end());
  return sorted;
}

}  // namespace detail

Patterns parsePatterns(std::u32string_view text) {
  // Keep the first line of each distinct letter sequence, sorted, and build the trie
  // bottom-up in one pass over the sorted keys.
  const detail::SortedPatternLines sorted = detail::sortPatternLines(text);
  const auto& values = sorted.values;
  const auto& lines = sorted.lines;
  using Line = detail::SortedPatternLines::Line;
  auto key = [&](const Line& l) { return sorted.key(l); };

  // stack[d] is the open node at depth d along the current key.
  struct Open {
    char32_t code;
    std::span<const std::uint8_t> scores;
    std::vector<PatternChild> children;
  };
  std::vector<Open> stack;
  std::size_t depth = 0;  // open nodes: stack[0 .. depth]
  auto close = [&](std::size_t d) {
    Open& o = stack[d];
    const PatternNode* made = detail::makeNode(o.scores, o.children);
    o.children.clear();
    o.scores = {};
    return made;
  };
  auto closeDownTo = [&](std::size_t keep) {
    while (depth > keep) {
      const PatternNode* made = close(depth);
      stack[depth - 1].children.push_back({stack[depth].code, made});
      --depth;
    }
  };
  try {
    stack.emplace_back();
    std::u32string_view previous;
    for (const Line& line : lines) {
      std::u32string_view k = key(line);
      std::size_t common = 0;
      while (common < previous.size() && common < k.size() && previous[common] == k[common])
        ++common;
      closeDownTo(common);
      for (std::size_t d = common; d < k.size(); ++d) {
        ++depth;
        if (stack.size() <= depth) stack.emplace_back();
        stack[depth].code = k[d];
      }
      stack[depth].scores = {values.data() + line.valueBegin, line.valueEnd - line.valueBegin};
      previous = k;
    }
    closeDownTo(0);
    return PatternAccess::adopt(close(0));
  } catch (...) {
    for (const Open& o : stack) releaseAll(o.children);
    throw;
  }
}

Scores lookupPattern(std::u32string_view word, const Patterns& trie) {
  const detail::PatternIndex* found = detail::indexOf(trie);
  if (!found) return Scores(word.size(), 0);
  const detail::PatternIndex& index = *found;
  std::size_t m = word.size() + 2;
  std::vector<detail::PatternIndex::Symbol> framed(m);
  framed[0] = framed[m - 1] = index.dot;
  for (std::size_t k = 0; k < word.size(); ++k) framed[k + 1] = index.symbolOf(word[k]);
  std::vector<std::uint8_t> values(index.wholeValuesSize(m), 0);
  std::size_t length = index.match<true, true>(framed.data(), m, values.data());
  auto quoted = [&word] { return detail::toUtf8(word); };
  if (length < 1) throw PatternLookupError("lookupPattern.scores0: Impossible (" + quoted() + ")");
  if (length < 2) throw PatternLookupError("lookupPattern.scores1: Impossible (" + quoted() + ")");
  return Scores(values.begin() + 1, values.begin() + static_cast<std::ptrdiff_t>(length) - 1);
}

Patterns operator+(const Patterns& a, const Patterns& b) {
  return PatternAccess::adopt(mergeNodes(PatternAccess::root(a), PatternAccess::root(b)));
}

std::string showsPrec(int d, const Patterns& trie, std::string_view tail) {
  std::string out;
  render(PatternAccess::root(trie), d >= 11, out);
  out += tail;
  return out;
}

std::string show(const Patterns& trie) { return showsPrec(0, trie); }

std::string showList(std::span<const Patterns> tries, std::string_view tail) {
  std::string out = "[";
  for (std::size_t k = 0; k < tries.size(); ++k) {
    if (k) out += ',';
    render(PatternAccess::root(tries[k]), false, out);
  }
  out += ']';
  out += tail;
  return out;
}

std::ostream& operator<<(std::ostream& out, const Patterns& trie) { return out << show(trie); }

}  // namespace quellix
