// Running-text hyphenation: the character scanner, with the HTML markup states, over the
// token writer of text_tokens.cpp.
#include "quellix/text.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
#include <emmintrin.h>
#endif

#include "hyphenator_internal.hpp"
#include "quellix/error.hpp"
#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "text_tokens.hpp"
#include "unicode_letters.hpp"
#include "utf8_decode.hpp"
#include "visibility.hpp"

namespace quellix {
namespace {

using detail::TextChar;

bool isAsciiLetter(char32_t c) noexcept { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isAsciiDigit(char32_t c) noexcept { return c >= '0' && c <= '9'; }
bool isHtmlSpace(char32_t c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
char32_t asciiLower(char32_t c) noexcept { return c >= 'A' && c <= 'Z' ? c + 0x20 : c; }

// The character at the start of bytes[0, size) (size >= 1): a well-formed sequence, or one
// malformed byte.
TextChar charAt(const char* bytes, std::size_t size) noexcept {
  TextChar c;
  const std::size_t length =
      detail::decodeUtf8Sequence(reinterpret_cast<const unsigned char*>(bytes), size, c.code);
  c.wellFormed = length != 0;
  c.bytes = std::string_view(bytes, length != 0 ? length : 1);
  if (!c.wellFormed) c.code = 0;
  return c;
}

// The value of a numeric character reference body ("#233", "#x00E9"), or -1.
long referenceValue(std::string_view body) noexcept {
  if (body.size() < 2 || body[0] != '#') return -1;
  const bool hex = body[1] == 'x' || body[1] == 'X';
  std::size_t k = hex ? 2 : 1;
  if (k == body.size()) return -1;
  long value = 0;
  for (; k < body.size(); ++k) {
    const char32_t c = static_cast<unsigned char>(body[k]);
    int digit;
    if (isAsciiDigit(c))
      digit = static_cast<int>(c - '0');
    else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
      digit = static_cast<int>((c | 0x20) - 'a' + 10);
    else
      return -1;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return -1;
  }
  return value;
}

struct NamedReference {
  std::string_view name;
  char32_t code;
};
constexpr NamedReference kNamedLetters[] = {
#include "text_entities.inc"
};

// The letter a named reference body ("eacute") stands for, or 0.
char32_t namedReference(std::string_view body) noexcept {
  const auto* found = std::lower_bound(
      std::begin(kNamedLetters), std::end(kNamedLetters), body,
      [](const NamedReference& entry, std::string_view key) { return entry.name < key; });
  return found != std::end(kNamedLetters) && found->name == body ? found->code : 0;
}

// Character references longer than this are not collected whole: their bytes join the
// token one by one, still as part of the reference.
constexpr std::size_t kMaxReference = 32;

// The elements whose contents are left alone, and the longest of their names.
constexpr std::size_t kMaxTagName = 9;  // plaintext
bool isRawTextElement(std::string_view name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title" ||
         name == "xmp" || name == "iframe" || name == "noembed" || name == "noframes" ||
         name == "plaintext";
}
bool isVerbatimElement(std::string_view name) { return name == "pre" || name == "code"; }

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that have no contents and no end tag.
bool isVoidElement(std::string_view name) {
  return isOneOf(name, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                        "meta", "param", "source", "track", "wbr"});
}

// Start tags that end an open p element, as in HTML.
bool closesParagraph(std::string_view name) {
  return isOneOf(name, {"address", "article", "aside", "blockquote", "center", "details",
                        "dialog", "dir", "div", "dl", "fieldset", "figcaption", "figure",
                        "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6", "header",
                        "hgroup", "hr", "main", "menu", "nav", "ol", "p", "pre", "listing",
                        "section", "search", "summary", "table", "ul", "li", "dd", "dt",
                        "xmp", "plaintext"});
}

// Elements that an implied end tag never looks beyond (HTML's scope boundaries).
bool isScopeBoundary(std::string_view name) {
  return isOneOf(name, {"applet", "caption", "html", "table", "td", "th", "marquee", "object",
                        "template", "button"});
}

// Tag and element names longer than this are compared by their first kMaxElementName + 1
// bytes.
constexpr std::size_t kMaxElementName = 32;
// Attribute names longer than this are none that matter ("xml:lang").
constexpr std::size_t kMaxAttributeName = 8;
// A lang value is kept up to this many bytes: a longer one resolves as its leading subtags
// that fit, which is what the language lookup would come down to anyway (no name, affix or
// alias is nearly this long).
constexpr std::size_t kMaxLangValue = 64;

// A lang attribute's value, collected as it streams through.
struct LangValue {
  bool present = false;
  bool cut = false;  // longer than kMaxLangValue
  std::string text;

  void clear() {
    present = false;
    cut = false;
    text.clear();
  }
  void append(std::string_view bytes) {
    if (!cut && text.size() + bytes.size() <= kMaxLangValue)
      text.append(bytes);
    else
      cut = true;
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
constexpr LanguageRef kCallerLanguage = -1;
constexpr LanguageRef kNoLanguage = -2;

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
const detail::CharMap* builtinCharMap(const Hyphenator& h) { return detail::hyphenatorCharMap(h); }

}  // namespace

// Hidden: the state is the library's own, however public TextHyphenator is.
struct QUELLIX_HIDDEN TextHyphenator::State : Markup {

  State(const Hyphenator& hyphenator, TextOptions textOptions)
      : options(std::move(textOptions)),
        callerLanguage(hyphenator, options.isWordCharacter),
        callerMap(builtinCharMap(hyphenator)),
        token(options, callerLanguage),
        byteKind(byteKindsOf(options.markup).kinds),
        asciiSpacesUsual(byteKindsOf(options.markup).usualSpaces),
        followLang(options.markup == TextMarkup::Html && options.followLang) {}

  void write(std::string_view chunk, std::string& out);
  void finish(std::string& out);
  void reset() noexcept;

  std::size_t writeText(std::string_view chunk, std::size_t i);
  std::size_t asciiRunEnd(std::string_view chunk, std::size_t i, std::size_t end) const noexcept;
  static std::size_t markupByteFrom(std::string_view chunk, std::size_t i, std::size_t end) noexcept;
  std::size_t takeCarry(std::string_view chunk);
  std::size_t stepAt(std::string_view chunk, std::size_t i);

  // Dividing one chunk on several threads.
  struct Cut {
    std::size_t at;  // the offset in the chunk
    Markup markup;   // the state there
  };
  void writeParallel(std::string_view chunk, std::string& out, unsigned threads);
  std::vector<Cut> findCuts(std::string_view chunk, const std::vector<std::size_t>& targets);
  bool cutAfter(char byte) const noexcept;
  void restore(const Markup& markup);
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
  void openElement();
  void closeElement();
  void closeImplied();
  void popTo(std::size_t depth);
  void scopeChanged();
  LanguageRef languageOf(const LangValue& value);
  detail::TextLanguage* resolve(std::size_t index);
  detail::TextLanguage* languageAt(LanguageRef language);
  bool copying() const noexcept { return verbatimDepth > 0 || current == nullptr; }

  const TextOptions options;
  detail::TextLanguage callerLanguage;
  const detail::CharMap* callerMap;  // when the caller's hyphenator is a built-in one's
  detail::TokenWriter token;
  std::string* out = nullptr;

  // How the quick way of writeText() sees a byte in text content.
  enum class ByteKind : std::uint8_t {
    Ascii,  // ASCII, no white space, no markup
    Space,  // ASCII white space
    Other,  // not ASCII, or (in HTML) '<' or '&'
  };
  struct ByteKinds {
    std::array<ByteKind, 256> kinds{};
    bool usualSpaces = true;  // the ASCII white space is ' ' and '\t' to '\r'
  };
  static const ByteKinds& byteKindsOf(TextMarkup markup);
  const std::array<ByteKind, 256>& byteKind;
  const bool asciiSpacesUsual;

  bool fast = true;  // false: every character the general way (the reference for tests)
  bool scanning = false;  // a scout: follows the markup, divides and writes nothing
  std::size_t minPart = std::size_t{64} << 10;  // below this a part is not worth a thread
  std::unique_ptr<State> scout;                  // finds the cuts in HTML
  std::vector<std::unique_ptr<State>> workers;   // divide the parts between them
  std::string partOut;  // the output of one part, kept to be reused by the next chunk

  const bool followLang;
  // Languages named by lang attributes. resolved[L]: the one that divides language L, made
  // on first use (the caller's own when it is L's built-in hyphenator or derived from it).
  std::array<std::unique_ptr<detail::TextLanguage>, languageCount> builtins;
  std::array<detail::TextLanguage*, languageCount> resolved{};
  detail::TextLanguage* current = &callerLanguage;  // for the text here; null: undivided
};

// Completes a sequence the last chunk cut short (its bytes may also turn out malformed).
// Returns where the chunk goes on, or chunk.size() when all of it went into carry.
std::size_t TextHyphenator::State::takeCarry(std::string_view chunk) {
  std::size_t i = 0;
  while (!carry.empty()) {
    const std::size_t take = std::min(chunk.size() - i, 4 - carry.size());
    std::string joint = carry;
    joint.append(chunk.substr(i, take));
    const auto* bytes = reinterpret_cast<const unsigned char*>(joint.data());
    if (detail::isUtf8Prefix(bytes, joint.size())) {  // the chunk is used up
      carry = std::move(joint);
      return chunk.size();
    }
    const TextChar c = charAt(joint.data(), joint.size());
    const std::size_t length = c.bytes.size();
    step(c);
    if (length >= carry.size()) {
      i += length - carry.size();
      carry.clear();
    } else {
      carry.erase(0, length);
    }
  }
  return i;
}

// Reads the character at chunk[i] and returns where the next one starts, or chunk.size()
// when the chunk ends inside it (then it waits in carry).
std::size_t TextHyphenator::State::stepAt(std::string_view chunk, std::size_t i) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data() + i);
  if (bytes[0] < 0x80) {
    step(TextChar{chunk.substr(i, 1), bytes[0], true});
    return i + 1;
  }
  if (bytes[0] >= 0xC2 && detail::isUtf8Prefix(bytes, chunk.size() - i)) {
    carry.assign(chunk.substr(i));
    return chunk.size();
  }
  const TextChar c = charAt(chunk.data() + i, chunk.size() - i);
  step(c);
  return i + c.bytes.size();
}

void TextHyphenator::State::write(std::string_view chunk, std::string& output) {
  out = &output;
  std::size_t i = takeCarry(chunk);
  while (i < chunk.size()) {
    if (fast && mode == Mode::Text) {
      i = writeText(chunk, i);
      if (i == chunk.size()) break;
    }
    i = stepAt(chunk, i);
  }
}

// Where a text may be cut: right after chunk[at] has been read (an ASCII character), in a
// state in which no token is open. Text content after white space qualifies, and so does
// the inside of a raw-text element, a comment, CDATA or a declaration: all that the next
// character depends on is then in Markup.
bool TextHyphenator::State::cutAfter(char byte) const noexcept {
  if (!carry.empty()) return false;
  switch (mode) {
    case Mode::Text:
      return byteKind[static_cast<unsigned char>(byte)] == ByteKind::Space;
    case Mode::RawText:
    case Mode::Comment:
    case Mode::Cdata:
    case Mode::Bogus:
      return true;
    default:
      return false;
  }
}

// On a scout: follows the markup of chunk from the state it was given, and returns for
// each target offset the first place at or after it where the text may be cut, with the
// state there (a place serves every target it reaches). Divides and writes nothing.
std::vector<TextHyphenator::State::Cut> TextHyphenator::State::findCuts(
    std::string_view chunk, const std::vector<std::size_t>& targets) {
  std::vector<Cut> cuts;
  std::string scratch;  // what markup would write out, thrown away
  out = &scratch;
  const std::size_t n = chunk.size();
  std::size_t i = takeCarry(chunk);
  std::size_t next = 0;  // the first target still without a place
  const auto found = [&](std::size_t at) {
    cuts.push_back(Cut{at, static_cast<const Markup&>(*this)});
    while (next < targets.size() && targets[next] <= at) ++next;
  };
  while (i < n && next < targets.size()) {
    if (mode == Mode::Text) {
      // Nothing in text content changes the markup state but '<' and '&'; past the target,
      // white space is a place to cut.
      const std::size_t target = std::min(n, std::max(i, targets[next]));
      std::size_t p = markupByteFrom(chunk, i, target);
      if (p == target)
        while (p < n && chunk[p] != '<' && chunk[p] != '&' &&
               byteKind[static_cast<unsigned char>(chunk[p])] != ByteKind::Space)
          ++p;
      if (p == n) break;
      if (chunk[p] != '<' && chunk[p] != '&') {
        found(p + 1);
        i = p + 1;
        continue;
      }
      i = p;
    }
    const std::size_t at = i;
    i = stepAt(chunk, i);
    if (i == at + 1 && i >= targets[next] && static_cast<unsigned char>(chunk[at]) < 0x80 &&
        cutAfter(chunk[at]))
      found(i);
    if (scratch.size() > 4096) scratch.clear();
  }
  out = nullptr;
  return cuts;
}

// Restarts at a place where the text may be cut, in the state another object had there.
void TextHyphenator::State::restore(const Markup& markup) {
  token.clear();
  static_cast<Markup&>(*this) = markup;
  scopeChanged();
}

void TextHyphenator::State::writeParallel(std::string_view chunk, std::string& output,
                                          unsigned threads) {
  // More parts than threads, taken by whichever thread is free: a thread that the machine
  // holds back for a while (another process, a busy host) then delays the chunk by one
  // small part rather than by its whole share.
  constexpr std::size_t kPartsPerThread = 8;
  const std::size_t wanted =
      std::min<std::size_t>(std::size_t{threads} * kPartsPerThread, chunk.size() / minPart);
  if (threads <= 1 || wanted <= 1) {
    write(chunk, output);
    return;
  }
  std::vector<std::size_t> targets{0};  // 0: the first place there is
  for (std::size_t k = 1; k < wanted; ++k) targets.push_back(chunk.size() / wanted * k);
  std::vector<Cut> cuts;
  if (options.markup == TextMarkup::Plain) {
    // After white space nothing is held in plain text.
    for (const std::size_t target : targets) {
      std::size_t at = std::max(target, cuts.empty() ? 0 : cuts.back().at);
      while (at < chunk.size() && byteKind[static_cast<unsigned char>(chunk[at])] != ByteKind::Space) ++at;
      if (at < chunk.size()) cuts.push_back(Cut{at + 1, Markup()});
    }
  } else {
    if (!scout) {
      scout = std::make_unique<State>(callerLanguage.hyphenator(), options);
      scout->scanning = true;
    }
    scout->restore(*this);
    cuts = scout->findCuts(chunk, targets);
  }
  if (cuts.size() < 2) {
    write(chunk, output);
    return;
  }
  // Up to the first cut here, as the text goes on from what was held; from each cut on
  // in a state set to what it is there, the last part here again, so that what it leaves
  // held stays with this object.
  write(chunk.substr(0, cuts.front().at), output);
  const std::size_t parts = cuts.size();
  while (workers.size() < parts - 1)
    workers.push_back(std::make_unique<State>(callerLanguage.hyphenator(), options));
  std::vector<std::exception_ptr> failures(parts);
  const auto part = [&](std::size_t k) {
    return chunk.substr(cuts[k].at, (k + 1 < parts ? cuts[k + 1].at : chunk.size()) - cuts[k].at);
  };
  // Each thread takes the next part not yet taken, k < parts - 1, into worker k; what a
  // part throws is rethrown once all have finished.
  std::atomic<std::size_t> nextPart{0};
  const auto divideParts = [&] {
    for (std::size_t k = nextPart.fetch_add(1, std::memory_order_relaxed); k + 1 < parts;
         k = nextPart.fetch_add(1, std::memory_order_relaxed)) {
      try {
        State& worker = *workers[k];
        worker.restore(cuts[k].markup);
        worker.fast = fast;
        worker.partOut.clear();
        worker.write(part(k), worker.partOut);
      } catch (...) {
        failures[k] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> running;
  try {
    const std::size_t helpers = std::min<std::size_t>(threads, parts) - 1;
    running.reserve(helpers);
    while (running.size() < helpers) running.emplace_back(divideParts);
  } catch (...) {
    // A thread could not be started: those that were, and this one, take every part.
  }
  try {
    restore(cuts.back().markup);
    partOut.clear();
    write(part(parts - 1), partOut);
  } catch (...) {
    failures[parts - 1] = std::current_exception();
  }
  divideParts();
  for (std::thread& thread : running) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  std::size_t total = partOut.size();
  for (std::size_t k = 0; k + 1 < parts; ++k) total += workers[k]->partOut.size();
  output.reserve(output.size() + total);
  for (std::size_t k = 0; k + 1 < parts; ++k) output.append(workers[k]->partOut);
  output.append(partOut);
}

// The first k in [i, end) where chunk[k] is no byte of kind Ascii, or end: sixteen bytes
// at a time where the processor can, since tokens end at unpredictable places.
std::size_t TextHyphenator::State::asciiRunEnd(std::string_view chunk, std::size_t i,
                                               std::size_t end) const noexcept {
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  if (asciiSpacesUsual) {
    const bool html = options.markup == TextMarkup::Html;
    for (; i + 16 <= end; i += 16) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i));
      // White space: ' ', or '\t' to '\r' (which b - '\t' puts at 0 to 4, signed).
      const __m128i fromTab = _mm_sub_epi8(b, _mm_set1_epi8('\t'));
      __m128i stop = _mm_or_si128(
          _mm_cmpeq_epi8(b, _mm_set1_epi8(' ')),
          _mm_and_si128(_mm_cmpgt_epi8(fromTab, _mm_set1_epi8(-1)),
                        _mm_cmplt_epi8(fromTab, _mm_set1_epi8(5))));
      if (html)
        stop = _mm_or_si128(stop, _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('<')),
                                               _mm_cmpeq_epi8(b, _mm_set1_epi8('&'))));
      // Bytes from 0x80 on have their top bit set.
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop) | _mm_movemask_epi8(b));
      if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
    }
  }
