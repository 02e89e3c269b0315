// The languages of HTML elements: the stack of open elements, each with the language its
// lang (or xml:lang) attribute or the element around it gives; the end tags HTML implies
// before a start tag; and which hyphenator divides a language a lang attribute names (the
// caller's own where it is that language's, else the language's built-in one).
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "quellix/language.hpp"
#include "quellix/language_tag.hpp"
#include "text_stream.hpp"

namespace quellix::detail {
namespace {

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

}  // namespace

// The language that divides the contents of an element whose lang attribute has value:
// the one the value names, or none (undivided) when it names none the library has.
LanguageRef TextStream::languageOf(const LangValue& langValue) {
  const std::optional<Language> found = findLanguage(langValue.tag());
  if (!found) return kNoLanguage;
  const auto index = static_cast<std::size_t>(fromEnum(*found));
  return resolve(index) == &callerLanguage ? kCallerLanguage : static_cast<LanguageRef>(index);
}

// The language that divides built-in language index, made on first use.
TextLanguage* TextStream::resolve(std::size_t index) {
  if (resolved[index] == nullptr) {
    const Hyphenator& builtin = languageHyphenator(toEnum(static_cast<std::uint32_t>(index)));
    if (callerMap != nullptr && builtinCharMap(builtin) == callerMap) {
      // The caller's hyphenator is this language's, maybe with its own exceptions or margins.
      resolved[index] = &callerLanguage;
    } else {
      builtins[index] = std::make_unique<TextLanguage>(builtin, options.isWordCharacter);
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
void TextStream::closeElement() {
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
void TextStream::closeImplied() {
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
