// A plain reference implementation of word division, for differential tests and fuzz
// targets. Written for clarity, not speed: ordered maps, whole-list copies and recursion
// are fine here. It follows the rules one by one, with the same names as the library:
// the pattern trie (scorePattern, insertPattern, parsePatterns from the last line,
// lookupPattern through the right-to-left combination of the walks), the exception table
// (scoreException, addException, zipMin), the character map of a character-class text,
// hyphenate with its window arithmetic, and the UTF-8 decoding of a data file.
//
// Header-only and independent of the library, so that a fault shared by both is unlikely.
#ifndef QUELLIX_TESTS_REFERENCE_REFERENCE_HYPHENATOR_HPP
#define QUELLIX_TESTS_REFERENCE_REFERENCE_HYPHENATOR_HPP

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellix::reference {

using Scores = std::vector<std::int64_t>;
using Text = std::u32string;

// The lines of text: split at every U+000A; a final line feed opens no further line.
inline std::vector<Text> splitLines(std::u32string_view text) {
  std::vector<Text> lines;
  Text current;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == U'\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current.push_back(text[k]);
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

// ---------------------------------------------------------------------------------------
// Pattern trie.

inline bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

inline Scores scorePattern(std::u32string_view line) {
  Scores out;
  std::size_t k = 0;
  for (;;) {
    if (k >= line.size()) {
      out.push_back(0);
      return out;
    }
    if (isDigit(line[k])) {
      out.push_back(line[k] - U'0');
      if (k + 1 == line.size()) return out;
      k += 2;  // the character after the digit is skipped, whatever it is
    } else {
      out.push_back(0);
      k += 1;
    }
  }
}

inline Text patternLetters(std::u32string_view line) {
  Text letters;
  for (char32_t c : line)
    if (!isDigit(c)) letters.push_back(c);
  return letters;
}

// Element-wise maximum over the common length, then the longer list's tail.
inline Scores combineMax(const Scores& a, const Scores& b) {
  Scores out = a.size() >= b.size() ? a : b;
  for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) out[k] = std::max(a[k], b[k]);
  return out;
}

// Nodes live in a pool; node 0 is the root. Copying a Trie copies everything.
struct Trie {
  struct Node {
    Scores scores;
    std::map<char32_t, std::size_t> children;
  };
  std::vector<Node> nodes{Node{}};
};

inline Trie insertPattern(std::u32string_view line, const Trie& trie) {
  Trie out = trie;
  std::size_t node = 0;
  for (char32_t c : patternLetters(line)) {
    auto it = out.nodes[node].children.find(c);
    if (it == out.nodes[node].children.end()) {
      out.nodes.push_back(Trie::Node{});
      std::size_t made = out.nodes.size() - 1;
      out.nodes[node].children[c] = made;
      node = made;
    } else {
      node = it->second;
    }
  }
  out.nodes[node].scores = scorePattern(line);
  return out;
}

// insertPattern line1 (insertPattern line2 (... (insertPattern lineN empty))). Inserting
// in place from the last line to the first is the same fold without the copies.
inline Trie parsePatterns(std::u32string_view text) {
  std::vector<Text> lines = splitLines(text);
  Trie trie;
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    std::size_t node = 0;
    for (char32_t c : patternLetters(*it)) {
      auto found = trie.nodes[node].children.find(c);
      if (found == trie.nodes[node].children.end()) {
        trie.nodes.push_back(Trie::Node{});
        std::size_t made = trie.nodes.size() - 1;
        trie.nodes[node].children[c] = made;
        node = made;
      } else {
        node = found->second;
      }
    }
    trie.nodes[node].scores = scorePattern(*it);
  }
  return trie;
}

