// HTML mode of running-text hyphenation: real-looking pages come back byte for byte once
// the inserted hyphens are taken out, and no hyphen lands in markup, in a character
// reference or in an element whose contents are left alone.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>

#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "test_support.hpp"
#include "quellix/custom.hpp"
#include "quellix/hyphenator.hpp"
#include "quellix/language.hpp"
#include "quellix/language_enum.hpp"
#include "quellix/language_tag.hpp"
#include "quellix/quellix.h"
#include "quellix/text.hpp"

namespace {

using quellix::TextOptions;

// A hyphen string that no test page contains, so that it can be found and taken out.
constexpr std::string_view kMark = "\uE000";

std::string html(const quellix::Hyphenator& h, std::string_view page, TextOptions options = {}) {
  options.hyphen = kMark;
  return quellix::hyphenateHtml(h, page, std::move(options));
}

std::string en(std::string_view page) { return html(quellix::english_US, page); }

// The output with the marks taken out, and where they stood in the input.
struct Insertions {
  std::string input;
  std::vector<std::size_t> at;
};

Insertions insertions(std::string_view out) {
  Insertions result;
  for (std::size_t i = 0; i < out.size();) {
    if (out.substr(i, kMark.size()) == kMark) {
      result.at.push_back(result.input.size());
      i += kMark.size();
    } else {
      result.input.push_back(out[i++]);
    }
  }
  return result;
}

// The byte ranges of page that must receive no hyphen, found with regular expressions,
// independently of the library's scanner: tags, comments, CDATA, the skipped elements,
// and character references (which must not be touched at their edges either).
struct Region {
  std::size_t begin, end;
  bool closed;  // no hyphen at the edges either
};

std::vector<Region> protectedRegions(const std::string& page) {
  const auto icase = std::regex::ECMAScript | std::regex::icase;
  const std::vector<std::pair<std::regex, bool>> patterns{
      {std::regex("<!--[\\s\\S]*?-->"), false},
      {std::regex("<!\\[CDATA\\[[\\s\\S]*?\\]\\]>"), false},
      {std::regex("<(script|style|textarea|title)\\b[\\s\\S]*?</\\1\\s*>", icase), false},
      {std::regex("<(pre|code)\\b[\\s\\S]*?</\\1\\s*>", icase), false},
      {std::regex("<[!?/]?[A-Za-z][^>]*>"), false},
      {std::regex("&[#A-Za-z0-9]+;?"), true},
  };
  std::vector<Region> regions;
  for (const auto& [pattern, closed] : patterns) {
    for (auto it = std::sregex_iterator(page.begin(), page.end(), pattern);
         it != std::sregex_iterator(); ++it) {
      const auto begin = static_cast<std::size_t>(it->position());
      regions.push_back({begin, begin + static_cast<std::size_t>(it->length()), closed});
    }
  }
  return regions;
}

// Checks out against page: the marks removed give page; none lies in a protected region.
// Returns how many marks there are.
std::size_t checkPage(const std::string& page, const std::string& out) {
  const Insertions found = insertions(out);
  EXPECT_EQ(found.input, page);
  const auto letterAt = [&page](std::size_t k) {
    return k < page.size() && std::isalpha(static_cast<unsigned char>(page[k])) != 0;
  };
  for (const Region& region : protectedRegions(page)) {
    for (const std::size_t at : found.at) {
      // A reference inside a word ("r&#233;sum&#xE9;") stands for a letter: a break may
      // come next to it, on the word's side.
      const bool wordEdge = (at == region.begin && at > 0 && letterAt(at - 1)) ||
                            (at == region.end && letterAt(at));
      const bool inside = region.closed ? at >= region.begin && at <= region.end && !wordEdge
                                        : at > region.begin && at < region.end;
      EXPECT_FALSE(inside) << "hyphen at " << at << " in "
                           << page.substr(region.begin, region.end - region.begin);
    }
  }
  return found.at.size();
}

const std::string kArticle = R"html(<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <meta name="description" content="Hyphenation algorithms explained for typesetting enthusiasts">
  <title>Hyphenation: how computers divide words</title>
  <link rel="stylesheet" href="/assets/typography.css">
  <style>
    body { font-family: Georgia, serif; hyphens: manual; }
    .hyphenation-example { background: #fafafa; }
  </style>
  <script type="text/javascript">
    // Hyphenation statistics for the associate editor.
    const demonstration = "hyphenation of comprehensive documentation";
    if (a < b && b > c) { console.log(demonstration); }
  </script>
</head>
<body class="article">
  <nav><a href="https://typography.example/articles/hyphenation">Typography articles</a></nav>
  <!-- Main content starts here: hyphenation applies below -->
  <article>
    <h1>Hyphenation &amp; justification</h1>
    <p>Justified paragraphs look <em>considerably</em> better when long words are divided.
    Liang&#8217;s algorithm, published in 1983, remains the standard&nbsp;method; the
    caf&eacute; owner&#x2019;s r&#233;sum&#xE9; is irrelevant here.</p>
    <p>Contact the associate editor at editor@typography.example or visit
    www.typography.example&nbsp;for supplementary information.</p>
    <img src="/images/hyphenation-diagram.png" alt="Diagram demonstrating hyphenation points">
    <pre class="listing">
function hyphenateEverything(documentation) {
  return documentation.replace(/comprehensive/g, "understandable");
}
    </pre>
    <p>Call <code>hyphenateEverything(documentation)</code> before rendering paragraphs.</p>
    <form action="/comments" method="post">
      <textarea name="comment" rows="4">Unfortunately, automatic hyphenation is controversial.</textarea>
      <button type="submit">Submit commentary</button>
    </form>
  </article>
</body>
</html>
)html";

const std::string kGermanNews = R"html(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">
<HTML LANG="de">
<HEAD>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=utf-8">
<TITLE>Nachrichten aus der Landeshauptstadt</TITLE>
<SCRIPT TYPE="text/javascript">
<!--
var Silbentrennung = "Donaudampfschifffahrtsgesellschaft";
document.write("<p>Verwaltungsgerichtsverfahren</p>");
//-->
</SCRIPT>
<!--[if lt IE 9]><script src="html5shiv.js"></script><![endif]-->
</HEAD>
<BODY>
<DIV ID="kopf"><A HREF="/">Startseite</A> | <A HREF='/politik'>Politik</A></DIV>
<H1>Bürgermeisterin eröffnet Umgehungsstraße</H1>
<P CLASS=vorspann>Die Bürgermeisterin hat am Donnerstag die lang&shy;ersehnte Umgehungsstraße
eröffnet. Anwohnerinnen und Anwohner begrüßten die Verkehrsberuhigung ausdrücklich.</P>
<P>Die Baukosten beliefen sich auf 12,5&nbsp;Millionen Euro &ndash; deutlich weniger als die
ursprünglich veranschlagten Gesamtkosten. Weitere Informationen: https://stadt.example/verkehr</P>
<PRE>
Verkehrsaufkommen   Vorher   Nachher
Innenstadtbereich   18000     6500
</PRE>
<P>Stellungnahme der Bürgerinitiative<BR>
Verkehrsberuhigungsmaßnahmen <B>müssen</B> fortgesetzt werden.</P>
<!-->Leerer Kommentar, danach Fließtext
</BODY>
</HTML>
)html";

