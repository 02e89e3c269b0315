// libquellix-hyphen: libhyphen's C interface (quellix/compat/hyphen.h) over quellix's
// dictionary hyphenators. No exception crosses into C: a failure to load gives NULL, and the
// hyphenate functions, which libhyphen cannot make fail, give -1 only for a NULL argument
// they must read or write, or when memory runs out.
#include "hyphen.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/dictionary.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/text.hpp"

namespace {

// A dictionary: the HyphenDict callers read first, so that the pointer they hold is this
// object's, then the hyphenator and the strings the fields point to.
struct Dictionary {
  HyphenDict top{};
  HyphenDict next{};
  quellix::Hyphenator hyphenator;
  std::string noHyphen;
  bool utf8 = true;
  std::u32string charOfByte;  // a single-byte dictionary's character of each byte

  explicit Dictionary(quellix::Hyphenator h) : hyphenator(std::move(h)) {}
};

char narrow(std::int64_t value) { return static_cast<char>(std::clamp<std::int64_t>(value, 0, 127)); }

HyphenDict* make(quellix::Hyphenator h) {
  const std::optional<quellix::DictionaryInfo> info = quellix::dictionaryInfo(h);
  auto* d = new Dictionary(std::move(h));
  HyphenDict& top = d->top;
  top.lhmin = narrow(info->leftMin);
  top.rhmin = narrow(info->rightMin);
  top.clhmin = narrow(info->compoundLeftMin);
  top.crhmin = narrow(info->compoundRightMin);
  for (const std::string& item : info->noHyphen) {
    std::u32string text;
    for (std::size_t at = 0; at < item.size();) {
      // The item is UTF-8; the field holds it in the dictionary's encoding.
      const quellix::Utf8Char c = quellix::firstUtf8Char(std::string_view(item).substr(at));
      text += c.code;
      at += c.length;
    }
    d->noHyphen += quellix::encodeDictionaryText(d->hyphenator, text);
    d->noHyphen += '\0';
  }
  if (!info->noHyphen.empty()) {
    top.nohyphen = d->noHyphen.data();
    top.nohyphenl = static_cast<int>(info->noHyphen.size()) - 1;
  }
  std::strncpy(top.cset, info->encoding.c_str(), MAX_NAME - 1);
  top.utf8 = info->utf8 ? 1 : 0;
  d->utf8 = info->utf8;
  if (!d->utf8) {
    d->charOfByte.resize(256);
    for (int byte = 0; byte < 256; ++byte)
      d->charOfByte[static_cast<std::size_t>(byte)] =
          quellix::decodeDictionaryText(d->hyphenator, std::string(1, static_cast<char>(byte))).front();
  }
  top.nextlevel = &d->next;
  // The plain level as libhyphen shows it: without NEXTLEVEL it repeats the file's margins.
  d->next.utf8 = top.utf8;
  std::memcpy(d->next.cset, top.cset, MAX_NAME);
  if (!info->nextLevel) {
    d->next.lhmin = top.lhmin;
    d->next.rhmin = top.rhmin;
  }
  return &d->top;
}

Dictionary& of(HyphenDict* dict) { return *reinterpret_cast<Dictionary*>(dict); }

HyphenDict* loadBytes(std::string_view bytes, std::string_view source) {
  try {
    return make(quellix::readDictionary(bytes, source));
  } catch (...) {
    return nullptr;
  }
}

// Scratch of this thread, reused from word to word.
struct WordScratch {
  std::u32string word;               // its first count characters: the word's
  std::size_t count = 0;
  std::vector<std::size_t> byteOf;  // byteOf[k]: where character k starts; one more at count (offsets)
  quellix::DictionaryValues values;
  std::string text;
  std::vector<std::uint8_t> standardValues;  // values without the non-standard breaks
};
// The thread's scratch, reached through a pointer of trivial type: that asks for the
// thread's storage once, where the scratch itself (made on first use, destroyed with the
// thread) costs a guard's test as well, each a call in a shared library.
thread_local WordScratch* threadScratchAddress = nullptr;

WordScratch& makeThreadScratch() {
  thread_local WordScratch scratch;
  threadScratchAddress = &scratch;
  return scratch;
}

WordScratch& threadScratch() {
  WordScratch* const scratch = threadScratchAddress;
  return scratch != nullptr ? *scratch : makeThreadScratch();
}

// hyphens[k] = '0' + values[k] for n values (digits, 0 to 9), eight at a time: the byte-wise
// sum never carries, and fixed-size copies are plain moves; the last eight overlap the ones
// before rather than end in a loop. hyphens gets no terminator.
void writeDigits(char* hyphens, const std::uint8_t* values, std::size_t n) {
  const auto eightAt = [&](std::size_t k) {
    std::uint64_t eight;
    std::memcpy(&eight, values + k, 8);
    eight += 0x3030303030303030u;
    std::memcpy(hyphens + k, &eight, 8);
  };
  if (n >= 8) {
    for (std::size_t k = 0; k + 8 < n; k += 8) eightAt(k);
    eightAt(n - 8);
    return;
  }
  for (std::size_t k = 0; k < n; ++k) hyphens[k] = static_cast<char>('0' + values[k]);
}

// word's characters as the dictionary reads them, as decodeDictionaryText gives them (a
// malformed UTF-8 byte is a character of its own, U+FFFD), and with kOffsets the byte
// offset of each, into the thread's scratch: nothing allocated once it has grown. Where
// each character is a byte (count == word.size()), the offsets are not written: see
// offsets. (Only the hyphenated word needs them.)
template <bool kOffsets>
void decode(const Dictionary& d, std::string_view word, WordScratch& s) {
  // At most one character a byte: grown only, so that a word shorter than the last one
  // writes nothing first; written through plain pointers, trimmed at the end.
  if (s.word.size() < word.size()) s.word.resize(word.size());
  if (kOffsets && s.byteOf.size() < word.size() + 1) s.byteOf.resize(word.size() + 1);
  char32_t* const chars = s.word.data();
  if (!d.utf8) {
    const char32_t* const charOfByte = d.charOfByte.data();
    const auto* const bytes = reinterpret_cast<const unsigned char*>(word.data());
    const std::size_t n = word.size();
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {  // four a turn: the loop's test once for four
      chars[k] = charOfByte[bytes[k]];
      chars[k + 1] = charOfByte[bytes[k + 1]];
      chars[k + 2] = charOfByte[bytes[k + 2]];
      chars[k + 3] = charOfByte[bytes[k + 3]];
    }
    for (; k < n; ++k) chars[k] = charOfByte[bytes[k]];
    s.count = word.size();
    return;
  }
  // ASCII (most characters) four bytes a turn while all four are.
  const auto* const bytes = reinterpret_cast<const unsigned char*>(word.data());
  std::size_t at = 0;
  for (; at + 4 <= word.size() && ((bytes[at] | bytes[at + 1] | bytes[at + 2] | bytes[at + 3]) & 0x80u) == 0; at += 4) {
    chars[at] = bytes[at];
    chars[at + 1] = bytes[at + 1];
    chars[at + 2] = bytes[at + 2];
    chars[at + 3] = bytes[at + 3];
  }
  for (; at < word.size() && bytes[at] < 0x80; ++at) chars[at] = bytes[at];
  s.count = at;
  if (at == word.size()) return;
  std::size_t* const byteOf = kOffsets ? s.byteOf.data() : nullptr;
  if constexpr (kOffsets)
    for (std::size_t k = 0; k < at; ++k) byteOf[k] = k;
  std::size_t count = at;
  while (at < word.size()) {
    if constexpr (kOffsets) byteOf[count] = at;
    const auto byte = static_cast<unsigned char>(word[at]);
    if (byte < 0x80) {
      chars[count++] = byte;
      ++at;
      continue;
    }
    if (byte >= 0xC2 && byte <= 0xDF && at + 1 < word.size()) {  // two bytes (Latin, Greek, Cyrillic)
      const auto next = static_cast<unsigned char>(word[at + 1]);
      if ((next & 0xC0) == 0x80) {
        chars[count++] = static_cast<char32_t>((byte & 0x1Fu) << 6 | (next & 0x3Fu));
        at += 2;
        continue;
      }
    }
    const quellix::Utf8Char c = quellix::firstUtf8Char(word.substr(at));
    chars[count++] = c.wellFormed ? c.code : U'\uFFFD';
    at += c.length;
  }
  if constexpr (kOffsets) byteOf[count] = word.size();
  s.count = count;
}

// Where each character decode read starts, and one more at s.count: word.size().
const std::size_t* offsets(WordScratch& s, std::size_t size) {
  if (s.count == size)
    for (std::size_t k = 0; k <= size; ++k) s.byteOf[k] = k;
  return s.byteOf.data();
}

// The bytes hyphenated_word holds, as hyphen.h documents it: twice the word's (the word with
// a break after every character but the last and its NUL), at least one.
std::size_t hyphenatedCapacity(std::size_t wordBytes) { return std::max<std::size_t>(2 * wordBytes, 1); }

// The word's bytes with '=' after each of its count characters whose value is odd, and a NUL,
// at to: never more than hyphenatedCapacity (no break follows the last character, which
// every margin rules out, but none is written there either way). s holds decode's offsets,
// or count == bytes.size() (a byte a character).
void writeBreaks(char* to, std::string_view bytes, const std::uint8_t* values, std::size_t count,
                 const WordScratch& s) {
  if (count == 0) {
    *to = '\0';
    return;
  }
  if (s.count == bytes.size()) {  // a byte a character (ASCII, single-byte encodings)
    for (std::size_t i = 0; i + 1 < count; ++i) {
      *to++ = bytes[i];
      *to = '=';
      to += values[i] & 1u;
    }
    *to++ = bytes[count - 1];
    *to = '\0';
    return;
  }
  const std::size_t* const byteOf = s.byteOf.data();
  for (std::size_t i = 0; i + 1 < count; ++i) {
    for (std::size_t b = byteOf[i]; b < byteOf[i + 1]; ++b) *to++ = bytes[b];
    *to = '=';
    to += values[i] & 1u;
  }
  const std::size_t rest = bytes.size() - byteOf[count - 1];
  std::memcpy(to, bytes.data() + byteOf[count - 1], rest);
  to[rest] = '\0';
}

int hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens, char* hyphenated,
              char*** rep, int** pos, int** cut, const quellix::DictionaryMargins* margins) {
  if (dict == nullptr || hyphens == nullptr || (word == nullptr && word_size > 0)) return -1;
  try {
    Dictionary& d = of(dict);
    WordScratch& s = threadScratch();
    const std::string_view bytes(word, static_cast<std::size_t>(std::max(word_size, 0)));
    if (hyphenated != nullptr) decode<true>(d, bytes, s);
    else decode<false>(d, bytes, s);
    quellix::dictionaryValues(d.hyphenator, std::u32string_view(s.word.data(), s.count), s.values, margins);
    const std::vector<std::uint8_t>& values = s.values.values;
    writeDigits(hyphens, values.data(), values.size());
    hyphens[values.size()] = '\0';
    if (rep != nullptr && pos != nullptr && cut != nullptr && !s.values.changes.empty()) {
      const std::size_t n = bytes.size();
      if (*rep == nullptr) {
        *rep = static_cast<char**>(std::calloc(n, sizeof(char*)));
        *pos = static_cast<int*>(std::calloc(n, sizeof(int)));
        *cut = static_cast<int*>(std::calloc(n, sizeof(int)));
        if (*rep == nullptr || *pos == nullptr || *cut == nullptr) throw std::bad_alloc();
      }
      for (const quellix::SpellingBreak& b : s.values.changes) {
        const std::size_t i = b.position - 1;
        const std::string change = quellix::encodeDictionaryText(d.hyphenator, b.lineEnd + U"=" + b.nextStart);
        std::free((*rep)[i]);
        (*rep)[i] = static_cast<char*>(std::malloc(change.size() + 1));
        if ((*rep)[i] == nullptr) throw std::bad_alloc();
        std::memcpy((*rep)[i], change.c_str(), change.size() + 1);
        (*pos)[i] = static_cast<int>(b.position - b.replacedBegin);
        (*cut)[i] = static_cast<int>(b.replacedEnd - b.replacedBegin);
      }
    }
    if (hyphenated == nullptr) return 0;
    if (s.values.changes.empty()) {
      writeBreaks(hyphenated, bytes, values.data(), values.size(), s);
      return 0;
    }
    // The word with '=' at each break; a non-standard break writes its change over the
    // characters it replaces.
    const std::size_t* const byteOf = offsets(s, bytes.size());
    std::string& out = s.text;
    out.clear();
    std::size_t from = 0;  // the next character not yet written
    std::size_t change = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
      while (change < s.values.changes.size() && s.values.changes[change].position - 1 < i) ++change;
      if (!(values[i] & 1u)) continue;
      const quellix::SpellingBreak* b =
          change < s.values.changes.size() && s.values.changes[change].position - 1 == i
              ? &s.values.changes[change] : nullptr;
      if (b == nullptr) {
        if (i + 1 < from) continue;
        out.append(bytes.substr(byteOf[from], byteOf[i + 1] - byteOf[from]));
        out += '=';
        from = i + 1;
        continue;
      }
      if (b->replacedBegin < from) continue;
      out.append(bytes.substr(byteOf[from], byteOf[b->replacedBegin] - byteOf[from]));
      out += quellix::encodeDictionaryText(d.hyphenator, b->lineEnd + U"=" + b->nextStart);
      from = b->replacedEnd;
    }
    out.append(bytes.substr(byteOf[from]));
    if (out.size() < hyphenatedCapacity(bytes.size())) {
      std::memcpy(hyphenated, out.c_str(), out.size() + 1);
      return 0;
    }
    // Changes longer than what they replace (a dictionary's own choice) would pass the
    // caller's buffer: the word is written with its standard breaks only, which always fit.
    s.standardValues.assign(values.begin(), values.end());
    for (const quellix::SpellingBreak& b : s.values.changes) s.standardValues[b.position - 1] = 0;
    writeBreaks(hyphenated, bytes, s.standardValues.data(), values.size(), s);
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // namespace

// The library exports the functions of hyphen.h and nothing else.
#if defined(_WIN32)
#define HNJ_EXPORT __declspec(dllexport)
#else
#define HNJ_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

HNJ_EXPORT HyphenDict* hnj_hyphen_load(const char* fn) {
  if (fn == nullptr) return nullptr;
  try {
    return make(quellix::loadDictionary(fn));
  } catch (...) {
    return nullptr;
  }
}

HNJ_EXPORT HyphenDict* hnj_hyphen_load_file(FILE* f) {
  if (f == nullptr) return nullptr;
  std::string bytes;
  char chunk[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
    bytes.append(chunk, n);
    if (bytes.size() > quellix::kMaxFileBytes) return nullptr;
    if (n < sizeof chunk) break;
  }
  if (std::ferror(f)) return nullptr;
  return loadBytes(bytes, "dictionary");
}

HNJ_EXPORT HyphenDict* hnj_hyphen_load_data(const char* data, size_t length) {
  if (data == nullptr) return nullptr;
  return loadBytes(std::string_view(data, length), "dictionary");
}

HNJ_EXPORT void hnj_hyphen_free(HyphenDict* dict) {
  if (dict != nullptr) delete &of(dict);
}

HNJ_EXPORT int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens) {
  if (dict == nullptr || hyphens == nullptr || (word == nullptr && word_size > 0)) return -1;
  try {
    Dictionary& d = of(dict);
    WordScratch& s = threadScratch();
    decode<false>(d, std::string_view(word, static_cast<std::size_t>(std::max(word_size, 0))), s);
    quellix::dictionaryFirstLevelValues(d.hyphenator, std::u32string_view(s.word.data(), s.count), s.values);
    writeDigits(hyphens, s.values.values.data(), s.values.values.size());
    hyphens[s.values.values.size()] = '\0';
    return 0;
  } catch (...) {
    return -1;
  }
}

HNJ_EXPORT int hnj_hyphen_hyphenate2(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphenated_word, char*** rep, int** pos, int** cut) {
  return hyphenate(dict, word, word_size, hyphens, hyphenated_word, rep, pos, cut, nullptr);
}

HNJ_EXPORT int hnj_hyphen_hyphenate3(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphword, char*** rep, int** pos, int** cut, int lhmin, int rhmin,
                          int clhmin, int crhmin) {
  const quellix::DictionaryMargins margins{lhmin, rhmin, clhmin, crhmin};
  return hyphenate(dict, word, word_size, hyphens, hyphword, rep, pos, cut, &margins);
}

}  // extern "C"
