// The state of one running text as it streams through: the markup the scanner has read, the
// open elements and their languages, and the token being collected. Shared by the files of
// the text layer, each of which defines one group of TextStream's member functions:
//   text_scanner.cpp      the character loop, the quick way through ASCII text, finish/reset
//   text_html.cpp         each character in its state: the HTML markup states (tags,
//                         attributes, comments, references, raw text and script contents),
//                         and text content handed to the token writer
//   text_lang_scopes.cpp  the open elements, HTML's implied end tags, and which language
//                         divides the text inside them
//   text_parallel.cpp     dividing one chunk on several threads
// Internal.
#ifndef QUELLIX_SRC_TEXT_TEXT_STREAM_HPP
#define QUELLIX_SRC_TEXT_TEXT_STREAM_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hyphenator_internal.hpp"
#include "quellix/language_enum.hpp"
#include "quellix/text.hpp"
#include "text_tokens.hpp"
#include "utf8_decode.hpp"

namespace quellix::detail {

inline bool isAsciiLetter(char32_t c) noexcept { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
inline bool isAsciiDigit(char32_t c) noexcept { return c >= '0' && c <= '9'; }
inline bool isHtmlSpace(char32_t c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
inline char32_t asciiLower(char32_t c) noexcept { return c >= 'A' && c <= 'Z' ? c + 0x20 : c; }

// The character at the start of bytes[0, size) (size >= 1): a well-formed sequence, or one
// malformed byte.
inline TextChar charAt(const char* bytes, std::size_t size) noexcept {
  TextChar c;
  const std::size_t length =
      decodeUtf8Sequence(reinterpret_cast<const unsigned char*>(bytes), size, c.code);
  c.wellFormed = length != 0;
  c.bytes = std::string_view(bytes, length != 0 ? length : 1);
  if (!c.wellFormed) c.code = 0;
  return c;
}

// The elements whose contents are left alone, and the longest of their names.
inline constexpr std::size_t kMaxTagName = 9;  // plaintext
inline bool isRawTextElement(std::string_view name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title" ||
         name == "xmp" || name == "iframe" || name == "noembed" || name == "noframes" ||
         name == "plaintext";
}
inline bool isVerbatimElement(std::string_view name) { return name == "pre" || name == "code"; }

// Tag and element names longer than this are compared by their first kMaxElementName + 1
// bytes.
inline constexpr std::size_t kMaxElementName = 32;
// Attribute names longer than this are none that matter ("xml:lang").
inline constexpr std::size_t kMaxAttributeName = 8;
// A lang value is kept up to this many bytes: a longer one resolves as its leading subtags
// that fit, which is what the language lookup would come down to anyway (no name, affix or
// alias is nearly this long).
inline constexpr std::size_t kMaxLangValue = 64;

// A lang attribute's value, collected as it streams through, with the ASCII white space
// around it left out as HTML strips it: the cut at kMaxLangValue applies to what is left.
struct LangValue {
  bool present = false;
  bool cut = false;  // longer than kMaxLangValue
  std::string text;
  std::size_t blanks = 0;  // white space after text: kept only when more follows

  void clear() {
    present = false;
    cut = false;
    text.clear();
    blanks = 0;
  }
  // One character of the value.
  void append(std::string_view bytes) {
    if (bytes.size() == 1 && isHtmlSpace(static_cast<unsigned char>(bytes[0]))) {
      if (!text.empty() && !cut && blanks <= kMaxLangValue) ++blanks;
      return;
    }
    if (!cut && text.size() + blanks + bytes.size() <= kMaxLangValue) {
      text.append(blanks, ' ');
      text.append(bytes);
    } else {
      cut = true;
    }
    blanks = 0;
  }
  // The value as the lookup should see it.
  std::string_view tag() const {
    std::string_view value = text;
    if (cut && value.find_first_of(".@") == std::string_view::npos) {
      const std::size_t dash = value.find_last_of("-_");
      value = dash == std::string_view::npos ? std::string_view() : value.substr(0, dash);
    }
    return value;
  }
};

// Which language divides some text: the caller's hyphenator, the built-in language whose
// enumeration index it is, or none (the text is copied undivided).
using LanguageRef = std::int32_t;
inline constexpr LanguageRef kCallerLanguage = -1;
inline constexpr LanguageRef kNoLanguage = -2;

// Where the scanner is. Text is the only state in plain mode.
enum class Mode {
  Text,             // text content
  AfterLt,          // a '<' in text, held until the next character shows what it is
  EndTagOpen,       // "</"
  TagName,          // the name of a start or end tag
  InTag,            // between attributes
  AfterEquals,      // after an attribute's '='
  ValueDouble,      // attribute value in "..."
  ValueSingle,      // attribute value in '...'
  ValueUnquoted,    // attribute value without quotes
  Declaration,      // "<!"
  CommentStart,     // "<!-"
  Comment,          // "<!--" up to "-->"
  CdataOpen,        // "<![" matching "CDATA["
  Cdata,            // "<![CDATA[" up to "]]>"
  Bogus,            // "<?", "<!DOCTYPE", ... up to '>'
  Reference,        // "&" and what follows, held in reference
  LongReference,    // a reference past kMaxReference, passed on byte by byte
  RawText,          // inside script, style, textarea or title, up to its end tag
};

// Where a script's contents are, as the HTML parser tracks them: inside "<!--" a
// "<script" starts a nested (double-escaped) part in which "</script" does not end it.
enum class Script {
  Data, LessThan, EndTagOpen, EndTagName,
  EscapeStart, EscapeStartDash, Escaped, EscapedDash, EscapedDashDash, EscapedLessThan,
  DoubleEscapeStart, DoubleEscaped, DoubleEscapedDash, DoubleEscapedDashDash,
  DoubleEscapedLessThan, DoubleEscapeEnd,
};

// Where the scanner stands in the text: everything that the text read so far decides
// except the token being collected. Taken where no token is open and given to another
// TextHyphenator, it makes that one go on exactly as this one would.
struct Markup {
  struct OpenElement {
    std::string name;
    LanguageRef language;
  };
  std::vector<OpenElement> open;   // at most kMaxLangDepth
  std::uint64_t untracked = 0;     // elements opened beyond kMaxLangDepth, saturating
  bool formPending = false;        // a form was opened and its end tag has not come
  // The attributes of the tag being read.
  std::string attributeName;   // lower case, at most kMaxAttributeName + 1 bytes
  bool attributeNameEnded = false;
  enum class ValueInto : std::uint8_t { None, Lang, XmlLang };
  ValueInto valueInto = ValueInto::None;  // where the attribute value being read goes
  LangValue lang;
  LangValue xmlLang;
  bool slash = false;  // the tag's last character was a '/' outside a value

  std::string carry;  // the start of a UTF-8 sequence that the chunk cut short
  Mode mode = Mode::Text;
  std::string tagName;       // lower case, at most kMaxElementName + 1 characters
  bool endTag = false;
  std::uint64_t verbatimDepth = 0;  // open pre and code elements, saturating
  std::string rawEnd;        // in RawText: "</" + the element's name
  std::size_t rawMatched = 0;  // how much of rawEnd the last characters matched
  Script script = Script::Data;
  Script scriptReturn = Script::Data;  // where a failed end tag goes back to
  std::string scriptName;              // the tag name being read, lower case, cut at 7
  std::size_t count = 0;     // dashes in Comment, ']' in Cdata, matched bytes in CdataOpen
  bool bang = false;         // "--!" in a comment
  std::string reference;

  LangValue* valueTarget() noexcept {
    return valueInto == ValueInto::Lang ? &lang : valueInto == ValueInto::XmlLang ? &xmlLang : nullptr;
  }
};

// The character map of a built-in language's hyphenator (shared with the hyphenators
// derived from it), or null for any other.
inline const CharMap* builtinCharMap(const Hyphenator& h) { return hyphenatorCharMap(h); }

// One text as it streams through: TextHyphenator's state.
class TextStream : public Markup {
 public:
  TextStream(const Hyphenator& hyphenator, TextOptions textOptions)
      : options(std::move(textOptions)),
        callerLanguage(hyphenator, options.isWordCharacter, options.markup),
        callerMap(builtinCharMap(hyphenator)),
        token(options, callerLanguage),
        byteKind(byteKindsOf(options.markup).kinds),
        followLang(options.markup == TextMarkup::Html && options.followLang) {}

  // text_scanner.cpp: the character loop. last: nothing follows chunk (finish() comes
  // next), so that the quick way may take a token that the chunk's end cuts.
  void write(std::string_view chunk, std::string& out, bool last = false);
  void finish(std::string& out);
  void reset() noexcept;
  std::size_t takeCarry(std::string_view chunk);
  std::size_t stepAt(std::string_view chunk, std::size_t i);
  std::size_t writeText(std::string_view chunk, std::size_t i, bool last);

  // text_html.cpp: each character read in its state (the HTML markup states; plain text
  // has only text content), text content handed to the token writer.
  void step(const TextChar& c);
  bool readChar(const TextChar& c);
  void textChar(const TextChar& c);
  void markup(std::string_view bytes);
  void endOfTag();
  void endReference();
  bool scriptChar(char32_t code);
  void endRawText(char32_t code);
  void beginTag(bool end);
  void tagChar(char32_t code, bool wellFormed);
  void endAttributeValue();

  // text_lang_scopes.cpp: open elements and their languages.
  void openElement();
  void closeElement();
  bool closeImplied();
  void popTo(std::size_t depth);
  void scopeChanged();
  LanguageRef languageOf(const LangValue& value);
  TextLanguage* resolve(std::size_t index);
  TextLanguage* languageAt(LanguageRef language);
  void noteUnknownLanguage(std::string_view value);
  void reportUnknownLanguages();

  // text_parallel.cpp: dividing one chunk on several threads.
  struct Cut {
    std::size_t at;  // the offset in the chunk
    Markup markup;   // the state there
  };
  void writeParallel(std::string_view chunk, std::string& out, unsigned threads);
  std::vector<Cut> findCuts(std::string_view chunk, const std::vector<std::size_t>& targets);
  static std::size_t markupByteFrom(std::string_view chunk, std::size_t i, std::size_t end) noexcept;
  bool cutAfter(char byte) const noexcept;
  void restore(const Markup& markup);

  bool copying() const noexcept { return verbatimDepth > 0 || current == nullptr; }

  const TextOptions options;
  TextLanguage callerLanguage;
  const CharMap* callerMap;  // when the caller's hyphenator is a built-in one's
  TokenWriter token;
  std::string* out = nullptr;

  // How the quick way of writeText() sees a byte in text content.
  enum class ByteKind : std::uint8_t {
    Ascii,  // ASCII, no white space, no markup
    Space,  // ASCII white space
    Other,  // not ASCII, or (in HTML) '<' or '&'
  };
  struct ByteKinds {
    std::array<ByteKind, 256> kinds{};
  };
  static const ByteKinds& byteKindsOf(TextMarkup markup);
  const std::array<ByteKind, 256>& byteKind;

  bool fast = true;  // false: every character the general way (the reference for tests)
  bool scanning = false;  // a scout: follows the markup, divides and writes nothing
  std::size_t minPart = std::size_t{64} << 10;  // below this a part is not worth a thread
  std::unique_ptr<TextStream> scout;                 // finds the cuts in HTML
  std::vector<std::unique_ptr<TextStream>> workers;  // divide the parts between them
  std::string partOut;  // the output of one part, kept to be reused by the next chunk

  const bool followLang;
  // Languages named by lang attributes. resolved[L]: the one that divides language L, made
  // on first use (the caller's own when it is L's built-in hyphenator or derived from it).
  std::array<std::unique_ptr<TextLanguage>, languageCount> builtins;
  std::array<TextLanguage*, languageCount> resolved{};
  TextLanguage* current = &callerLanguage;  // for the text here; null: undivided
  // lang values that name no language this build has: not yet reported (in text order),
  // and reported to unknownLanguage, the caller's function (TextHyphenator::onUnknownLanguage).
  std::vector<std::string> unknownLanguages;
  std::function<void(std::string_view)> unknownLanguage;
  std::vector<std::string> reportedLanguages;
};

}  // namespace quellix::detail

#endif