const std::string kDocumentation = R"html(<?xml version="1.0" encoding="UTF-8"?>
<html xmlns="http://www.w3.org/1999/xhtml">
<body>
<h2 id='configuration'>Configuration reference</h2>
<p>The <code class="option">--hyphenation-dictionary</code> option selects the dictionary;
see <a href=../manual/options.html#dictionary title='Dictionary selection'>dictionary selection</a>.</p>
<pre><code class="language-shell">
$ configure --hyphenation-dictionary=english --experimental
</code></pre>
<p>Remember: 3 &lt; 5 and performance&gt;compatibility. Hyphenation &#x26; typesetting.</p>
<table>
  <tr><th>Parameter</th><th>Description</th></tr>
  <tr><td>minimum</td><td>Shortest hyphenatable word, measured in characters</td></tr>
</table>
<script><![CDATA[
  var unchanged = "extraordinary";
]]></script>
<p>Supplementary documentation is available on request.<br/>Questions? Write to
documentation@project.example.</p>
</body>
</html>
)html";

// ---------------------------------------------------------------------------------------
// Whole pages.

TEST(TextHtml, PagesKeepEveryByteAndOnlyTextIsHyphenated) {
  struct Page {
    const char* name;
    const quellix::Hyphenator& h;
    const std::string& text;
    std::vector<std::string> divided;  // words of text content, divided in the output
    std::vector<std::string> whole;    // words of skipped parts that must stay whole
  };
  const std::vector<Page> pages{
      {"article", quellix::english_US, kArticle,
       {"Hyphenation", "justification", "considerably", "paragraphs", "algorithm"},
       {"hyphenation of comprehensive documentation", "how computers divide words",
        "hyphenateEverything(documentation)", "Unfortunately, automatic hyphenation",
        "Diagram demonstrating hyphenation points", "editor@typography.example",
        "caf&eacute;"}},
      {"German news", quellix::german_1996, kGermanNews,
       {"Bürgermeisterin", "Umgehungsstraße", "Fließtext", "Bürgerinitiative"},
       {"Donaudampfschifffahrtsgesellschaft", "Verwaltungsgerichtsverfahren",
        "Innenstadtbereich", "lang&shy;ersehnte", "Nachrichten aus der Landeshauptstadt",
        "https://stadt.example/verkehr"}},
      {"documentation", quellix::english_US, kDocumentation,
       {"Configuration", "Supplementary", "compatibility", "Description", "performance"},
       {"--hyphenation-dictionary=english --experimental", "extraordinary",
        "Dictionary selection", "documentation@project.example"}},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    const std::string out = html(page.h, page.text);
    EXPECT_GT(checkPage(page.text, out), 20u);
    for (const std::string& word : page.divided) {
      const std::string expected = html(page.h, word);
      EXPECT_NE(expected, word);
      EXPECT_NE(out.find(expected), std::string::npos) << expected;
    }
    for (const std::string& word : page.whole)
      EXPECT_NE(out.find(word), std::string::npos) << word;
  }
}