namespace detail {
inline void mergeInto(const Trie& a, std::size_t na, const Trie& b, std::size_t nb, Trie& out,
                      std::size_t target) {
  out.nodes[target].scores = combineMax(a.nodes[na].scores, b.nodes[nb].scores);
  std::map<char32_t, std::pair<std::optional<std::size_t>, std::optional<std::size_t>>> codes;
  for (const auto& [code, child] : a.nodes[na].children) codes[code].first = child;
  for (const auto& [code, child] : b.nodes[nb].children) codes[code].second = child;
  for (const auto& [code, pair] : codes) {
    out.nodes.push_back(Trie::Node{});
    std::size_t made = out.nodes.size() - 1;
    out.nodes[target].children[code] = made;
    static const Trie kEmpty;
    const Trie& ta = pair.first ? a : kEmpty;
    const Trie& tb = pair.second ? b : kEmpty;
    mergeInto(ta, pair.first.value_or(0), tb, pair.second.value_or(0), out, made);
  }
}
}  // namespace detail

// The union of two tries, scores combined by maximum (recursive: fine for a yardstick).
inline Trie merge(const Trie& a, const Trie& b) {
  Trie out;
  detail::mergeInto(a, 0, b, 0, out, 0);
  return out;
}

// The walk from start i of the framed word: the root's list, then the list of every node
// reached along the word, combined; element j belongs to boundary i + j.
inline Scores walkFrom(const Text& framed, std::size_t start, const Trie& trie) {
  std::size_t node = 0;
  Scores combined = trie.nodes[0].scores;
  for (std::size_t k = start; k < framed.size(); ++k) {
    auto it = trie.nodes[node].children.find(framed[k]);
    if (it == trie.nodes[node].children.end()) break;
    node = it->second;
    combined = combineMax(combined, trie.nodes[node].scores);
  }
  return combined;
}

// Thrown where the library raises its invariant guards (never expected).
struct ImpossibleLookup : std::logic_error {
  using std::logic_error::logic_error;
};

inline Scores lookupPattern(std::u32string_view word, const Trie& trie) {
  Text framed = U"." + Text(word) + U".";
  const std::size_t m = framed.size();
  Scores r = trie.nodes[0].scores;  // R(m)
  for (std::size_t i = m; i-- > 0;) {
    Scores shifted{0};
    shifted.insert(shifted.end(), r.begin(), r.end());
    r = combineMax(walkFrom(framed, i, trie), shifted);  // R(i)
  }
  if (r.empty()) throw ImpossibleLookup("scores0");
  r.erase(r.begin());
  if (r.empty()) throw ImpossibleLookup("scores1");
  r.pop_back();
  return r;
}

// The debug rendering, straight from its description.
inline std::string renderScores(const Scores& s) {
  std::string out = "[";
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (k) out += ',';
    out += std::to_string(s[k]);
  }
  return out + "]";
}

namespace detail {
inline void appendTrie(const Trie& trie, std::size_t node, std::string& out) {
  out += "Patterns " + renderScores(trie.nodes[node].scores) + " (fromList [";
  bool first = true;
  for (const auto& [code, child] : trie.nodes[node].children) {
    if (!first) out += ',';
    first = false;
    out += "(" + std::to_string(static_cast<std::uint32_t>(code)) + ",";
    appendTrie(trie, child, out);
    out += ")";
  }
  out += "])";
}
}  // namespace detail

inline std::string showTrie(const Trie& trie, int precedence = 0) {
  std::string out;
  detail::appendTrie(trie, 0, out);
  return precedence >= 11 ? "(" + out + ")" : out;
}

// ---------------------------------------------------------------------------------------
// Exception table.

inline Scores scoreException(std::u32string_view entry) {
  Scores out;
  std::size_t k = 0;
  for (;;) {
    if (k >= entry.size()) {
      out.push_back(0);
      return out;
    }
    if (entry[k] == U'-') {
      out.push_back(1);
      if (k + 1 == entry.size()) return out;
      k += 2;
    } else {
      out.push_back(0);
      k += 1;
    }
  }
}

inline Scores zipMin(const Scores& a, const Scores& b) {
  Scores out;
  for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) out.push_back(std::min(a[k], b[k]));
  return out;
}

using ExceptionMap = std::map<Text, Scores>;

