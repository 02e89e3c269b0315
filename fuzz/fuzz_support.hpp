// Helpers shared by the fuzz targets: property checks that abort with a message (which
// libFuzzer records as a crash, with the input), the comparison of a library trie with a
// reference trie, and the cutting of an input into the parts of a structured record.
#ifndef QUELLIX_FUZZ_FUZZ_SUPPORT_HPP
#define QUELLIX_FUZZ_FUZZ_SUPPORT_HPP

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data_file.hpp"
#include "quellix/pattern.hpp"
#include "reference/reference_hyphenator.hpp"

// Aborts (a libFuzzer finding) when a property does not hold.
#define FUZZ_CHECK(condition)                                                       \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                 \
    }                                                                               \
  } while (false)

namespace quellix::fuzz {

namespace ref = reference;
using Text = std::u32string;

// Inputs longer than this are checked against the reference only in part: its lookup
// copies whole lists at every boundary and would make every run slow.
inline constexpr std::size_t kReferenceWordLimit = 256;

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Whether a library trie is the reference trie: the same nodes with the same score lists.
inline bool sameTrie(const Patterns& library, const ref::Trie& reference) {
  std::vector<std::pair<Patterns, std::size_t>> pending{{library, 0}};
  while (!pending.empty()) {
    auto [node, index] = pending.back();
    pending.pop_back();
    const ref::Trie::Node& expected = reference.nodes[index];
    if (node.scores() != expected.scores) return false;
    auto children = node.children();
    if (children.size() != expected.children.size()) return false;
    auto it = expected.children.begin();
    for (auto& [code, child] : children) {
      if (code != it->first) return false;
      pending.emplace_back(child, it->second);
      ++it;
    }
  }
  return true;
}

// The parts of bytes separated by the record separator 0x1E (U+001E in the decoded
// text, which no data file contains), at most count of them; the last takes the rest.
inline std::vector<std::string_view> splitRecord(std::string_view bytes, std::size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const std::size_t at = bytes.find('\x1e');
    if (at == std::string_view::npos) break;
    parts.push_back(bytes.substr(0, at));
    bytes.remove_prefix(at + 1);
  }
  parts.push_back(bytes);
  parts.resize(count);
  return parts;
}

inline Text decode(std::string_view bytes) { return detail::decodeUtf8(bytes); }

// The pieces' ends, as hyphenate's breaks: every piece end but the last.
template <class Piece>
std::vector<std::size_t> breaksOf(const std::vector<Piece>& pieces) {
  std::vector<std::size_t> out;
  std::size_t at = 0;
  for (std::size_t k = 0; k + 1 < pieces.size(); ++k) out.push_back(at += pieces[k].size());
  return out;
}

}  // namespace quellix::fuzz

#endif
