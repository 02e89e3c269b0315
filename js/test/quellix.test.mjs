// The package as a caller uses it, as an ES module in Node: node --test test/quellix.test.mjs
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { test } from "node:test";

import * as quellix from "../quellix.mjs";

const {
  QuellixError, createHyphenator, hyphenateHtml, hyphenateText, languages, loadLanguages, version,
} = quellix;
const SHY = "\u00ad";

test("pieces, positions and inserted agree, with positions as string indices", async () => {
  const rows = [
    ["en-us", "hyphenation", ["hy", "phen", "ation"]],
    ["English_US", "Associate", ["As", "so", "ciate"]], // from the exception list
    ["de-1996", "Größenverhältnisse", ["Grö", "ßen", "ver", "hält", "nis", "se"]],
    ["ru", "переносить", ["пе", "ре", "но", "сить"]],
    ["de-1996", "😀Silbentrennung", ["😀Sil", "ben", "tren", "nung"]], // 2 UTF-16 units
    ["en-us", "a", ["a"]],
    ["en-us", "", [""]],
    ["en-us", "hyphenation".repeat(40), null], // more breaks than the first buffer holds
  ];
  for (const [lang, word, expected] of rows) {
    const h = await createHyphenator(lang);
    const pieces = h.pieces(word);
    if (expected) assert.deepEqual(pieces, expected, `${lang} ${word}`);
    assert.equal(pieces.join(""), word);
    const offsets = pieces.slice(0, -1).map((_, i) => pieces.slice(0, i + 1).join("").length);
    assert.deepEqual(h.positions(word), offsets, `${lang} ${word}`);
    assert.equal(h.inserted(word), pieces.join("-"));
    assert.equal(h.inserted(word, SHY), pieces.join(SHY));
  }
});

test("hyphenator options: margins and exceptions of one's own, as the C++ library takes them", async () => {
  const rows = [
    // options, word, pieces, left, right
    [undefined, "hyphenation", ["hy", "phen", "ation"], 2, 3],
    [{ left: 5, right: 5 }, "constitutional", ["consti", "tu", "tional"], 5, 5],
    [{ left: 1, right: 1 }, "academy", ["a", "cad", "e", "my"], 1, 1],
    [{ exceptions: ["hyphenati-on"] }, "hyphenation", ["hyphenation"], 2, 3], // the margins hold
    [{ exceptions: ["hyphenati-on"], right: 2 }, "hyphenation", ["hyphenati", "on"], 2, 2],
    [{ left: 5, right: 5, exceptions: ["hyphenatio-n"] }, "hyphenation", ["hyphenation"], 5, 5],
    [{ exceptions: "quel-lix\nta-ble-spoon" }, "QUELLIX", ["QUEL", "LIX"], 2, 3],
    [{ exceptions: ["present"] }, "present", ["present"], 2, 3],
  ];
  for (const [options, word, pieces, left, right] of rows) {
    const h = await createHyphenator("en-us", options);
    assert.deepEqual([h.pieces(word), h.left, h.right], [pieces, left, right], JSON.stringify(options));
    // the same options in the text functions, on the language or on top of a hyphenator
    assert.equal(hyphenateText(word, "en-us", { ...options, hyphen: "|", minWordLength: 1 }), pieces.join("|"));
    assert.equal(h.hyphenateText(word, { hyphen: "|", minWordLength: 1 }), pieces.join("|"));
    h.dispose();
    assert.throws(() => h.pieces(word), { name: "QuellixError", message: "this hyphenator was disposed" });
    h.dispose(); // twice is harmless
  }
  const h = await createHyphenator("en-us", { right: 2 });
  assert.equal(h.hyphenateText("hyphenation", { hyphen: "|", exceptions: ["hyphenati-on"] }), "hyphenati|on");
});

