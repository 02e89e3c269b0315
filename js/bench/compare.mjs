// quellix (WebAssembly) against npm hyphen and Hyphenopoly on the same English text in one
// Node process: MB/s of each and quellix's ratio to each.
//
//   npm install --no-save hyphen@1.14.1 hyphenopoly@6    # the peers, for this benchmark only
//   node bench/compare.mjs [--mb 8] [--rounds 7] [--paragraph <characters> | --elements]
//                          [--peers <dir whose node_modules hold them>]
//
// The text: pseudo-prose made from the words of /usr/share/dict/american-english (Debian's
// wamerican), sentences of 6 to 20 words, seeded, so every run divides the same text. All
// three insert U+00AD with their en-us patterns and a minimum word length of 5. Each round
// times one pass of each over the whole text, in a new order each round, by the clock and
// by the CPU time of the process (all its threads, the garbage collector's included: on
// a shared machine the steadier of the two); the table gives the medians of the rounds
// and the first round on its own (hyphen may keep per-word results between calls;
// quellix keeps none). The ratios are of the CPU-time medians. With --paragraph, each
// divides the text as paragraphs of about that many characters (cut at a space), one call
// each, as a page's elements are divided: what a call costs beside its text shows there.
// With --elements (try --mb 1), two cases as a page's text nodes come: elements of about
// 100 characters that end with their last word (no white space after it), and single words
// (headings, links, table cells); quellix divides each with hyphenateText and also as
// hyphenateElement does for each text node (Hyphenator#hyphenateText of a hyphenator made
// once; hyphenateElement itself needs a browser's DOM, which Node lacks).
import { readFileSync } from "node:fs";
import { readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { join } from "node:path";
import { performance } from "node:perf_hooks";
import process from "node:process";
import { fileURLToPath, pathToFileURL } from "node:url";

import { createHyphenator, hyphenateText, loadLanguages, version } from "../quellix.mjs";

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(`--${name}`);
  return at >= 0 ? args[at + 1] : fallback;
};
const megabytes = Number(option("mb", 8));
const rounds = Number(option("rounds", 7));
const paragraph = Number(option("paragraph", 0));
const elements = args.includes("--elements");
const peersDir = option("peers", fileURLToPath(new URL("..", import.meta.url)));
const peers = createRequire(join(peersDir, "peers.js"));

let hyphen;
let hyphenopoly;
try {
  hyphen = peers("hyphen/en-us"); // CommonJS
  hyphenopoly = (await import(pathToFileURL(peers.resolve("hyphenopoly")))).default;
} catch {
  console.error("npm hyphen or hyphenopoly is missing: run `npm install --no-save hyphen@1.14.1 hyphenopoly@6` " +
    "in js/ (or pass --peers <dir>) first");
  process.exit(2);
}

function makeText(bytes) {
  const words = readFileSync("/usr/share/dict/american-english", "utf8").split("\n")
    .filter((w) => /^[a-z]+$/.test(w));
  let seed = 17;
  const random = (n) => {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % n;
  };
  const parts = [];
  let size = 0;
  while (size < bytes) {
    const n = 6 + random(15);
    const sentence = [];
    for (let i = 0; i < n; i++) sentence.push(words[random(words.length)]);
    sentence[0] = sentence[0][0].toUpperCase() + sentence[0].slice(1);
    if (n > 10) sentence[4] += ",";
    const line = sentence.join(" ") + (random(4) === 0 ? ".\n" : ". ");
    parts.push(line);
    size += line.length;
  }
  return parts.join("");
}

const text = makeText(megabytes * 1e6);
const mb = Buffer.byteLength(text) / 1e6;
await loadLanguages("en-us");
const hyphenopolyText = await hyphenopoly.config({
  require: ["en-us"], hyphen: "\u00ad", minWordLength: 5,
  loader: async (file, dir) => readFile(new URL(file, dir)),
}).get("en-us");
// The text in pieces of about size characters, cut after a space (size 0: whole).
function cut(size) {
  const pieces = [];
  for (let at = 0; at < text.length;) {
    const space = size > 0 ? text.indexOf(" ", at + size) : -1;
    const end = space < 0 ? text.length : space + 1;
    pieces.push(text.slice(at, end));
    at = end;
  }
  return pieces;
}
const cases = elements
  ? [["elements of about 100 characters, ending with a word", cut(100).map((p) => p.trimEnd())],
     ["single words", text.split(/\s+/).filter((w) => w.length > 0)]]
  : [[paragraph > 0 ? `paragraphs of about ${paragraph} characters` : "", cut(paragraph)]];
const enUs = await createHyphenator("en-us");
const dividers = {
  quellix: (p) => hyphenateText(p, "en-us"),
  ...(elements ? { "quellix, as hyphenateElement": (p) => enUs.hyphenateText(p) } : {}),
  Hyphenopoly: (p) => hyphenopolyText(p),
  hyphen: (p) => hyphen.hyphenateSync(p, { hyphenChar: "\u00ad", minWordLength: 5 }),
};
const names = Object.keys(dividers);
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

console.log(`quellix ${version} (WebAssembly) against Hyphenopoly and npm hyphen on Node ${process.version}:` +
  ` ${mb.toFixed(1)} MB of English text, ${rounds} rounds`);
for (const [description, pieces] of cases) {
  const whole = pieces.length === 1 ? pieces[0] : pieces.join("");
  const bytes = Buffer.byteLength(whole) / 1e6;
  const clock = Object.fromEntries(names.map((name) => [name, []]));
  const cpu = Object.fromEntries(names.map((name) => [name, []]));
  const outputs = {};
  for (let r = 0; r < rounds; r++) {
    for (let k = 0; k < names.length; k++) {
      const name = names[(r + k) % names.length];
      const divide = dividers[name];
      const start = performance.now();
      const used = process.cpuUsage();
      outputs[name] = pieces.length === 1 ? divide(pieces[0]) : pieces.map(divide).join("");
      const { user, system } = process.cpuUsage(used);
      clock[name].push((performance.now() - start) / 1000);
      cpu[name].push((user + system) / 1e6);
    }
  }
  const rate = (seconds) => (bytes / seconds).toFixed(1);
  if (description) console.log(`\n${pieces.length} ${description} (${bytes.toFixed(1)} MB), one call each:`);
  console.log("| divider | MB/s of CPU time (median) | MB/s by the clock (median) | first round, by the clock | quellix's ratio |");
  console.log("|---|---|---|---|---|");
  for (const name of names) {
    const ratio = median(cpu[name]) / median(cpu.quellix);
    console.log(`| ${name} | ${rate(median(cpu[name]))} | ${rate(median(clock[name]))} | ${rate(clock[name][0])} | ` +
      `${name === "quellix" ? "" : `${ratio.toFixed(2)}x`} |`);
  }
  const count = (s) => s.split("\u00ad").length - 1;
  console.log(`soft hyphens inserted: ${names.map((n) => `${n} ${count(outputs[n])}`).join(", ")}; ` +
    `quellix and Hyphenopoly ${outputs.quellix === outputs.Hyphenopoly ? "identical" : "differ"}; all keep the text: ` +
    `${names.every((n) => outputs[n].replaceAll("\u00ad", "") === whole)}`);
}