TEST(TextHtml, ChunkedPagesGiveTheWholePageResult) {
  for (const std::string* page : {&kArticle, &kGermanNews, &kDocumentation}) {
    const quellix::Hyphenator& h =
        page == &kGermanNews ? static_cast<const quellix::Hyphenator&>(quellix::german_1996)
                             : quellix::english_US;
    const TextOptions options{.markup = quellix::TextMarkup::Html};
    const std::string whole = quellix::hyphenateText(h, *page, options);
    for (const std::size_t step : {1, 2, 3, 7, 64, 500}) {
      SCOPED_TRACE(page->substr(0, 40) + " in steps of " + std::to_string(step));
      quellix::TextHyphenator hyphenator(h, options);
      std::string out;
      for (std::size_t i = 0; i < page->size(); i += step)
        hyphenator.write(std::string_view(*page).substr(i, step), out);
      hyphenator.finish(out);
      EXPECT_EQ(out, whole);
    }
  }
}

// ---------------------------------------------------------------------------------------
// The pieces of markup one by one. "hyphenation" comes out as hy·phen·ation when divided.

constexpr const char* kDivided = "hy\uE000phen\uE000ation";

std::string withWord(std::string_view before, bool divided, std::string_view after = "") {
  return std::string(before) + (divided ? kDivided : "hyphenation") + std::string(after);
}

TEST(TextHtml, TagsAndAttributesAreMarkup) {
  EXPECT_EQ(en("<p class=\"hyphenation\" title='hyphenation' data-x=hyphenation>hyphenation</p>"),
            withWord("<p class=\"hyphenation\" title='hyphenation' data-x=hyphenation>", true,
                     "</p>"));
  // A '>' inside a quoted value does not end the tag.
  EXPECT_EQ(en("<a title=\"a > hyphenation\">hyphenation</a>"),
            withWord("<a title=\"a > hyphenation\">", true, "</a>"));
  // A '<' that starts no tag is text.
  EXPECT_EQ(en("a < hyphenation"), withWord("a < ", true));
  EXPECT_EQ(en("3<4 hyphenation<"), withWord("3<4 ", true, "<"));
  // Tags end words: nothing is joined across them.
  EXPECT_EQ(en("hyphen<b>ation</b>"), "hy\uE000phen<b>" + en("ation") + "</b>");
  // Unfinished markup at the end is copied.
  EXPECT_EQ(en("hyphenation <p class=\"hyphenation"), withWord("", true, " <p class=\"hyphenation"));
}

TEST(TextHtml, CommentsDeclarationsAndCdataAreMarkup) {
  EXPECT_EQ(en("<!-- hyphenation -- still a comment -->hyphenation"),
            withWord("<!-- hyphenation -- still a comment -->", true));
  EXPECT_EQ(en("<!-->hyphenation"), withWord("<!-->", true));
  EXPECT_EQ(en("<!--->hyphenation"), withWord("<!--->", true));
  EXPECT_EQ(en("<!-- hyphenation --!>hyphenation"), withWord("<!-- hyphenation --!>", true));
  EXPECT_EQ(en("<!DOCTYPE hyphenation>hyphenation"), withWord("<!DOCTYPE hyphenation>", true));
  EXPECT_EQ(en("<?hyphenation ?>hyphenation"), withWord("<?hyphenation ?>", true));
  EXPECT_EQ(en("<![CDATA[ hyphenation > ] ]]>hyphenation"),
            withWord("<![CDATA[ hyphenation > ] ]]>", true));
  EXPECT_EQ(en("</ hyphenation>hyphenation</>"), withWord("</ hyphenation>", true, "</>"));
}

