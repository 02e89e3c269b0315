// Results made from Latin-1 bytes (Node's quick way) against the same results decoded as
// UTF-8, on two cores side by side: node --test test/latin1.test.mjs
import assert from "node:assert/strict";
import * as fs from "node:fs";
import { test } from "node:test";
import { fileURLToPath } from "node:url";

import createQuellixCore from "../dist/core-glue.mjs";
import { createQuellix } from "../lib/api.mjs";
import { fileSource, latin1Text, startCore } from "../lib/platform.mjs";

const compiled = await WebAssembly.compile(fs.readFileSync(new URL("../dist/quellix-core.wasm", import.meta.url)));
const source = fileSource(fs, fileURLToPath(new URL("../dist/languages/", import.meta.url)));
let latin1Calls = 0;
const quick = createQuellix(await startCore(createQuellixCore, compiled), source, {
  latin1: (...args) => (latin1Calls++, latin1Text(...args)),
});
const plain = createQuellix(await startCore(createQuellixCore, compiled), source, { latin1: null });
await Promise.all([quick, plain].map((api) => api.loadLanguages("en-us", "de", "ru")));

const prose = "Hyphenation of running text, with words such as representation and associate. ";
const fixed = [
  "", "a", prose, prose.repeat(40), `${prose.repeat(40)}Ж`, `Ж${prose.repeat(3)}`,
  "Größenverhältnisse der Straßenbahnhaltestelle, à la française: déjà ÿ\u00a0nbsp",
  `${"é".repeat(40)} ${"ü".repeat(17)}x Silbentrennung`, "C1 \u0080\u0085\u009f controls hyphenation",
  "soft hy\u00adphen\u00adation already", "Привет, переносить слова", "😀hyphenation \ud800 lone",
  "combining e\u0301 representation", "https://example.com/representation www.hyphenation.org",
  '<p lang="de">Silbentrennung &amp; &shy; &eacute;t&eacute;</p><p lang="ru">переносить</p><p>representation</p>',
  "<script>hyphenation</script><pre>representation</pre>&#x416; &#233;hyphenation",
];
// Seeded random texts of pieces from both sides of U+0100, around the 16-byte steps.
const pieces = ["a", "e", "n", "t", "io", " ", "\n", "é", "ß", "\u0080", "\u00ad", "ÿ", "Ж", "😀", "\u0301",
  "<", ">", "&", "hyphenation", "representation"];
let seed = 7;
const random = (n) => ((seed = (seed * 1103515245 + 12345) % 2147483648), seed % n);
const randomTexts = Array.from({ length: 300 }, () =>
  Array.from({ length: random(60) }, () => pieces[random(random(4) === 0 ? pieces.length : 13)]).join(""));

test("Latin-1 results equal the UTF-8 ones, and only Latin-1 results take that way", () => {
  const hyphens = ["\u00ad", "-", "", "\u2010", "x\0y", "=".repeat(40)];
  const flags = ["skipSoftHyphenated", "skipCapitals", "skipUrls", "followLang"];
  for (const [i, text] of [...fixed, ...randomTexts].entries()) {
    for (const hyphen of hyphens) {
      const options = { hyphen, minWordLength: [0, 5, 30][random(3)] };
      for (const flag of flags) options[flag] = random(2) === 0;
      for (const call of ["hyphenateText", "hyphenateHtml"]) {
        const before = latin1Calls;
        const expected = plain[call](text, "en-us", options);
        assert.equal(quick[call](text, "en-us", options), expected, `${call} text ${i} ${JSON.stringify(options)}`);
        assert.equal(latin1Calls > before, !/[^\0-\xff]/.test(expected), `${call} text ${i}: which way`);
      }
    }
  }
});
