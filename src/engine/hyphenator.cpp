#include "quellix/hyphenator.hpp"

#include <algorithm>
#include <bit>
#include <array>
#include <cstddef>
#include <type_traits>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "char_map.hpp"
#include "dictionary_data.hpp"
#include "exception_table.hpp"
#include "hyphenator_internal.hpp"
#include "pattern_index.hpp"
#include "pattern_node.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace quellix {

namespace detail {
struct ReadyTables;

// The shared record a Hyphenator is a handle to. The five fields never change; the ready
// view is made once, by the first word that finds every table built, and kept for every
// copy of the handle.
struct HyphenatorCore {
  Lazy<CharNormaliser> chars;
  Lazy<CharMap> map;  // the table chars applies, when made from one (hasMap)
  bool hasMap = false;
  Lazy<Patterns> patterns;
  Lazy<Exceptions> exceptions;
  std::int64_t leftMin = 0;
  std::int64_t rightMin = 0;
  OnceCell<ReadyTables> ready;
  OnceCell<std::vector<char32_t>> known;  // see knownCharacters
  // A libhyphen dictionary that divides instead of the patterns (see dictionaryHyphenator).
  std::shared_ptr<const DictionaryData> dictionary;

  HyphenatorCore(Lazy<CharNormaliser> c, Lazy<CharMap> m, bool withMap, Lazy<Patterns> p,
                 Lazy<Exceptions> e, std::int64_t left, std::int64_t right)
      : chars(std::move(c)),
        map(std::move(m)),
        hasMap(withMap),
        patterns(std::move(p)),
        exceptions(std::move(e)),
        leftMin(left),
        rightMin(right) {}
  HyphenatorCore(const HyphenatorCore&) = delete;
  HyphenatorCore& operator=(const HyphenatorCore&) = delete;
  ~HyphenatorCore();
};

struct HyphenatorAccess {
  static const HyphenatorCore& core(const Hyphenator& h) noexcept { return *h.core_; }
  static Hyphenator make(std::shared_ptr<const HyphenatorCore> core) noexcept {
    return Hyphenator(std::move(core));
  }
};

}  // namespace detail

namespace {

using detail::PatternIndex;

// Buffers this thread keeps for words too long for the stack, so that dividing long words
// again allocates nothing. Several are in use at once (one call needs a few, and a
// caller's normaliser may divide words itself); past kBlocks a call takes fresh memory.
class ThreadBuffers {
 public:
  static constexpr std::size_t kBlocks = 8;
  // Buffers above this size are given back after use rather than kept.
  static constexpr std::size_t kKeptBytes = std::size_t{32} << 20;

  // A free buffer of at least bytes bytes, or null when all are in use.
  std::byte* acquire(std::size_t bytes, std::size_t& block) {
    std::size_t pick = kBlocks;
    for (std::size_t k = 0; k < kBlocks; ++k) {
      if (blocks_[k].busy) continue;
      if (blocks_[k].bytes >= bytes) {
        pick = k;
        break;
      }
      if (pick == kBlocks || blocks_[k].bytes > blocks_[pick].bytes) pick = k;
    }
    if (pick == kBlocks) return nullptr;
    Block& chosen = blocks_[pick];
    if (chosen.bytes < bytes) {
      chosen.data.reset();
      chosen.bytes = 0;
      chosen.data.reset(new std::byte[bytes]);
      chosen.bytes = bytes;
    }
    chosen.busy = true;
    block = pick;
    return chosen.data.get();
  }
  void release(std::size_t block) noexcept {
    Block& given = blocks_[block];
    given.busy = false;
    if (given.bytes > kKeptBytes) {
      given.data.reset();
      given.bytes = 0;
    }
  }

 private:
  struct Block {
    std::unique_ptr<std::byte[]> data;
    std::size_t bytes = 0;
    bool busy = false;
  };
  std::array<Block, kBlocks> blocks_;
};

thread_local ThreadBuffers threadBuffers;

// Stack storage for the usual word; for longer ones a buffer of this thread's.
template <class T, std::size_t N>
class Scratch {
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= alignof(std::max_align_t));

