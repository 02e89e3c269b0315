#include "hyphenator_internal.hpp"

#include <algorithm>
#include <utility>

#include "pattern_index.hpp"
#include "pattern_node.hpp"

namespace quellix::detail {

std::vector<char32_t> patternCharacters(const Hyphenator& h) {
  std::vector<char32_t> codes;
  if (const PatternNode* root = PatternAccess::root(hyphenatorPatterns(h))) {
    for (const char32_t c : indexOf(root).codes)
      if (c != U'.') codes.push_back(c);
  }
  return codes;
}

PatternReach patternReach(const Hyphenator& h) {
  PatternReach reach;
  std::vector<std::pair<const PatternNode*, std::size_t>> stack;
  if (const PatternNode* root = PatternAccess::root(hyphenatorPatterns(h))) stack.emplace_back(root, 0);
  while (!stack.empty()) {
    const auto [node, depth] = stack.back();
    stack.pop_back();
    if (node->scoreCount > 0) {
      reach.before = std::max<std::size_t>(reach.before, node->scoreCount);
      reach.after = std::max(reach.after, depth + 1);
    }
    for (const PatternChild& child : node->childSpan()) stack.emplace_back(child.node, depth + 1);
  }
  return reach;
}

}  // namespace quellix::detail
