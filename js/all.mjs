// quellix with every language inside ("quellix/all"): the core and all 73 languages' data
// carried in this package's dist/all-data.mjs, so nothing is read or fetched at run time
// and every call is synchronous. About 1.8 MB; the same functions as quellix.mjs.
import createQuellixCore from "./dist/core-glue.mjs";
import { core as coreBase64, languages as languageFiles } from "./dist/all-data.mjs";
import { createQuellix } from "./lib/api.mjs";
import { domFunctions } from "./lib/dom.mjs";
import { decodeBase64, inlineSource, startCore } from "./lib/platform.mjs";

const core = await startCore(createQuellixCore, await WebAssembly.compile(decodeBase64(coreBase64)));
const api = createQuellix(core, inlineSource(languageFiles));
export const {
  QuellixError, createHyphenator, createHyphenatorSync, hyphenateHtml, hyphenateText, isLoaded,
  languageLicence, languageLists, languages, loadHtmlLanguages, loadLanguages, setLanguageLoader, version,
} = api;
export const { hyphenateElement, hyphenateElements } = domFunctions(api);