 public:
  explicit Scratch(std::size_t n) {
    if (n <= N) return;
    if (std::byte* kept = threadBuffers.acquire(n * sizeof(T), block_)) {
      data_ = reinterpret_cast<T*>(kept);
    } else {
      heap_.reset(new T[n]);
      data_ = heap_.get();
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch() {
    if (block_ != kNoBlock) threadBuffers.release(block_);
  }
  T* data() noexcept { return data_; }
  T& operator[](std::size_t k) noexcept { return data_[k]; }

 private:
  static constexpr std::size_t kNoBlock = ThreadBuffers::kBlocks;
  T local_[N];
  std::unique_ptr<T[]> heap_;
  T* data_ = local_;
  std::size_t block_ = kNoBlock;
};

constexpr std::size_t kStackWord = 256;

// The margins as the division uses them, exact for any int64 values: a word shorter than
// minLength is not divided; breaks lie after characters lo .. n - cut, and within the
// word's score list. Saturated at SIZE_MAX, which no word length reaches.
struct Margins {
  std::size_t minLength;
  std::size_t lo;
  std::size_t cut;
  bool leftPositive;
};

// a + b for any int64 values (the exact sum needs 65 bits) as a size: 0 when it is not
// positive, SIZE_MAX when it does not fit.
std::size_t saturatedSum(std::int64_t a, std::int64_t b) noexcept {
  std::uint64_t sum = 0;
  if (a >= 0 && b >= 0) {
    sum = static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b);  // below 2^64
  } else if (a >= 0 || b >= 0) {
    const std::int64_t mixed = a + b;  // opposite signs: no overflow
    if (mixed <= 0) return 0;
    sum = static_cast<std::uint64_t>(mixed);
  } else {
    return 0;
  }
  return sum >= SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(sum);
}

Margins marginsOf(std::int64_t left, std::int64_t right) noexcept {
  return {saturatedSum(left, right), saturatedSum(std::max<std::int64_t>(left, 1), 0),
          left >= 1 ? saturatedSum(right, 0) : saturatedSum(left, right), left >= 1};
}

// Calls emit(i) for each break of an n-character word whose score list is s (s[i] for
// the boundary after character i); a null s (the empty trie) holds only zeros. padded:
// s has 16 readable bytes from every position up to the last break candidate, so the
// breaks are found sixteen positions at a time to the end, without a branch per position.
template <class Emit, class Quoted>
std::size_t emitBreaks(const std::uint8_t* s, std::size_t sLength, std::size_t n,
                       const Margins& margins, Emit& emit, Quoted& quoted, bool padded = false) {
  if (!margins.leftPositive && sLength == 0)
    throw ScoreError("Malformed quellix score for " + quoted());
  if (!s || sLength == 0 || n < margins.cut) return 0;
  const std::size_t hi = std::min(n - margins.cut, sLength - 1);
  std::size_t count = 0;
  std::size_t i = margins.lo;
  if (padded) {
    for (; i <= hi; i += 16) {
      unsigned bits = detail::oddSixteen(s + i);
      if (hi - i < 15) bits &= (2u << (hi - i)) - 1u;
      for (; bits; bits &= bits - 1) {
        emit(i + static_cast<unsigned>(std::countr_zero(bits)));
        ++count;
      }
    }
    return count;
  }
  // Sixteen scores at a time while they lie inside the list, then the tail one by one.
  for (; hi >= 15 && i <= hi - 15; i += 16) {
    for (unsigned bits = detail::oddSixteen(s + i); bits; bits &= bits - 1) {
      emit(i + static_cast<unsigned>(std::countr_zero(bits)));
      ++count;
    }
  }
  for (; i <= hi; ++i) {
    if (s[i] & 1u) {
      emit(i);
      ++count;
    }
  }
  return count;
}

}  // namespace

namespace detail {

// What hyphenate reads for every word, gathered once all three tables are built.
struct ReadyTables {
  Margins margins{};
  const CharNormaliser* custom = nullptr;      // a caller's normaliser, or null
  const CharMap* map = nullptr;                // a language's character map, or null
  const ExceptionTable* exceptions = nullptr;  // null when there are none
  const PatternIndex* index = nullptr;         // null for the empty trie

