// The languages of HTML elements: the stack of open elements, each with the language its
// lang (or xml:lang) attribute or the element around it gives; the elements HTML's tree
// building closes or never opens (implied end tags, end tags out of scope, "/>" outside
// svg and math); which hyphenator divides a language a lang attribute names (the caller's
// own where it is that language's, else the language's built-in one); and the lang values
// that name no language this build has, kept for the caller.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "text_stream.hpp"

namespace quellix::detail {
namespace {

using Names = std::initializer_list<std::string_view>;

bool isOneOf(std::string_view name, Names names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that have no contents and no end tag.
bool isVoidElement(std::string_view name) {
  return isOneOf(name, {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame",
                        "hr", "image", "img", "input", "keygen", "link", "meta", "param",
                        "source", "track", "wbr"});
}

bool isHeading(std::string_view name) {
  return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

// Start tags that end an open p element, as in HTML (a table too, as in a page with a
// DOCTYPE).
bool closesParagraph(std::string_view name) {
  return isHeading(name) ||
         isOneOf(name, {"address", "article", "aside", "blockquote", "center", "details",
                        "dialog", "dir", "div", "dl", "fieldset", "figcaption", "figure",
                        "footer", "form", "header", "hgroup", "hr", "main", "menu", "nav", "ol",
                        "p", "pre", "listing", "section", "search", "summary", "table", "ul",
                        "li", "dd", "dt", "xmp", "plaintext"});
}

// End tags that close their element only when it is in scope, with all opened after it.
bool isBlockEndTag(std::string_view name) {
  return isOneOf(name, {"address", "article", "aside", "blockquote", "button", "center",
                        "details", "dialog", "dir", "div", "dl", "fieldset", "figcaption",
                        "figure", "footer", "header", "hgroup", "listing", "main", "menu",
                        "nav", "ol", "pre", "search", "section", "summary", "ul", "applet",
                        "marquee", "object", "select"});
}

// The elements whose end tags HTML closes without being asked.
bool hasImpliedEndTag(std::string_view name) {
  return isOneOf(name, {"dd", "dt", "li", "optgroup", "option", "p", "rb", "rp", "rt", "rtc"});
}

// HTML's special elements (those that can be open): an end tag of another name does not
// close anything past one of them.
bool isSpecial(std::string_view name) {
  return isHeading(name) ||
         isOneOf(name, {"address", "applet", "article", "aside", "blockquote", "body", "button",
                        "caption", "center", "colgroup", "dd", "details", "dialog", "dir", "div",
                        "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form",
                        "frameset", "head", "header", "hgroup", "html", "li", "listing", "main",
                        "marquee", "menu", "nav", "noscript", "object", "ol", "p", "pre",
                        "search", "section", "select", "summary", "table", "tbody", "td",
                        "template", "tfoot", "th", "thead", "tr", "ul", "foreignobject",
                        "desc", "mi", "mo", "mn", "ms", "mtext", "annotation-xml"});
}

// Elements that an implied end tag never looks beyond (the edges of HTML's "scope").
bool isScopeBoundary(std::string_view name) {
  return isOneOf(name, {"applet", "caption", "html", "table", "td", "th", "marquee", "object",
                        "template", "foreignobject", "desc", "mi", "mo", "mn", "ms", "mtext",
                        "annotation-xml"});
}

// Elements that the table, row and cell start tags never look beyond.
bool isTableEdge(std::string_view name) { return isOneOf(name, {"table", "html", "template"}); }

// Start tags HTML ignores outside a table.
bool isTablePart(std::string_view name) {
  return isOneOf(name, {"caption", "col", "colgroup", "tbody", "td", "tfoot", "th", "thead", "tr"});
}

// Elements within which svg's and math's own rules hold again.
bool isIntegrationPoint(std::string_view name) {
  return isOneOf(name, {"foreignobject", "desc", "mi", "mo", "mn", "ms", "mtext", "annotation-xml"});
}

// Start tags that leave svg or math for HTML.
bool leavesForeignContent(std::string_view name) {
  return isHeading(name) ||
         isOneOf(name, {"b", "big", "blockquote", "body", "br", "center", "code", "dd", "div",
                        "dl", "dt", "em", "embed", "head", "hr", "i", "img", "li", "listing",
                        "menu", "meta", "nobr", "ol", "p", "pre", "ruby", "s", "small", "span",
                        "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var"});
}

using OpenElements = std::vector<Markup::OpenElement>;

// The index of the nearest open element that matches, looking no further than one that
// stops the search; open.size() when there is none.
template <class Matches, class Stops>
std::size_t findOpen(const OpenElements& open, Matches matches, Stops stops) {
  for (std::size_t i = open.size(); i-- > 0;) {
    if (matches(open[i].name)) return i;
    if (stops(open[i].name)) break;
  }
  return open.size();
}

// The index of the outermost open element that matches above the nearest one that stops
// the search; open.size() when there is none.
template <class Matches, class Stops>
std::size_t outermostOpen(const OpenElements& open, Matches matches, Stops stops) {
  std::size_t found = open.size();
  for (std::size_t i = open.size(); i-- > 0;) {
    if (matches(open[i].name))
      found = i;
    else if (stops(open[i].name))
      break;
  }
  return found;
}

// The open element named name, when it is in HTML's scope (bounded also by the elements
// moreBoundaries names); open.size() when not.
std::size_t inScope(const OpenElements& open, std::string_view name, Names moreBoundaries = {}) {
  return findOpen(
      open, [name](std::string_view n) { return n == name; },
      [moreBoundaries](std::string_view n) { return isScopeBoundary(n) || isOneOf(n, moreBoundaries); });
}

// Whether the current node is in svg or math, where "/>" closes an element.
bool inForeignContent(const OpenElements& open) {
  for (std::size_t i = open.size(); i-- > 0;) {
    if (open[i].name == "svg" || open[i].name == "math") return true;
    if (isIntegrationPoint(open[i].name)) return false;
  }
  return false;
}

const auto never = [](std::string_view) { return false; };

// The most lang values that name no language, kept to be reported.
constexpr std::size_t kMaxUnknownLanguages = 256;

}  // namespace

// The language that divides the contents of an element whose lang attribute has value:
// the one the value names, or none (undivided) when it names none this build has.
LanguageRef TextStream::languageOf(const LangValue& langValue) {
  const std::string_view tag = langValue.tag();
  const std::optional<Language> found = findLanguage(tag);
  if (!found || !languageBuiltIn(*found)) {
    if (!tag.empty()) noteUnknownLanguage(tag);
    return kNoLanguage;
  }
  const auto index = static_cast<std::size_t>(fromEnum(*found));
  return resolve(index) == &callerLanguage ? kCallerLanguage : static_cast<LanguageRef>(index);
}

// Keeps a lang value that names no language for the caller, once.
void TextStream::noteUnknownLanguage(std::string_view value) {
  if (scanning) return;
  const auto seen = [value](const std::vector<std::string>& values) {
    return std::find(values.begin(), values.end(), value) != values.end();
  };
  if (seen(unknownLanguages) || seen(reportedLanguages)) return;
  if (unknownLanguages.size() + reportedLanguages.size() < kMaxUnknownLanguages)
    unknownLanguages.emplace_back(value);
}

// Hands the lang values kept since the last call to the caller's function (or forgets
// them, when there is none), each value once in the object's life (up to
// kMaxUnknownLanguages of them).
void TextStream::reportUnknownLanguages() {
  if (unknownLanguages.empty()) return;  // as nearly every call finds them
  std::vector<std::string> values;
  values.swap(unknownLanguages);
  if (!unknownLanguage) return;
  for (std::string& value : values) {
    if (std::find(reportedLanguages.begin(), reportedLanguages.end(), value) != reportedLanguages.end() ||
        reportedLanguages.size() >= kMaxUnknownLanguages)
      continue;
    reportedLanguages.push_back(std::move(value));
    unknownLanguage(reportedLanguages.back());
  }
}

// The language that divides built-in language index, made on first use.
TextLanguage* TextStream::resolve(std::size_t index) {
  if (resolved[index] == nullptr) {
    const Hyphenator& builtin = languageHyphenator(toEnum(static_cast<std::uint32_t>(index)));
    if (callerMap != nullptr && builtinCharMap(builtin) == callerMap) {
      // The caller's hyphenator is this language's, maybe with its own exceptions or margins.
      resolved[index] = &callerLanguage;
    } else {
      builtins[index] = std::make_unique<TextLanguage>(builtin, options.isWordCharacter, options.markup);
      resolved[index] = builtins[index].get();
    }
  }
  return resolved[index];
}

TextLanguage* TextStream::languageAt(LanguageRef language) {
  if (language == kCallerLanguage) return &callerLanguage;
  if (language == kNoLanguage) return nullptr;
  return resolve(static_cast<std::size_t>(language));
}

// A start tag is complete: closes what it implies and opens the element, in the language
// of its lang (or else xml:lang) attribute or of the element around it.
void TextStream::openElement() {
  if (untracked > 0) {
    // Past the tracked depth only elements that open something are counted.
    if (!isVoidElement(tagName) && !isRawTextElement(tagName) && !slash &&
        untracked != std::numeric_limits<std::uint64_t>::max())
      ++untracked;
    return;
  }
  bool foreign = inForeignContent(open);
  if (foreign && leavesForeignContent(tagName)) {
    // HTML again: what svg or math holds open is closed.
    popTo(findOpen(open, [](std::string_view n) { return n == "svg" || n == "math"; }, never));
    foreign = inForeignContent(open);
  }
  if (!foreign && !closeImplied()) return;
  // "/>" closes an element only in svg and math (and svg and math themselves); HTML
  // ignores it elsewhere.
  const bool selfClosed = slash && (foreign || tagName == "svg" || tagName == "math");
  if (selfClosed || (!foreign && (isVoidElement(tagName) || isRawTextElement(tagName)))) return;
  if (open.size() >= kMaxLangDepth) {
    untracked = 1;
    return;
  }
  LanguageRef language = open.empty() ? kCallerLanguage : open.back().language;
  if (lang.present)
    language = languageOf(lang);
  else if (xmlLang.present)
    language = languageOf(xmlLang);
  open.push_back(OpenElement{tagName, language});
  if (tagName == "form") formPending = true;
  scopeChanged();
}

// An end tag is complete: closes its element and all opened after it where HTML does,
// and nothing where HTML ignores it.
void TextStream::closeElement() {
  if (untracked > 0) {
    if (untracked != std::numeric_limits<std::uint64_t>::max()) --untracked;
    return;
  }
  const std::string_view name = tagName;
  if (name == "body" || name == "html") return;  // what follows is still in the body
  if (name == "form") {
    // Only the form leaves: what it holds stays open.
    if (!formPending) return;
    formPending = false;
    const std::size_t form = inScope(open, "form");
    if (form < open.size()) {
      open.erase(open.begin() + static_cast<std::ptrdiff_t>(form));
      scopeChanged();
    }
    return;
  }
  const auto named = [name](std::string_view n) { return n == name; };
  std::size_t found;
  if (name == "p")
    found = inScope(open, "p", {"button"});
  else if (name == "li")
    found = inScope(open, "li", {"ol", "ul"});
  else if (isHeading(name))
    found = findOpen(open, isHeading, isScopeBoundary);
  else if (isBlockEndTag(name) || isOneOf(name, {"dd", "dt"}))
    found = inScope(open, name);
  else if (isTablePart(name) || name == "table")
    found = findOpen(open, named, isTableEdge);
  else
    // Any other end tag, formatting ones included: the nearest open element of its name,
    // unless a special element comes first. (A formatting element that HTML would open
    // again after a misnested end tag is not opened again here.)
    found = findOpen(open, named, isSpecial);
  if (found < open.size()) popTo(found);
}

// The end tags HTML implies before a start tag: a p ends at the next block, a heading at
// the next heading, a list item at the next item, a cell at the next cell or row, a link
// at the next link, a button at the next button, ruby text at the next ruby text; so that
// siblings do not inherit each other's language. False when HTML ignores the start tag.
bool TextStream::closeImplied() {
  const std::string_view name = tagName;
  const auto popIf = [this](std::size_t i) {
    if (i < open.size()) popTo(i);
  };
  // Pops the current node while it is one whose end tag HTML implies, except keep.
  const auto closeImpliedEnds = [this](std::string_view keep) {
    while (!open.empty() && hasImpliedEndTag(open.back().name) && open.back().name != keep)
      popTo(open.size() - 1);
  };
  // The head holds no text to divide: text there would begin the body (in the language of
  // html, not the head's), so the head opens nothing.
  if (name == "head") return false;
  if (name == "html" || name == "body") {
    // A second one adds nothing to the one that is open.
    return findOpen(open, [name](std::string_view n) { return n == name; }, never) == open.size();
  }
  // A form start tag is ignored until the last form's end tag, even when that form was
  // closed otherwise.
  if (name == "form" && formPending) return false;
  const auto tableEdgeFound = [this] {
    return findOpen(open, [](std::string_view n) { return n == "table"; }, isTableEdge) < open.size();
  };
  if (isTablePart(name) && !tableEdgeFound()) return false;
  if (name == "li" || name == "dd" || name == "dt") {
    const auto item = [name](std::string_view n) {
      return name == "li" ? n == "li" : n == "dd" || n == "dt";
    };
    popIf(findOpen(open, item, [](std::string_view n) {
      return isSpecial(n) && !isOneOf(n, {"address", "div", "p"});
    }));
  }
  if (closesParagraph(name)) popIf(inScope(open, "p", {"button"}));
  if (isHeading(name)) {
    if (!open.empty() && isHeading(open.back().name)) popTo(open.size() - 1);
  } else if (name == "button") {
    popIf(inScope(open, "button"));
  } else if (name == "a") {
    popIf(findOpen(open, [](std::string_view n) { return n == "a"; }, [](std::string_view n) {
      return isOneOf(n, {"applet", "object", "marquee", "template", "td", "th", "caption"});
    }));
  } else if (name == "nobr") {
    popIf(inScope(open, "nobr"));
  } else if (isOneOf(name, {"rb", "rp", "rt", "rtc"})) {
    if (inScope(open, "ruby") < open.size()) closeImpliedEnds(name == "rt" || name == "rp" ? "rtc" : "");
  } else if (name == "option" || name == "optgroup") {
    if (!open.empty() && open.back().name == "option") popTo(open.size() - 1);
    if (name == "optgroup" && !open.empty() && open.back().name == "optgroup") popTo(open.size() - 1);
  } else if (name == "td" || name == "th") {
    popIf(outermostOpen(open, [](std::string_view n) { return n == "td" || n == "th"; },
                        [](std::string_view n) { return n == "tr" || isTableEdge(n); }));
  } else if (name == "tr") {
    popIf(outermostOpen(open, [](std::string_view n) { return isOneOf(n, {"tr", "td", "th"}); }, isTableEdge));
  } else if (isOneOf(name, {"tbody", "thead", "tfoot"})) {
    popIf(outermostOpen(
        open, [](std::string_view n) { return isOneOf(n, {"tbody", "thead", "tfoot", "tr", "td", "th"}); },
        isTableEdge));
  }
  return true;
}

void TextStream::popTo(std::size_t depth) {
  open.erase(open.begin() + static_cast<std::ptrdiff_t>(depth), open.end());
  scopeChanged();
}

// The innermost open element decides the language of what follows (the token is empty:
// every tag ends one).
void TextStream::scopeChanged() {
  current = open.empty() ? &callerLanguage : languageAt(open.back().language);
  if (current != nullptr) token.use(*current);
}

}  // namespace quellix::detail
