// Running text: inserting a hyphen string at every permitted break of every word of a
// UTF-8 text, plain or HTML, whole or chunk by chunk.
//
//   std::string out = quellix::hyphenateText(quellix::english_US, "Hyphenation matters.");
//   // "Hy\u00ADphen\u00ADation mat\u00ADters."  (U+00AD SOFT HYPHEN at each break)
//
// What is a word. A text is cut into tokens at white space (the Unicode White_Space
// characters, no-break spaces included) and, in HTML, at markup. Inside a token a word is
// a maximal run of word characters:
//   - for a built-in language's hyphenator (or one derived from it), the characters its
//     character-class data lists (both the normal forms and their variants: for English
//     a-z and A-Z, for French also the apostrophes, for Hindi the Devanagari letters and
//     signs, ...), and every other Unicode letter: a letter the list forgets (Catalan's
//     "k" and "w", Turkish "w", Upper Sorbian "v" and "x", an "ï" in English) belongs to
//     the word, and the patterns and exceptions see it in Unicode's simple lower case
//     ("W" as "w"), as a TeX format's lower-case codes give it; the word API
//     (hyphenate(), breakPoints()) keeps the language's normaliser alone;
//   - for any other hyphenator, TextOptions::isWordCharacter, by default the Unicode
//     letters and combining marks plus U+200C/U+200D (the joiners used inside words);
//   - a soft hyphen (U+00AD; in HTML also &shy;, &#173;, &#xAD;) between two word
//     characters continues the word: "hy\u00ADphen" is one word that contains a soft hyphen.
//   - a combining mark belongs to the character before it: a character and its marks are
//     word characters when their composed form (Unicode NFC) starts with one, so a word
//     written in decomposed form ("e\u0301le\u0301ment") is a word exactly when its composed
//     form is;
//   - a hyphen (U+002D or U+2010) between two word characters joins the parts of a word
//     ("well-known"), even where a language lists the hyphen among its characters.
// Each part of a word is divided with breakPoints() on the composed form of its characters
// (soft hyphens taken out) and the hyphen string is inserted at each break, except where a
// soft hyphen already stands, next to a hyphen that joins parts, and between a character
// and its combining marks. Each part keeps the margins and options.minWordLength (counted in
// composed characters).
// Everything else, and every byte that is not well-formed UTF-8, is copied unchanged, so
// removing the inserted hyphen strings from the output gives back the input byte for byte.
//
// HTML. Only text content is divided. Tags with their attributes, comments (<!-- -->),
// <!DOCTYPE> and other <!...> or <?...?> declarations, CDATA sections, and character
// references (an '&' with the ASCII letters, digits and '#' after it and an optional ';')
// are copied unchanged, and no hyphen ever lands inside a character reference. A reference
// that stands for a word character (numeric, or a named letter such as &eacute;) joins the
// word as that character would ("inter&#x6E;ational" is one word); a soft-hyphen or
// no-break-space reference joins or separates as the character would; any other reference
// ends the word it touches. The contents of script, style, textarea, title, xmp, iframe,
// noembed and noframes (up to their end tag, found as a browser finds it, including the
// escaped "<!-- <script>...</script> -->" forms inside a script: no line of a page is
// broken there), everything after a plaintext start tag, and the contents of pre and code
// (counting nested pre and code elements) are copied unchanged; noscript is divided. Tag names are
// matched without regard to case; a '/' before a tag's '>' closes nothing, as in HTML. A
// '<' not followed by a letter, '/', '!' or '?' is text, as in HTML.
//
// Languages in HTML (unless TextOptions::followLang is false). The text inside an element is
// divided in the language that the nearest lang attribute in scope names, resolved with
// findLanguage() (quellix/language_tag.hpp) after the ASCII white space around the value
// is stripped (as HTML strips it; a value is then cut to 64 bytes), with that language's
// word characters; where no attribute is in scope, the hyphenator given divides it. An
// element with both lang and xml:lang follows lang; one with only xml:lang follows that.
// Where the attribute names no language the library has, one this build leaves out
// (languageBuiltIn()), or is empty (lang=""), the text is copied undivided, and
// TextHyphenator::onUnknownLanguage() hears of the value. A language whose built-in hyphenator
// the given one is, or was derived from (withExceptions(), ...), is divided with the given
// one, so its own exceptions and margins serve; any other with its shared
// languageHyphenator(). Attribute values are taken as written (character references in
// them are not decoded); names without regard to case; a repeated attribute counts the
// first time only. Elements nest as HTML's tree building nests them (in a page with a
// DOCTYPE): a start tag closes what HTML closes before it (a p at the next block, a
// heading at the next heading, a list item at the next item, dt or dd at the next dt or
// dd, a cell at the next cell or row, a link at the next link, a button at the next
// button, rt and rp at the next ruby text, an option at the next option); an end tag
// closes its element and all opened after it where HTML does, and nothing where HTML
// ignores it (no such element open, or one beyond a table cell or a special element such
// as div; </body> and </html> close nothing; </form> closes the form alone); void
// elements (br, img, ...), the raw-text elements, head (text there begins the body) and a
// form inside a form open nothing; "/>" closes an element only inside svg and math (HTML
// ignores it elsewhere: <div lang="fr"/> opens a div in French); table parts outside a
// table are ignored. Not followed: a formatting element (b, i, a, ...) that HTML opens
// again after a misnested end tag, and elements HTML moves out of a table. At most
// kMaxLangDepth elements are tracked: past that, further elements are only counted, each
// end tag closes one of them until none is left, and their text keeps the language of the
// deepest tracked element.
//
// Memory. Hyphenation works on a window: TextHyphenator holds back only what cannot be
// decided yet (a partial UTF-8 sequence, a partial character reference, a '<', and the
// current word, or the current token when URLs are skipped, since "://" may still come).
// A held token that grows past kMaxHeldBytes (4 KiB) is no longer kept whole: if what is
// held looks like a URL (see skipUrls) the rest of it is copied as it is; otherwise its
// words are written out as they are decided. A run of letters of any length (Thai, Lao
// and other scripts written without spaces) is divided window by window with exactly the
// breaks the whole run gets: a break depends only on the letters within the patterns'
// reach and on the margins at the run's ends, so each window keeps only that much context.
// For a part longer than the window, skipSoftHyphenated and skipCapitals look at its first
// window only; a hyphenator whose patterns or margins reach beyond 65,536 characters has
// such a part copied undivided. Memory stays bounded whatever the input, and
// hyphenateText() applies the same rules, so whole-text and chunked output are identical.
#ifndef QUELLIX_TEXT_HPP
#define QUELLIX_TEXT_HPP

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "quellix/export.hpp"
#include "quellix/hyphenator.hpp"