  // The index's automaton, made once this view has divided wordsBeforeAutomaton(index)
  // words: it costs about as much to build as some ten thousand words gain from it (more
  // for a larger table), so a hyphenator asked for a handful of words never pays for it.
  static constexpr std::int32_t kWordsBeforeAutomaton = 4096;
  mutable std::atomic<const PatternAutomaton*> automaton{nullptr};
  mutable std::atomic<std::int32_t> wordsUntilAutomaton{kWordsBeforeAutomaton};  // 0: settled

  // 4,096 words for a transition table of up to 512 KiB, proportionally more beyond.
  static std::int32_t wordsBeforeAutomaton(const PatternIndex& index) noexcept {
    const std::size_t tableBytes = index.slots.size() * (index.codes.size() + 1) * 2;
    const std::size_t words = tableBytes / 128;
    return static_cast<std::int32_t>(
        std::clamp<std::size_t>(words, kWordsBeforeAutomaton, std::size_t{1} << 20));
  }
  const PatternAutomaton* automatonForWord() const noexcept {
    if (const PatternAutomaton* ready = automaton.load(std::memory_order_acquire)) return ready;
    if (!index || wordsUntilAutomaton.load(std::memory_order_relaxed) <= 0) return nullptr;
    if (wordsUntilAutomaton.fetch_sub(1, std::memory_order_relaxed) != 1) return nullptr;
    try {
      const PatternAutomaton* made = index->automaton();  // null when the trie has none
      automaton.store(made, std::memory_order_release);
      return made;
    } catch (const std::bad_alloc&) {
      return nullptr;  // it only speeds things up: divide through the index instead
    }
  }
  // The pattern symbol of the normal form of each code below its size: normalising and
  // finding the symbol take one load for the characters of the language's alphabet.
  std::vector<PatternIndex::Symbol> symbolOfCode;

  char32_t normalOf(char32_t c) const { return custom ? (*custom)(c) : map ? (*map)(c) : c; }
  PatternIndex::Symbol symbolOf(char32_t c) const {
    return c < symbolOfCode.size() ? symbolOfCode[c] : index->symbolOf(normalOf(c));
  }
};

}  // namespace detail