TEST(TextHtml, CharacterReferencesAreNeverBroken) {
  EXPECT_EQ(en("&amp; &#233; &#x00e9; &nbsp; &hyphenation;"),
            "&amp; &#233; &#x00e9; &nbsp; &hyphenation;");
  // A reference ends the word it touches; the rest of the word is divided on its own.
  EXPECT_EQ(en("caf&eacute;s hyphenation&amp;associate"),
            "caf&eacute;s hy\uE000phen\uE000ation&amp;as\uE000so\uE000ciate");
  // A soft-hyphen reference is a soft hyphen: the word is someone's division already.
  EXPECT_EQ(en("hy&shy;phenation hy&#173;phenation hy&#xAD;phenation"),
            "hy&shy;phenation hy&#173;phenation hy&#xAD;phenation");
  TextOptions complete{.skipSoftHyphenated = false};
  EXPECT_EQ(html(quellix::english_US, "hy&shy;phenation", complete), "hy&shy;phen\uE000ation");
  // A no-break space, written either way, separates tokens: the URL stays alone.
  EXPECT_EQ(en("www.example.org&nbsp;hyphenation www.example.org&#160;hyphenation"),
            withWord("www.example.org&nbsp;", true, " www.example.org&#160;") + kDivided);
  // References without ';', and an '&' that starts none.
  EXPECT_EQ(en("&amp hyphenation & hyphenation"), withWord("&amp ", true, " & ") + kDivided);
  // A very long reference-like run is still one piece.
  const std::string longReference = "&" + std::string(100, 'x') + ";";
  EXPECT_EQ(en(longReference + "hyphenation"), longReference + kDivided);
}

TEST(TextHtml, SkippedElementsAreCopied) {
  for (const char* name :
       {"script", "style", "textarea", "title", "pre", "code", "SCRIPT", "Pre", "cOdE"}) {
    SCOPED_TRACE(name);
    const std::string open = std::string("<") + name + " class=x>";
    const std::string close = std::string("</") + name + ">";
    EXPECT_EQ(en("hyphenation" + open + "hyphenation" + close + "hyphenation"),
              kDivided + open + "hyphenation" + close + kDivided);
  }
  // Script contents are not markup: only the real end tag ends them, in any case, with
  // white space before the '>'.
  EXPECT_EQ(en("<script>if (a<b) x = '</scripts> <b>hyphenation</b>';</SCRIPT >hyphenation"),
            withWord("<script>if (a<b) x = '</scripts> <b>hyphenation</b>';</SCRIPT >", true));
  EXPECT_EQ(en("<style>p::after{content:'hyphenation'}</style\n>hyphenation"),
            withWord("<style>p::after{content:'hyphenation'}</style\n>", true));
  // pre and code nest; their contents may hold tags and references.
  EXPECT_EQ(en("<pre>x<pre>hyphenation</pre> <b>hyphenation</b> &amp;hyphenation</pre>"
               "hyphenation <code><code></code>hyphenation</code>hyphenation"),
            withWord("<pre>x<pre>hyphenation</pre> <b>hyphenation</b> &amp;hyphenation</pre>",
                     true, " <code><code></code>hyphenation</code>") +
                kDivided);
  // An end tag without a start tag changes nothing; a '/' before '>' does not close.
  EXPECT_EQ(en("</pre>hyphenation<code/>hyphenation</code>hyphenation"),
            withWord("</pre>", true, "<code/>hyphenation</code>") + kDivided);
  // Longer names that start like a skipped one are ordinary elements.
  EXPECT_EQ(en("<prefix>hyphenation</prefix><scripted>hyphenation"),
            withWord("<prefix>", true, "</prefix><scripted>") + kDivided);
}

TEST(TextHtml, OptionsApplyToTextContent) {
  TextOptions options{.minWordLength = 12, .skipCapitals = true};
  EXPECT_EQ(html(quellix::english_US, "<b>hyphenation</b> CONSTITUTIONAL constitutionality",
                 options),
            "<b>hyphenation</b> CONSTITUTIONAL " +
                quellix::hyphenateText(quellix::english_US, "constitutionality",
                                       TextOptions{.hyphen = std::string(kMark)}));
  // In plain mode the same text is all words.
  EXPECT_EQ(quellix::hyphenateText(quellix::english_US, "<b>hyphenation</b>",
                                   TextOptions{.hyphen = std::string(kMark)}),
            withWord("<b>", true, "</b>"));
  EXPECT_EQ(quellix::hyphenateText(quellix::english_US, "<p id=\"hyphenation\">",
                                   TextOptions{.hyphen = std::string(kMark)}),
            withWord("<p id=\"", true, "\">"));
}

}  // namespace

