// quellix for JavaScript: word division with Liang's patterns for 73 languages, the C++
// library compiled to WebAssembly. The core (dist/quellix-core.wasm) carries no language;
// each language's data (dist/languages/<tag>.qxl) is read or fetched when first needed.
//
//   import { createHyphenator, hyphenateText } from "quellix";
//   const en = await createHyphenator("en-us");       // fetches en-us's data
//   en.pieces("hyphenation");                         // ["hy", "phen", "ation"]
//   hyphenateText("Hyphenation of text.", "en-us");   // soft hyphens at every break
//
// This ES module serves Node, browsers and workers: the core is compiled when it is
// imported. Calls that need a language not loaded yet are asynchronous (createHyphenator,
// loadLanguages, loadHtmlLanguages, hyphenateElement); the rest are synchronous. In Node
// the synchronous calls also load what they need. CommonJS: quellix.cjs; every language
// inline, nothing fetched: all.mjs ("quellix/all").
import createQuellixCore from "./dist/core-glue.mjs";
import { createQuellix } from "./lib/api.mjs";
import { domFunctions } from "./lib/dom.mjs";
import { compileFrom, fetchSource, fileSource, startCore } from "./lib/platform.mjs";

const inNode = typeof process === "object" && typeof process.versions?.node === "string";
// Not `new URL("literal", import.meta.url)`: bundlers would try to resolve the directory.
const languageDir = ["./dist", "languages/"].join("/");
let core;
let source;
if (inNode) {
  const fs = await import(/* webpackIgnore: true */ /* @vite-ignore */ "node:fs");
  const { fileURLToPath } = await import(/* webpackIgnore: true */ /* @vite-ignore */ "node:url");
  const wasm = fs.readFileSync(new URL("./dist/quellix-core.wasm", import.meta.url));
  core = await startCore(createQuellixCore, await WebAssembly.compile(wasm));
  source = fileSource(fs, fileURLToPath(new URL(languageDir, import.meta.url)));
} else {
  core = await startCore(createQuellixCore, await compileFrom(new URL("./dist/quellix-core.wasm", import.meta.url)));
  source = fetchSource(new URL(languageDir, import.meta.url));
}

const api = createQuellix(core, source);
export const {
  QuellixError, createHyphenator, createHyphenatorSync, hyphenateHtml, hyphenateText, isLoaded,
  languageLicence, languageLists, languages, loadHtmlLanguages, loadLanguages, setLanguageLoader, version,
} = api;
export const { hyphenateElement, hyphenateElements } = domFunctions(api);
