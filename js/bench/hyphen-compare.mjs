// quellix (WebAssembly) against npm `hyphen` on the same English text in one process:
// MB/s of each and the ratio.
//
//   npm install --no-save hyphen      # the peer, for this benchmark only
//   node bench/hyphen-compare.mjs [--mb 8] [--rounds 5]
//
// The text: pseudo-prose made from the words of /usr/share/dict/american-english
// (Debian's wamerican), sentences of 6 to 20 words, seeded, so every run divides the same
// text. Both insert U+00AD soft hyphens with their en-us patterns and a minimum word
// length of 5. Each round times one pass of each over the whole text (quellix first, then
// hyphen); the table shows the median of the rounds and the first round on its own
// (hyphen may keep per-word results between calls; quellix keeps none).
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { performance } from "node:perf_hooks";
import process from "node:process";

import { hyphenateText, version } from "../quellix.js";

let peer;
try {
  peer = createRequire(import.meta.url)("hyphen/en-us"); // a CommonJS package
} catch {
  console.error("npm hyphen is missing: run `npm install --no-save hyphen` in js/ first");
  process.exit(2);
}

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(`--${name}`);
  return at >= 0 ? Number(args[at + 1]) : fallback;
};
const megabytes = option("mb", 8);
const rounds = option("rounds", 5);

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
const contenders = {
  quellix: () => hyphenateText(text, "en-us"),
  hyphen: () => peer.hyphenateSync(text, { hyphenChar: "\u00ad", minWordLength: 5 }),
};

const times = { quellix: [], hyphen: [] };
const outputs = {};
for (let r = 0; r < rounds; r++) {
  for (const [name, run] of Object.entries(contenders)) {
    const start = performance.now();
    outputs[name] = run();
    times[name].push((performance.now() - start) / 1000);
  }
}
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const rate = (name, seconds) => mb / seconds;

console.log(`quellix ${version} (WebAssembly) against npm hyphen on Node ${process.version}:` +
  ` ${mb.toFixed(1)} MB of English text, ${rounds} rounds`);
console.log("| divider | MB/s (median) | MB/s (first round) |");
console.log("|---|---|---|");
for (const name of Object.keys(contenders)) {
  console.log(`| ${name} | ${rate(name, median(times[name])).toFixed(1)} | ${rate(name, times[name][0]).toFixed(1)} |`);
}
const ratio = median(times.hyphen) / median(times.quellix);
const firstRatio = times.hyphen[0] / times.quellix[0];
console.log(`ratio quellix / hyphen: ${ratio.toFixed(2)}x (median), ${firstRatio.toFixed(2)}x (first round)`);
const count = (s) => s.split("\u00ad").length - 1;
const same = outputs.quellix === outputs.hyphen;
console.log(`soft hyphens inserted: quellix ${count(outputs.quellix)}, hyphen ${count(outputs.hyphen)};` +
  ` outputs ${same ? "identical" : "differ"}; both keep the text: ` +
  `${outputs.quellix.replaceAll("\u00ad", "") === text && outputs.hyphen.replaceAll("\u00ad", "") === text}`);