#endif
  while (i < end && byteKind[static_cast<unsigned char>(chunk[i])] == ByteKind::Ascii) ++i;
  return i;
}

// The kinds of bytes in text content, made once for each markup.
const TextHyphenator::State::ByteKinds& TextHyphenator::State::byteKindsOf(TextMarkup markup) {
  const auto make = [](bool html) {
    ByteKinds table;
    for (std::size_t b = 0; b < table.kinds.size(); ++b) {
      const bool markupByte = html && (b == '<' || b == '&');
      table.kinds[b] = b >= 0x80 || markupByte                         ? ByteKind::Other
                       : detail::isWhiteSpace(static_cast<char32_t>(b)) ? ByteKind::Space
                                                                        : ByteKind::Ascii;
      if (b < 0x80 && (table.kinds[b] == ByteKind::Space) != (b == ' ' || (b >= '\t' && b <= '\r')))
        table.usualSpaces = false;
    }
    return table;
  };
  static const ByteKinds plain = make(false);
  static const ByteKinds html = make(true);
  return markup == TextMarkup::Html ? html : plain;
}

// The first k in [i, end) where chunk[k] is '<' or '&', or end.
std::size_t TextHyphenator::State::markupByteFrom(std::string_view chunk, std::size_t i,
                                                  std::size_t end) noexcept {
#if defined(__SSE2__) && !defined(QUELLIX_NO_SIMD)
  for (; i + 16 <= end; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('<')),
                                                    _mm_cmpeq_epi8(b, _mm_set1_epi8('&'))));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
  }
