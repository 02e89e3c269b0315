#include "quellix/hyphenator.hpp"

#include <algorithm>
#include <memory>

#include "exception_table.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "utf8_encode.hpp"

namespace quellix {

namespace detail {

struct HyphenatorAccess {
  static const Lazy<CharNormaliser>& chars(const Hyphenator& h) noexcept { return h.chars_; }
  static const Lazy<Patterns>& patterns(const Hyphenator& h) noexcept { return h.patterns_; }
  static const Lazy<Exceptions>& exceptions(const Hyphenator& h) noexcept { return h.exceptions_; }
};

}  // namespace detail

namespace {

using detail::PatternIndex;

__extension__ typedef __int128 Wide;  // margins are any int64: window sums need 65 bits

// Stack storage for the usual word, the heap only for very long ones.
template <class T, std::size_t N>
class Scratch {
 public:
  explicit Scratch(std::size_t n) {
    if (n > N) {
      heap_ = std::make_unique<T[]>(n);
      data_ = heap_.get();
    }
  }
  T* data() noexcept { return data_; }
  T& operator[](std::size_t k) noexcept { return data_[k]; }

 private:
  T local_[N];
  std::unique_ptr<T[]> heap_;
  T* data_ = local_;
};

constexpr std::size_t kStackWord = 256;

// Calls emit(i) for every i (ascending) after which hyphenate cuts word; returns how many.
template <class Emit>
std::size_t forEachBreak(const Hyphenator& h, std::u32string_view word, Emit&& emit) {
  const std::size_t n = word.size();
  const Wide l = hyphenatorLeftMin(h);
  const Wide r = hyphenatorRightMin(h);
  if (Wide(n) < l + r) return 0;  // short word: no table is consulted

  const CharNormaliser& normalise = detail::HyphenatorAccess::chars(h).get();
  Scratch<char32_t, kStackWord> normal(n);
  for (std::size_t k = 0; k < n; ++k) normal[k] = normalise ? normalise(word[k]) : word[k];
  const std::u32string_view v(normal.data(), n);

  // s: the word's score list, as bytes; s[i] belongs to the boundary after character i.
  const std::uint8_t* s = nullptr;
  std::size_t sLength = 0;
  const std::vector<std::uint8_t>* listed =
      detail::ExceptionAccess::find(detail::HyphenatorAccess::exceptions(h).get(), v);
  const detail::PatternNode* root =
      listed ? nullptr : detail::PatternAccess::root(detail::HyphenatorAccess::patterns(h).get());
  const PatternIndex* index = root ? &detail::indexOf(root) : nullptr;
  const std::size_t m = n + 2;  // the word framed by dots
  Scratch<std::uint8_t, 2 * kStackWord> values(index ? m + index->longestScoreList + 1 : 0);
  if (listed) {
    s = listed->data();
    sLength = listed->size();
  } else if (!index) {
    sLength = n;  // the empty trie: n zeros, never a break
  } else {
    Scratch<PatternIndex::Symbol, kStackWord + 2> framed(m);
    framed[0] = framed[m - 1] = index->dot;
    for (std::size_t k = 0; k < n; ++k) framed[k + 1] = index->symbolOf(v[k]);
    std::fill_n(values.data(), m + index->longestScoreList + 1, std::uint8_t{0});
    std::size_t length = index->match(framed.data(), m, values.data());
    s = values.data() + 1;  // drop the boundary before the opening dot ...
    sLength = length - 2;   // ... and the combined list's last value
  }

  // Window: breaks after character i for lo <= i <= hi where s[i] is odd.
  if (l <= 0 && sLength == 0)
    throw ScoreError("Malformed quellix score for " + detail::toUtf8(word));
  const Wide lo = std::max<Wide>(l, 1);
  Wide hi = std::min<Wide>(Wide(n), l >= 1 ? Wide(n) - r : Wide(n) - l - r);
  hi = std::min<Wide>(hi, Wide(sLength) - 1);
  std::size_t count = 0;
  if (s) {
    for (Wide i = lo; i <= hi; ++i) {
      if (s[static_cast<std::size_t>(i)] & 1u) {
        emit(static_cast<std::size_t>(i));
        ++count;
      }
    }
  }
  return count;
}

}  // namespace

Hyphenator::Hyphenator(Lazy<CharNormaliser> chars, Lazy<Patterns> patterns,
                       Lazy<Exceptions> exceptions, std::int64_t leftMin,
                       std::int64_t rightMin) noexcept
    : chars_(std::move(chars)),
      patterns_(std::move(patterns)),
      exceptions_(std::move(exceptions)),
      leftMin_(leftMin),
      rightMin_(rightMin) {}

const CharNormaliser& hyphenatorChars(const Hyphenator& h) { return h.chars_.get(); }
const Patterns& hyphenatorPatterns(const Hyphenator& h) { return h.patterns_.get(); }
const Exceptions& hyphenatorExceptions(const Hyphenator& h) { return h.exceptions_.get(); }
std::int64_t hyphenatorLeftMin(const Hyphenator& h) noexcept { return h.leftMin_; }
std::int64_t hyphenatorRightMin(const Hyphenator& h) noexcept { return h.rightMin_; }

std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word) {
  std::vector<std::u32string> pieces;
  std::size_t begin = 0;
  forEachBreak(h, word, [&](std::size_t at) {
    pieces.emplace_back(word.substr(begin, at - begin));
    begin = at;
  });
  pieces.emplace_back(word.substr(begin));
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::u32string_view word,
                        std::span<std::size_t> out) {
  std::size_t written = 0;
  return forEachBreak(h, word, [&](std::size_t at) {
    if (written < out.size()) out[written++] = at;
  });
}

}  // namespace quellix