namespace {

TEST(TextHtmlRawText, EveryRawTextElementIsLeftAlone) {
  const TextOptions options{.hyphen = "&shy;"};
  for (const std::string name : {"xmp", "iframe", "noembed", "noframes", "XMP"}) {
    SCOPED_TRACE(name);
    const std::string page = "<" + name + ">hyphenation <b>hyphenation</b></" + name + ">";
    EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, page + "hyphenation", options),
              page + "hy&shy;phen&shy;ation");
  }
  // plaintext never ends; noscript is markup a browser without scripts shows.
  EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US,
                                   "<plaintext>hyphenation</plaintext>hyphenation", options),
            "<plaintext>hyphenation</plaintext>hyphenation");
  EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, "<noscript>hyphenation</noscript>", options),
            "<noscript>hy&shy;phen&shy;ation</noscript>");
}

}  // namespace

namespace {

TEST(TextHtmlRawText, ScriptsFollowTheEscapedStatesOfHtml) {
  const TextOptions options{.hyphen = "|"};
  const auto en = [&](std::string_view page) {
    return quellix::hyphenateHtml(quellix::english_US, page, options);
  };
  // Whole scripts, as a browser reads them: nothing inside gets a hyphen.
  for (const std::string script : {
           "<script><!-- document.write(\"<script>var a=1;</script>\"); var representation = 1; --></script>",
           "<script><!--<script></script>representation--></script>",
           "<SCRIPT><!-- <Script >x</SCRIPT\t> representation --></script >",
           "<script><!-- <script/>--> representation</script>",
           "<script><!--<scripts></script>",
           "<script><!-- <script></script><script> representation --></script>",
           "<script>a<!-b</script>",
       }) {
    SCOPED_TRACE(script);
    EXPECT_EQ(en(script + "representation"), script + "rep|re|sen|ta|tion");
  }
  // A comment closed before the script tag leaves ordinary script data.
  EXPECT_EQ(en("<script><!-- --><script></script>representation"),
            "<script><!-- --><script></script>rep|re|sen|ta|tion");
  // An escaped script still ends at its end tag: "</script" is not nested there.
  EXPECT_EQ(en("<script><!-- </script>representation"), "<script><!-- </script>rep|re|sen|ta|tion");
}

}  // namespace

namespace {

// A page template: each "{tag:word}" stands for word divided with '|' by the built-in
// hyphenator of the language tag names (or of every, when given; "{-:word}": the word as
// it is), and the rest is copied.
std::string expand(std::string_view page, std::string_view every = {}) {
  std::string out;
  while (!page.empty()) {
    const std::size_t open = page.find('{');
    out.append(page.substr(0, open));
    if (open == std::string_view::npos) break;
    const std::size_t colon = page.find(':', open);
    const std::size_t close = page.find('}', colon);
    const std::string_view tag = every.empty() ? page.substr(open + 1, colon - open - 1) : every;
    const std::string_view word = page.substr(colon + 1, close - colon - 1);
    page.remove_prefix(close + 1);
    if (tag == "-") {  // left undivided
      out.append(word);
      continue;
    }
    const auto language = quellix::findLanguage(tag);
    std::string divided;
    for (std::string_view piece :
         quellix::hyphenate(quellix::languageHyphenator(language.value()), word))
      divided.append(divided.empty() ? "" : "|").append(piece);
    out.append(divided);
  }
  return out;
}

// The page with every "{tag:word}" replaced by the word alone.
std::string plainPage(std::string_view page) {
  std::string out;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i] != '{') {
      out.push_back(page[i]);
      continue;
    }
    const std::size_t colon = page.find(':', i);
    const std::size_t close = page.find('}', colon);
    out.append(page.substr(colon + 1, close - colon - 1));
    i = close;
  }
  return out;
}

struct LangCase {
  std::string_view what;
  std::string_view page;  // "{tag:word}": how the word must come out
};

