// libquellix-hyphen: libhyphen's C interface (quellix/compat/hyphen.h) over quellix's
// dictionary engine, which a shared build compiles into this library (see CMakeLists.txt):
// a word costs no call through libquellix's API, and a program written for libhyphen loads
// one small library. No exception crosses into C: a failure to load gives NULL, and the
// hyphenate functions, which libhyphen cannot make fail, give -1 only for a NULL argument
// they must read or write, or when memory runs out.
#include "hyphen.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary_data.hpp"
#include "dictionary_division.hpp"
#include "quellix/user_files.hpp"
#include "single_byte_encodings.hpp"
#include "utf8_decode.hpp"
#include "utf8_encode.hpp"

namespace {

using quellix::detail::DictionaryChange;
using quellix::detail::DictionaryData;
using quellix::detail::DictionaryScratch;

// A dictionary: the HyphenDict callers read first, so that the pointer they hold is this
// object's, then the dictionary and the strings the fields point to.
struct Dictionary {
  HyphenDict top{};
  HyphenDict next{};
  std::shared_ptr<const DictionaryData> data;
  std::string noHyphen;
  std::u32string charOfByte;  // a single-byte dictionary's character of each byte

  explicit Dictionary(std::shared_ptr<const DictionaryData> d) : data(std::move(d)) {}
};

char narrow(std::int64_t value) { return static_cast<char>(std::clamp<std::int64_t>(value, 0, 127)); }

// text in the dictionary's encoding: UTF-8, or its single-byte set ('?' for a character it
// lacks).
std::string encode(const DictionaryData& d, std::u32string_view text) {
  if (d.encoding == nullptr) return quellix::detail::toUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) out += d.encoding->encode(c);
  return out;
}

HyphenDict* make(std::shared_ptr<const DictionaryData> data) {
  auto* made = new Dictionary(std::move(data));
  const DictionaryData& d = *made->data;
  HyphenDict& top = made->top;
  top.lhmin = narrow(d.leftMin);
  top.rhmin = narrow(d.rightMin);
  top.clhmin = narrow(d.compoundLeftMin);
  top.crhmin = narrow(d.compoundRightMin);
  for (const std::u32string& item : d.noHyphen) {
    made->noHyphen += encode(d, item);
    made->noHyphen += '\0';
  }
  if (!d.noHyphen.empty()) {
    top.nohyphen = made->noHyphen.data();
    top.nohyphenl = static_cast<int>(d.noHyphen.size()) - 1;
  }
  std::strncpy(top.cset, d.encodingName.c_str(), MAX_NAME - 1);
  top.utf8 = d.encoding == nullptr ? 1 : 0;
  if (d.encoding != nullptr) {
    made->charOfByte.resize(256);
    for (int byte = 0; byte < 256; ++byte) {
      const char16_t c = d.encoding->decode(static_cast<unsigned char>(byte));
      made->charOfByte[static_cast<std::size_t>(byte)] =
          c == quellix::detail::SingleByteEncoding::kUndefined ? U'\uFFFD' : char32_t(c);
    }
  }
  top.nextlevel = &made->next;
  // The plain level as libhyphen shows it: without NEXTLEVEL it repeats the file's margins.
  made->next.utf8 = top.utf8;
  std::memcpy(made->next.cset, top.cset, MAX_NAME);
  if (!d.explicitLevels) {
    made->next.lhmin = top.lhmin;
    made->next.rhmin = top.rhmin;
  }
  return &made->top;
}

Dictionary& of(HyphenDict* dict) { return *reinterpret_cast<Dictionary*>(dict); }

HyphenDict* loadBytes(std::string_view bytes, std::string_view source) {
  try {
    return make(quellix::detail::readDictionaryData(bytes, source));
  } catch (...) {
    return nullptr;
  }
}

