// The TypeScript declarations as a user's project sees them: a program that imports every
// entry point through the package's "exports" (ES module and CommonJS) type-checks with
// tsc --strict, and the misuses marked @ts-expect-error are errors. Skipped without tsc
// (Debian: node-typescript).
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import { promisify } from "node:util";

const tsc = [process.env.TSC, "/usr/bin/tsc", "/usr/local/bin/tsc"].find((p) => p && existsSync(p));

const esm = `
import { createHyphenator, hyphenateText, hyphenateHtml, loadLanguages, languages, QuellixError,
  type Hyphenator, type TextOptions } from "quellix";
import * as all from "quellix/all";
import { hyphenateElements } from "quellix/min";
import { hyphenate, hyphenateSync, patterns } from "quellix/hyphen/de";
import createFactory from "quellix/hyphen";
import english from "quellix/hyphen/patterns/en-us";

const h: Hyphenator = await createHyphenator("en-us", { left: 2, right: 3, exceptions: ["ta-ble"] });
const pieces: string[] = h.pieces("hyphenation");
const options: TextOptions = { hyphen: "-", minWordLength: 5, skipUrls: false, followLang: true };
const text: string = hyphenateText("text", "en-us", options) + hyphenateHtml("<p>x</p>", "de") + all.version;
const changed: Promise<number> = hyphenateElements(".hyphenate", { lang: "en-us" });
const loaded: number = (await loadLanguages("de", ["fr"])).length + languages().length;
const divided: Promise<string> = hyphenate("Silbentrennung", { hyphenChar: "-", exceptions: ["Sil-ben"] });
const lists: string[] = patterns.patterns.concat(english.exceptions);
const sync: string = createFactory(english, { hyphenChar: "|" })("beautiful") + hyphenateSync("x", { html: false });
const later: Promise<string> = createFactory(english, { async: true })("beautiful");
h.dispose();
try { hyphenateText("x", "xx"); } catch (e) { if (e instanceof QuellixError) console.log(e.status); }
// @ts-expect-error an option quellix does not have
hyphenateText("text", "en-us", { bogus: 1 });
// @ts-expect-error a number where a string goes
hyphenateText("text", "en-us", { hyphen: 1 });
// @ts-expect-error createHyphenator takes no text options
void createHyphenator("en-us", { hyphen: "-" });
export { pieces, text, changed, loaded, divided, lists, sync, later };
`;

const cjs = `
import quellix = require("quellix");
import hyphenEn = require("quellix/hyphen/en");
const out: string = quellix.hyphenateText("hyphenation", "en-us") + hyphenEn.hyphenateSync("hyphenation");
// @ts-expect-error positions gives numbers
const wrong: string[] = quellix.createHyphenatorSync("en-us").positions("hyphenation");
export = { out, wrong };
`;

test("the declarations type-check a program that uses every entry point", { skip: !tsc && "no tsc (node-typescript)" }, async (t) => {
  const dir = mkdtempSync(join(tmpdir(), "quellix-types-"));
  t.after(() => rmSync(dir, { recursive: true, force: true }));
  mkdirSync(join(dir, "node_modules"));
  symlinkSync(fileURLToPath(new URL("..", import.meta.url)), join(dir, "node_modules", "quellix"), "dir");
  writeFileSync(join(dir, "package.json"), '{ "type": "module" }');
  writeFileSync(join(dir, "use.mts"), esm);
  writeFileSync(join(dir, "use.cts"), cjs);
  const args = ["--noEmit", "--strict", "--target", "es2022", "--module", "nodenext", "--moduleResolution",
    "nodenext", "--lib", "es2022,dom", "use.mts", "use.cts"];
  const { stdout } = await promisify(execFile)(tsc, args, { cwd: dir }).catch((e) => e);
  assert.equal(stdout.trim(), "");
});
