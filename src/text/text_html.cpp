// Each character of running text read in the state the scanner is in. Plain text has only
// text content; HTML has the markup states: tags and their attributes (collecting lang and
// xml:lang for text_lang_scopes.cpp), comments, declarations, CDATA, character references,
// and the contents of raw-text elements, including a script's escaped parts, found as a
// browser finds them. Markup is copied out unchanged; text content goes to the token
// writer (text_tokens.cpp).
#include <algorithm>
#include <iterator>
#include <limits>
#include <string>

#include "text_stream.hpp"
#include "unicode_letters.hpp"

namespace quellix::detail {
namespace {

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

}  // namespace

void TextStream::endOfTag() {
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
void TextStream::endReference() {
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
             (value >= 0 && isWhiteSpace(static_cast<char32_t>(value)))) {
    markup(reference);  // a space: it ends the token as the character would
  } else {
    // A reference that stands for a letter ("inter&#x6E;ational") joins its word.
    token.appendReference(reference, value > 0 ? static_cast<char32_t>(value) : namedReference(body),
                          *out);
  }
  reference.clear();
}

void TextStream::step(const TextChar& c) {
  while (readChar(c)) {
    // c switched the mode: read it again in the new one
  }
}

// Text content: white space ends the token, everything else joins it; inside pre and code,
// and where no language is in scope, it is copied.
void TextStream::textChar(const TextChar& c) {
  if (scanning) return;
  if (copying()) {
    out->append(c.bytes);
  } else if (c.wellFormed && isWhiteSpace(c.code)) {
    token.end(*out);
    out->append(c.bytes);
  } else {
    token.appendChar(c, *out);
  }
}

// Markup begins or continues: the token before it is complete.
void TextStream::markup(std::string_view bytes) {
  if (scanning) return;
  token.end(*out);
  out->append(bytes);
}

// Reads c in the current mode. Returns true when c ended the mode instead and must be read
// again in the one it switched to (at most a few times: no mode hands a character back to
// the mode it came from).
bool TextStream::readChar(const TextChar& c) {
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
void TextStream::endRawText(char32_t code) {
  beginTag(true);
  tagName = rawEnd.substr(2);
  mode = Mode::InTag;
  if (code == '>') endOfTag();
}

// A start or end tag begins: nothing of its attributes is known yet.
void TextStream::beginTag(bool end) {
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
void TextStream::tagChar(char32_t code, bool wellFormed) {
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
void TextStream::endAttributeValue() {
  valueInto = ValueInto::None;
  attributeName.clear();
  attributeNameEnded = false;
}

// Reads one character of a script's contents (already copied out). Returns true when the
// character must be read again in the state it switched to.
bool TextStream::scriptChar(char32_t code) {
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

}  // namespace quellix::detail