namespace quellix {

namespace detail {
struct TextHyphenatorAccess;
}

// How a text is written: plain text, or HTML whose markup is left alone.
enum class TextMarkup { Plain, Html };

// How running text is hyphenated. The defaults suit text shown in a browser or a word
// processor that breaks lines at soft hyphens.
//
// Its fields are frozen for as long as the library's ABI number (the SONAME,
// libquellix.so.1) stays: no field is added, removed, reordered or retyped. A program
// lays out a TextOptions itself (an aggregate, so that `options.hyphen = "-"` and
// designated initialisers work), so any change of its layout would make a program built
// against this header hand the library an object of the wrong size; a size field inside
// the object cannot help, since the library cannot tell how large the caller's object
// really is without reading it. An option that a later version adds therefore comes with
// new functions (a new options type or a new parameter), new exported symbols beside the
// ones a program built against this header calls, which keep working unchanged. CI
// compares the library's ABI with the last release's (abi/) and fails on any change of
// this layout that does not change the SONAME. The C API's quellix_text_options, which
// programs pass by pointer with its size, grows instead.
struct TextOptions {
  // Inserted at each break. Default: U+00AD SOFT HYPHEN, as UTF-8.
  std::string hyphen = "\u00AD";
  // Words of fewer characters (code points, soft hyphens not counted) are left whole.
  std::size_t minWordLength = 5;
  // Leave a word that contains a soft hyphen as it is: someone has divided it already.
  // When false, such a word gets the breaks it lacks (none next to an existing one).
  bool skipSoftHyphenated = true;
  // Leave words in capitals as they are: words with an upper-case letter and no lower-case
  // one ("NASA", "UNESCO", "HTML5"), by the Unicode letter case.
  bool skipCapitals = false;
  // Leave tokens that a writer keeps whole as they are: URLs, e-mail addresses, domain
  // names and paths, and program identifiers. A token counts as one when it contains
  // "://"; or "www." (in any letter case) not preceded by a letter, digit or word
  // character; or an '@', '_' or '\\' with a letter, digit or word character on both sides;
  // or a '.' between such a character and an ASCII letter ("example.com", "index.html");
  // or a '/' before such a character at the token's start or after one of ~ . ( [ { " '
  // ("/usr", "~/notes"), or two '/' between such characters ("a/b/c", not "and/or"); or a
  // capital word character right after a small one ("camelCase", "JavaScript").
  bool skipUrls = true;
  // Plain text or HTML.
  TextMarkup markup = TextMarkup::Plain;
  // In HTML, divide each element's text in the language its lang attribute names (see the
  // top of this header). False: the hyphenator given divides all the text.
  bool followLang = true;
  // The word characters for a hyphenator that is not a built-in language's; when set, used
  // for every hyphenator, built-in ones included. Empty: see the top of this header. Called
  // from the thread that hyphenates; must not throw.
  std::function<bool(char32_t)> isWordCharacter = {};
};

// One character of UTF-8 text as the library reads it: its length in bytes and, when those
// bytes are a well-formed sequence, its code point.
struct Utf8Char {
  std::size_t length = 0;  // 1 to 4; 0 only for an empty text
  char32_t code = 0;       // the code point; 0 when malformed
  bool wellFormed = false;
};

// The character that text starts with, read as every UTF-8 function of the library reads
// one (hyphenate and breakPoints of a UTF-8 word, hyphenateText, ...): a well-formed UTF-8
// sequence (shortest form, no surrogate, at most U+10FFFF), or else the first byte alone,
// a malformed character of its own, after which reading goes on at the next byte. An
// empty text gives length 0. Never throws. Thread-safe.
QUELLIX_API Utf8Char firstUtf8Char(std::string_view text) noexcept;

// The longest token that is held whole, in bytes: with skipUrls, a longer one counts as
// a URL only if what was held of it did; and the window in which long runs are divided.
inline constexpr std::size_t kMaxHeldBytes = 4096;

// In HTML, the most open elements whose languages are tracked; see the top of this header.
inline constexpr std::size_t kMaxLangDepth = 512;

// text with options.hyphen inserted at every permitted break of every word, as described
// at the top of this header. Builds h's tables first, and throws what that throws
// (DataFileError, DecompressionError), ScoreError in the case hyphenate() documents, and
// std::bad_alloc. Thread-safe.
[[nodiscard]] QUELLIX_API std::string hyphenateText(const Hyphenator& h, std::string_view text,
                                      const TextOptions& options = {});

// hyphenateText() with options.markup = TextMarkup::Html. Throws as hyphenateText.
// Thread-safe.
[[nodiscard]] QUELLIX_API std::string hyphenateHtml(const Hyphenator& h, std::string_view html,
                                      const TextOptions& options = {});

// Hyphenates one text that arrives in chunks, producing output as it goes: after each
// write() the output so far is everything that can be decided, and the memory held is
// bounded (see the top of this header). The concatenated output of write() calls and
// finish() equals hyphenateText() of the concatenated chunks, however the text is cut.
//
// Holds its own handle to h (copying a Hyphenator is cheap), so h need not outlive it. One
// object serves one stream at a time (not thread-safe); separate objects may run in
// separate threads. If a call throws, the text held back is lost; reset() makes the object
// usable again. A moved-from object may only be destroyed or assigned to.
class QUELLIX_API TextHyphenator {
 public:
  // Builds h's tables (so that later calls fail only for lack of memory). Throws
  // DataFileError or DecompressionError for a built-in language's missing or damaged data,
  // and std::bad_alloc.
  explicit TextHyphenator(const Hyphenator& h, const TextOptions& options = {});
  ~TextHyphenator();
  TextHyphenator(TextHyphenator&&) noexcept;
  TextHyphenator& operator=(TextHyphenator&&) noexcept;

