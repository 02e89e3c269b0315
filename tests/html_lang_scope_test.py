#!/usr/bin/env python3
"""The language scopes of HTML: which lang attribute covers each piece of text, as
quellix-hyphenate --html follows it, against html5lib's tree building (an independent
parser that implements the HTML standard), over generated pages.

    html_lang_scope_test.py QUELLIX_HYPHENATE [PAGES] [SEED]

Each page is made of the constructs where HTML's tree building and a naive nesting of
tags part ways: end tags left out (p, li, dt, dd, headings, rt, rp, cells, rows), a
heading opened inside a heading, a link inside a link, a button inside a button,
"/>" on elements that are not void (ignored by HTML, but honoured inside svg), end tags
with no open element or beyond a table cell, void elements with lang, and lang values
with blanks or in capitals. Every text is "xN hyphenation", a word that English, French
and German divide differently; the division the tool writes tells which language it
took, and html5lib's tree tells which one the page gives.

Exits 77 (skipped) when html5lib is not installed (Debian: python3-html5lib).
"""
import random
import re
import subprocess
import sys
import tempfile

try:
    import html5lib
except ImportError:
    print("html5lib is not installed (Debian: python3-html5lib): skipped")
    sys.exit(77)

# The divisions of the marker word, and the language of each.
WORD = "hyphenation"
DIVISIONS = {
    "hy|phen|ation": "en",
    "hy|phe|na|tion": "fr",
    "hy|phena|ti|on": "de",
    "hyphenation": "none",
}
# lang values as written, and the language the library resolves each to.
LANG_VALUES = {
    "en": "en", "en-US": "en", "fr": "fr", "FR": "fr", "fr-CA": "fr", "de": "de",
    "de-AT": "de", "xx": "none", "": "none", " fr ": "fr", "\tde\n": "de",
}
USED_VALUES = list(LANG_VALUES)
XML_NS_LANG = "{http://www.w3.org/XML/1998/namespace}lang"


class Page:
    """A page built as a string, with a counter for its markers."""

    def __init__(self, rng):
        self.rng = rng
        self.parts = []
        self.markers = 0

    def emit(self, text):
        self.parts.append(text)

    def text(self):
        self.markers += 1
        self.emit(" x%d %s " % (self.markers, WORD))

    def attributes(self, foreign=False):
        rng = self.rng
        out = ""
        if rng.random() < 0.45:
            value = rng.choice(USED_VALUES)
            quote = rng.choice(['"', "'", ""]) if re.fullmatch(r"[\w-]+", value) else '"'
            out += " lang=%s%s%s" % (quote, value, quote)
        if not foreign and rng.random() < 0.1:
            out += ' xml:lang="%s"' % rng.choice(USED_VALUES)
        if rng.random() < 0.2:
            out += ' class="c"'
        return out

    def start(self, name, foreign=False):
        # HTML ignores "/>" on an element that is not void: it opens all the same.
        # (A blank before it, or an unquoted value would take it in.)
        slash = " /" if not foreign and self.rng.random() < 0.15 else ""
        self.emit("<%s%s%s>" % (name, self.attributes(foreign), slash))


def flow(page, depth):
    """Flow content: text, blocks, lists, headings and the rest, in any order."""
    rng = page.rng
    for _ in range(rng.randint(1, 4)):
        choice = rng.random()
        if depth > 4 or choice < 0.25:
            page.text()
        elif choice < 0.40:
            block(page, depth)
        elif choice < 0.48:
            heading(page, depth)
        elif choice < 0.56:
            list_(page, depth)
        elif choice < 0.62:
            table(page, depth)
        elif choice < 0.68:
            phrasing(page, depth)
        elif choice < 0.73:
            links(page)
        elif choice < 0.78:
            buttons(page)
        elif choice < 0.82:
            ruby(page)
        elif choice < 0.86:
            svg(page)
        elif choice < 0.90:
            void(page)
        elif choice < 0.94:
            stray_end_tag(page)
        else:
            page.start("pre")
            page.text()
            page.emit("</pre>")


def block(page, depth):
    name = page.rng.choice(["div", "section", "p", "blockquote", "article", "aside", "nav", "form"])
    page.start(name)
    flow(page, depth + 1)
    # An end tag left out: what follows is inside (or, for p, closed by the next block).
    if page.rng.random() < 0.7:
        page.emit("</%s>" % name)


def heading(page, depth):
    rng = page.rng
    level = rng.randint(1, 6)
    page.start("h%d" % level)
    page.text()
    if rng.random() < 0.5:
        # A heading opened in a heading closes it; one inside a span does not.
        inner = "h%d" % rng.randint(1, 6)
        if rng.random() < 0.3:
            page.start("span")
            page.text()
        page.start(inner)
        page.text()
        page.emit("</%s>" % inner)
    elif rng.random() < 0.7:
        page.emit("</h%d>" % rng.randint(1, 6))  # any heading's end tag ends a heading


def list_(page, depth):
    rng = page.rng
    if rng.random() < 0.5:
        name, items = rng.choice(["ul", "ol"]), ["li"]
    else:
        name, items = "dl", ["dt", "dd"]
    page.start(name)
    for _ in range(rng.randint(1, 4)):
        item = rng.choice(items)
        page.start(item)
        page.text()
        if rng.random() < 0.3:
            flow(page, depth + 2)
        if rng.random() < 0.4:
            page.emit("</%s>" % item)
    page.emit("</%s>" % name)


