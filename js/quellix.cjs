// quellix for JavaScript as CommonJS (Node): require("quellix"). The same functions as
// quellix.mjs; the core is compiled and each language's data read when first needed, all
// at once, so every call is synchronous here (the asynchronous ones resolve at once).
"use strict";
const fs = require("fs");
const path = require("path");
const createQuellixCore = require("./dist/core-glue.cjs");
const { createQuellix } = require("./dist/cjs/api.cjs");
const { domFunctions } = require("./dist/cjs/dom.cjs");
const { fileSource, startCoreSync } = require("./dist/cjs/platform.cjs");

const wasm = fs.readFileSync(path.join(__dirname, "dist", "quellix-core.wasm"));
const core = startCoreSync(createQuellixCore, new WebAssembly.Module(wasm));
const api = createQuellix(core, fileSource(fs, path.join(__dirname, "dist", "languages") + path.sep));
module.exports = { ...api, ...domFunctions(api) };