namespace {

using detail::ReadyTables;

// The codes the fused table covers at most (16 KiB of table).
constexpr std::size_t kFusedLimit = 0x1000;

void gatherTables(ReadyTables& t, const detail::HyphenatorCore& h, const CharNormaliser& normalise,
                  const detail::CharMap* map, const Exceptions* exceptions,
                  const PatternIndex* index) {
  t.margins = marginsOf(h.leftMin, h.rightMin);
  t.map = map;
  if (!map && normalise) t.custom = &normalise;
  const detail::ExceptionTable* table = exceptions ? detail::ExceptionAccess::table(*exceptions) : nullptr;
  if (table && !table->words.empty()) t.exceptions = table;
  t.index = index;
}

// The ready view of h's tables, which are all built.
std::unique_ptr<ReadyTables> makeReady(const detail::HyphenatorCore& h, const CharNormaliser& normalise,
                                       const detail::CharMap* map, const Exceptions* exceptions,
                                       const PatternIndex* index) {
  auto ready = std::make_unique<ReadyTables>();
  gatherTables(*ready, h, normalise, map, exceptions, index);
  if (ready->index) {
    // Another hyphenator sharing these patterns may have made the automaton already.
    if (const detail::PatternAutomaton* made = ready->index->builtAutomaton()) {
      ready->automaton.store(made, std::memory_order_relaxed);
      ready->wordsUntilAutomaton.store(0, std::memory_order_relaxed);
    } else {
      ready->wordsUntilAutomaton.store(ReadyTables::wordsBeforeAutomaton(*ready->index),
                                       std::memory_order_relaxed);
    }
  }
  if (ready->index && !ready->custom) {
    const std::size_t reach =
        std::max(ready->index->direct.size(), ready->map ? ready->map->flat().size() : 0);
    ready->symbolOfCode.resize(std::bit_ceil(std::min(reach, kFusedLimit)));
    for (std::size_t c = 0; c < ready->symbolOfCode.size(); ++c)
      ready->symbolOfCode[c] = ready->index->symbolOf(ready->normalOf(static_cast<char32_t>(c)));
  }
  return ready;
}

// Publishes h's ready view, made of tables that are all built; returns the one published.
const ReadyTables* publishReady(const detail::HyphenatorCore& h, const CharNormaliser& normalise,
                               const detail::CharMap* map, const Exceptions* exceptions,
                               const PatternIndex* index) {
  return &h.ready.get([&] { return makeReady(h, normalise, map, exceptions, index); });
}

// The division of a word with its tables at hand; see forEachBreak. given, when not
// null, holds the word's normal forms already (so that no character is normalised twice).
template <class Emit, class Quoted>
std::size_t divide(const ReadyTables& t, std::u32string_view word, const std::uint8_t* opaque,
                   const char32_t* given, Emit& emit, Quoted& quoted) {
  const std::size_t n = word.size();
  if (n < t.margins.minLength) return 0;  // short word: no table is consulted
  const bool anyOpaque = opaque && std::find(opaque, opaque + n, 1) != opaque + n;

  Scratch<char32_t, kStackWord> buffer(given ? 0 : n);
  const char32_t* normal = given;
  auto normaliseAll = [&] {
    for (std::size_t k = 0; k < n; ++k)
      buffer[k] = anyOpaque && opaque[k] ? word[k] : t.normalOf(word[k]);
    normal = buffer.data();
  };
  if (!normal && t.custom) normaliseAll();  // a caller's normaliser runs once per character

  if (t.exceptions && !anyOpaque) {
    // The filter needs only the length and the normal forms of the two end characters.
    const char32_t front = n == 0 ? 0 : normal ? normal[0] : t.normalOf(word[0]);
    const char32_t back = n == 0 ? 0 : normal ? normal[n - 1] : t.normalOf(word[n - 1]);
    if (t.exceptions->mayHold(n, front, back)) {
      if (!normal) normaliseAll();
      if (const auto* listed = t.exceptions->find(std::u32string_view(normal, n)))
        return emitBreaks(listed->data(), listed->size(), n, t.margins, emit, quoted);
    }
  }
  if (!t.index) return emitBreaks(nullptr, n, n, t.margins, emit, quoted);

  const PatternIndex& index = *t.index;
  const std::size_t m = n + 2;  // the word framed by dots
  // The exact length of the combined list matters only when a break may follow the last
  // character (cut 0); the automaton gives the values but not that length.
  const detail::PatternAutomaton* automaton = t.automatonForWord();
  const PatternIndex::Symbol* const fused = t.symbolOfCode.data();
  const std::size_t fusedSize = t.symbolOfCode.size();
  // fusedSize is a power of two, so the OR of the codes tells whether all lie below it
  // (a reduction the compiler does sixteen bytes at a time).
  char32_t codes = 0;
  for (const char32_t c : word) codes |= c;
  if (automaton && t.margins.cut >= 1 && !normal && !anyOpaque && codes < fusedSize) {
    // The usual word: each character normalised and made a symbol by one load of the
    // fused table as the automaton reads it. Only words wholly inside the table come
    // here: a call for the others would make the automaton's loop keep its registers
    // in memory around it.
    // match fills m + kWidth bytes; 16 zeros more let the breaks be read 16 at a time.
    constexpr std::size_t kWidth = detail::PatternAutomaton::kWidth;
    Scratch<std::uint8_t, 2 * kStackWord> lead(m + 2 * kWidth);
    std::memset(lead.data() + m + kWidth, 0, kWidth);
    const char32_t* const text = word.data();
    automaton->matchWord(
        index.dot, n, [fused, text](std::size_t k) { return fused[text[k]]; }, lead.data());
    // The values follow kLead bytes; drop the boundary before the opening dot and the last.
    return emitBreaks(lead.data() + detail::PatternAutomaton::kLead + 1, n, n, t.margins, emit,
                      quoted, true);
  }
  Scratch<PatternIndex::Symbol, kStackWord + 2> framed(m);
  framed[0] = framed[m - 1] = index.dot;
  if (normal) {
    for (std::size_t k = 0; k < n; ++k)
      framed[k + 1] = anyOpaque && opaque[k] ? PatternIndex::Symbol{0} : index.symbolOf(normal[k]);
  } else if (!anyOpaque) {
    // Plain locals: the stores into framed would otherwise reload the table's bounds.
    for (std::size_t k = 0; k < n; ++k) {
      const char32_t c = word[k];
      framed[k + 1] = c < fusedSize ? fused[c] : t.symbolOf(c);
    }
  } else {
    for (std::size_t k = 0; k < n; ++k)
      framed[k + 1] = opaque[k] ? PatternIndex::Symbol{0} : t.symbolOf(word[k]);
  }
  if (automaton && t.margins.cut >= 1) {
    const std::size_t size = m + detail::PatternAutomaton::kWidth;
    Scratch<std::uint8_t, 2 * kStackWord> lead(size);  // match writes every byte
    automaton->match(framed.data(), m, lead.data());
    // The values follow kLead bytes; drop the boundary before the opening dot and the last.
    return emitBreaks(lead.data() + detail::PatternAutomaton::kLead + 1, n, n, t.margins, emit,
                      quoted);
  }
  const std::size_t size = index.valuesSize(m);
  Scratch<std::uint8_t, 2 * kStackWord> values(size);
  std::memset(values.data(), 0, size);
  const std::size_t length = t.margins.cut >= 1
                                 ? index.match<false>(framed.data(), m, values.data())
                                 : index.match<true>(framed.data(), m, values.data());
  // values holds valuesSize(m) bytes, zeros past what match wrote: padded.
  return emitBreaks(values.data() + 1, length - 2, n, t.margins, emit, quoted, true);
}

// Calls emit(i) for every i (ascending) after which hyphenate cuts word; returns how many.
// opaque, when given, marks characters that no table knows (malformed bytes of UTF-8
// input): they are not normalised, match no pattern and no exception word. quoted()
// gives the word as UTF-8 for the error message.
//
// A Hyphenator's first words build its tables in the order they are needed (the
// normaliser's map, the exception table, then the patterns, which neither a short word
// nor a word of the exception table needs); once all three are built, a ready view of
// them serves every later word.
template <class Emit, class Quoted>
std::size_t forEachBreak(const Hyphenator& handle, std::u32string_view word,
                         const std::uint8_t* opaque, Emit&& emit, Quoted&& quoted) {
  const detail::HyphenatorCore& h = detail::HyphenatorAccess::core(handle);
  if (h.dictionary) [[unlikely]]
    return detail::forEachDictionaryBreak(handle, word, opaque, detail::BreakSink(emit));
  if (const ReadyTables* ready = h.ready.ready())
    [[likely]] return divide(*ready, word, opaque, nullptr, emit, quoted);

  const std::size_t n = word.size();
  const Margins margins = marginsOf(h.leftMin, h.rightMin);
  if (n < margins.minLength) return 0;  // short word: no table is consulted
  const CharNormaliser& normalise = h.chars.get();
  const detail::CharMap* map = h.hasMap ? &h.map.get() : nullptr;
  // A word with malformed bytes looks up no exception, so it does not build the table.
  const bool anyOpaque = opaque && std::find(opaque, opaque + n, 1) != opaque + n;
  const Exceptions* exceptions = anyOpaque ? nullptr : &h.exceptions.get();
  Scratch<char32_t, kStackWord> normal(exceptions ? n : 0);
  if (exceptions) {
    ReadyTables t;
    gatherTables(t, h, normalise, map, exceptions, nullptr);
    for (std::size_t k = 0; k < n; ++k) normal[k] = t.normalOf(word[k]);
    if (const auto* listed =
            detail::ExceptionAccess::find(*exceptions, std::u32string_view(normal.data(), n)))
      return emitBreaks(listed->data(), listed->size(), n, margins, emit, quoted);
  }
  // The index alone: a language's trie itself is made only when a caller asks for it.
  const PatternIndex* index = detail::indexOf(h.patterns.get());
  if (!exceptions) {
    ReadyTables t;
    gatherTables(t, h, normalise, map, exceptions, index);
    t.wordsUntilAutomaton.store(0, std::memory_order_relaxed);  // a one-off view
    return divide(t, word, opaque, nullptr, emit, quoted);
  }
  return divide(*publishReady(h, normalise, map, exceptions, index), word, opaque,
                normal.data(), emit, quoted);
}

}  // namespace

