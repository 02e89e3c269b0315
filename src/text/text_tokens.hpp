// The word level of running-text hyphenation: which characters make words
// (text_language.cpp), and the token that collects characters until it can be divided and
// written out (text_tokens.cpp; its quick way for ASCII tokens in text_token_ascii.cpp, its
// window-by-window division of long runs in text_token_windows.cpp). Internal.
#ifndef QUELLIX_SRC_TEXT_TOKENS_HPP
#define QUELLIX_SRC_TEXT_TOKENS_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quellix/hyphenator.hpp"
#include "hyphenator_internal.hpp"
#include "quellix/text.hpp"
#include "unicode_compose.hpp"
#include "unicode_letters.hpp"

namespace quellix::detail {

// The word characters of one hyphenator (see quellix/text.hpp): a caller's predicate, the
// characters a built-in language's character classes list, or the Unicode letters and
// marks. Building it builds a built-in language's character map, and throws what that
// throws.
class WordCharacters {
 public:
  WordCharacters(const Hyphenator& h, std::function<bool(char32_t)> custom);

  bool operator()(char32_t c) const {
    if (c < kTableSize && !custom_) return (table_[c >> 6] >> (c & 63)) & 1;
    return decide(c);
  }

 private:
  // The characters below this (the alphabets most text is written in) are looked up in a
  // bit table: one load instead of a search or a call.
  static constexpr char32_t kTableSize = 0x800;
  using Table = std::array<std::uint64_t, kTableSize / 64>;
  static const Table& lettersTable();       // isLetter
  static const Table& letterOrMarkTable();  // isLetterOrMark
  static Table tableOf(bool (*has)(char32_t));

  bool decide(char32_t c) const;
  static bool isLetter(char32_t c) noexcept;

  std::function<bool(char32_t)> custom_;
  // A built-in language's characters, sorted (kept by its hyphenator), or null.
  const std::vector<char32_t>* known_ = nullptr;
  Table table_{};  // for a built-in language or the letters; unused when custom
};

// A hyphenator as the text layer divides with it: its word characters and, once a long run
// needed it, how far a break depends on the characters around it. Building it builds the
// hyphenator's tables and throws what that throws.
class TextLanguage {
 public:
  // How far a break's dependence reaches, in characters before and after it.
  using Reach = PatternReach;

  // markup: how the text it divides is written (in HTML, '<' and '&' start markup).
  TextLanguage(const Hyphenator& h, const std::function<bool(char32_t)>& custom,
               TextMarkup markup);

  const Hyphenator& hyphenator() const noexcept { return h_; }
  const WordCharacters& isWord() const noexcept { return isWord_; }

  // What a byte of text content is to the quick way, as bits: for an ASCII character, a
  // word character (never '-', which joins words, nor NUL), a character that may make a
  // token a URL or identifier (TextOptions::skipUrls), a capital or small letter, or
  // white space; kStop for a byte the quick way leaves to the general one (not ASCII, or
  // in HTML '<' or '&').
  static constexpr std::uint8_t kWordChar = 1, kUrlChar = 2, kCapital = 4, kSmall = 8,
                                kSpace = 16, kStop = 32;
  const std::array<std::uint8_t, 256>& byteClasses() const noexcept { return bytes_; }
  // The markup given, and whether kSpace and kStop mark the usual bytes: white space ' '
  // and '\t' to '\r'; stop from 0x80 on, and '<' and '&' in HTML.
  TextMarkup markup() const noexcept { return markup_; }
  bool usualEnds() const noexcept { return usualEnds_; }
  // The ASCII word characters as a vector unit finds them: the ASCII letters (when
  // wordsFromLetters) or none, with the characters of wordExceptions() toggled. Empty
  // when that takes more than kMaxWordExceptions comparisons.
  static constexpr std::size_t kMaxWordExceptions = 8;
  bool wordsFromLetters() const noexcept { return wordsFromLetters_; }
  std::string_view wordExceptions() const noexcept { return {wordExceptions_.data(), wordExceptionCount_}; }
  bool vectorWords() const noexcept { return vectorWords_; }
  const Reach& reach();