// What the hyphenated word needs of this thread, reused from word to word (the word itself
// and its division are in the engine's scratch, dictionaryScratch).
struct WordScratch {
  std::vector<std::size_t> byteOf;  // byteOf[k]: where character k starts; one more at count
  std::string text;
  std::vector<std::uint8_t> standardValues;  // values without the non-standard breaks
};
// The thread's scratch, reached through a pointer of trivial type: that asks for the
// thread's storage once, where the scratch itself (made on first use, destroyed with the
// thread) costs a guard's test as well.
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

// A word as decode reads it: its count characters are at the front of the engine's scratch
// (normal, the buffer its folded words use: nothing is folded here).
struct DecodedWord {
  std::u32string_view chars;
  bool common;  // every character below kLowCodes and common (DictionaryData::lowKind)
};

// word's characters as the dictionary reads them (a malformed UTF-8 byte is a character of
// its own, U+FFFD, as decodeDictionaryText gives it), whether the common word's route may
// take them, found on the way, and with byteOf the byte offset of each, one more at the
// end: nothing allocated once the buffers have grown. Where each character is a byte
// (chars.size() == word.size()), the offsets are not written (see offsets).
DecodedWord decode(const Dictionary& dictionary, std::string_view word, DictionaryScratch& scratch,
                   std::vector<std::size_t>* byteOf = nullptr) {
  const DictionaryData& d = *dictionary.data;
  // At most one character a byte: grown only, so that a word shorter than the last one
  // writes nothing first; written through plain pointers.
  if (scratch.normal.size() < word.size()) scratch.normal.resize(word.size());
  if (byteOf != nullptr && byteOf->size() < word.size() + 1) byteOf->resize(word.size() + 1);
  char32_t* const chars = scratch.normal.data();
  constexpr char32_t kLow = DictionaryData::kLowCodes;
  const std::uint8_t* const kind = d.lowKind.data();
  const auto* const bytes = reinterpret_cast<const unsigned char*>(word.data());
  const std::size_t size = word.size();
  unsigned kinds = 0;
  if (d.encoding != nullptr) {
    const char32_t* const charOfByte = dictionary.charOfByte.data();
    bool low = true;
    for (std::size_t k = 0; k < size; ++k) {
      const char32_t c = charOfByte[bytes[k]];
      chars[k] = c;
      if (c < kLow) kinds |= kind[c];
      else low = false;
    }
    return {{chars, size}, low && (kinds & DictionaryData::kLowExceptional) == 0};
  }
  // ASCII (most characters) four bytes a turn while all four are.
  std::size_t at = 0;
  for (; at + 4 <= size && ((bytes[at] | bytes[at + 1] | bytes[at + 2] | bytes[at + 3]) & 0x80u) == 0; at += 4) {
    chars[at] = bytes[at];
    chars[at + 1] = bytes[at + 1];
    chars[at + 2] = bytes[at + 2];
    chars[at + 3] = bytes[at + 3];
    kinds |= kind[bytes[at]] | kind[bytes[at + 1]] | kind[bytes[at + 2]] | kind[bytes[at + 3]];
  }
  for (; at < size && bytes[at] < 0x80; ++at) {
    chars[at] = bytes[at];
    kinds |= kind[bytes[at]];
  }
  std::size_t count = at;
  bool low = true;
  if (at < size) {
    std::size_t* const offsets = byteOf != nullptr ? byteOf->data() : nullptr;
    if (offsets != nullptr)
      for (std::size_t k = 0; k < at; ++k) offsets[k] = k;
    while (at < size) {
      if (offsets != nullptr) offsets[count] = at;
      const unsigned byte = bytes[at];
      if (byte < 0x80) {
        chars[count++] = byte;
        kinds |= kind[byte];
        ++at;
        continue;
      }
      if (byte >= 0xC2 && byte <= 0xDF && at + 1 < size && (bytes[at + 1] & 0xC0u) == 0x80) {
        // Two bytes: Latin, Greek, Cyrillic and the rest below kLowCodes.
        const char32_t c = (byte & 0x1Fu) << 6 | (bytes[at + 1] & 0x3Fu);
        chars[count++] = c;
        kinds |= kind[c];
        at += 2;
        continue;
      }
      char32_t c = 0;
      const std::size_t length = quellix::detail::decodeUtf8Sequence(bytes + at, size - at, c);
      chars[count++] = length == 0 ? U'\uFFFD' : c;
      at += length == 0 ? 1 : length;
      low = false;  // three bytes or more, or malformed: at or above kLowCodes
    }
    if (offsets != nullptr) offsets[count] = size;
  }
  return {{chars, count}, low && (kinds & DictionaryData::kLowExceptional) == 0};
}

