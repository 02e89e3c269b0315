// The drop-in against npm hyphen itself: both divide the same texts in ten languages, as
// plain text and as HTML, with hyphen's defaults and with options; every word they divide
// differently must be one of the differences listed below, each explained. hyphen is a
// peer installed for this test only (npm install --no-save hyphen@1.14.1, in the package
// directory or in the directory QUELLIX_PEERS names); without it the test is skipped
// (QUELLIX_REQUIRE_PEERS=1: fails).
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { gunzipSync } from "node:zlib";

import * as quellix from "../quellix.mjs";

const packageDir = fileURLToPath(new URL("..", import.meta.url));
const peers = createRequire(join(process.env.QUELLIX_PEERS ?? packageDir, "peers.js"));
let missing = false;
try {
  peers.resolve("hyphen/en-us");
} catch {
  // QUELLIX_REQUIRE_PEERS=1 (CI, which installs it): a missing peer fails the test.
  if (process.env.QUELLIX_REQUIRE_PEERS !== "1") missing = "npm hyphen is not installed (npm install --no-save hyphen@1.14.1)";
}

const texts = {
  "en-us": "The associate professor explained that hyphenation algorithms significantly improve the " +
    "appearance of justified paragraphs in extraordinarily narrow newspaper columns. Abbott's " +
    "dictionary and the résumé of the declination committee are at https://example.org/typography, " +
    "and the identifier camelCaseIdentifier stays whole. Constitutional obligations, philanthropic " +
    "organizations and international cooperation.",
  "de-1996": "Die Silbentrennung verbessert den Blocksatz in schmalen Zeitungsspalten erheblich. " +
    "Größenverhältnisse, Fußballweltmeisterschaft und Rechtschreibreform sind lange Wörter. Nach dem " +
    "Abendessen las die Abschlussklasse eine Abhandlung über Donaudampfschifffahrtsgesellschaften.",
  fr: "La césure des mots améliore considérablement l'apparence des paragraphes justifiés. " +
    "Aujourd'hui, l'anticonstitutionnellement célèbre dictionnaire d’extraordinaires typographes " +
    "parisiens reste une référence.",
  it: "La sillabazione automatica migliora la leggibilità dei paragrafi giustificati. Perché la città " +
    "universitaria conserva l'anticostituzionalità delle regole tipografiche?",
  es: "La separación silábica mejora notablemente la apariencia de los párrafos justificados en " +
    "columnas estrechas de periódicos internacionales.",
  nl: "De woordafbreking verbetert de opmaak van uitgevulde alinea's in smalle krantenkolommen " +
    "aanzienlijk. De aandachtstrekker van de beschermengel.",
  pl: "Dzielenie wyrazów znacząco poprawia wygląd wyjustowanych akapitów w wąskich kolumnach gazetowych.",
  ru: "Перенос слов значительно улучшает внешний вид выровненных абзацев в узких газетных колонках.",
  tr: "Heceleme, dar gazete sütunlarındaki iki yana yaslanmış paragrafların görünümünü önemli ölçüde " +
    "iyileştirir. İstanbul'daki İzmirliler İNGİLİZCE öğreniyorlar.",
  pt: "A hifenização melhora consideravelmente a aparência dos parágrafos justificados em colunas " +
    "estreitas de jornais.",
};

// A language's character list, from its data file in the package.
function characters(tag) {
  const file = readFileSync(join(packageDir, "dist", "languages", `${tag}.qxl`));
  return new Set([...gunzipSync(file.subarray(20, 20 + file.readUInt32LE(4))).toString("utf8")].filter((c) => !/\s/.test(c)));
}