  // The character the patterns and exceptions are given for c: c itself where the
  // hyphenator's character list knows it (or the hyphenator has no such list), else
  // Unicode's simple lower case of c, as a TeX format's lower-case codes would give, so
  // that a letter the list forgets ("W" in Catalan) matches as its small form. The
  // hyphenator's own normaliser is applied after. Never throws.
  char32_t fold(char32_t c) const noexcept {
    if (known_ == nullptr) return c;
    if (c < kKnownTableSize && ((knownBits_[c >> 6] >> (c & 63)) & 1)) return c;
    return foldUnknown(c);
  }
  // fold() of an ASCII character, and whether it changes any.
  const std::array<char, 128>& asciiFold() const noexcept { return asciiFold_; }
  bool foldsAscii() const noexcept { return foldsAscii_; }

 private:
  static constexpr char32_t kKnownTableSize = 0x800;
  char32_t foldUnknown(char32_t c) const noexcept;
  // byteClasses() without kWordChar, the same for every language in a markup, and
  // whether its white space and stops are the usual ones.
  struct ByteBase {
    std::array<std::uint8_t, 256> bits{};
    bool usualEnds = true;
  };
  static const ByteBase& byteBase(TextMarkup markup);

  const Hyphenator h_;  // a handle of its own: the word characters point into its record
  WordCharacters isWord_;
  std::array<std::uint8_t, 256> bytes_{};
  TextMarkup markup_;
  bool usualEnds_ = true;
  bool wordsFromLetters_ = false;
  bool vectorWords_ = false;
  std::array<char, kMaxWordExceptions> wordExceptions_{};
  std::size_t wordExceptionCount_ = 0;
  std::optional<Reach> reach_;
  // A built-in language's characters, sorted (kept by its hyphenator), and those below
  // kKnownTableSize as bits; null for a hyphenator given a normaliser function.
  const std::vector<char32_t>* known_ = nullptr;
  std::array<std::uint64_t, kKnownTableSize / 64> knownBits_{};
  std::array<char, 128> asciiFold_{};
  bool foldsAscii_ = false;
};

// The rules of TextOptions::skipUrls over a token of n characters: code(k) is the k-th,
// wordLike(k) whether it is a letter, digit or word character, capitalAfterSmall(k) (k >= 1)
// whether it is a capital word character right after a small one.
template <class Code, class WordLike, class CapitalAfterSmall>
bool keptWhole(std::size_t n, Code code, WordLike wordLike, CapitalAfterSmall capitalAfterSmall) {
  const auto isW = [&code](std::size_t k) { return code(k) == 'w' || code(k) == 'W'; };
  const auto between = [&](std::size_t k) { return k > 0 && k + 1 < n && wordLike(k - 1) && wordLike(k + 1); };
  std::size_t innerSlashes = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = code(i);
    if (c == ':' && i + 2 < n && code(i + 1) == '/' && code(i + 2) == '/') return true;
    if (isW(i) && i + 3 < n && isW(i + 1) && isW(i + 2) && code(i + 3) == '.' &&
        (i == 0 || !wordLike(i - 1)))
      return true;
    if ((c == '@' || c == '_' || c == '\\') && between(i)) return true;
    // "example.com", "index.html": a dot between a letter or digit and an ASCII letter.
    if (c == '.' && between(i) && ((code(i + 1) | 0x20) >= 'a' && (code(i + 1) | 0x20) <= 'z'))
      return true;
    // "/usr/share", "~/notes", "(./src)", "a/b/c" (but not "and/or" or "</b>").
    if (c == '/' && i + 1 < n && wordLike(i + 1) &&
        (i == 0 || std::u32string_view(U"~.([{\"'").find(code(i - 1)) != std::u32string_view::npos))
      return true;
    if (c == '/' && between(i) && ++innerSlashes == 2) return true;
    // "camelCase", "JavaScript": a capital right after a small letter.
    if (i > 0 && capitalAfterSmall(i)) return true;
  }
  return false;
}

