// quellix with every language inside, as CommonJS: require("quellix/all"). See all.mjs.
"use strict";
const createQuellixCore = require("./dist/core-glue.cjs");
const { core: coreBase64, languages: languageFiles } = require("./dist/all-data.cjs");
const { createQuellix } = require("./dist/cjs/api.cjs");
const { domFunctions } = require("./dist/cjs/dom.cjs");
const { decodeBase64, inlineSource, startCoreSync } = require("./dist/cjs/platform.cjs");

const core = startCoreSync(createQuellixCore, new WebAssembly.Module(decodeBase64(coreBase64)));
const api = createQuellix(core, inlineSource(languageFiles));
module.exports = { ...api, ...domFunctions(api) };