#endif
  while (i < end && chunk[i] != '<' && chunk[i] != '&') ++i;
  return i;
}

// Text content from chunk[i] on, the quick way, as far as it goes: runs of ASCII white
// space, and whole tokens of other ASCII characters that white space ends. Returns where
// a character needs the general way (the start of a token with other characters, or
// markup), or chunk.size().
std::size_t TextHyphenator::State::writeText(std::string_view chunk, std::size_t i) {
  const std::size_t n = chunk.size();
  const auto kind = [&](std::size_t k) { return byteKind[static_cast<unsigned char>(chunk[k])]; };
  std::size_t written = i;  // chunk[written, i) is still to be copied to out
  while (i < n) {
    if (kind(i) == ByteKind::Space) {
      if (!token.empty()) token.end(*out);
      ++i;
      while (i < n && kind(i) == ByteKind::Space) ++i;
      continue;
    }
    if (kind(i) != ByteKind::Ascii || !token.empty()) break;
    const std::size_t j = asciiRunEnd(chunk, i + 1, std::min(n, i + kMaxHeldBytes + 1));
    if (j == n || kind(j) != ByteKind::Space || j - i > kMaxHeldBytes) break;
    if (!copying()) token.divideAsciiToken(chunk, i, j, written, *out);
    i = j;
  }
  out->append(chunk, written, i - written);
  return i;
}

