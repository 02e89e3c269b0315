// quellix for JavaScript: word division with Liang's patterns for 73 languages, the C++
// library compiled to WebAssembly (dist/quellix-wasm.mjs, with the language data inside).
//
//   import { createHyphenator, hyphenateText } from "quellix";
//   const en = await createHyphenator("en-us");
//   en.pieces("hyphenation");                          // ["hy", "phen", "ation"]
//   hyphenateText("Hyphenation of text.", "en-us");    // soft hyphens at every break
//
// The module is compiled and instantiated once, when this file is imported; every call
// after that is synchronous. Errors are thrown as QuellixError with the library's message.

import createQuellixModule from "./dist/quellix-wasm.mjs";

const wasm = await createQuellixModule();

const OK = 0;
const BUFFER_TOO_SMALL = 3;
const SOFT_HYPHEN = "\u00ad";
const encoder = new TextEncoder();
const decoder = new TextDecoder();

/** An error reported by the library; `status` is its quellix_status name. */
export class QuellixError extends Error {
  constructor(message, status) {
    super(message);
    this.name = "QuellixError";
    this.status = status;
  }
}

const statusNames = ["OK", "INVALID_ARGUMENT", "UNKNOWN_LANGUAGE", "BUFFER_TOO_SMALL", "NO_MEMORY",
  "DATA", "INTERNAL"];

function fail(status) {
  const message = readCString(wasm._quellix_last_error()) || readCString(wasm._quellix_status_message(status));
  throw new QuellixError(message, statusNames[status] ?? String(status));
}

function readCString(pointer) {
  if (!pointer) return "";
  const heap = wasm.HEAPU8;
  let end = pointer;
  while (heap[end] !== 0) end++;
  return decoder.decode(heap.subarray(pointer, end));
}

// Scratch memory in the module's heap, grown as needed and reused (calls are synchronous,
// so one block serves every call). Growing keeps the first `keep` bytes.
const scratch = { pointer: 0, size: 0 };
function reserve(bytes, keep = 0) {
  if (bytes > scratch.size) {
    const size = Math.max(bytes, 2 * scratch.size, 4096);
    const pointer = wasm._malloc(size);
    if (!pointer) throw new QuellixError("out of memory", "NO_MEMORY");
    if (keep > 0) wasm.HEAPU8.copyWithin(pointer, scratch.pointer, scratch.pointer + keep);
    if (scratch.pointer) wasm._free(scratch.pointer);
    scratch.pointer = pointer;
    scratch.size = size;
  }
  return scratch.pointer;
}

// Gives back scratch memory a large text needed, so that one big call does not keep it.
function releaseLargeScratch() {
  if (scratch.size > 16 << 20) {
    wasm._free(scratch.pointer);
    scratch.pointer = 0;
    scratch.size = 0;
  }
}

// Writes `text` as UTF-8 at `at` (which must have room for 3 bytes per UTF-16 unit) and
// a NUL after it; returns the byte length. Lone surrogates become U+FFFD.
function writeUtf8(text, at) {
  const { written } = encoder.encodeInto(text, wasm.HEAPU8.subarray(at, at + 3 * text.length));
  wasm.HEAPU8[at + written] = 0;
  return written;
}

// The one place where a language tag becomes a handle: the library's own lookup of a
// name ("English_US") or affix ("en-us"). One handle per language, kept for the life of
// the module (the hyphenators behind them are the library's shared ones).
const handles = new Map();
function handleFor(lang) {
  if (typeof lang !== "string") throw new TypeError("lang must be a language tag such as 'en-us'");
  let handle = handles.get(lang);
  if (handle !== undefined) return handle;
  const out = reserve(8 + 3 * lang.length + 1);
  writeUtf8(lang, out + 8);
  const status = wasm._quellix_hyphenator_open(out + 8, out);
  if (status !== OK) fail(status);
  handle = wasm.HEAPU32[out >> 2];
  handles.set(lang, handle);
  return handle;
}

