// Per-language loading, the way a page fetches: a loader that resolves later and records
// what it was asked for (setLanguageLoader). Each language is fetched once, when first
// needed, a lang attribute of HTML included; a damaged file is refused and breaks nothing.
import assert from "node:assert/strict";
import { readFile } from "node:fs/promises";
import { test } from "node:test";

import * as quellix from "../quellix.mjs";

const asked = [];
let damage = null; // (tag, bytes) => other bytes, or a thrown error
quellix.setLanguageLoader(async (tag) => {
  asked.push(tag);
  await new Promise((resolve) => setTimeout(resolve, 5));
  const bytes = await readFile(new URL(`../dist/languages/${tag}.qxl`, import.meta.url));
  return damage ? damage(tag, bytes) : bytes;
});

test("a language is fetched once, when first needed, and only then", async () => {
  assert.deepEqual(asked, []);
  assert.equal(quellix.isLoaded("de"), false);
  assert.throws(() => quellix.hyphenateText("Silbentrennung", "de"), { name: "QuellixError", status: "NOT_LOADED" });
  const [a, b] = await Promise.all([quellix.createHyphenator("de"), quellix.createHyphenator("de-AT"),
    quellix.loadLanguages("German_1996")]);
  assert.deepEqual(asked, ["de-1996"]);
  assert.deepEqual([a.pieces("Silbentrennung"), b.tag], [["Sil", "ben", "tren", "nung"], "de-1996"]);
  assert.equal(quellix.hyphenateText("Silbentrennung", "de", { hyphen: "-" }), "Sil-ben-tren-nung");
  assert.equal(quellix.createHyphenatorSync("de").tag, "de-1996");
  assert.deepEqual(asked, ["de-1996"]);
});

test("the languages an HTML page names are fetched before it is divided", async () => {
  const page = '<p lang="ru">переносить</p><p lang=fr-CA>dictionnaire</p><p lang="xx">x</p><p>hyphenation</p>';
  assert.throws(() => quellix.hyphenateHtml(page, "en-us"), { status: "NOT_LOADED" }); // en-us itself
  await quellix.loadLanguages("en-us");
  // ru and fr are still to be fetched (this call asks for them): their elements stay whole.
  assert.equal(quellix.hyphenateHtml(page, "en-us", { hyphen: "|" }),
    '<p lang="ru">переносить</p><p lang=fr-CA>dictionnaire</p><p lang="xx">x</p><p>hy|phen|ation</p>');
  const loaded = await quellix.loadHtmlLanguages(page);
  assert.deepEqual(loaded.map((l) => l.tag), ["ru", "fr"]);
  assert.equal(quellix.hyphenateHtml(page, "en-us", { hyphen: "|" }),
    '<p lang="ru">пе|ре|но|сить</p><p lang=fr-CA>dic|tion|naire</p><p lang="xx">x</p><p>hy|phen|ation</p>');
  assert.equal(quellix.hyphenateHtml(page, "en-us", { hyphen: "|", followLang: false }).includes("dic|tio|n|naire"), true);
  // The synchronous calls already asked for en-us, ru and fr; the later loads took those
  // requests up.
  assert.deepEqual(asked, ["de-1996", "en-us", "ru", "fr"]);
});

test("a damaged or missing language file is an error that leaves the language loadable", async () => {
  const rows = [
    [(tag, bytes) => { const b = Buffer.from(bytes); b[b.length - 100] ^= 0x55; return b; }, "DATA", /hyph-it\.pat\.txt\.gz/],
    [() => Buffer.from("<html>404</html>"), "DATA", /language file of 'it' is damaged or is not one/],
    [() => new Uint8Array(32 << 20), "DATA", /language file of 'it' is damaged or is not one/],
    [() => { throw new TypeError("fetch failed"); }, undefined, /fetch failed/],
  ];
  for (const [damaging, status, message] of rows) {
    damage = damaging;
    await assert.rejects(quellix.createHyphenator("it"), (e) => e.status === status && message.test(e.message));
    assert.equal(quellix.isLoaded("it"), false);
  }
  damage = null;
  assert.deepEqual((await quellix.createHyphenator("it")).pieces("sillabazione"), ["sil", "la", "ba", "zio", "ne"]);
});