void TextHyphenator::State::finish(std::string& output) {
  out = &output;
  // A sequence still cut short at the end is malformed: its bytes count one by one.
  for (std::size_t k = 0; k < carry.size();) {
    const TextChar c = charAt(carry.data() + k, carry.size() - k);
    k += c.bytes.size();
    step(c);
  }
  carry.clear();
  if (mode == Mode::AfterLt) {
    mode = Mode::Text;
    textChar(TextChar{"<", '<', true});
  } else if (mode == Mode::Reference) {
    endReference();
  }
  token.end(output);
  reset();
}

void TextHyphenator::State::reset() noexcept {
  token.clear();
  carry.clear();
  mode = Mode::Text;
  tagName.clear();
  endTag = false;
  verbatimDepth = 0;
  rawEnd.clear();
  rawMatched = 0;
  script = Script::Data;
  scriptName.clear();
  count = 0;
  bang = false;
  reference.clear();
  open.clear();
  untracked = 0;
  current = &callerLanguage;  // what scopeChanged() gives with no element open
  token.use(callerLanguage);
  beginTag(false);
}

// Text content: white space ends the token, everything else joins it; inside pre and code,
// and where no language is in scope, it is copied.
void TextHyphenator::State::textChar(const TextChar& c) {
  if (scanning) return;
  if (copying()) {
    out->append(c.bytes);
  } else if (c.wellFormed && detail::isWhiteSpace(c.code)) {
    token.end(*out);
    out->append(c.bytes);
  } else {
    token.appendChar(c, *out);
  }
}

