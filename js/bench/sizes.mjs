// What a web page that hyphenates English loads, gzip-compressed (level 9, as a server
// would send it): quellix's files as headless Chromium requests them for the demo page,
// beside npm hyphen's and Hyphenopoly's files for the same job.
//
//   npm install --no-save hyphen@1.14.1 hyphenopoly@6    # the peers, for their sizes
//   node bench/sizes.mjs [--peers <dir whose node_modules hold them>]
//
// Every further language adds its own file, dist/languages/<tag>.qxl, listed for a few.
import { execFile } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import process from "node:process";
import { fileURLToPath } from "node:url";
import { promisify } from "node:util";
import { gzipSync } from "node:zlib";

import { serve } from "../test/serve.mjs";

const packageDir = fileURLToPath(new URL("..", import.meta.url));
const at = process.argv.indexOf("--peers");
const peers = createRequire(join(at > 0 ? process.argv[at + 1] : packageDir, "peers.js"));
const chromium = process.env.CHROMIUM ?? "/usr/bin/chromium";
if (!existsSync(chromium)) {
  console.error(`${chromium} is missing: the sizes are what the browser requests`);
  process.exit(2);
}

const gzipped = (path) => gzipSync(readFileSync(path), { level: 9 }).length;
const kb = (bytes) => (bytes / 1024).toFixed(1);

// The files the demo page requests, itself left out.
const server = await serve(packageDir);
const profile = mkdtempSync(join(tmpdir(), "quellix-sizes-"));
try {
  await promisify(execFile)(chromium, ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", `--user-data-dir=${profile}`,
    "--virtual-time-budget=20000", "--dump-dom", `${server.url}demo/index.html`], { timeout: 90_000 });
} finally {
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
const requested = [...new Set(server.requests)].filter((p) => !p.startsWith("/demo/") && !p.endsWith("favicon.ico"));

const rows = [];
const add = (who, files, root) => {
  const sizes = files.map((f) => [f, gzipped(join(root, f))]);
  rows.push([who, sizes.reduce((sum, [, s]) => sum + s, 0), sizes]);
};
add("quellix", requested.map((p) => p.slice(1)), packageDir);
try {
  const hyphenDir = dirname(peers.resolve("hyphen/package.json"));
  add("npm hyphen 1.14.1 (hyphen/en-us)", ["hyphen.js", "en-us/index.js", "patterns/en-us.js"], hyphenDir);
  const hyphenopolyDir = dirname(peers.resolve("hyphenopoly/package.json"));
  add("Hyphenopoly 6 (min/)", ["min/Hyphenopoly_Loader.js", "min/Hyphenopoly.js", "min/patterns/en-us.wasm"],
    hyphenopolyDir);
} catch {
  console.error("npm hyphen or hyphenopoly is missing: their rows are left out");
}

console.log("A page that hyphenates English: what it loads, gzip -9");
console.log("| | KB in all | files (KB each) |");
console.log("|---|---|---|");
for (const [who, total, sizes] of rows) {
  console.log(`| ${who} | ${kb(total)} | ${sizes.map(([f, s]) => `${f.split("/").slice(-2).join("/")} ${kb(s)}`).join(", ")} |`);
}
const more = ["de-1996", "fr", "ru", "hu"].map((t) => `${t} ${kb(gzipped(join(packageDir, "dist/languages", `${t}.qxl`)))}`);
console.log(`Each further language adds its file: ${more.join(", ")} KB; all 73 in quellix/all: ` +
  `${kb(gzipped(join(packageDir, "dist/all-data.mjs")))} KB`);
