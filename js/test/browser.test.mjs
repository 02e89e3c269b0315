// The demo page in headless Chromium: the paragraph holds quellix's soft hyphens once
// the page has run, and a screenshot of it is taken. Skipped when Chromium is missing
// (CHROMIUM names the browser; default /usr/bin/chromium).
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { promisify } from "node:util";

import { serve } from "./serve.mjs";

const chromium = process.env.CHROMIUM ?? "/usr/bin/chromium";
const packageDir = join(dirname(fileURLToPath(import.meta.url)), "..");
const run = promisify(execFile);

// One headless run with a fresh profile; resolves to its standard output.
async function headless(url, ...action) {
  const profile = mkdtempSync(join(tmpdir(), "quellix-chromium-"));
  try {
    const { stdout } = await run(chromium, [
      "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--hide-scrollbars", `--user-data-dir=${profile}`, "--window-size=800,600",
      // Lets the module compile the WebAssembly and run before the page is captured.
      "--virtual-time-budget=20000", ...action, url,
    ], { timeout: 90_000, maxBuffer: 16 << 20 });
    return stdout;
  } finally {
    rmSync(profile, { recursive: true, force: true });
  }
}

test("the demo page hyphenates its narrow column with soft hyphens", { skip: !existsSync(chromium) && `no ${chromium}` }, async (t) => {
  const server = await serve(packageDir);
  t.after(() => server.close());
  const page = `${server.url}demo/index.html`;

  const dom = await headless(page, "--dump-dom");
  assert.match(dom, /<body data-state="ready">/, "the page's script ran to the end");
  const paragraph = dom.match(/<p class="column" id="hyphenated">([^<]*)<\/p>/)[1];
  const plain = dom.match(/<p class="column" id="plain">([^<]*)<\/p>/)[1];
  const soft = paragraph.replaceAll("&shy;", "\u00ad");
  assert.ok([...soft].filter((c) => c === "\u00ad").length >= 10, paragraph);
  assert.ok(soft.includes("hy\u00adphen\u00ad"), paragraph);
  assert.equal(soft.replaceAll("\u00ad", ""), plain);

  const shotDir = mkdtempSync(join(tmpdir(), "quellix-shot-"));
  t.after(() => rmSync(shotDir, { recursive: true, force: true }));
  const shot = join(shotDir, "demo.png");
  await headless(page, `--screenshot=${shot}`);
  const png = readFileSync(shot);
  assert.deepEqual([...png.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
  assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20)], [800, 600]);
  assert.ok(png.length > 10_000, "the screenshot shows more than a blank page");
  // QUELLIX_SCREENSHOT=path keeps a copy for a person to look at.
  if (process.env.QUELLIX_SCREENSHOT) copyFileSync(shot, process.env.QUELLIX_SCREENSHOT);
});