// Markup begins or continues: the token before it is complete.
void TextHyphenator::State::markup(std::string_view bytes) {
  if (scanning) return;
  token.end(*out);
  out->append(bytes);
}

void TextHyphenator::State::endOfTag() {
  mode = Mode::Text;
  if (followLang) {
    if (endTag)
      closeElement();
    else
      openElement();
  }
  if (tagName.size() > kMaxTagName) return;
  if (endTag) {
    if (isVerbatimElement(tagName) && verbatimDepth > 0) --verbatimDepth;
  } else if (isRawTextElement(tagName)) {
    // As in HTML, a '/' before '>' does not close these elements, and their contents hold
    // no tags.
    mode = Mode::RawText;
    // plaintext has no end tag: everything after it is its contents.
    rawEnd = tagName == "plaintext" ? std::string() : "</" + tagName;
    rawMatched = 0;
    script = Script::Data;
  } else if (isVerbatimElement(tagName)) {
    // Saturates: so many open elements can never be closed again anyway.
    if (verbatimDepth != std::numeric_limits<std::uint64_t>::max()) ++verbatimDepth;
  }
}

// A character reference is complete (or cut off by the end of the text).
void TextHyphenator::State::endReference() {
  mode = Mode::Text;
  if (scanning) {
    reference.clear();
    return;
  }
  std::string_view body = std::string_view(reference).substr(1);
  if (!body.empty() && body.back() == ';') body.remove_suffix(1);
  const long value = referenceValue(body);
  if (copying()) {
    out->append(reference);
  } else if (body == "shy" || value == 0xAD) {
    token.appendReference(reference, 0xAD, *out);
  } else if (body == "nbsp" || body == "ensp" || body == "emsp" || body == "thinsp" ||
             (value >= 0 && detail::isWhiteSpace(static_cast<char32_t>(value)))) {
    markup(reference);  // a space: it ends the token as the character would
  } else {
    // A reference that stands for a letter ("inter&#x6E;ational") joins its word.
    token.appendReference(reference, value > 0 ? static_cast<char32_t>(value) : namedReference(body),
                          *out);
  }
  reference.clear();
}

void TextHyphenator::State::step(const TextChar& c) {
  while (readChar(c)) {
    // c switched the mode: read it again in the new one
  }
}

// Reads c in the current mode. Returns true when c ended the mode instead and must be read
// again in the one it switched to (at most a few times: no mode hands a character back to
// the mode it came from).
bool TextHyphenator::State::readChar(const TextChar& c) {
  if (options.markup == TextMarkup::Plain) {
    textChar(c);
    return false;
  }
  // Markup is all ASCII: a malformed byte is never a delimiter.
  const char32_t code = c.wellFormed ? c.code : 0xFFFD;
  switch (mode) {
    case Mode::Text:
      if (code == '<') {
        mode = Mode::AfterLt;
      } else if (code == '&') {
        mode = Mode::Reference;
        reference = "&";
      } else {
        textChar(c);
      }
      return false;

    case Mode::AfterLt:
      if (isAsciiLetter(code)) {
        markup("<");
        mode = Mode::TagName;
        beginTag(false);
        return true;
      } else if (code == '/') {
        markup("</");
        mode = Mode::EndTagOpen;
      } else if (code == '!') {
        markup("<!");
        mode = Mode::Declaration;
      } else if (code == '?') {
        markup("<?");
        mode = Mode::Bogus;
      } else {
        mode = Mode::Text;  // "a < b": the '<' is text
        textChar(TextChar{"<", '<', true});
        return true;
      }
      return false;

    case Mode::EndTagOpen:
      if (isAsciiLetter(code)) {
        mode = Mode::TagName;
        beginTag(true);
        return true;
      } else if (code == '>') {
        out->append(c.bytes);  // "</>" is nothing
        mode = Mode::Text;
      } else {
        mode = Mode::Bogus;
        return true;
      }
      return false;

    case Mode::TagName:
      out->append(c.bytes);
      if (isHtmlSpace(code) || code == '/') {
        mode = Mode::InTag;
        slash = code == '/';
      } else if (code == '>') {
        endOfTag();
      } else if (tagName.size() <= kMaxElementName) {
        tagName.push_back(static_cast<char>(c.wellFormed && code < 0x80 ? asciiLower(code) : 0));
      }
      return false;

    case Mode::InTag:
      out->append(c.bytes);
      tagChar(code, c.wellFormed);
      return false;

    case Mode::AfterEquals:
      out->append(c.bytes);
      if (code == '"') {
        mode = Mode::ValueDouble;
      } else if (code == '\'') {
        mode = Mode::ValueSingle;
      } else if (code == '>') {
        endAttributeValue();
        endOfTag();
      } else if (!isHtmlSpace(code)) {
        mode = Mode::ValueUnquoted;
        if (valueTarget() != nullptr) valueTarget()->append(c.bytes);
      }
      return false;

    case Mode::ValueDouble:
    case Mode::ValueSingle:
      out->append(c.bytes);
      if (code == (mode == Mode::ValueDouble ? U'"' : U'\'')) {
        mode = Mode::InTag;
        endAttributeValue();
      } else if (valueTarget() != nullptr) {
        valueTarget()->append(c.bytes);
      }
      return false;

    case Mode::ValueUnquoted:
      out->append(c.bytes);
      if (isHtmlSpace(code)) {
        mode = Mode::InTag;
        endAttributeValue();
      } else if (code == '>') {
        endAttributeValue();
        endOfTag();
      } else if (valueTarget() != nullptr) {
        valueTarget()->append(c.bytes);
      }
      return false;

    case Mode::Declaration:
      if (code == '-') {
        out->append(c.bytes);
        mode = Mode::CommentStart;
      } else if (code == '[') {
        out->append(c.bytes);
        mode = Mode::CdataOpen;
        count = 0;
      } else {
        mode = Mode::Bogus;
        return true;
      }
      return false;

    case Mode::CommentStart:
      if (code == '-') {
        out->append(c.bytes);
        mode = Mode::Comment;
        count = 2;  // "<!-->" and "<!--->" are complete comments, as in HTML
        bang = false;
      } else {
        mode = Mode::Bogus;
        return true;
      }
      return false;

    case Mode::Comment:
      out->append(c.bytes);
      if (code == '>' && (count >= 2 || bang)) {
        mode = Mode::Text;
      } else if (code == '-') {
        ++count;
        bang = false;
      } else {
        bang = code == '!' && count >= 2;
        count = 0;
      }
      return false;

    case Mode::CdataOpen: {
      static constexpr std::string_view kCdata = "CDATA[";
      if (code == static_cast<unsigned char>(kCdata[count])) {
        out->append(c.bytes);
        if (++count == kCdata.size()) {
          mode = Mode::Cdata;
          count = 0;
        }
      } else {
        mode = Mode::Bogus;
        return true;
      }
      return false;
    }

    case Mode::Cdata:
      out->append(c.bytes);
      if (code == '>' && count >= 2)
        mode = Mode::Text;
      else
        count = code == ']' ? count + 1 : 0;
      return false;

    case Mode::Bogus:
      out->append(c.bytes);
      if (code == '>') mode = Mode::Text;
      return false;

    case Mode::Reference:
      if (isAsciiLetter(code) || isAsciiDigit(code) || code == '#') {
        reference.append(c.bytes);
        if (reference.size() > kMaxReference) {
          if (copying() || scanning)
            out->append(reference);
          else
            token.appendReference(reference, 0, *out);
          reference.clear();
          mode = Mode::LongReference;
        }
      } else if (code == ';') {
        reference.append(c.bytes);
        endReference();
      } else {
        endReference();
        return true;
      }
      return false;

    case Mode::LongReference:
      if (isAsciiLetter(code) || isAsciiDigit(code) || code == '#' || code == ';') {
        if (copying() || scanning)
          out->append(c.bytes);
        else
          token.appendReference(c.bytes, 0, *out);
        if (code == ';') mode = Mode::Text;
      } else {
        mode = Mode::Text;
        return true;
      }
      return false;

    case Mode::RawText:
      out->append(c.bytes);
      if (rawEnd.empty()) return false;  // plaintext
      if (rawEnd == "</script") {
        while (scriptChar(code)) {
          // the character switched the script state: read it again in the new one
        }
        return false;
      }
      if (rawMatched == rawEnd.size()) {
        // "</style" matched: a space, '/' or '>' makes it the end tag.
        if (isHtmlSpace(code) || code == '/' || code == '>') {
          endRawText(code);
          return false;
        }
        rawMatched = 0;
      }
      if (rawMatched < rawEnd.size() &&
          c.wellFormed && asciiLower(code) == static_cast<unsigned char>(rawEnd[rawMatched]))
        ++rawMatched;
      else
        rawMatched = code == '<' ? 1 : 0;
      return false;
  }
  return false;
}