// One character of a text as the scanner hands it over: its bytes, and its code point if
// the bytes are a well-formed UTF-8 sequence (a malformed byte comes alone).
struct TextChar {
  std::string_view bytes;
  char32_t code = 0;
  bool wellFormed = false;
};

// The characters of the current token, collected until the token ends, then divided word by
// word and appended to an output string. Without URL skipping a token need not be seen
// whole, so only the trailing run of word characters is kept once the token grows large,
// and a long run only a window of it with the context its next breaks depend on. Holds
// about kMaxHeldBytes bytes plus that context (more only for a hyphenator that reaches far).
class TokenWriter {
 public:
  // options and language must outlive the writer.
  TokenWriter(const TextOptions& options, TextLanguage& language);

  // Divides the tokens that follow with language, which must outlive the writer. Only
  // between tokens (the writer is empty). Never throws.
  void use(TextLanguage& language) noexcept { language_ = &language; }

  // Adds one character of text to the token. May write to out.
  void appendChar(const TextChar& c, std::string& out);

  // Adds a character reference (HTML "&...;") that stands for the character code, or for
  // none when code is 0. A reference joins the word it stands inside as its character
  // would, and a soft-hyphen reference joins words as U+00AD does. May write to out.
  void appendReference(std::string_view bytes, char32_t code, std::string& out);

  // The token is complete: divides it and writes it to out; the writer is then empty.
  void end(std::string& out);

  // True between tokens: nothing appended since the last end() or clear().
  bool empty() const noexcept {
    return units_.empty() && !copyToken_ && !copyRun_ && !longToken_ && !longPart_ &&
           !hyphenBefore_;
  }

  // The quick way (text_token_ascii.cpp), while the writer is empty(), for text content
  // made of ASCII white space and tokens of at most kMaxHeldBytes other ASCII characters
  // that white space ends: each such token is divided as appending its characters one by
  // one and then end() would. Running text is mostly such tokens; this divides them
  // without the per-character bookkeeping, a window of text at a time.
  //
  // collectAsciiWindow reads text from i on, token by token, until a token ends at or
  // past `end`, and adds the parts to divide (when divide is set) to the batch; it returns
  // where it stopped, and sets stopped when that is the start of a token the quick way
  // cannot take (one with another byte, too long, or cut by the end of text). textEnds:
  // nothing follows text, so that its end completes the token it cuts, as white space would.
  // writeAsciiBatch divides every part of the batch and appends text[from, to), which
  // holds them, with the hyphen string at each break, then empties the batch. Dividing a
  // window's words one after another and writing its text at once keeps the tables and
  // the branch predictors on one task at a time.
  std::size_t collectAsciiWindow(std::string_view text, std::size_t i, std::size_t end,
                                 bool divide, bool textEnds, bool& stopped);
  void writeAsciiBatch(std::string_view text, std::size_t from, std::size_t to, std::string& out);

  // Forgets the token. Never throws.
  void clear() noexcept;

 private:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  // Word: a word character. Mark: a combining mark that is not one, which belongs to the
  // character before it. Hyphen: U+002D or U+2010, which joins the parts of a word.
  enum class Kind : std::uint8_t { Word, Mark, SoftHyphen, Hyphen, Other };
  struct Unit {
    char32_t code;  // the character, or the one a reference stands for; 0: none
    std::uint8_t length;
    Kind kind;
    LetterClass letter;
  };

  struct PartFacts {
    bool softHyphen = false;
    bool upper = false;
    bool lower = false;
    bool compose = false;
  };
  // A hyphenator whose patterns or margins reach further than this is not followed
  // through a long run: the run is copied.
  static constexpr std::size_t kMaxReach = std::size_t{1} << 16;