  // Takes the next chunk of the text and appends to out what it can decide. A chunk may
  // end anywhere, inside a UTF-8 sequence, a word or a tag. Throws ScoreError as
  // hyphenate() does, and std::bad_alloc; in HTML, where a lang attribute first names a
  // language, what building its tables throws (DataFileError, DecompressionError).
  void write(std::string_view chunk, std::string& out);

  // write(chunk, out) on up to `threads` threads, this one included: the chunk is cut at
  // places where nothing is held back (after white space in text content; in HTML also
  // inside comments and raw-text elements, with the markup state and the languages of the
  // open elements carried over to the cut), the parts (several per thread, each taken by
  // the next thread that is free) are divided at once and appended in order, so out
  // receives byte for byte what write(chunk, out) appends. Pays for chunks of a few
  // hundred kilobytes and more; a smaller chunk, or one with no such place, is written on
  // this thread; when a thread cannot be started, the others divide its parts.
  // options.isWordCharacter, when set, is called from these threads at once. Throws as
  // write() (what a part throws; the text held back is then lost, as for write()).
  void write(std::string_view chunk, std::string& out, unsigned threads);

  // Ends the text: appends everything still held back to out and makes the object ready
  // for a new text. Throws as write().
  void finish(std::string& out);

  // Forgets everything held back and starts a new text, and which lang values
  // onUnknownLanguage() has reported. Never throws.
  void reset() noexcept;

  // In HTML with followLang: report is called with each lang (or xml:lang) value that
  // names no language this build has (findLanguage() finds none, or one that
  // languageBuiltIn() says the build left out), so that the caller can warn; the element's
  // text is left undivided all the same. The value comes as written, without the ASCII
  // white space around it, cut to 64 bytes; lang="" is not reported. Each distinct value
  // once in the object's life (up to 256 values; reset() forgets them), in the order of the
  // text, on the thread that called write() or finish(), when that call's output is
  // complete (after the threads of write(chunk, out, threads) are done); what report
  // throws leaves that call as a failure of write() does (the output already appended
  // stays). Replaces the function given before; an empty one reports nothing (the
  // default). Never throws.
  void onUnknownLanguage(std::function<void(std::string_view value)> report) noexcept;

 private:
  friend struct detail::TextHyphenatorAccess;
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quellix

#endif