// The differences, each a test of one word's two divisions ("|" at the breaks) and why.
const explained = [
  {
    why: "hyphen's fault: it lower-cases İ (U+0130) to two characters, i and U+0307, so every " +
      "break after it lands one letter late (İst|anb|ul, İzm|irl|il|er; quellix: İzmir|li|ler)",
    applies: ({ tag, word }) => tag === "tr" && word.includes("İ"),
  },
  {
    why: "hyphen's fault: it ignores the exception list that comes with the patterns, so these " +
      "words get the patterns' breaks alone (as|soc|iate for as-so-ciate; Dutch aan|dachtst|rekke|r " +
      "for aan-dachts-trek-ker, a lone last letter against its own margin of 2)",
    applies: ({ word, ours, exceptions }) => exceptions.has(word.toLowerCase()) &&
      ours.toLowerCase() === exceptions.get(word.toLowerCase()),
  },
  {
    why: "hyphen counts an apostrophe as a letter the patterns do not know, and divides around it " +
      "(Ab|bot|t's); quellix ends the word at a character the language's list lacks, as TeX does",
    applies: ({ word, known }) => /['’]/.test(word) && !known.has("'"),
  },
  {
    why: "quellix's own: URLs and program identifiers stay whole (skipUrls; false gives hyphen's way)",
    applies: ({ word }) => /:\/\/|\p{Ll}\p{Lu}/u.test(word),
  },
  {
    why: "different pattern sets: hyphen 1.14.1 carries German patterns other than the hyph-utf8 " +
      "ones quellix divides with (Abend|essen; quellix: Abend|es|sen)",
    applies: ({ tag, word }) => tag === "de-1996" && word === "Abendessen",
  },
];

function compare(tag, peerText, ourText, context) {
  const known = characters(tag);
  const lists = quellix.languageLists(tag);
  const exceptions = new Map(lists.exceptions.map((e) => [e.replaceAll("-", ""), e.replaceAll("-", "|")]));
  const words = (text) => text.replace(/<[^>]*>/g, " ").split(/\s+/);
  const peerWords = words(peerText);
  const ourWords = words(ourText);
  assert.equal(peerWords.length, ourWords.length, `${tag}: the two keep the text's words`);
  const reasons = [];
  let same = 0;
  peerWords.forEach((peer, i) => {
    const ours = ourWords[i];
    if (peer === ours) {
      same++;
      return;
    }
    const word = ours.replaceAll("|", "").replace(/^[^\p{L}]+|[^\p{L}]+$/gu, "");
    const difference = { tag, word, peer: peer.replace(/^[^\p{L}]+|[^\p{L}]+$/gu, ""), ours: ours.replace(/^[^\p{L}]+|[^\p{L}]+$/gu, ""), known, exceptions };
    const reason = explained.find((e) => e.applies(difference));
    assert.ok(reason, `${context} ${tag}: unexplained difference: hyphen ${peer}, quellix ${ours}`);
    reasons.push(reason);
    if (process.env.QUELLIX_SHOW_DIFFERENCES) console.log(`${context} ${tag}: hyphen ${peer}, quellix ${ours}: ${reason.why.slice(0, 40)}`);
  });
  return { same, reasons };
}

test("the drop-in divides as npm hyphen does, but for the differences explained", { skip: missing }, async () => {
  const used = new Set();
  let same = 0;
  let total = 0;
  for (const [tag, text] of Object.entries(texts)) {
    const peer = peers(`hyphen/${tag}`);
    const ours = await import(`../dist/hyphen/${tag}.mjs`);
    const html = `<p title="${text.slice(0, 20)}">${text}</p><br/>`;
    const calls = [
      ["plain", peer.hyphenateSync(text, { hyphenChar: "|" }), ours.hyphenateSync(text, { hyphenChar: "|" })],
      ["async", await peer.hyphenate(text, { hyphenChar: "|" }), await ours.hyphenate(text, { hyphenChar: "|" })],
      ["html", peer.hyphenateHTMLSync(html, { hyphenChar: "|" }), ours.hyphenateHTMLSync(html, { hyphenChar: "|" })],
      ["minWordLength 8", peer.hyphenateSync(text, { hyphenChar: "|", minWordLength: 8 }),
        ours.hyphenateSync(text, { hyphenChar: "|", minWordLength: 8 })],
    ];
    for (const [context, a, b] of calls) {
      assert.equal(a.replaceAll("|", ""), b.replaceAll("|", ""), `${context} ${tag}: both keep the text`);
      const result = compare(tag, a, b, context);
      same += result.same;
      total += a.split(/\s+/).length;
      for (const reason of result.reasons) used.add(reason);
    }
    // The default hyphen, U+00AD, and HTML tags left alone by default.
    assert.equal(ours.hyphenateSync("<b>x</b>"), peer.hyphenateSync("<b>x</b>"));
    assert.equal(ours.hyphenateSync(text).replaceAll("\u00ad", "|"), ours.hyphenateSync(text, { hyphenChar: "|" }));
  }
  // Exceptions of one's own, as hyphen takes them.
  const [peer, ours] = [peers("hyphen/en-us"), await import("../dist/hyphen/en-us.mjs")];
  const options = { hyphenChar: "-", exceptions: ["ta-ble", "present", "hy-phenation"] };
  assert.equal(ours.hyphenateSync("table present hyphenation", options), peer.hyphenateSync("table present hyphenation", options));
  assert.ok(same / total > 0.9, `only ${same} of ${total} words alike`);
  // Every one of hyphen's faults listed shows in these texts.
  for (const reason of explained.filter((e) => e.why.startsWith("hyphen's fault"))) assert.ok(used.has(reason), reason.why);
});
