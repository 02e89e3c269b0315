// Hyphenating a page's elements in place, in the browser: the text nodes below an element
// are divided in the language their lang attribute names, and left alone inside scripts,
// styles, code, pre and form fields, and where CSS already hyphenates that language.
import { QuellixError } from "./error.mjs";
import { checkOptions, hyphenatorOptions, textOptions } from "./options.mjs";

// Elements whose text is not running text a reader sees (or is not the page's to change).
const LEFT_ALONE = new Set(["SCRIPT", "STYLE", "CODE", "PRE", "KBD", "SAMP", "TEXTAREA", "INPUT",
  "SELECT", "OPTION", "OPTGROUP", "BUTTON", "TEMPLATE", "NOSCRIPT", "IFRAME", "SVG", "MATH"]);

const domOptions = {
  lang: (v) => {
    if (typeof v !== "string") throw new TypeError("options.lang must be a language tag");
    return v;
  },
  skipCssHyphenated: (v) => {
    if (typeof v !== "boolean") throw new TypeError("options.skipCssHyphenated must be true or false");
    return v;
  },
};

export function domFunctions(api) {
  // Per language tag: whether the browser hyphenates it with `hyphens: auto`.
  const cssVerdicts = new Map();

  // Whether CSS hyphenates language tag: a word that the language's patterns divide is set
  // in a column too narrow for it; if the browser divides it, the box is taller than a line.
  function cssHyphenates(tag, word, document) {
    if (cssVerdicts.has(tag)) return cssVerdicts.get(tag);
    const supported = globalThis.CSS?.supports?.("hyphens", "auto") || globalThis.CSS?.supports?.("-webkit-hyphens", "auto");
    let verdict = false;
    if (supported && word) {
      const probe = document.createElement("div");
      probe.lang = tag;
      probe.style.cssText = "position:absolute;visibility:hidden;left:-10000px;top:0;width:1px;" +
        "font:16px/20px serif;hyphens:auto;-webkit-hyphens:auto;overflow-wrap:normal;" +
        "word-break:normal;white-space:normal;padding:0;border:0";
      probe.textContent = word;
      document.body.appendChild(probe);
      verdict = probe.offsetHeight > 30;
      probe.remove();
    }
    cssVerdicts.set(tag, verdict);
    return verdict;
  }

  // The text nodes below root to divide, each with the lang value in scope.
  function collect(root, fallbackLang) {
    const document = root.ownerDocument ?? root;
    const found = [];
    const walker = document.createTreeWalker(root, 1 | 4 /* elements and text */, {
      acceptNode(node) {
        if (node.nodeType === 1) {
          return LEFT_ALONE.has(node.nodeName.toUpperCase()) || node.isContentEditable ? 2 /* reject */ : 3 /* skip */;
        }
        return /\S/.test(node.data) ? 1 : 3;
      },
    });
    if (root.nodeType === 1 && (LEFT_ALONE.has(root.nodeName.toUpperCase()) || root.isContentEditable)) return found;
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const scope = node.parentElement?.closest("[lang]");
      const lang = scope ? scope.getAttribute("lang").trim() : fallbackLang;
      if (lang) found.push({ node, lang });
    }
    return found;
  }

  // A word of text that hyphenator divides, for the CSS probe.
  function probeWord(hyphenator, text) {
    const words = text.split(/\s+/).filter((w) => w.length >= 8).sort((a, b) => b.length - a.length);
    return words.slice(0, 5).find((w) => hyphenator.positions(w).length > 0);
  }

  async function hyphenateNodes(roots, options) {
    const checked = checkOptions(options, textOptions, hyphenatorOptions, domOptions);
    const { lang, skipCssHyphenated = true, left, right, exceptions, ...text } = checked;
    const items = [];
    for (const root of roots) {
      const document = root.ownerDocument ?? root;
      const fallback = lang ?? document.documentElement?.getAttribute("lang")?.trim() ?? "";
      items.push(...collect(root, fallback));
    }
    // One hyphenator per lang value; a value that names no language leaves its text alone.
    const hyphenators = new Map();
    try {
      for (const { lang: value } of items) {
        if (hyphenators.has(value)) continue;
        let hyphenator = null;
        try {
          hyphenator = await api.createHyphenator(value, { left, right, exceptions });
        } catch (error) {
          if (!(error instanceof QuellixError) || error.status !== "UNKNOWN_LANGUAGE") throw error;
        }
        hyphenators.set(value, hyphenator);
      }
      let changed = 0;
      for (const { node, lang: value } of items) {
        const hyphenator = hyphenators.get(value);
        if (!hyphenator) continue;
        if (skipCssHyphenated) {
          const style = getComputedStyle(node.parentElement);
          if ((style.hyphens || style.webkitHyphens) === "auto" &&
              cssHyphenates(hyphenator.tag, probeWord(hyphenator, node.data), node.ownerDocument)) continue;
        }
        const divided = hyphenator.hyphenateText(node.data, { ...text, followLang: undefined });
        if (divided !== node.data) {
          node.data = divided;
          changed++;
        }
      }
      return changed;
    } finally {
      for (const hyphenator of hyphenators.values()) hyphenator?.dispose();
    }
  }

  /**
   * Divides the text below element in place, following lang attributes (options.lang, or
   * the document's lang, where none is in scope). Options: those of hyphenateText and
   * createHyphenator, lang, and skipCssHyphenated (default true: text whose element has
   * `hyphens: auto` is left to the browser when it hyphenates that language).
   * Resolves to the number of text nodes changed.
   */
  async function hyphenateElement(element, options) {
    if (!element || typeof element !== "object" || typeof element.nodeType !== "number") {
      throw new TypeError("element must be a DOM element");
    }
    return hyphenateNodes([element], options);
  }

  /**
   * hyphenateElement for every element that selector (default ".hyphenate") matches in
   * options.root (default: the document), once each.
   */
  async function hyphenateElements(selector = ".hyphenate", options) {
    if (typeof selector !== "string") throw new TypeError("selector must be a CSS selector");
    const { root = globalThis.document, ...rest } = options ?? {};
    if (!root?.querySelectorAll) throw new TypeError("options.root must be a document or an element");
    const matched = new Set(root.querySelectorAll(selector));
    // An element inside another matched one is divided with it.
    const outermost = [...matched].filter((element) => {
      for (let up = element.parentElement; up; up = up.parentElement) if (matched.has(up)) return false;
      return true;
    });
    return hyphenateNodes(outermost, rest);
  }

  return { hyphenateElement, hyphenateElements };
}