const LangCase kLangCases[] = {
    {"a multilingual page",
     "<p lang=\"de\">{de:Silbentrennung}</p><p>{en:hyphenation}</p><div lang=\"fr\"><span>"
     "{fr:dictionnaire}</span></div><p lang=\"xx\">{-:hyphenation}</p><p lang=\"\">{-:hyphenation}</p>"},
    {"nested elements inherit and override",
     "<div lang=de><p><span>{de:Rechtschreibung}</span> {de:Rechtschreibung}</p>"
     "<p lang=en-GB>{en-gb:hyphenation}</p>{de:Rechtschreibung}</div>{en:hyphenation}"},
    {"no language inside a known one, and back",
     "<div lang=de><p lang=zz>{-:Rechtschreibung} <b>{-:hyphenation}</b></p>{de:Rechtschreibung}</div>"},
    {"a p ends at the next p or block",
     "<body lang=fr><p lang=de>{de:Rechtschreibung}<p>{fr:dictionnaire}<p lang=de>"
     "{de:Rechtschreibung}<div>{fr:dictionnaire}</div></body>"},
    {"list items, terms and options end at the next one",
     "<ul><li lang=de>{de:Rechtschreibung}<li>{en:hyphenation}</ul><dl><dt lang=de>"
     "{de:Rechtschreibung}<dd>{en:hyphenation}<dt lang=fr>{fr:dictionnaire}</dl>"
     "<select><option lang=de>{de:Rechtschreibung}<option>{en:hyphenation}</select>"},
    {"cells end at the next cell or row",
     "<table><tr lang=de><td>{de:Rechtschreibung}<td lang=fr>{fr:dictionnaire}<tr><th>"
     "{en:hyphenation}<td lang=de><p>{de:Rechtschreibung}<td>{en:hyphenation}</table>"},
    {"end tags close loosely",
     "<div lang=de><span lang=fr>{fr:dictionnaire}</div>{en:hyphenation}<p lang=de>"
     "{de:Rechtschreibung}</span>{de:Rechtschreibung}</p>{en:hyphenation}"},
    {"void elements open nothing; \"/>\" on another element is no end, as in HTML",
     "<p lang=de>{de:Rechtschreibung}<br lang=fr>{de:Rechtschreibung}<img lang=\"fr\"/>"
     "{de:Rechtschreibung}<span lang=\"fr\" />{fr:dictionnaire}</p>{en:hyphenation}"},
    {"xml:lang, and lang where both are given",
     "<p xml:lang=\"de\">{de:Rechtschreibung}</p><p xml:lang=\"de\" lang=\"fr\">"
     "{fr:dictionnaire}</p><p LANG=fr xml:lang=de>{fr:dictionnaire}</p>"},
    {"values quoted either way or not, names in any case, tags and locales",
     "<P LANG='de'>{de:Rechtschreibung}</P><p class=x lang = \"de_DE.UTF-8\">{de:Rechtschreibung}"
     "</p><p lang=de-AT-1996 id=y>{de:Rechtschreibung}</p><p Lang=FR>{fr:dictionnaire}</p>"},
    {"the first of repeated attributes, a bare lang, lang in other attributes",
     "<p lang=de lang=fr>{de:Rechtschreibung}</p><p lang>{-:hyphenation}</p><p title=\"lang=de\" "
     "data-lang=de>{en:hyphenation}</p><p lang=fr/>{-:dictionnaire}</p>"},
    {"a long value counts by its leading subtags",
     "<p lang=\"de-x-aaaaaaaa-bbbbbbbb-cccccccc-dddddddd-eeeeeeee-ffffffff-gggggggg\">"
     "{de:Rechtschreibung}</p><p lang=\"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaa-de\">{-:hyphenation}</p>"},
};

TEST(TextHtmlLang, ElementsAreDividedInTheLanguageTheirLangNames) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  for (const LangCase& c : kLangCases) {
    const std::string page = plainPage(c.page);
    EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|"}), expand(c.page))
        << c.what;
    // Turned off, the caller's hyphenator divides the words it divided before.
    EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|", .followLang = false}),
              expand(c.page, "en"))
        << c.what;
  }
}

// Where HTML's tree building and a plain nesting of tags part ways; in English, German and
// French only, so that the three-language build runs it too.
const LangCase kTreeBuildingCases[] = {
    {"a heading closes the heading open before it, not one around a span",
     "<h1 lang=fr>{fr:dictionnaire}<h2>{en:hyphenation}</h2><h3 lang=fr><span>{fr:dictionnaire}"
     "<h4>{fr:dictionnaire}</h4></span></h3>{en:hyphenation}"},
    {"any heading's end tag closes the open heading",
     "<h2 lang=de>{de:Rechtschreibung}</h5>{en:hyphenation}"},
    {"a link closes the open link, a button the open button",
     "<a lang=fr href=x>{fr:dictionnaire}<a>{en:hyphenation}</a><button lang=fr>"
     "{fr:dictionnaire}<span><button>{en:hyphenation}</button>"},
    {"ruby text ends at the next ruby text",
     "<ruby lang=de>{de:Rechtschreibung}<rt lang=fr>{fr:dictionnaire}<rt>{de:Rechtschreibung}"
     "<rp lang=fr>{fr:dictionnaire}<rp>{de:Rechtschreibung}</ruby>{en:hyphenation}"},
    {"\"/>\" opens an element that is not void, and closes one in svg",
     "<div lang=\"fr\"/>{fr:dictionnaire}</div>{en:hyphenation}<svg><g lang=fr />"
     "{en:hyphenation}<g lang=fr>{fr:dictionnaire}</g></svg><svg lang=\"fr\"/>{en:hyphenation}"
     "<svg><g lang=fr/>{-:hyphenation}</g></svg>"},  // an unquoted value takes the '/' in
    {"end tags HTML ignores close nothing",
     "<div lang=de><table><tr><td lang=fr>{fr:dictionnaire}</div>{fr:dictionnaire}</td></tr>"
     "</table>{de:Rechtschreibung}<p lang=fr>{fr:dictionnaire}</span></b>{fr:dictionnaire}</p>"
     "</div><body lang=de>{de:Rechtschreibung}</body>{de:Rechtschreibung}"},
    {"table parts outside a table open nothing",
     "<div lang=de><td lang=fr>{de:Rechtschreibung}<tr lang=fr>{de:Rechtschreibung}</div>"},
};