// UTF-16 index of each UTF-8 byte offset in `offsets` (ascending) within `bytes`.
function utf16Indices(bytes, offsets) {
  const out = new Array(offsets.length);
  let units = 0;
  let byte = 0;
  for (let i = 0; i < offsets.length; i++) {
    for (; byte < offsets[i]; byte++) {
      const b = bytes[byte];
      if ((b & 0xc0) !== 0x80) units += b >= 0xf0 ? 2 : 1;
    }
    out[i] = units;
  }
  return out;
}

/** Divides the words of one built-in language. Get one with createHyphenator(). */
class Hyphenator {
  #handle;
  #language;

  constructor(handle, language) {
    this.#handle = handle;
    this.#language = language;
  }

  /** The language's name, such as "English_US". */
  get language() {
    return this.#language.name;
  }

  /** The language's tag, such as "en-us". */
  get tag() {
    return this.#language.tag;
  }

  /** The fewest characters before the first break. */
  get left() {
    return this.#language.left;
  }

  /** The fewest characters after the last break. */
  get right() {
    return this.#language.right;
  }

  /** The break positions of `word`, as indices into the string, ascending. */
  positions(word) {
    if (typeof word !== "string") throw new TypeError("word must be a string");
    let capacity = 32;
    for (;;) {
      const base = reserve(3 * word.length + 8 + 4 * capacity + 4);
      const length = writeUtf8(word, base);
      const positions = (base + length + 4) & ~3;
      const count = positions + 4 * capacity;
      const status = wasm._quellix_break_points(this.#handle, base, length, positions, capacity, count);
      const found = wasm.HEAPU32[count >> 2];
      if (status === BUFFER_TOO_SMALL) {
        capacity = found;
        continue;
      }
      if (status !== OK) fail(status);
      const offsets = wasm.HEAPU32.subarray(positions >> 2, (positions >> 2) + found);
      return utf16Indices(wasm.HEAPU8.subarray(base, base + length), offsets);
    }
  }

  /** The word cut at its permitted breaks: ["hy", "phen", "ation"]. The pieces join to `word`. */
  pieces(word) {
    const at = this.positions(word);
    const out = [];
    let start = 0;
    for (const end of at) {
      out.push(word.slice(start, end));
      start = end;
    }
    out.push(word.slice(start));
    return out;
  }

  /** The word with `hyphen` at each break: "hy-phen-ation". */
  inserted(word, hyphen = "-") {
    return this.pieces(word).join(hyphen);
  }

  /** hyphenateText(text, this language, options). */
  hyphenateText(text, options = {}) {
    return hyphenate(this.#handle, text, options, false);
  }

  /** hyphenateHtml(html, this language, options). */
  hyphenateHtml(html, options = {}) {
    return hyphenate(this.#handle, html, options, true);
  }
}

let languageList = null;

/**
 * The built-in languages, in the library's order: [{ name, tag, left, right }, ...].
 * Either the name or the tag names a language everywhere.
 */
export function languages() {
  if (languageList === null) {
    const list = [];
    const margins = reserve(8);
    for (let i = 0; i < wasm._quellix_language_count(); i++) {
      wasm._quellix_language_margins(i, margins, margins + 4);
      list.push(Object.freeze({
        name: readCString(wasm._quellix_language_name(i)),
        tag: readCString(wasm._quellix_language_affix(i)),
        left: wasm.HEAP32[margins >> 2],
        right: wasm.HEAP32[(margins >> 2) + 1],
      }));
    }
    languageList = Object.freeze(list);
  }
  return languageList;
}

/** The library's version, such as "0.8.3". */
export const version = readCString(wasm._quellix_version());

/**
 * The hyphenator of a built-in language, by tag ("en-us", "de-1996") or name
 * ("English_US"). Rejects with QuellixError (status "UNKNOWN_LANGUAGE") for any other.
 */
export async function createHyphenator(lang) {
  const handle = handleFor(lang);
  const name = readCString(wasm._quellix_hyphenator_language(handle));
  return new Hyphenator(handle, languages().find((l) => l.name === name));
}

// quellix_text_options: size_t struct_size; const char* hyphen; size_t min_word_length;
// int skip_soft_hyphenated; int skip_capitals; int skip_urls; int html; int follow_lang
// (wasm32: eight 4-byte fields).
const TEXT_OPTIONS_SIZE = 32;
function hyphenate(handle, text, options, html) {
  if (typeof text !== "string") throw new TypeError("text must be a string");
  if (options === null || typeof options !== "object") throw new TypeError("options must be an object");
  const {
    hyphen = SOFT_HYPHEN,
    minWordLength = 5,
    skipSoftHyphenated = true,
    skipCapitals = false,
    skipUrls = true,
    followLang = true,
  } = options;
  if (typeof hyphen !== "string") throw new TypeError("options.hyphen must be a string");
  if (!Number.isInteger(minWordLength) || minWordLength < 0 || minWordLength > 0xffffffff) {
    throw new RangeError("options.minWordLength must be a whole number from 0");
  }
  // Layout: text, NUL, hyphen, NUL, options (eight 4-byte fields), result length, result.
  // The result gets room for a hyphen at every other character; in the rare case that is
  // not enough the call is repeated with the size it reported.
  reserve(3 * text.length + 1);
  const textLength = writeUtf8(text, scratch.pointer);
  reserve(textLength + 1 + 3 * hyphen.length + 1, textLength + 1);
  const hyphenLength = writeUtf8(hyphen, scratch.pointer + textLength + 1);
  const fixed = (textLength + 1 + hyphenLength + 1 + 7) & ~7;
  let capacity = textLength + Math.ceil(textLength / 2) * hyphenLength + 1;
  for (;;) {
    const base = reserve(fixed + TEXT_OPTIONS_SIZE + 4 + capacity, textLength + 1 + hyphenLength + 1);
    const fields = (base + fixed) >> 2;
    const heap32 = wasm.HEAPU32;
    heap32[fields] = TEXT_OPTIONS_SIZE;
    heap32[fields + 1] = base + textLength + 1;
    heap32[fields + 2] = minWordLength;
    heap32[fields + 3] = skipSoftHyphenated ? 1 : 0;
    heap32[fields + 4] = skipCapitals ? 1 : 0;
    heap32[fields + 5] = skipUrls ? 1 : 0;
    heap32[fields + 6] = html ? 1 : 0;
    heap32[fields + 7] = followLang ? 1 : 0;
    const lengthAt = base + fixed + TEXT_OPTIONS_SIZE;
    const buffer = lengthAt + 4;
    const status = wasm._quellix_hyphenate_text(handle, base, textLength, base + fixed, buffer, capacity,
      lengthAt);
    const length = wasm.HEAPU32[lengthAt >> 2];
    if (status === BUFFER_TOO_SMALL) {
      capacity = length + 1;
      continue;
    }
    if (status !== OK) fail(status);
    const result = decoder.decode(wasm.HEAPU8.subarray(buffer, buffer + length));
    releaseLargeScratch();
    return result;
  }
}

/**
 * `text` with `options.hyphen` (default U+00AD SOFT HYPHEN) at every permitted break of
 * every word; every other character is kept. Options: hyphen, minWordLength (5),
 * skipSoftHyphenated (true), skipCapitals (false), skipUrls (true).
 */
export function hyphenateText(text, lang, options = {}) {
  return hyphenate(handleFor(lang), text, options, false);
}

/**
 * As hyphenateText, for the text content of HTML only: tags, attributes, comments,
 * character references and the contents of script, style, textarea, title, pre and code
 * are kept as they are.
 */
export function hyphenateHtml(html, lang, options = {}) {
  return hyphenate(handleFor(lang), html, options, true);
}