namespace detail {

HyphenatorCore::~HyphenatorCore() = default;

Hyphenator hyphenatorWithCharMap(Lazy<CharMap> map, Lazy<Patterns> patterns,
                                 Lazy<Exceptions> exceptions, std::int64_t leftMin,
                                 std::int64_t rightMin) {
  CharNormaliser apply = [map](char32_t c) { return map.get()(c); };
  return HyphenatorAccess::make(std::make_shared<const HyphenatorCore>(
      std::move(apply), std::move(map), true, std::move(patterns), std::move(exceptions),
      leftMin, rightMin));
}

Hyphenator hyphenatorLike(const Hyphenator& base, Lazy<Patterns> patterns,
                          Lazy<Exceptions> exceptions, std::int64_t leftMin,
                          std::int64_t rightMin, bool keepDictionary) {
  const HyphenatorCore& from = HyphenatorAccess::core(base);
  auto core = std::make_shared<HyphenatorCore>(from.chars, from.map, from.hasMap,
                                               std::move(patterns), std::move(exceptions),
                                               leftMin, rightMin);
  if (keepDictionary) core->dictionary = from.dictionary;
  return HyphenatorAccess::make(std::move(core));
}

Hyphenator dictionaryHyphenator(std::shared_ptr<const DictionaryData> dictionary,
                                Lazy<CharMap> map, Lazy<Patterns> patterns, std::int64_t leftMin,
                                std::int64_t rightMin) {
  CharNormaliser apply = [map](char32_t c) { return map.get()(c); };
  auto core = std::make_shared<HyphenatorCore>(std::move(apply), std::move(map), true,
                                               std::move(patterns), Exceptions(), leftMin,
                                               rightMin);
  core->dictionary = std::move(dictionary);
  return HyphenatorAccess::make(std::move(core));
}

const DictionaryData* hyphenatorDictionary(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).dictionary.get();
}