// The end tag of a raw-text element has been read up to code, a space, '/' or '>'.
void TextHyphenator::State::endRawText(char32_t code) {
  beginTag(true);
  tagName = rawEnd.substr(2);
  mode = Mode::InTag;
  if (code == '>') endOfTag();
}

// A start or end tag begins: nothing of its attributes is known yet.
void TextHyphenator::State::beginTag(bool end) {
  endTag = end;
  tagName.clear();
  attributeName.clear();
  attributeNameEnded = false;
  valueInto = ValueInto::None;
  lang.clear();
  xmlLang.clear();
  slash = false;
}

// One character between a tag's attributes (already copied out): attribute names are
// collected to find lang and xml:lang. As in HTML, a repeated attribute counts only the
// first time, and one without a value has the empty value.
void TextHyphenator::State::tagChar(char32_t code, bool wellFormed) {
  const auto nameEnds = [this] {
    if (attributeNameEnded || attributeName.empty()) return;
    attributeNameEnded = true;
    valueInto = ValueInto::None;
    const ValueInto into = attributeName == "lang"       ? ValueInto::Lang
                           : attributeName == "xml:lang" ? ValueInto::XmlLang
                                                         : ValueInto::None;
    LangValue* target = into == ValueInto::Lang ? &lang : into == ValueInto::XmlLang ? &xmlLang : nullptr;
    if (target != nullptr && !target->present) {
      target->present = true;
      valueInto = into;
    }
  };
  if (code == '>') {
    nameEnds();
    endOfTag();
    return;
  }
  if (isHtmlSpace(code) || code == '/') {
    nameEnds();
    slash = code == '/';
    return;
  }
  slash = false;
  if (code == '=' && !attributeName.empty()) {
    nameEnds();
    mode = Mode::AfterEquals;
    return;
  }
  if (attributeNameEnded) {
    attributeName.clear();
    attributeNameEnded = false;
    valueInto = ValueInto::None;
  }
  if (attributeName.size() <= kMaxAttributeName)
    attributeName.push_back(static_cast<char>(wellFormed && code < 0x80 ? asciiLower(code) : 0));
}

// An attribute's value is complete; what follows is a new attribute.
void TextHyphenator::State::endAttributeValue() {
  valueInto = ValueInto::None;
  attributeName.clear();
  attributeNameEnded = false;
}