inline Text exceptionWord(std::u32string_view entry) {
  Text word;
  for (char32_t c : entry)
    if (c != U'-') word.push_back(c);
  return word;
}

inline ExceptionMap addException(std::u32string_view entry, const ExceptionMap& table) {
  ExceptionMap out = table;
  Text key = exceptionWord(entry);
  Scores fresh = scoreException(entry);
  auto it = out.find(key);
  if (it == out.end()) {
    out[key] = fresh;
  } else {
    it->second = zipMin(fresh, it->second);
  }
  return out;
}

// addException of every line onto the empty table, the table updated in place rather
// than copied for each line.
inline ExceptionMap parseExceptions(std::u32string_view text) {
  ExceptionMap table;
  for (const Text& line : splitLines(text)) {
    Text key = exceptionWord(line);
    Scores fresh = scoreException(line);
    auto it = table.find(key);
    if (it == table.end()) {
      table[key] = fresh;
    } else {
      it->second = zipMin(fresh, it->second);
    }
  }
  return table;
}

inline ExceptionMap mergeExceptions(const ExceptionMap& a, const ExceptionMap& b) {
  ExceptionMap out = a;
  for (const auto& [word, scores] : b) {
    auto it = out.find(word);
    if (it == out.end()) {
      out[word] = scores;
    } else {
      it->second = zipMin(it->second, scores);
    }
  }
  return out;
}

inline std::optional<Scores> lookupException(const Text& word, const ExceptionMap& table) {
  auto it = table.find(word);
  if (it == table.end()) return std::nullopt;
  return it->second;
}

// The rendering the library documents: pairs ordered by word; inside the quoted word '"'
// and '\' are escaped, printable ASCII stands for itself, anything else is a backslash
// and the decimal code, followed by "\&" when a digit comes next.
inline std::string showExceptions(const ExceptionMap& table, int precedence = 0) {
  std::string out = "Exceptions (fromList [";
  bool first = true;
  for (const auto& [word, scores] : table) {
    if (!first) out += ',';
    first = false;
    out += "(\"";
    for (std::size_t k = 0; k < word.size(); ++k) {
      char32_t c = word[k];
      if (c == U'"' || c == U'\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
      } else {
        out += "\\" + std::to_string(static_cast<std::uint32_t>(c));
        if (k + 1 < word.size() && isDigit(word[k + 1])) out += "\\&";
      }
    }
    out += "\"," + renderScores(scores) + ")";
  }
  out += "])";
  return precedence >= 11 ? "(" + out + ")" : out;
}

// ---------------------------------------------------------------------------------------
// Character map of a character-class text.

using CharMap = std::map<char32_t, char32_t>;

// A two-character line maps its second character to its first, the last such line for a
// character deciding. A longer line spells a multi-character capital form: its characters
// map to nothing, but each one that no two-character line maps is listed as itself.
inline CharMap parseCharClasses(std::u32string_view text) {
  CharMap map;
  const std::vector<Text> lines = splitLines(text);
  for (const Text& line : lines)
    if (line.size() == 2) map[line[1]] = line[0];
  for (const Text& line : lines) {
    if (line.size() <= 2) continue;
    for (char32_t c : line) map.emplace(c, c);  // keeps a two-character line's entry
  }
  return map;
}

inline char32_t normalise(const CharMap& map, char32_t c) {
  auto it = map.find(c);
  return it == map.end() ? c : it->second;
}

// ---------------------------------------------------------------------------------------
// hyphenate.

struct Hyphenator {
  std::function<char32_t(char32_t)> chars;  // empty: identity
  Trie patterns;
  ExceptionMap exceptions;
  std::int64_t leftMin = 0;
  std::int64_t rightMin = 0;
};