const Lazy<Patterns>& patternsCell(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).patterns;
}
const Lazy<Exceptions>& exceptionsCell(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).exceptions;
}

namespace {

std::vector<char32_t> gatherKnownCharacters(const Hyphenator& h) {
  const CharMap* map = hyphenatorCharMap(h);
  std::vector<char32_t> known;
  if (map == nullptr) return known;
  known.reserve(2 * map->size());
  for (const auto& [variant, normal] : map->entries()) {
    known.push_back(variant);
    known.push_back(normal);
  }
  if (const PatternIndex* index = indexOf(hyphenatorPatterns(h))) {  // makes no trie
    for (char32_t c : index->codes)
      if (c != U'.') known.push_back(c);
  }
  std::sort(known.begin(), known.end());
  known.erase(std::unique(known.begin(), known.end()), known.end());
  return known;
}

}  // namespace

const std::vector<char32_t>& knownCharacters(const Hyphenator& h) {
  return HyphenatorAccess::core(h).known.get([&h] { return gatherKnownCharacters(h); });
}

PatternReach patternReach(const Hyphenator& h) {
  PatternReach reach;
  // A dictionary's compound level may look at the whole word.
  if (hyphenatorDictionary(h)) return {std::size_t{1} << 20, std::size_t{1} << 20};
  // From the lookup index, which a language has without making its trie.
  if (const PatternIndex* index = indexOf(hyphenatorPatterns(h))) {
    reach.before = index->longestScoreList;
    reach.after = index->longestScoreList > 0 ? std::size_t(index->longestPattern) + 1 : 0;
  }
  return reach;
}

const CharMap* hyphenatorCharMap(const Hyphenator& h) {
  const HyphenatorCore& core = HyphenatorAccess::core(h);
  return core.hasMap ? &core.map.get() : nullptr;
}

}  // namespace detail

namespace {
// The map cell of every hyphenator given a normaliser function: never read.
const Lazy<detail::CharMap>& noCharMap() {
  static const Lazy<detail::CharMap> none{detail::CharMap()};
  return none;
}
}  // namespace

Hyphenator::Hyphenator(Lazy<CharNormaliser> chars, Lazy<Patterns> patterns,
                       Lazy<Exceptions> exceptions, std::int64_t leftMin, std::int64_t rightMin)
    : core_(std::make_shared<const detail::HyphenatorCore>(
          std::move(chars), noCharMap(), false, std::move(patterns),
          std::move(exceptions), leftMin, rightMin)) {}

// Copied, not moved, so that a moved-from Hyphenator stays the same usable hyphenator.
// NOLINTNEXTLINE(performance-move-constructor-init)
Hyphenator::Hyphenator(Hyphenator&& other) noexcept : core_(other.core_) {}