test("unknown options, wrong types and unknown languages are errors that name them", async () => {
  const rows = [
    [() => hyphenateText("text", "en-us", { bogus: 1 }), TypeError, /unknown option 'bogus'/],
    [() => hyphenateText("text", "en-us", { hyphen: 1 }), TypeError, /options\.hyphen must be a string/],
    [() => hyphenateText("text", "en-us", { minWordLength: "5" }), TypeError, /options\.minWordLength/],
    [() => hyphenateText("text", "en-us", { minWordLength: -1 }), RangeError, /options\.minWordLength/],
    [() => hyphenateText("text", "en-us", { skipUrls: 1 }), TypeError, /options\.skipUrls must be true or false/],
    [() => hyphenateText("text", "en-us", { left: 2.5 }), RangeError, /options\.left/],
    [() => hyphenateText("text", "en-us", { exceptions: [3] }), TypeError, /options\.exceptions\[0\]/],
    [() => hyphenateText("text", "en-us", { exceptions: ["a\nb"] }), TypeError, /options\.exceptions\[0\]/],
    [() => hyphenateText("text", "en-us", []), TypeError, /options must be an object/],
    [() => hyphenateText("text", 3), TypeError, /lang must be/],
    [() => hyphenateText(3, "en-us"), TypeError, /text must be a string/],
    [() => hyphenateHtml(null, "en-us"), TypeError, /html must be a string/],
    [() => hyphenateText("text", "zz-ZZ"), QuellixError, /^no language is named 'zz-ZZ'$/],
  ];
  for (const [call, type, message] of rows) assert.throws(call, (e) => e instanceof type && message.test(e.message), String(call));
  await assert.rejects(createHyphenator("en-us", { hyphen: "-" }), { name: "TypeError", message: "unknown option 'hyphen'" });
  // The library's limits on a caller's lists (quellix/limits.h) hold here too.
  for (const [exceptions, message] of [["x".repeat(9 << 20), /larger than 8 MiB/], [["ok-word", "z".repeat(5000)], /line 2 is longer than 4096 bytes/]]) {
    await assert.rejects(createHyphenator("en-us", { exceptions }), (e) => e.status === "INVALID_ARGUMENT" && message.test(e.message));
    assert.throws(() => hyphenateText("text", "en-us", { exceptions }), (e) => e.status === "INVALID_ARGUMENT" && message.test(e.message));
  }
  await assert.rejects(createHyphenator("xx-unknown"),
    (e) => e instanceof QuellixError && e.status === "UNKNOWN_LANGUAGE" && e.message === "no language is named 'xx-unknown'");
  const h = await createHyphenator("en-us");
  assert.throws(() => h.pieces(null), TypeError);
  assert.throws(() => h.inserted("word", 1), TypeError);
});

test("hyphenateText options", () => {
  const rows = [
    ["Hyphenation of running text leaves www.example.org and UNESCO alone.", { hyphen: "-", skipCapitals: true },
      "Hy-phen-ation of run-ning text leaves www.example.org and UNESCO alone."],
    ["Hyphenation www.example.org", { hyphen: "|", skipUrls: false }, "Hy|phen|ation www.ex|am|ple.org"],
    ["computer hyphenation", { hyphen: "|", minWordLength: 9 }, "computer hy|phen|ation"],
    [`hy${SHY}phenation`, { hyphen: "|" }, `hy${SHY}phenation`],
    [`hy${SHY}phenation`, { hyphen: "|", skipSoftHyphenated: false }, `hy${SHY}phen|ation`],
    ["hyphenation", { hyphen: "a\0b" }, "hya\0bphena\0bation"], // the whole hyphen, NUL and all
    ["hyphenation", { hyphen: "" }, "hyphenation"],
    ["hyphenation", { hyphen: undefined }, `hy${SHY}phen${SHY}ation`],
    ["", {}, ""],
  ];
  for (const [text, options, expected] of rows) assert.equal(hyphenateText(text, "en-us", options), expected);
});

test("hyphenateText keeps everything but the inserted soft hyphens, also for long texts", () => {
  const text = "Typesetting\tcomputers,\r\nthe associate professor said: «hyphenation!» 😀 \ud800 ";
  const long = text.repeat(5000);
  for (const t of [text, long]) {
    const out = hyphenateText(t, "en-us");
    assert.ok(out.includes(SHY));
    assert.equal(out.replaceAll(SHY, ""), t.replaceAll("\ud800", "\ufffd"));
  }
  // a hyphen longer than the text's words forces the retry with the size reported
  const wide = "-".repeat(50);
  const out = hyphenateText("hyphenation hyphenation", "en-us", { hyphen: wide });
  assert.equal(out, `hy${wide}phen${wide}ation hy${wide}phen${wide}ation`);
});

test("short texts and hyphens, written without encodeInto, divide as long ones do", () => {
  // Characters of one, two and three UTF-8 bytes (U+07FF and U+0800 at the edge), pairs and
  // lone surrogates; a short text t, and t with white space that makes it long.
  const pieces = ["hyphenation", "a", " ", "é", "ß", "\u07ff", "\u0800", "Ж", "😀", "\ud800", "\udc00", SHY, "x\0y"];
  let seed = 5;
  const random = (n) => ((seed = (seed * 1103515245 + 12345) % 2147483648), seed % n);
  const pad = " ".repeat(30);
  for (let k = 0; k < 400; k++) {
    const text = Array.from({ length: 1 + random(5) }, () => pieces[random(pieces.length)]).join("").slice(0, 30);
    assert.equal(hyphenateText(text, "en-us") + pad, hyphenateText(text + pad, "en-us"), JSON.stringify(text));
  }
  for (const [hyphen, written] of [["\u07ff", "\u07ff"], ["\u0800", "\u0800"], ["😀", "😀"], ["\ud800", "\ufffd"],
    ["é-", "é-"], ["\0", "\0"]]) {
    assert.equal(hyphenateText("hyphenation", "en-us", { hyphen }), ["hy", "phen", "ation"].join(written));
  }
});

