#include "quellix/hyphenator.hpp"

#include <algorithm>
#include <memory>

#include "char_classes.hpp"
#include "exception_table.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "utf8_decode.hpp"
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
// opaque, when given, marks characters that no table knows (malformed bytes of UTF-8
// input): they are not normalised, match no pattern and no exception word. quoted()
// gives the word as UTF-8 for the error message.
template <class Emit, class Quoted>
std::size_t forEachBreak(const Hyphenator& h, std::u32string_view word,
                         const std::uint8_t* opaque, Emit&& emit, Quoted&& quoted) {
  const std::size_t n = word.size();
  const Wide l = hyphenatorLeftMin(h);
  const Wide r = hyphenatorRightMin(h);
  if (Wide(n) < l + r) return 0;  // short word: no table is consulted

  const CharNormaliser& normalise = detail::HyphenatorAccess::chars(h).get();
  Scratch<char32_t, kStackWord> normal(n);
  if (const auto* builtin = normalise.target<detail::CharClassNormaliser>()) {
    // A language's own normaliser: index its flat table instead of calling through.
    const detail::CharMap& map = builtin->map.get();
    const std::span<const char32_t> flat = map.flat();
    for (std::size_t k = 0; k < n; ++k) {
      const char32_t c = word[k];
      normal[k] = c < flat.size() ? flat[c] : map(c);
    }
  } else if (normalise) {
    for (std::size_t k = 0; k < n; ++k) normal[k] = normalise(word[k]);
  } else {
    std::copy(word.begin(), word.end(), normal.data());  // no normaliser: identity
  }
  const std::u32string_view v(normal.data(), n);

  // s: the word's score list, as bytes; s[i] belongs to the boundary after character i.
  const std::uint8_t* s = nullptr;
  std::size_t sLength = 0;
  const bool anyOpaque = opaque && std::find(opaque, opaque + n, 1) != opaque + n;
  const std::vector<std::uint8_t>* listed =
      anyOpaque ? nullptr
                : detail::ExceptionAccess::find(detail::HyphenatorAccess::exceptions(h).get(), v);
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
    for (std::size_t k = 0; k < n; ++k)
      framed[k + 1] = anyOpaque && opaque[k] ? PatternIndex::Symbol{0} : index->symbolOf(v[k]);
    std::fill_n(values.data(), m + index->longestScoreList + 1, std::uint8_t{0});
    std::size_t length = index->match<false>(framed.data(), m, values.data());
    s = values.data() + 1;  // drop the boundary before the opening dot ...
    sLength = length - 2;   // ... and the combined list's last value
  }

  // Window: breaks after character i for lo <= i <= hi where s[i] is odd.
  if (l <= 0 && sLength == 0)
    throw ScoreError("Malformed quellix score for " + quoted());
  const Wide lo = std::max<Wide>(l, 1);
  Wide hi = std::min<Wide>(Wide(n), l >= 1 ? Wide(n) - r : Wide(n) - l - r);
  hi = std::min<Wide>(hi, Wide(sLength) - 1);
  std::size_t count = 0;
  if (s && lo <= hi) {
    // 1 <= lo and hi <= n here, so plain sizes will do.
    for (auto i = static_cast<std::size_t>(lo), last = static_cast<std::size_t>(hi); i <= last; ++i) {
      if (s[i] & 1u) {
        emit(i);
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
  forEachBreak(
      h, word, nullptr,
      [&](std::size_t at) {
        pieces.emplace_back(word.substr(begin, at - begin));
        begin = at;
      },
      [word] { return detail::toUtf8(word); });
  pieces.emplace_back(word.substr(begin));
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::u32string_view word,
                        std::span<std::size_t> out) {
  std::size_t written = 0;
  return forEachBreak(
      h, word, nullptr,
      [&](std::size_t at) {
        if (written < out.size()) out[written++] = at;
      },
      [word] { return detail::toUtf8(word); });
}

namespace {

// Calls emit(byte offset) for every break of the UTF-8 word; see forEachBreak.
template <class Emit>
std::size_t forEachUtf8Break(const Hyphenator& h, std::string_view utf8, Emit&& emit) {
  const std::size_t size = utf8.size();
  Scratch<char32_t, kStackWord> chars(size);
  Scratch<std::uint8_t, kStackWord> opaque(size);
  Scratch<std::size_t, kStackWord + 1> start(size + 1);  // byte offset of each character
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  std::size_t n = 0;
  for (std::size_t at = 0; at < size; ++n) {
    std::size_t length = detail::decodeUtf8Sequence(bytes + at, size - at, chars[n]);
    opaque[n] = length == 0;
    if (length == 0) {
      chars[n] = bytes[at];
      length = 1;
    }
    start[n] = at;
    at += length;
  }
  start[n] = size;
  return forEachBreak(
      h, std::u32string_view(chars.data(), n), opaque.data(),
      [&](std::size_t at) { emit(start[at]); }, [utf8] { return std::string(utf8); });
}

}  // namespace

std::vector<std::string_view> hyphenate(const Hyphenator& h, std::string_view utf8) {
  std::vector<std::string_view> pieces;
  std::size_t begin = 0;
  forEachUtf8Break(h, utf8, [&](std::size_t at) {
    pieces.push_back(utf8.substr(begin, at - begin));
    begin = at;
  });
  pieces.push_back(utf8.substr(begin));
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::string_view utf8, std::span<std::size_t> out) {
  std::size_t written = 0;
  return forEachUtf8Break(h, utf8, [&](std::size_t at) {
    if (written < out.size()) out[written++] = at;
  });
}

}  // namespace quellix
