// The package in headless Chromium: the demo page, and a multilingual page hyphenated in
// place by hyphenateElements, compared with what Node gives for the same texts. Skipped
// when Chromium is missing (CHROMIUM names the browser; default /usr/bin/chromium).
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { promisify } from "node:util";

import { hyphenateText } from "../quellix.mjs";
import { serve } from "./serve.mjs";

const chromium = process.env.CHROMIUM ?? "/usr/bin/chromium";
const skip = !existsSync(chromium) && `no ${chromium}`;
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

const languageFiles = (requests) => requests.filter((p) => p.includes("/languages/")).map((p) => p.split("/").at(-1)).sort();

test("the demo page hyphenates its narrow column, fetching English only", { skip }, async (t) => {
  const server = await serve(packageDir);
  t.after(() => server.close());
  const page = `${server.url}demo/index.html`;

  const dom = await headless(page, "--dump-dom");
  assert.match(dom, /<body data-state="ready">/, "the page's script ran to the end");
  const paragraph = dom.match(/<p class="column" id="hyphenated">([^<]*)<\/p>/)[1];
  const plain = dom.match(/<p class="column" id="plain">([^<]*)<\/p>/)[1];
  const soft = paragraph.replaceAll("&shy;", "\u00ad");
  assert.ok(soft.includes("hy\u00adphen\u00ad"), paragraph);
  assert.equal(soft, hyphenateText(plain, "en-us"));
  assert.deepEqual(languageFiles(server.requests), ["en-us.qxl"]);

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

test("hyphenateElements divides a multilingual page in place, each text in its lang", { skip }, async (t) => {
  const server = await serve(packageDir);
  t.after(() => server.close());
  const dom = await headless(`${server.url}test/pages/multilingual.html`, "--dump-dom");
  assert.match(dom, /<body data-state="ready">/, "the page's script ran to the end");
  const json = dom.match(/<pre id="result">([^<]*)<\/pre>/)[1].replaceAll("&amp;", "&").replaceAll("&quot;", '"')
    .replaceAll("&lt;", "<").replaceAll("&gt;", ">");
  const { before, after, changed, input, again, error } = JSON.parse(json);
  assert.equal(error, undefined);

  // As Node divides the same texts (the French paragraph holds the Russian span).
  const expected = {
    en: hyphenateText(before.en, "en-US"),
    de: hyphenateText(before.de, "de"),
    ru: hyphenateText(before.ru, "ru"),
    auto: hyphenateText(before.auto, "en-US"), // this Chromium has no hyphenation dictionaries
  };
  for (const [id, text] of Object.entries(expected)) {
    assert.notEqual(text, before[id], id);
    assert.equal(after[id], text, id);
  }
  assert.equal(after.fr.replace(after.ru, "0"), hyphenateText(before.fr.replace(before.ru, "0"), "fr"));
  // Left alone: an unknown language, code, pre, script, style, form fields, editable text,
  // and what the selector does not match.
  for (const id of ["unknown", "pre", "code", "script", "style", "textarea", "button", "editable", "outside"]) {
    assert.equal(after[id], before[id], id);
  }
  assert.equal(input, "hyphenation international");
  assert.equal(changed, 6); // en, de, the two French text nodes, ru, auto
  assert.equal(again, 0); // a second run finds every word divided already
  assert.deepEqual(languageFiles(server.requests), ["de-1996.qxl", "en-us.qxl", "fr.qxl", "ru.qxl"]);
});