def table(page, depth):
    rng = page.rng
    page.start("table")
    for _ in range(rng.randint(1, 3)):
        page.start("tr")
        for _ in range(rng.randint(1, 3)):
            cell = rng.choice(["td", "th"])
            page.start(cell)
            page.text()
            if rng.random() < 0.3:
                flow(page, depth + 2)
            if rng.random() < 0.2:
                page.emit("</div>")  # beyond the cell: ignored
            if rng.random() < 0.5:
                page.emit("</%s>" % cell)
        # Text after a row's end tag would be moved before the table: none is written.
        if rng.random() < 0.4:
            page.emit("</tr>")
    page.emit("</table>")


def phrasing(page, depth):
    page.start("span")
    page.text()
    if page.rng.random() < 0.5:
        flow(page, depth + 1)
    if page.rng.random() < 0.6:
        page.emit("</span>")


def links(page):
    # A link started in a link closes it. Every link ends by its end tag or by the next
    # link, so that no link is rebuilt after a block closes it.
    rng = page.rng
    page.start("a")
    page.text()
    for _ in range(rng.randint(0, 2)):
        if rng.random() < 0.3:
            page.start("span")
            page.text()
        page.start("a")
        page.text()
    page.emit("</a>")


def buttons(page):
    rng = page.rng
    page.start("button")
    page.text()
    if rng.random() < 0.6:
        page.start("span")
        page.text()
        page.start("button")
        page.text()
    page.emit("</button>")


def ruby(page):
    rng = page.rng
    page.start("ruby")
    page.text()
    for _ in range(rng.randint(1, 3)):
        # (Not rb or rtc: html5lib 1.1 predates the rule that closes them.)
        page.start(rng.choice(["rt", "rp"]))
        page.text()
        if rng.random() < 0.3:
            page.emit("</%s>" % rng.choice(["rt", "rp"]))
    page.emit("</ruby>")


def svg(page):
    # Inside svg, "/>" closes the element it ends.
    rng = page.rng
    page.emit("<svg%s>" % page.attributes(foreign=True))
    page.text()
    for _ in range(rng.randint(1, 3)):
        name = rng.choice(["g", "rect", "circle"])
        if rng.random() < 0.6:
            page.emit("<%s%s />" % (name, page.attributes(foreign=True)))
        else:
            page.emit("<%s%s>" % (name, page.attributes(foreign=True)))
            page.text()
            page.emit("</%s>" % name)
        page.text()
    page.emit("</svg>")
    page.text()


def void(page):
    name = page.rng.choice(["br", "img", "hr", "wbr", "input"])
    page.emit("<%s%s%s>" % (name, page.attributes(), page.rng.choice(["", " /"])))
    page.text()


def stray_end_tag(page):
    # End tags with no element of their name open: ignored.
    page.emit("</%s>" % page.rng.choice(["span", "div", "p", "li", "h3", "em", "button", "a"]))
    page.text()


def make_page(rng):
    page = Page(rng)
    # A page without a DOCTYPE is read in quirks mode, where a table does not close an open
    # p; the library follows pages with a DOCTYPE.
    page.emit(rng.choice(["<!DOCTYPE html>", "<!doctype html>\n"]))
    page.emit("<html%s>" % page.attributes())
    if rng.random() < 0.4:
        # A head, closed or not: the body's first tag closes it.
        page.emit("<head%s><title>t</title><meta charset=utf-8>" % page.attributes())
        if rng.random() < 0.5:
            page.emit("</head>")
    if rng.random() < 0.7:
        page.emit("<body%s>" % page.attributes())
    flow(page, 0)
    return "".join(page.parts), page.markers


def expected_languages(html):
    """marker number -> the language of its text in html5lib's tree."""
    tree = html5lib.parse(html, treebuilder="etree", namespaceHTMLElements=False)
    found = {}

    def note(text, language):
        for number in re.findall(r"x(\d+) " + WORD, text or ""):
            found[int(number)] = language

    def walk(element, language):
        attributes = element.attrib
        value = attributes.get("lang")
        if value is None:
            value = attributes.get("xml:lang", attributes.get(XML_NS_LANG))
        if value is not None:
            # HTML strips ASCII white space from the value; the library resolves the rest.
            language = LANG_VALUES[value] if value in LANG_VALUES else "none"
        tag = element.tag if isinstance(element.tag, str) else ""
        inner = "none" if tag == "pre" else language
        note(element.text, inner)
        for child in element:
            walk(child, inner)
            note(child.tail, inner)

    walk(tree, "en")
    return found


def actual_languages(output):
    found = {}
    for number, division in re.findall(r"x(\d+) (\S+)", output):
        found[int(number)] = DIVISIONS.get(division, "unexpected division " + division)
    return found


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    tool = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 28
    rng = random.Random(seed)
    failures = 0
    checked = 0
    for index in range(pages):
        html, markers = make_page(rng)
        with tempfile.NamedTemporaryFile("w", suffix=".html", encoding="utf-8") as page:
            page.write(html)
            page.flush()
            run = subprocess.run([tool, "--html", "--language", "en-us", "--separator", "|",
                                  page.name], capture_output=True, text=True)
        expected = expected_languages(html)
        actual = actual_languages(run.stdout)
        checked += markers
        if run.returncode != 0 or expected != actual:
            failures += 1
            if failures <= 5:
                wrong = sorted(n for n in set(expected) | set(actual)
                               if expected.get(n) != actual.get(n))
                print("page %d (exit %d) differs at markers %s:\n%s\n%s\n"
                      % (index, run.returncode, ", ".join(
                          "x%d html5lib %s quellix %s" % (n, expected.get(n), actual.get(n))
                          for n in wrong), html, run.stderr))
    print("%d pages, %d texts: %d pages differ" % (pages, checked, failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