// byteOf of a word of well-formed UTF-8 (as divideCommonUtf8Word reads it): where each
// character starts, and one more at the end, word.size().
void utf8Offsets(std::string_view word, std::vector<std::size_t>& byteOf) {
  if (byteOf.size() < word.size() + 1) byteOf.resize(word.size() + 1);
  std::size_t count = 0;
  for (std::size_t at = 0; at < word.size(); ++at)
    if ((static_cast<unsigned char>(word[at]) & 0xC0u) != 0x80u) byteOf[count++] = at;
  byteOf[count] = word.size();
}

// Where each character decode read starts, and one more at the end: word.size().
const std::size_t* offsets(std::vector<std::size_t>& byteOf, std::size_t count, std::size_t size) {
  if (count == size)
    for (std::size_t k = 0; k <= size; ++k) byteOf[k] = k;
  return byteOf.data();
}

// The bytes hyphenated_word holds, as hyphen.h documents it: twice the word's (the word with
// a break after every character but the last and its NUL), at least one.
std::size_t hyphenatedCapacity(std::size_t wordBytes) { return std::max<std::size_t>(2 * wordBytes, 1); }

// The word's bytes with '=' after each of its count characters whose value is odd, and a NUL,
// at to: never more than hyphenatedCapacity (no break follows the last character, which
// every margin rules out, but none is written there either way). byteOf: decode's offsets,
// or null where each character is a byte (ASCII, single-byte encodings).
void writeBreaks(char* to, std::string_view bytes, const std::uint8_t* values, std::size_t count,
                 const std::size_t* byteOf) {
  if (count == 0) {
    *to = '\0';
    return;
  }
  if (byteOf == nullptr) {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      *to++ = bytes[i];
      *to = '=';
      to += values[i] & 1u;
    }
    *to++ = bytes[count - 1];
    *to = '\0';
    return;
  }
  for (std::size_t i = 0; i + 1 < count; ++i) {
    for (std::size_t b = byteOf[i]; b < byteOf[i + 1]; ++b) *to++ = bytes[b];
    *to = '=';
    to += values[i] & 1u;
  }
  const std::size_t rest = bytes.size() - byteOf[count - 1];
  std::memcpy(to, bytes.data() + byteOf[count - 1], rest);
  to[rest] = '\0';
}

// change's text as rep holds it: line end '=' next start, in the dictionary's encoding.
std::string repOf(const DictionaryData& d, const DictionaryChange& change) {
  return encode(d, change.lineEnd + U"=" + change.nextStart);
}

// The boundaries [first, end) of a word of n characters whose values breaks leaves to be
// read: the common word's route leaves the values outside as they were (its margins),
// which count as 0.
struct ReadRange {
  std::size_t first, end;
};
ReadRange readRange(const quellix::detail::BreakRange& breaks, std::size_t n) {
  const auto size = static_cast<std::int64_t>(n);
  const std::int64_t first = std::clamp<std::int64_t>(breaks.lo, 0, size);
  return {static_cast<std::size_t>(first), static_cast<std::size_t>(std::clamp<std::int64_t>(breaks.hi + 1, first, size))};
}

