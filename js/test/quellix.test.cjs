// The package through require(): every entry point loads and works at once, without
// awaiting anything, and gives what the ES modules give. node --test test/quellix.test.cjs
"use strict";
const assert = require("node:assert/strict");
const { test } = require("node:test");

test("require() of every entry point works synchronously", () => {
  // By the package's name, as a user writes it (the package refers to itself).
  const quellix = require("quellix");
  assert.equal(quellix.hyphenateText("Silbentrennung", "de", { hyphen: "-" }), "Sil-ben-tren-nung");
  assert.deepEqual(quellix.createHyphenatorSync("fr").pieces("dictionnaire"), ["dic", "tion", "naire"]);
  assert.throws(() => quellix.hyphenateText("x", "xx"), (e) => e instanceof quellix.QuellixError &&
    e.status === "UNKNOWN_LANGUAGE");
  assert.equal(require("quellix/all").hyphenateText("sillabazione", "it", { hyphen: "-" }), "sil-la-ba-zio-ne");
  const hyphenDe = require("quellix/hyphen/de");
  assert.equal(hyphenDe.hyphenateSync("Silbentrennung <b>x</b>", { hyphenChar: "-" }), "Sil-ben-tren-nung <b>x</b>");
  const createHyphenator = require("quellix/hyphen");
  const hyphenate = createHyphenator(require("quellix/hyphen/patterns/en-us"), { hyphenChar: "|" });
  assert.equal(hyphenate("beautiful"), "beau|ti|ful");
});

test("CommonJS and the ES module divide alike", async () => {
  const cjs = require("quellix");
  const esm = await import("quellix");
  const rows = [
    ["Hyphenation of running text.", "en-us", { hyphen: "|" }],
    ['<p lang="ru">переносить</p> hyphenation', "en", { hyphen: "|" }],
    ["constitutional", "en-us", { left: 5, right: 5, exceptions: ["con-sti-tu-tion-al"] }],
    ["Größenverhältnisse", "de-AT", {}],
  ];
  for (const [text, lang, options] of rows) {
    const html = text.startsWith("<");
    const call = (q) => (html ? q.hyphenateHtml : q.hyphenateText)(text, lang, options);
    assert.equal(call(cjs), call(esm), text);
  }
  assert.deepEqual(cjs.languages(), esm.languages());
  assert.equal(cjs.version, esm.version);
});