// The pieces, or nothing where the library raises "Malformed quellix score for " + word.
inline std::optional<std::vector<Text>> hyphenate(const Hyphenator& h, std::u32string_view word) {
  __extension__ using Wide = __int128;  // margins are any int64: sums need 65 bits
  const Wide n = static_cast<Wide>(word.size());
  const Wide l = h.leftMin;
  const Wide r = h.rightMin;

  // scoreAt(k): the k-th score of the final list (T without its first element), or
  // nothing when the list has ended. T is materialised only as far as the word reaches:
  // with extreme margins it may hold up to 2^63 leading zeros.
  std::function<std::optional<std::int64_t>(std::size_t)> scoreAt;
  Scores s;
  if (n < l + r) {
    scoreAt = [n](std::size_t k) -> std::optional<std::int64_t> {
      if (static_cast<Wide>(k) < n) return 0;
      return std::nullopt;
    };
  } else {
    Text v(word);
    if (h.chars)
      for (char32_t& c : v) c = h.chars(c);
    if (auto listed = lookupException(v, h.exceptions)) {
      s = *listed;
    } else {
      s = lookupPattern(v, h.patterns);
    }
    const Wide c = n - l - r + 1;
    const Wide sSize = static_cast<Wide>(s.size());
    // W = s[wBegin, wEnd); T = lead zeros followed by W.
    Wide wBegin = 0, wEnd = 0, lead = 0;
    if (l > 0) {
      wBegin = std::min(l, sSize);
      wEnd = std::min(l + c, sSize);
      lead = l;
    } else {
      wBegin = 0;
      wEnd = std::min(c, sSize);
      lead = 0;
    }
    const Wide tSize = lead + (wEnd - wBegin);
    if (tSize == 0) return std::nullopt;
    scoreAt = [&s, lead, wBegin, tSize](std::size_t k) -> std::optional<std::int64_t> {
      const Wide t = static_cast<Wide>(k) + 1;  // index into T
      if (t >= tSize) return std::nullopt;
      if (t < lead) return 0;
      return s[static_cast<std::size_t>(wBegin + (t - lead))];
    };
  }

  std::vector<Text> pieces;
  Text current;
  for (std::size_t k = 0;; ++k) {
    if (k == word.size()) {
      pieces.push_back(current);
      return pieces;
    }
    std::optional<std::int64_t> score = scoreAt(k);
    if (!score) {
      current.append(word.substr(k));
      pieces.push_back(current);
      return pieces;
    }
    current.push_back(word[k]);
    if (*score % 2 != 0) {
      pieces.push_back(current);
      current.clear();
    }
  }
}

// ---------------------------------------------------------------------------------------
// UTF-8 decoding of a data file.

// The UTF-8 form of a scalar value (not a surrogate, at most U+10FFFF).
inline std::string encodeScalar(char32_t c) {
  std::string out;
  auto u = static_cast<std::uint32_t>(c);
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
  return out;
}

inline bool isScalar(std::uint32_t u) { return u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF); }

// Decoding by round trip: a run of k bytes (1 to 4) at p is a character when reading its
// payload bits and encoding the resulting scalar value gives back exactly those bytes;
// that rules out overlong forms, surrogates, values past U+10FFFF and stray or missing
// continuation bytes without listing them. Any other byte stands for itself.
inline Text decodeUtf8(std::string_view bytes) {
  Text out;
  std::size_t p = 0;
  while (p < bytes.size()) {
    bool decoded = false;
    for (std::size_t k = 1; k <= 4 && p + k <= bytes.size() && !decoded; ++k) {
      auto b0 = static_cast<unsigned char>(bytes[p]);
      std::uint32_t u = k == 1 ? b0 : (b0 & (0xFFu >> (k + 1)));
      for (std::size_t j = 1; j < k; ++j) u = (u << 6) | (static_cast<unsigned char>(bytes[p + j]) & 0x3Fu);
      if (isScalar(u) && encodeScalar(static_cast<char32_t>(u)) == bytes.substr(p, k)) {
        out.push_back(static_cast<char32_t>(u));
        p += k;
        decoded = true;
      }
    }
    if (!decoded) {
      out.push_back(static_cast<unsigned char>(bytes[p]));
      p += 1;
    }
  }
  return out;
}

}  // namespace quellix::reference

#endif