Hyphenator& Hyphenator::operator=(Hyphenator&& other) noexcept {
  core_ = other.core_;
  return *this;
}

Hyphenator::~Hyphenator() = default;

using detail::HyphenatorAccess;

const CharNormaliser& hyphenatorChars(const Hyphenator& h) {
  return HyphenatorAccess::core(h).chars.get();
}
const Patterns& hyphenatorPatterns(const Hyphenator& h) {
  return HyphenatorAccess::core(h).patterns.get();
}
const Exceptions& hyphenatorExceptions(const Hyphenator& h) {
  return HyphenatorAccess::core(h).exceptions.get();
}
std::int64_t hyphenatorLeftMin(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).leftMin;
}
std::int64_t hyphenatorRightMin(const Hyphenator& h) noexcept {
  return HyphenatorAccess::core(h).rightMin;
}

std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word) {
  // Breaks first, so that the pieces are made in a vector of the right size.
  Scratch<std::size_t, kStackWord> breaks(word.size() + 1);
  std::size_t* next = breaks.data();
  const std::size_t count = forEachBreak(
      h, word, nullptr, [&next](std::size_t at) { *next++ = at; },
      [word] { return detail::toUtf8(word); });
  std::vector<std::u32string> pieces;
  pieces.reserve(count + 1);
  const char32_t* const text = word.data();
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    pieces.emplace_back(text + begin, breaks[k] - begin);
    begin = breaks[k];
  }
  pieces.emplace_back(text + begin, word.size() - begin);
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

// Calls emit(byte offset) for every break of the UTF-8 word; see forEachBreak. Byte
// offsets and malformed-byte marks are kept only for words that need them: in an ASCII
// word character k starts at byte k, and a well-formed word has no opaque character.
template <class Emit>
std::size_t forEachUtf8Break(const Hyphenator& h, std::string_view utf8, Emit&& emit) {
  const std::size_t size = utf8.size();
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto quoted = [utf8] { return std::string(utf8); };
  Scratch<char32_t, kStackWord> chars(size);
  std::size_t ascii = 0;
  for (; ascii < size && bytes[ascii] < 0x80; ++ascii) chars[ascii] = bytes[ascii];
  if (ascii == size) return forEachBreak(h, std::u32string_view(chars.data(), size), nullptr, emit, quoted);

  Scratch<std::uint8_t, kStackWord> opaque(size);
  Scratch<std::size_t, kStackWord + 1> start(size + 1);  // byte offset of each character
  for (std::size_t k = 0; k < ascii; ++k) {
    opaque[k] = 0;
    start[k] = k;
  }
  bool anyOpaque = false;
  std::size_t n = ascii;
  for (std::size_t at = ascii; at < size; ++n) {
    std::size_t length = detail::decodeUtf8Sequence(bytes + at, size - at, chars[n]);
    opaque[n] = length == 0;
    if (length == 0) {
      chars[n] = bytes[at];
      length = 1;
      anyOpaque = true;
    }
    start[n] = at;
    at += length;
  }
  start[n] = size;
  return forEachBreak(
      h, std::u32string_view(chars.data(), n), anyOpaque ? opaque.data() : nullptr,
      [&](std::size_t at) { emit(start[at]); }, quoted);
}

}  // namespace

std::vector<std::string_view> hyphenate(const Hyphenator& h, std::string_view utf8) {
  // Breaks first, so that the pieces are made in a vector of the right size.
  Scratch<std::size_t, kStackWord> breaks(utf8.size() + 1);
  std::size_t* next = breaks.data();
  const std::size_t count = forEachUtf8Break(h, utf8, [&next](std::size_t at) { *next++ = at; });
  std::vector<std::string_view> pieces;
  pieces.reserve(count + 1);
  std::size_t begin = 0;
  for (std::size_t k = 0; k < count; ++k) {
    pieces.emplace_back(utf8.data() + begin, breaks[k] - begin);
    begin = breaks[k];
  }
  pieces.emplace_back(utf8.data() + begin, utf8.size() - begin);
  return pieces;
}

std::size_t breakPoints(const Hyphenator& h, std::string_view utf8, std::span<std::size_t> out) {
  std::size_t written = 0;
  return forEachUtf8Break(h, utf8, [&](std::size_t at) {
    if (written < out.size()) out[written++] = at;
  });
}

}  // namespace quellix