// Sets [from, to) of p to fill: as a rule a margin of a few, for which a loop costs less
// than the call to memset a compiler would make of std::fill.
template <class T>
void fillFew(T* p, std::size_t from, std::size_t to, T fill) {
  for (std::size_t k = from; k < to; ++k) p[k] = fill;
}

int hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens, char* hyphenated,
              char*** rep, int** pos, int** cut, const quellix::detail::DictionaryMargins* given) {
  if (dict == nullptr || hyphens == nullptr || (word == nullptr && word_size > 0)) return -1;
  try {
    const Dictionary& dictionary = of(dict);
    const DictionaryData& d = *dictionary.data;
    DictionaryScratch& s = quellix::detail::dictionaryScratch();
    const std::string_view bytes(word, static_cast<std::size_t>(std::max(word_size, 0)));
    WordScratch* const out = hyphenated != nullptr ? &threadScratch() : nullptr;
    // As libhyphen: the dictionary's margins (0: 2), or hnj_hyphen_hyphenate3's where larger.
    quellix::detail::DictionaryMargins m;
    m.left = given ? std::max(given->left, d.leftMin) : d.leftMin;
    m.right = given ? std::max(given->right, d.rightMin) : d.rightMin;
    m.compoundLeft = given ? std::max(given->compoundLeft, d.compoundLeftMin) : d.compoundLeftMin;
    m.compoundRight = given ? std::max(given->compoundRight, d.compoundRightMin) : d.compoundRightMin;
    quellix::detail::BreakRange breaks{};
    // Most words of a dictionary in UTF-8 are divided straight from their bytes; the rest are
    // decoded first.
    std::size_t n = quellix::detail::divideCommonUtf8Word(d, bytes, m, s.result, s.level, &breaks);
    if (n == 0) {
      const DecodedWord w = decode(dictionary, bytes, s, out != nullptr ? &out->byteOf : nullptr);
      quellix::detail::divideDictionaryWord(d, w.chars, m, s.result, s, w.common, &breaks);
      n = w.chars.size();
    } else if (out != nullptr && n != bytes.size()) {
      utf8Offsets(bytes, out->byteOf);
    }
    std::uint8_t* const values = s.result.values.data();
    const ReadRange read = readRange(breaks, n);
    writeDigits(hyphens, values, n);
    fillFew(hyphens, 0, read.first, '0');
    fillFew(hyphens, read.end, n, '0');
    hyphens[n] = '\0';
    // The non-standard breaks (only the route that reads every value finds them).
    // found[i]: the change of the break after character i, which replaces cut characters
    // from begin.
    const std::vector<quellix::detail::DictionaryResult::Change>& found = s.result.changes;
    const bool anyChange = s.result.anyChange &&
                           std::any_of(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(n),
                                       [](const auto& c) { return c.text != nullptr; });
    if (rep != nullptr && pos != nullptr && cut != nullptr && anyChange) {
      const std::size_t size = bytes.size();
      if (*rep == nullptr) {
        *rep = static_cast<char**>(std::calloc(size, sizeof(char*)));
        *pos = static_cast<int*>(std::calloc(size, sizeof(int)));
        *cut = static_cast<int*>(std::calloc(size, sizeof(int)));
        if (*rep == nullptr || *pos == nullptr || *cut == nullptr) throw std::bad_alloc();
      }
      for (std::size_t i = 0; i < n; ++i) {
        if (found[i].text == nullptr) continue;
        const std::string change = repOf(d, *found[i].text);
        std::free((*rep)[i]);
        (*rep)[i] = static_cast<char*>(std::malloc(change.size() + 1));
        if ((*rep)[i] == nullptr) throw std::bad_alloc();
        std::memcpy((*rep)[i], change.c_str(), change.size() + 1);
        (*pos)[i] = static_cast<int>(static_cast<std::int64_t>(i) + 1 - found[i].begin);
        (*cut)[i] = static_cast<int>(found[i].cut);
      }
    }
    if (out == nullptr) return 0;
    fillFew(values, 0, read.first, std::uint8_t{0});
    fillFew(values, read.end, n, std::uint8_t{0});
    const bool byteAChar = n == bytes.size();
    if (!anyChange) {
      writeBreaks(hyphenated, bytes, values, n, byteAChar ? nullptr : out->byteOf.data());
      return 0;
    }
    // The word with '=' at each break; a non-standard break writes its change over the
    // characters it replaces.
    const std::size_t* const byteOf = offsets(out->byteOf, n, bytes.size());
    std::string& text = out->text;
    text.clear();
    std::size_t from = 0;  // the next character not yet written
    for (std::size_t i = 0; i < n; ++i) {
      if (!(values[i] & 1u)) continue;
      if (found[i].text == nullptr) {
        if (i + 1 < from) continue;
        text.append(bytes.substr(byteOf[from], byteOf[i + 1] - byteOf[from]));
        text += '=';
        from = i + 1;
        continue;
      }
      const auto begin = static_cast<std::size_t>(found[i].begin);
      if (begin < from) continue;
      text.append(bytes.substr(byteOf[from], byteOf[begin] - byteOf[from]));
      text += repOf(d, *found[i].text);
      from = begin + found[i].cut;
    }
    text.append(bytes.substr(byteOf[from]));
    if (text.size() < hyphenatedCapacity(bytes.size())) {
      std::memcpy(hyphenated, text.c_str(), text.size() + 1);
      return 0;
    }
    // Changes longer than what they replace (a dictionary's own choice) would pass the
    // caller's buffer: the word is written with its standard breaks only, which always fit.
    out->standardValues.assign(values, values + n);
    for (std::size_t i = 0; i < n; ++i)
      if (found[i].text != nullptr) out->standardValues[i] = 0;
    writeBreaks(hyphenated, bytes, out->standardValues.data(), n, byteAChar ? nullptr : byteOf);
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
    return make(quellix::detail::readDictionaryData(quellix::readUserFile(fn), fn));
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

// libhyphen's first function reads the first level alone, by byte: a UTF-8 character's
// value stands at its last byte, and no break is kept within two bytes of either end,
// whatever the dictionary's margins.
HNJ_EXPORT int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens) {
  if (dict == nullptr || hyphens == nullptr || (word == nullptr && word_size > 0)) return -1;
  try {
    const Dictionary& dictionary = of(dict);
    DictionaryScratch& s = quellix::detail::dictionaryScratch();
    WordScratch& out = threadScratch();
    const std::string_view bytes(word, static_cast<std::size_t>(std::max(word_size, 0)));
    const DecodedWord w = decode(dictionary, bytes, s, &out.byteOf);
    quellix::detail::firstLevelValues(*dictionary.data, w.chars, s.result);
    const std::uint8_t* const values = s.result.values.data();
    const std::size_t n = w.chars.size(), size = bytes.size();
    if (n == size) {
      writeDigits(hyphens, values, n);
    } else {
      fillFew(hyphens, 0, size, '0');
      const std::size_t* const byteOf = out.byteOf.data();
      for (std::size_t k = 0; k < n; ++k) hyphens[byteOf[k + 1] - 1] = static_cast<char>('0' + values[k]);
    }
    fillFew(hyphens, 0, std::min<std::size_t>(size, 1), '0');
    fillFew(hyphens, size - std::min<std::size_t>(size, 2), size, '0');
    hyphens[size] = '\0';
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
  quellix::detail::DictionaryMargins margins;
  margins.left = lhmin;
  margins.right = rhmin;
  margins.compoundLeft = clhmin;
  margins.compoundRight = crhmin;
  return hyphenate(dict, word, word_size, hyphens, hyphword, rep, pos, cut, &margins);
}

}  // extern "C"