TEST(TextHtmlLang, ElementsNestAsHtmlsTreeBuildingNestsThem) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::German_1996,
                            quellix::Language::French);
  for (const LangCase& c : kTreeBuildingCases) {
    const std::string page = plainPage(c.page);
    EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|"}), expand(c.page))
        << c.what;
    // Chunked, or on threads, the scopes are the same.
    quellix::TextHyphenator stream(quellix::english_US, {.hyphen = "|", .markup = quellix::TextMarkup::Html});
    std::string out;
    for (const char byte : page) stream.write(std::string_view(&byte, 1), out);
    stream.finish(out);
    EXPECT_EQ(out, expand(c.page)) << c.what;
  }
}

TEST(TextHtmlLang, LangValuesLoseTheWhiteSpaceAroundThemThenCount64Bytes) {
  QUELLIX_REQUIRE_LANGUAGES(quellix::Language::English_US, quellix::Language::German_1996);
  const std::string blanks = " \t\n\f\r";
  const struct {
    std::string value;
    bool german;
  } cases[] = {
      {"de" + std::string(62, ' '), true},  // 64 bytes
      {"de" + std::string(63, ' '), true},
      {std::string(100, ' ') + "de", true},
      {blanks + "de" + blanks + std::string(100, ' '), true},
      {blanks + "de-AT-1996" + blanks, true},
      {std::string(70, ' ') + "de-" + std::string(61, 'x'), true},  // cut at 64: "de"
      {"  ", false},
      {"d e", false},
  };
  for (const auto& c : cases) {
    const std::string page = "<p lang=\"" + c.value + "\">Rechtschreibung</p>";
    EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, page, {.hyphen = "|"}),
              "<p lang=\"" + c.value + "\">" +
                  (c.german ? expand("{de:Rechtschreibung}") : "Rechtschreibung") + "</p>")
        << c.value.size();
  }
}

// A TextHyphenator for HTML with '|' for hyphens, whose lang values that name no language
// go to heard.
quellix::TextHyphenator listening(std::vector<std::string>& heard) {
  quellix::TextHyphenator stream(quellix::english_US, {.hyphen = "|", .markup = quellix::TextMarkup::Html});
  stream.onUnknownLanguage([&heard](std::string_view value) { heard.emplace_back(value); });
  return stream;
}

// lang values that name no language reach onUnknownLanguage(), each once, in the order of
// the text, however the text is cut or shared among threads.
TEST(TextHtmlLang, ValuesThatNameNoLanguageAreReportedOnce) {
  std::vector<std::string> heard;
  const std::string page =
      "<p lang=xx>hyphenation</p><p lang=\" xx \">x</p><p lang=\"\">x</p><p lang=\" \">x</p>"
      "<p lang=tlh-Latn>x</p><p lang=en>hyphenation</p><p xml:lang=\"\x1b[2J\">x</p><p lang=XX>"
      "<p lang=xx>x</p>";
  const std::vector<std::string> expected{"xx", "tlh-Latn", "\x1b[2J", "XX"};
  std::string divided = page;
  divided.replace(divided.find("en>hyphenation") + 3, 11, "hy|phen|ation");
  quellix::TextHyphenator stream = listening(heard);
  std::string out;
  stream.write(page, out);
  EXPECT_EQ(heard, expected);  // by the end of the write() that met them
  stream.finish(out);
  EXPECT_EQ(out, divided);
  // Chunk by chunk, and once in the object's life.
  heard.clear();
  stream.reset();
  out.clear();
  for (const char c : page) stream.write(std::string_view(&c, 1), out);
  stream.write(page, out);
  stream.finish(out);
  EXPECT_EQ(heard, expected);
  stream.reset();  // forgets what it reported
  stream.write("<b lang=xx>", out);
  EXPECT_EQ(heard.back(), "xx");
  // On threads, in the order of the text.
  heard.clear();
  std::string large;
  std::vector<std::string> many;
  for (int k = 0; large.size() < (std::size_t{3} << 20); ++k) {
    many.push_back("x-" + std::to_string(k % 200));
    large += "<p lang=" + many.back() + ">";
    for (int words = 0; words < 500; ++words) large += "of text ";
    large += "</p>\n";
  }
  many.resize(200);
  quellix::TextHyphenator threaded = listening(heard);
  out.clear();
  threaded.write(large, out, 4);
  threaded.finish(out);
  EXPECT_EQ(out, quellix::hyphenateText(quellix::english_US, large, {.hyphen = "|", .markup = quellix::TextMarkup::Html}));
  EXPECT_EQ(heard, many);
}