  Unit unitOf(char32_t code, std::size_t length) const;
  std::size_t collectMaskedWindow(std::string_view text, std::size_t i, std::size_t end,
                                  bool textEnds, bool& stopped);
  void collectAsciiToken(const char* s, std::size_t first, std::size_t last);
  bool asciiKeptWhole(const char* s, std::size_t first, std::size_t last) const;
  void append(std::string_view bytes, Unit unit, std::string& out);
  void shrink(std::string& out);
  void dropWritten(std::size_t count);
  std::size_t bytesBefore(std::size_t unit) const;
  void divideLongRun(std::string& out);
  bool writeWindow(std::size_t partEnd, std::size_t context, std::size_t guard,
                   std::string& out);
  bool leftWhole() const;
  bool wordLike(const Unit& unit) const;
  void markLetters(std::size_t count);
  void writeUnits(std::size_t count, std::string& out);
  void writePart(std::size_t first, std::size_t last, std::size_t at, bool hyphenBefore,
                 bool hyphenAfter, std::string& out);
  PartFacts collectPart(std::size_t first, std::size_t last);
  std::size_t codeBoundary(std::size_t p) const;
  std::size_t composedBefore(std::size_t unit) const;
  void markBreaks(std::size_t from, std::size_t to, bool hyphenBefore, bool hyphenAfter);
  void emitPart(std::size_t from, std::size_t to, bool partEnds, std::size_t at,
                std::string& out);

  const TextOptions& options_;
  TextLanguage* language_;
  std::string bytes_;
  std::vector<Unit> units_;
  // Start (unit index) of the trailing run of word characters and soft hyphens, or npos.
  std::size_t runStart_ = npos;
  std::size_t shrinkAt_ = kMaxHeldBytes;  // held bytes beyond which shrink() runs
  bool copyToken_ = false;  // an overlong URL (or the like) is being copied to its end
  bool copyRun_ = false;    // an overlong part left whole is being copied to its end
  bool longToken_ = false;  // the token outgrew the limit without looking like a URL
  // units_ starts inside a part whose beginning is written: units_[0, written_) are
  // written already and kept as context (at least as many characters as the left margin
  // and the patterns' reach back, so the margin is met by every later break).
  bool longPart_ = false;
  std::size_t written_ = 0;
  bool hyphenBefore_ = false;  // a joining hyphen was written right before units_[0]
  // Scratch space.
  std::vector<std::uint8_t> isLetter_;  // per unit: part of a word
  bool compose_ = false;                // composed_ and suffixFirst_ describe letters_
  std::u32string codes_;
  std::vector<ComposedChar> composed_;
  std::u32string letters_;
  std::vector<std::size_t> sources_;  // unit index of each character of codes_
  std::vector<std::size_t> suffixFirst_;  // the first source of composed_[p, end)
  std::vector<std::size_t> prefixEnd_;    // one past the last source of composed_[0, p)
  std::vector<std::uint8_t> breakBefore_;
  std::string folded_;  // an ASCII part with the capitals its language forgets made small
  std::vector<std::size_t> breaks_;
  // The quick way's batch: parts of ASCII tokens (offsets into the text), and the breaks
  // found in them.
  struct AsciiPart {
    std::size_t first, last;
    bool hyphenBefore, hyphenAfter;  // a joining hyphen stands right before / after it
  };
  std::vector<AsciiPart> batch_;
  std::vector<std::size_t> batchBreaks_;
  std::vector<std::uint64_t> masks_;  // collectMaskedWindow's bit masks of a window
  std::array<char, 16> hyphenRoom_{};  // a short hyphen string, readable 16 bytes at once
};

// What tests see of a TextHyphenator.
struct TextHyphenatorAccess {
  // Makes t read every character the general way, without the quick way for white space
  // and ASCII tokens: the reference that the quick way is checked against. Never throws.
  static void useGeneralPath(TextHyphenator& t) noexcept;
  // Makes write() with threads cut chunks into parts of as few as bytes bytes (at least
  // 1), so that small texts exercise the cuts. Never throws.
  static void setMinimumPart(TextHyphenator& t, std::size_t bytes) noexcept;
  // t.write(last, out) then t.finish(out), the same output, with the quick way taking the
  // text's last token too (nothing can follow it): what a whole text is divided with.
  // Throws as write() and finish().
  static void finishWith(TextHyphenator& t, std::string_view last, std::string& out);
};

}  // namespace quellix::detail

#endif