// The language that divides the contents of an element whose lang attribute has value:
// the one the value names, or none (undivided) when it names none the library has.
LanguageRef TextHyphenator::State::languageOf(const LangValue& langValue) {
  const std::optional<Language> found = findLanguage(langValue.tag());
  if (!found) return kNoLanguage;
  const auto index = static_cast<std::size_t>(fromEnum(*found));
  return resolve(index) == &callerLanguage ? kCallerLanguage : static_cast<LanguageRef>(index);
}

// The language that divides built-in language index, made on first use.
detail::TextLanguage* TextHyphenator::State::resolve(std::size_t index) {
  if (resolved[index] == nullptr) {
    const Hyphenator& builtin = languageHyphenator(toEnum(static_cast<std::uint32_t>(index)));
    if (callerMap != nullptr && builtinCharMap(builtin) == callerMap) {
      // The caller's hyphenator is this language's, maybe with its own exceptions or margins.
      resolved[index] = &callerLanguage;
    } else {
      builtins[index] = std::make_unique<detail::TextLanguage>(builtin, options.isWordCharacter);
      resolved[index] = builtins[index].get();
    }
  }
  return resolved[index];
}

detail::TextLanguage* TextHyphenator::State::languageAt(LanguageRef language) {
  if (language == kCallerLanguage) return &callerLanguage;
  if (language == kNoLanguage) return nullptr;
  return resolve(static_cast<std::size_t>(language));
}

// A start tag is complete: closes what it implies and opens the element, in the language
// of its lang (or else xml:lang) attribute or of the element around it.
void TextHyphenator::State::openElement() {
  const bool empty = slash || isVoidElement(tagName) || isRawTextElement(tagName);
  if (untracked == 0) closeImplied();
  if (empty) return;
  if (untracked > 0 || open.size() >= kMaxLangDepth) {
    if (untracked != std::numeric_limits<std::uint64_t>::max()) ++untracked;
    return;
  }
  LanguageRef language = open.empty() ? kCallerLanguage : open.back().language;
  if (lang.present)
    language = languageOf(lang);
  else if (xmlLang.present)
    language = languageOf(xmlLang);
  open.push_back(OpenElement{tagName, language});
  scopeChanged();
}

// An end tag is complete: closes the nearest open element of its name and all opened
// after it; one with no open element of its name is ignored.
void TextHyphenator::State::closeElement() {
  if (untracked > 0) {
    if (untracked != std::numeric_limits<std::uint64_t>::max()) --untracked;
    return;
  }
  for (std::size_t i = open.size(); i-- > 0;) {
    if (open[i].name == tagName) {
      popTo(i);
      return;
    }
  }
}

// The end tags HTML implies before a start tag: a p ends at the next block, a list item at
// the next item, a cell at the next cell or row, so that siblings do not inherit each
// other's language.
void TextHyphenator::State::closeImplied() {
  const std::string_view name = tagName;
  // The nearest open element that matches, unless one that stops the search comes first.
  const auto closeNearest = [this](auto matches, auto stops) {
    for (std::size_t i = open.size(); i-- > 0;) {
      if (matches(open[i].name)) {
        popTo(i);
        return;
      }
      if (stops(open[i].name)) return;
    }
  };
  // The outermost open element that matches, above the nearest one that stops the search.
  const auto closeOutermost = [this](auto matches, auto stops) {
    std::size_t found = open.size();
    for (std::size_t i = open.size(); i-- > 0;) {
      if (matches(open[i].name))
        found = i;
      else if (stops(open[i].name))
        break;
    }
    if (found < open.size()) popTo(found);
  };
  const auto tableEdge = [](std::string_view n) { return isOneOf(n, {"table", "html", "template"}); };
  if (closesParagraph(name))
    closeNearest([](std::string_view n) { return n == "p"; }, isScopeBoundary);
  if (name == "li") {
    closeNearest([](std::string_view n) { return n == "li"; },
                 [](std::string_view n) { return n == "ol" || n == "ul" || isScopeBoundary(n); });
  } else if (name == "dd" || name == "dt") {
    closeNearest([](std::string_view n) { return n == "dd" || n == "dt"; },
                 [](std::string_view n) { return n == "dl" || isScopeBoundary(n); });
  } else if (name == "option" || name == "optgroup") {
    if (!open.empty() && open.back().name == "option") popTo(open.size() - 1);
    if (name == "optgroup" && !open.empty() && open.back().name == "optgroup") popTo(open.size() - 1);
  } else if (name == "td" || name == "th") {
    closeOutermost([](std::string_view n) { return n == "td" || n == "th"; },
                   [&](std::string_view n) { return n == "tr" || tableEdge(n); });
  } else if (name == "tr") {
    closeOutermost([](std::string_view n) { return isOneOf(n, {"tr", "td", "th"}); }, tableEdge);
  } else if (isOneOf(name, {"tbody", "thead", "tfoot"})) {
    closeOutermost(
        [](std::string_view n) { return isOneOf(n, {"tbody", "thead", "tfoot", "tr", "td", "th"}); },
        tableEdge);
  }
}

void TextHyphenator::State::popTo(std::size_t depth) {
  open.erase(open.begin() + static_cast<std::ptrdiff_t>(depth), open.end());
  scopeChanged();
}

// The innermost open element decides the language of what follows (the token is empty:
// every tag ends one).
void TextHyphenator::State::scopeChanged() {
  current = open.empty() ? &callerLanguage : languageAt(open.back().language);
  if (current != nullptr) token.use(*current);
}