test("hyphenateHtml divides text content only, each element in its lang's language", async () => {
  const html = '<p title="hyphenation">Typesetting &amp; hyphenation <code>hyphenation()</code></p>';
  const expected = '<p title="hyphenation">Type&shy;set&shy;ting &amp; hy&shy;phen&shy;ation <code>hyphenation()</code></p>';
  assert.equal(hyphenateHtml(html, "en-us", { hyphen: "&shy;" }), expected);
  const h = await createHyphenator("en-us");
  assert.equal(h.hyphenateHtml(html, { hyphen: "&shy;" }), expected);
  const page = '<p>dictionary</p><p lang="fr">dictionnaire</p><div lang=de-AT>Silbentrennung</div><p lang=xx>dictionary</p>';
  assert.equal(hyphenateHtml(page, "en-us", { hyphen: "|" }),
    '<p>dic|tio|nary</p><p lang="fr">dic|tion|naire</p><div lang=de-AT>Sil|ben|tren|nung</div><p lang=xx>dictionary</p>');
  assert.equal(hyphenateHtml(page, "en-us", { hyphen: "|", followLang: false }),
    '<p>dic|tio|nary</p><p lang="fr">dic|tio|n|naire</p><div lang=de-AT>Sil|ben|tren|nung</div><p lang=xx>dic|tio|nary</p>');
});

test("languages lists the 73 languages; each one's file loads and divides", async () => {
  const list = languages();
  assert.equal(list.length, 73);
  assert.deepEqual(list[13], { name: "English_US", tag: "en-us", left: 2, right: 3 });
  assert.equal(new Set(list.map((l) => l.tag)).size, 73);
  const loaded = await loadLanguages(list.map((l) => l.tag));
  assert.deepEqual(loaded, list);
  for (const language of list) {
    const byTag = await createHyphenator(language.tag);
    const byName = await createHyphenator(language.name);
    assert.deepEqual([byTag.language, byTag.left, byTag.right], [language.name, language.left, language.right]);
    assert.equal(byName.tag, language.tag);
    // building the tables reads every file of the language inside the core
    assert.equal(hyphenateText("x", language.tag), "x");
    assert.ok(quellix.isLoaded(language.tag));
  }
  assert.deepEqual((await createHyphenator("fr")).pieces("dictionnaire"), ["dic", "tion", "naire"]);
  const lists = quellix.languageLists("en-us");
  assert.ok(lists.patterns.length > 4000 && lists.patterns.includes(".ach4"));
  assert.ok(lists.exceptions.includes("as-so-ciate"));
  assert.match(quellix.languageLicence("de-1996"), /German/);
});

test("the version is the library's and the package's", () => {
  const pkg = JSON.parse(readFileSync(new URL("../package.json", import.meta.url), "utf8"));
  assert.match(version, /^\d+\.\d+\.\d+$/);
  assert.equal(pkg.version, version);
  if (process.env.QUELLIX_EXPECTED_VERSION) assert.equal(version, process.env.QUELLIX_EXPECTED_VERSION);
});

test("the type declarations name exactly the exports, of every entry point", async () => {
  const declared = (file) => [...readFileSync(new URL(file, import.meta.url), "utf8")
    .matchAll(/^export (?:class|function|const|default) (\w+)/gm)].map((m) => m[1]);
  const names = (module) => Object.keys(module).filter((k) => k !== "default").sort();
  const main = [...new Set(declared("../quellix.d.ts"))].sort();
  assert.deepEqual(main, names(quellix));
  assert.deepEqual(main, names(await import("../all.mjs")));
  const minified = await import("../dist/quellix.min.mjs");
  assert.deepEqual(main, names(minified));
  const text = "Hyphenation: <b lang=de>Silbentrennung</b> \u00e0 la carte";
  assert.equal(minified.hyphenateHtml(text, "en-us"), quellix.hyphenateHtml(text, "en-us"));
  assert.deepEqual(declared("../types/hyphen-language.d.ts").sort(), names(await import("../dist/hyphen/de.mjs")));
});
