// The package as a caller uses it: node --test test/quellix.test.mjs
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { test } from "node:test";

import {
  QuellixError, createHyphenator, hyphenateHtml, hyphenateText, languages, version,
} from "../quellix.js";

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
  ];
  for (const [lang, word, pieces] of rows) {
    const h = await createHyphenator(lang);
    assert.deepEqual(h.pieces(word), pieces, `${lang} ${word}`);
    const offsets = pieces.slice(0, -1).map((_, i) => pieces.slice(0, i + 1).join("").length);
    assert.deepEqual(h.positions(word), offsets, `${lang} ${word}`);
    assert.equal(h.inserted(word), pieces.join("-"));
    assert.equal(h.inserted(word, SHY), pieces.join(SHY));
  }
});

test("a word with more breaks than the first buffer holds", async () => {
  const h = await createHyphenator("en-us");
  const word = "hyphenation".repeat(40);
  const pieces = h.pieces(word);
  assert.ok(pieces.length > 32);
  assert.equal(pieces.join(""), word);
});

test("hyphenators describe their language and are shared per language", async () => {
  const a = await createHyphenator("en-us");
  const b = await createHyphenator("English_US");
  for (const h of [a, b]) {
    assert.deepEqual([h.language, h.tag, h.left, h.right], ["English_US", "en-us", 2, 3]);
  }
  assert.deepEqual(a.pieces("computer"), b.pieces("computer"));
});

test("unknown languages and wrong arguments are errors with clear messages", async () => {
  await assert.rejects(createHyphenator("xx-unknown"),
    (e) => e instanceof QuellixError && e.status === "UNKNOWN_LANGUAGE" &&
      e.message === "no language is named 'xx-unknown'");
  assert.throws(() => hyphenateText("text", "zz-ZZ"), { name: "QuellixError", message: "no language is named 'zz-ZZ'" });
  assert.throws(() => hyphenateText("text", 3), TypeError);
  assert.throws(() => hyphenateText(3, "en-us"), TypeError);
  assert.throws(() => hyphenateText("text", "en-us", { minWordLength: -1 }), RangeError);
  assert.throws(() => hyphenateText("text", "en-us", { hyphen: 1 }), TypeError);
  const h = await createHyphenator("en-us");
  assert.throws(() => h.pieces(null), TypeError);
});

test("hyphenateText options", () => {
  const rows = [
    ["Hyphenation of running text leaves www.example.org and UNESCO alone.", { hyphen: "-", skipCapitals: true },
      "Hy-phen-ation of run-ning text leaves www.example.org and UNESCO alone."],
    ["Hyphenation www.example.org", { hyphen: "|", skipUrls: false }, "Hy|phen|ation www.ex|am|ple.org"],
    ["computer hyphenation", { hyphen: "|", minWordLength: 9 }, "computer hy|phen|ation"],
    [`hy${SHY}phenation`, { hyphen: "|" }, `hy${SHY}phenation`],
    [`hy${SHY}phenation`, { hyphen: "|", skipSoftHyphenated: false }, `hy${SHY}phen|ation`],
    ["", {}, ""],
  ];
  for (const [text, options, expected] of rows) assert.equal(hyphenateText(text, "en-us", options), expected);
});

test("hyphenateText keeps everything but the inserted soft hyphens, also for long texts", () => {
  const text = "Typesetting\tcomputers,\r\nthe associate professor said: «hyphenation!» 😀 ";
  const long = text.repeat(5000);
  for (const t of [text, long]) {
    const out = hyphenateText(t, "en-us");
    assert.ok(out.includes(SHY));
    assert.equal(out.replaceAll(SHY, ""), t);
  }
  // a hyphen longer than the text's words forces the retry with the size reported
  const wide = "-".repeat(50);
  const out = hyphenateText("hyphenation hyphenation", "en-us", { hyphen: wide });
  assert.equal(out, `hy${wide}phen${wide}ation hy${wide}phen${wide}ation`);
});

test("hyphenateHtml divides text content only", async () => {
  const html = '<p title="hyphenation">Typesetting &amp; hyphenation <code>hyphenation()</code></p>';
  const expected = '<p title="hyphenation">Type&shy;set&shy;ting &amp; hy&shy;phen&shy;ation <code>hyphenation()</code></p>';
  assert.equal(hyphenateHtml(html, "en-us", { hyphen: "&shy;" }), expected);
  const h = await createHyphenator("en-us");
  assert.equal(h.hyphenateHtml(html, { hyphen: "&shy;" }), expected);
  assert.equal(h.hyphenateText("hyphenation", { hyphen: "|" }), "hy|phen|ation");
});

test("languages lists the 73 built-in languages, each usable by tag and name", async () => {
  const list = languages();
  assert.equal(list.length, 73);
  assert.deepEqual(list[13], { name: "English_US", tag: "en-us", left: 2, right: 3 });
  assert.equal(new Set(list.map((l) => l.tag)).size, 73);
  for (const language of list) {
    const byTag = await createHyphenator(language.tag);
    const byName = await createHyphenator(language.name);
    assert.deepEqual([byTag.language, byTag.left, byTag.right], [language.name, language.left, language.right]);
    assert.equal(byName.tag, language.tag);
  }
});

test("every language's embedded data decompresses and loads inside WebAssembly", async () => {
  // hyphenateText builds the language's tables first: a file the gzip reader got wrong
  // would throw a QuellixError (status "DATA") here.
  for (const language of languages()) assert.equal(hyphenateText("x", language.tag), "x");
  assert.deepEqual((await createHyphenator("fr")).pieces("dictionnaire"), ["dic", "tion", "naire"]);
});

test("the version is the library's and the package's", () => {
  const pkg = JSON.parse(readFileSync(new URL("../package.json", import.meta.url), "utf8"));
  assert.match(version, /^\d+\.\d+\.\d+$/);
  assert.equal(pkg.version, version);
  if (process.env.QUELLIX_EXPECTED_VERSION) assert.equal(version, process.env.QUELLIX_EXPECTED_VERSION);
});

test("the type declarations name exactly the module's exports", async () => {
  const declarations = readFileSync(new URL("../quellix.d.ts", import.meta.url), "utf8");
  const declared = [...declarations.matchAll(/^export (?:class|function|const) (\w+)/gm)].map((m) => m[1]);
  const module = await import("../quellix.js");
  assert.deepEqual(declared.sort(), Object.keys(module).sort());
});