// Reads one character of a script's contents (already copied out). Returns true when the
// character must be read again in the state it switched to.
bool TextHyphenator::State::scriptChar(char32_t code) {
  const bool letter = isAsciiLetter(code);
  const bool endsName = isHtmlSpace(code) || code == '/' || code == '>';
  const auto addToName = [this, code] {
    if (scriptName.size() < 7) scriptName.push_back(static_cast<char>(asciiLower(code)));
  };
  switch (script) {
    case Script::Data:
      if (code == '<') script = Script::LessThan;
      return false;
    case Script::LessThan:
      if (code == '/') {
        scriptName.clear();
        scriptReturn = Script::Data;
        script = Script::EndTagOpen;
        return false;
      }
      if (code == '!') {
        script = Script::EscapeStart;
        return false;
      }
      script = Script::Data;
      return true;
    case Script::EndTagOpen:
      script = letter ? Script::EndTagName : scriptReturn;
      return true;
    case Script::EndTagName:
      if (letter) {
        addToName();
        return false;
      }
      if (endsName && scriptName == "script") {
        script = Script::Data;
        endRawText(code);
        return false;
      }
      script = scriptReturn;
      return true;
    case Script::EscapeStart:
    case Script::EscapeStartDash:
      if (code == '-') {
        script = script == Script::EscapeStart ? Script::EscapeStartDash : Script::EscapedDashDash;
        return false;
      }
      script = Script::Data;
      return true;
    case Script::Escaped:
    case Script::EscapedDash:
    case Script::EscapedDashDash:
      if (code == '-') {
        script = script == Script::Escaped ? Script::EscapedDash : Script::EscapedDashDash;
      } else if (code == '<') {
        script = Script::EscapedLessThan;
      } else if (code == '>' && script == Script::EscapedDashDash) {
        script = Script::Data;
      } else {
        script = Script::Escaped;
      }
      return false;
    case Script::EscapedLessThan:
      scriptName.clear();
      if (code == '/') {
        scriptReturn = Script::Escaped;
        script = Script::EndTagOpen;
        return false;
      }
      script = letter ? Script::DoubleEscapeStart : Script::Escaped;
      return true;
    case Script::DoubleEscapeStart:
    case Script::DoubleEscapeEnd: {
      const bool start = script == Script::DoubleEscapeStart;
      if (letter) {
        addToName();
        return false;
      }
      const Script inside = start ? Script::Escaped : Script::DoubleEscaped;
      const Script outside = start ? Script::DoubleEscaped : Script::Escaped;
      script = endsName && scriptName == "script" ? outside : inside;
      return !endsName;
    }
    case Script::DoubleEscaped:
    case Script::DoubleEscapedDash:
    case Script::DoubleEscapedDashDash:
      if (code == '-') {
        script = script == Script::DoubleEscaped ? Script::DoubleEscapedDash
                                                 : Script::DoubleEscapedDashDash;
      } else if (code == '<') {
        script = Script::DoubleEscapedLessThan;
      } else if (code == '>' && script == Script::DoubleEscapedDashDash) {
        script = Script::Data;
      } else {
        script = Script::DoubleEscaped;
      }
      return false;
    case Script::DoubleEscapedLessThan:
      if (code == '/') {
        scriptName.clear();
        script = Script::DoubleEscapeEnd;
        return false;
      }
      script = Script::DoubleEscaped;
      return true;
  }
  return false;
}

void detail::TextHyphenatorAccess::useGeneralPath(TextHyphenator& t) noexcept {
  t.state_->fast = false;
}

void detail::TextHyphenatorAccess::setMinimumPart(TextHyphenator& t, std::size_t bytes) noexcept {
  t.state_->minPart = std::max<std::size_t>(bytes, 1);
}

namespace {

// The smallest TextOptions this library accepts (this version's; a later version that
// adds fields keeps accepting it): a structSize below it cannot be a TextOptions at all.
constexpr std::size_t kFirstTextOptionsSize = sizeof(TextOptions);

TextOptions checked(TextOptions options) {
  if (options.structSize < kFirstTextOptionsSize)
    throw ArgumentError("TextOptions::structSize is " + std::to_string(options.structSize) +
                        ", smaller than any TextOptions (" +
                        std::to_string(kFirstTextOptionsSize) + "); leave it at its default");
  return options;
}

}  // namespace

TextHyphenator::TextHyphenator(const Hyphenator& h, TextOptions options)
    : state_(std::make_unique<State>(h, checked(std::move(options)))) {}
TextHyphenator::~TextHyphenator() = default;
TextHyphenator::TextHyphenator(TextHyphenator&&) noexcept = default;
TextHyphenator& TextHyphenator::operator=(TextHyphenator&&) noexcept = default;

void TextHyphenator::write(std::string_view chunk, std::string& out) { state_->write(chunk, out); }
void TextHyphenator::write(std::string_view chunk, std::string& out, unsigned threads) {
  state_->writeParallel(chunk, out, threads);
}
void TextHyphenator::finish(std::string& out) { state_->finish(out); }
void TextHyphenator::reset() noexcept { state_->reset(); }

Utf8Char firstUtf8Char(std::string_view text) noexcept {
  if (text.empty()) return {};
  const TextChar c = charAt(text.data(), text.size());
  return Utf8Char{c.bytes.size(), c.code, c.wellFormed};
}

std::string hyphenateText(const Hyphenator& h, std::string_view text, const TextOptions& options) {
  TextHyphenator hyphenator(h, options);
  std::string out;
  // Prose grows by about a quarter with soft hyphens; pages reserved and never written
  // cost nothing, a reallocation copies everything.
  out.reserve(text.size() + text.size() / 2);
  hyphenator.write(text, out);
  hyphenator.finish(out);
  return out;
}

std::string hyphenateHtml(const Hyphenator& h, std::string_view html, TextOptions options) {
  options.markup = TextMarkup::Html;
  return hyphenateText(h, html, options);
}

}  // namespace quellix