// A language this build leaves out is one it does not have: its text is left undivided
// and the caller hears of it; nothing else of the text is lost (C++ and C alike).
TEST(TextHtmlLang, ALanguageLeftOutOfTheBuildIsOneWithoutPatterns) {
  const auto missing = [] {
    for (const quellix::Language language : quellix::enumFrom(quellix::Language::Afrikaans))
      if (!quellix::languageBuiltIn(language)) return std::optional(language);
    return std::optional<quellix::Language>();
  }();
  if (!missing) GTEST_SKIP() << "every language is built in";
  const std::string affix(quellix::languageAffix(*missing));
  const std::string page = "<p>hyphenation</p><p lang=" + affix + ">hyphenation</p>";
  std::vector<std::string> heard;
  quellix::TextHyphenator stream = listening(heard);
  std::string out;
  stream.write(page, out);
  stream.finish(out);
  EXPECT_EQ(out, "<p>hy|phen|ation</p><p lang=" + affix + ">hyphenation</p>");
  EXPECT_EQ(heard, std::vector<std::string>{affix});
  quellix_hyphenator* h = nullptr;
  ASSERT_EQ(quellix_hyphenator_open("en-us", &h), QUELLIX_OK);
  quellix_text_options options = quellix_text_options_default();
  options.html = 1;
  options.hyphen = "|";
  char buffer[256];
  std::size_t length = 0;
  EXPECT_EQ(quellix_hyphenate_text(h, page.c_str(), QUELLIX_NUL_TERMINATED, &options, buffer,
                                   sizeof buffer, &length),
            QUELLIX_OK)
      << quellix_last_error();
  EXPECT_EQ(std::string(buffer, length), "<p>hy|phen|ation</p><p lang=" + affix + ">hyphenation</p>");
  quellix_hyphenator_close(h);
}

TEST(TextHtmlLang, TheCallersOwnLanguageKeepsItsExceptions) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  const quellix::Hyphenator mine = quellix::withExceptions(quellix::english_US, "hyphen-ation\n");
  EXPECT_EQ(quellix::hyphenateHtml(mine, "hyphenation <p lang=en-US>hyphenation</p> <p lang=de>"
                                         "Rechtschreibung</p> <p lang=en-GB>hyphenation</p>",
                                   {.hyphen = "|"}),
            expand("hyphen|ation <p lang=en-US>hyphen|ation</p> <p lang=de>{de:Rechtschreibung}"
                   "</p> <p lang=en-GB>{en-gb:hyphenation}</p>"));
}

TEST(TextHtmlLang, ChunkingAndDeepNestingChangeNothing) {
  QUELLIX_REQUIRE_ALL_LANGUAGES();
  std::string page;
  for (const LangCase& c : kLangCases) page += plainPage(c.page);
  const std::string whole = quellix::hyphenateHtml(quellix::english_US, page);
  for (const std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{13}}) {
    quellix::TextHyphenator stream(quellix::english_US, {.markup = quellix::TextMarkup::Html});
    std::string out;
    for (std::size_t at = 0; at < page.size(); at += size) stream.write(page.substr(at, size), out);
    stream.finish(out);
    EXPECT_EQ(out, whole) << size;
  }
  // Past the tracked depth, elements are counted: their text keeps the language at the cap,
  // and each end tag closes one of them.
  std::string deep = "<div lang=de>";
  std::string deepExpected = deep;
  for (std::size_t k = 0; k < quellix::kMaxLangDepth + 10; ++k) deep += "<span>";
  deepExpected += deep.substr(13);
  deep += "<b lang=fr>Rechtschreibung</b>";
  deepExpected += expand("<b lang=fr>{de:Rechtschreibung}</b>");
  for (std::size_t k = 0; k < quellix::kMaxLangDepth + 10; ++k) {
    deep += "</span>";
    deepExpected += "</span>";
  }
  deep += "</div>hyphenation";
  deepExpected += expand("</div>{en:hyphenation}");
  EXPECT_EQ(quellix::hyphenateHtml(quellix::english_US, deep, {.hyphen = "|"}), deepExpected);
}

}  // namespace
