// The package's functions over one instance of the WebAssembly core: language lookup and
// loading, hyphenators, running text and HTML. Knows nothing of where the core and the
// language files come from: the entry points (quellix.mjs, quellix.cjs, all.mjs) pass
// a started core and a source of language files.
import { QuellixError } from "./error.mjs";
import { checkOptions, hyphenatorOptions, textOptions } from "./options.mjs";
import { customSource, latin1Text } from "./platform.mjs";

const OK = 0;
const BUFFER_TOO_SMALL = 3;
const SOFT_HYPHEN = "\u00ad";
const statusNames = ["OK", "INVALID_ARGUMENT", "UNKNOWN_LANGUAGE", "BUFFER_TOO_SMALL", "NO_MEMORY",
  "DATA", "INTERNAL"];

// The most bytes one block of the core's memory may have: its memory stops at 2 GiB, and
// a size passed to it must not wrap around its 32-bit size_t.
const MAX_BLOCK = 2 ** 31 - 65536;
// Language tags longer than this name no language: refused before anything is kept.
const MAX_TAG_LENGTH = 256;
// Distinct tag strings remembered with the language they resolve to.
const TAG_CACHE_SIZE = 512;
// The largest language file taken (the largest of the data set, Hungarian's, is 200 KB).
const MAX_LANGUAGE_FILE = 16 << 20;
// Scratch memory above this is given back after each call.
const KEEP_SCRATCH = 16 << 20;
// Texts of at most this many UTF-16 units are turned into UTF-8 without encodeInto.
const SHORT_TEXT = 24;

/**
 * The package's API over a started core. source.loadSync(affix) returns a language's file
 * (a Uint8Array) where that can be done at once, or is missing; source.load(affix)
 * resolves to it. latin1(heap, at, length) makes the string of Latin-1 bytes, where that
 * is quicker than decoding UTF-8 (null: results are always decoded as UTF-8).
 */
export function createQuellix(core, source, { latin1 = latin1Text } = {}) {
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();

  function fail(status) {
    const message = readCString(core._quellix_last_error()) || readCString(core._quellix_status_message(status));
    throw new QuellixError(message, statusNames[status] ?? String(status));
  }

  function readCString(pointer) {
    if (!pointer) return "";
    const heap = core.HEAPU8;
    const end = heap.indexOf(0, pointer);
    return decoder.decode(heap.subarray(pointer, end));
  }

  // The one check of every size handed to the core.
  function blockSize(bytes, what) {
    if (!(bytes <= MAX_BLOCK)) {
      throw new QuellixError(`out of memory: ${what} needs ${bytes} bytes, more than a WebAssembly ` +
        `module's ${MAX_BLOCK} bytes`, "NO_MEMORY");
    }
    return bytes;
  }

  function allocate(bytes, what) {
    const pointer = core._malloc(blockSize(Math.max(bytes, 1), what));
    if (!pointer) throw new QuellixError(`out of memory: ${what} needs ${bytes} bytes`, "NO_MEMORY");
    return pointer;
  }

  // Scratch memory in the core, grown as needed and reused (calls are synchronous, so one
  // block serves every call). Growing keeps the first `keep` bytes.
  const scratch = { pointer: 0, size: 0 };
  function reserve(bytes, what, keep = 0) {
    if (bytes > scratch.size) {
      const size = Math.min(Math.max(bytes, 2 * scratch.size, 4096), MAX_BLOCK);
      const pointer = allocate(Math.max(size, bytes), what);
      if (keep > 0) core.HEAPU8.copyWithin(pointer, scratch.pointer, scratch.pointer + keep);
      if (scratch.pointer) core._free(scratch.pointer);
      scratch.pointer = pointer;
      scratch.size = Math.max(size, bytes);
    }
    return scratch.pointer;
  }
  function releaseLargeScratch() {
    if (scratch.size > KEEP_SCRATCH) {
      core._free(scratch.pointer);
      scratch.pointer = 0;
      scratch.size = 0;
    }
  }

  // Writes text as UTF-8 at `at`, which must have room for 3 bytes per UTF-16 unit, and a
  // NUL after it; returns the byte length. Lone surrogates become U+FFFD. A short text of
  // characters below U+0800 (a word, a hyphen) is written here: quicker than a call of
  // encodeInto, which the rest takes.
  function writeUtf8(text, at) {
    const heap = core.HEAPU8;
    if (text.length <= SHORT_TEXT) {
      let end = at;
      for (let i = 0; i < text.length; i++) {
        const c = text.charCodeAt(i);
        if (c < 0x80) {
          heap[end++] = c;
        } else if (c < 0x800) {
          heap[end++] = 0xc0 | (c >> 6);
          heap[end++] = 0x80 | (c & 0x3f);
        } else {
          end = -1;
          break;
        }
      }
      if (end >= 0) {
        heap[end] = 0;
        return end - at;
      }
    }
    const { written } = encoder.encodeInto(text, heap.subarray(at, at + 3 * text.length));
    heap[at + written] = 0;
    return written;
  }

  // --- Languages -------------------------------------------------------------------------

  let languageList = null;
  /** The 73 languages, in the library's order: { name, tag, left, right }. */
  function languages() {
    if (languageList === null) {
      const list = [];
      const margins = reserve(8, "the margins");
      for (let i = 0; i < core._quellix_language_count(); i++) {
        core._quellix_language_margins(i, margins, margins + 4);
        list.push(Object.freeze({
          name: readCString(core._quellix_language_name(i)),
          tag: readCString(core._quellix_language_affix(i)),
          left: core.HEAP32[margins >> 2],
          right: core.HEAP32[(margins >> 2) + 1],
        }));
      }
      languageList = Object.freeze(list);
    }
    return languageList;
  }

  // Tag strings already resolved, to their language number; at most TAG_CACHE_SIZE,
  // forgotten all at once when full.
  const resolved = new Map();
  function languageIndex(lang) {
    if (typeof lang !== "string") throw new TypeError("lang must be a language tag such as 'en-us'");
    let index = resolved.get(lang);
    if (index !== undefined) return index;
    if (lang.length > MAX_TAG_LENGTH) {
      throw new QuellixError(`no language is named '${lang.slice(0, 64)}...' (a tag of ` +
        `${lang.length} characters; tags have at most ${MAX_TAG_LENGTH})`, "UNKNOWN_LANGUAGE");
    }
    const at = reserve(8 + 3 * lang.length + 1, "the language tag");
    const length = writeUtf8(lang, at + 8);
    const status = core._quellix_find_language(at + 8, length, at);
    if (status !== OK) fail(status);
    index = core.HEAPU32[at >> 2];
    if (resolved.size >= TAG_CACHE_SIZE) resolved.clear();
    resolved.set(lang, index);
    return index;
  }

  // Language files: loaded[i] once language i's files are in the core; pending[i] while
  // they are fetched.
  const loaded = [];
  const pending = new Map();

  // A language file: "QXL1", the sizes of the four gzip files (chr, hyp, lic, pat) as
  // 32-bit little-endian numbers, then the files.
  function supply(index, bytes) {
    if (loaded[index]) return;
    const affix = languages()[index].tag;
    const view = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
    const header = new DataView(view.buffer, view.byteOffset, view.byteLength);
    const sizes = view.length >= 20 ? [4, 8, 12, 16].map((at) => header.getUint32(at, true)) : [];
    if (view.length < 20 || view.length > MAX_LANGUAGE_FILE || decoder.decode(view.subarray(0, 4)) !== "QXL1" ||
        sizes.reduce((a, b) => a + b, 20) !== view.length) {
      throw new QuellixError(`the language file of '${affix}' is damaged or is not one`, "DATA");
    }
    const block = allocate(view.length, "a language file");
    try {
      core.HEAPU8.set(view, block);
      const args = [];
      let at = block + 20;
      for (const size of sizes) {
        args.push(at, size);
        at += size;
      }
      const status = core._quellix_wasm_supply_language(index, ...args);
      if (status !== OK) {
        throw new QuellixError(readCString(core._quellix_wasm_supply_error()), statusNames[status]);
      }
      loaded[index] = true;
    } finally {
      core._free(block);
    }
  }

  // Makes sure language index is loaded, at once where the source can; false if it cannot.
  function loadSync(index) {
    if (loaded[index]) return true;
    if (pending.has(index) || !source.loadSync) return false;
    const bytes = source.loadSync(languages()[index].tag);
    if (bytes === undefined) return false;
    supply(index, bytes);
    return true;
  }

  function load(index) {
    let promise = pending.get(index);
    if (!promise) {
      if (loadSync(index)) return Promise.resolve();
      promise = Promise.resolve(source.load(languages()[index].tag))
        .then((bytes) => supply(index, bytes))
        .finally(() => pending.delete(index));
      pending.set(index, promise);
    }
    return promise;
  }

  function requireLoaded(index) {
    if (!loadSync(index)) {
      throw new QuellixError(`the data of '${languages()[index].tag}' is not loaded yet: await ` +
        `loadLanguages("${languages()[index].tag}") or createHyphenator() first`, "NOT_LOADED");
    }
  }

  /**
   * Loads the languages that tags name (each as createHyphenator resolves it), so that the
   * synchronous functions can use them. Resolves to their descriptions.
   */
  async function loadLanguages(...tags) {
    const indices = tags.flat().map(languageIndex);
    await Promise.all(indices.map(load));
    return indices.map((i) => languages()[i]);
  }

  // The languages that lang and xml:lang attributes in html name and the library has
  // (unknown ones are left out), at most `limit` distinct values looked at.
  function languagesOfHtml(html, limit = 256) {
    const found = new Set();
    const values = new Set();
    const attribute = /[\s"'/](?:xml:)?lang\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>`]+))/gi;
    for (const match of html.matchAll(attribute)) {
      const value = (match[1] ?? match[2] ?? match[3]).trim();
      if (values.has(value)) continue;
      if (values.size >= limit) break;
      values.add(value);
      try {
        found.add(languageIndex(value));
      } catch (error) {
        if (!(error instanceof QuellixError)) throw error;
      }
    }
    return [...found];
  }

  /** Loads every language that a lang attribute in html names; resolves when they are in. */
  async function loadHtmlLanguages(html) {
    if (typeof html !== "string") throw new TypeError("html must be a string");
    const indices = languagesOfHtml(html);
    await Promise.all(indices.map(load));
    return indices.map((i) => languages()[i]);
  }

  // Every language a page names, loaded where that can be done at once. One that cannot be
  // yet (its file is still to be fetched; asking starts the fetch) divides nothing: the core
  // leaves its elements undivided, as it does a language without patterns.
  function loadHtmlLanguagesSync(html) {
    for (const index of languagesOfHtml(html)) loadSync(index);
  }

  // --- Handles ---------------------------------------------------------------------------

  // The shared handle of each language, opened once.
  const baseHandles = [];
  function baseHandle(index) {
    if (baseHandles[index] === undefined) {
      const out = reserve(4 + 3 * 32, "a handle");
      writeUtf8(languages()[index].tag, out + 4);
      const status = core._quellix_hyphenator_open(out + 4, out);
      if (status !== OK) fail(status);
      baseHandles[index] = core.HEAPU32[out >> 2];
    }
    return baseHandles[index];
  }

  // A new handle deriving from base with the hyphenator options given; base itself when
  // there are none. The caller closes a new one.
  function derive(base, { left, right, exceptions }) {
    let handle = base;
    try {
      if (exceptions !== undefined) {
        const at = reserve(4 + 3 * exceptions.length + 1, "the exception list");
        const length = writeUtf8(exceptions, at + 4);
        const status = core._quellix_hyphenator_with_exceptions(handle, at + 4, length, at);
        if (status !== OK) fail(status);
        handle = core.HEAPU32[at >> 2];
      }
      if (left !== undefined || right !== undefined) {
        const margins = reserve(16, "the margins");
        const status = core._quellix_hyphenator_margins(handle, margins, margins + 8);
        if (status !== OK) fail(status);
        const newLeft = left ?? core.HEAP32[margins >> 2];
        const newRight = right ?? core.HEAP32[(margins + 8) >> 2];
        // The 64-bit margins reach the core as low and high halves.
        const status2 = core._quellix_hyphenator_with_margins(handle, newLeft, 0, newRight, 0, margins);
        if (status2 !== OK) fail(status2);
        const derived = core.HEAPU32[margins >> 2];
        if (handle !== base) core._quellix_hyphenator_close(handle);
        handle = derived;
      }
      return handle;
    } catch (error) {
      if (handle !== base) core._quellix_hyphenator_close(handle);
      throw error;
    }
  }

  function hasHyphenatorOptions(options) {
    return options.left !== undefined || options.right !== undefined || options.exceptions !== undefined;
  }

  // --- Words -----------------------------------------------------------------------------

  // UTF-16 index of each UTF-8 byte offset in offsets (ascending) within bytes.
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

  function positions(handle, word) {
    if (typeof word !== "string") throw new TypeError("word must be a string");
    let capacity = Math.min(32, word.length + 1);
    for (;;) {
      const base = reserve(blockSize(3 * word.length + 8 + 4 * capacity + 4, "the word"), "the word");
      const length = writeUtf8(word, base);
      const list = (base + length + 4) & ~3;
      const count = list + 4 * capacity;
      const status = core._quellix_break_points(handle, base, length, list, capacity, count);
      const found = core.HEAPU32[count >> 2];
      if (status === BUFFER_TOO_SMALL && found > capacity) {
        capacity = found;
        continue;
      }
      if (status !== OK) fail(status);
      const offsets = core.HEAPU32.subarray(list >> 2, (list >> 2) + found);
      return utf16Indices(core.HEAPU8.subarray(base, base + length), offsets);
    }
  }

  // --- Running text ----------------------------------------------------------------------

  // quellix_text_options on wasm32: struct_size, hyphen, min_word_length, five ints,
  // hyphen_length: nine 4-byte fields.
  const TEXT_OPTIONS_SIZE = 36;
  // A first guess at the bytes the result of textLength bytes needs: room for a hyphen of
  // hyphenLength bytes at every other character, or four times the text when a long hyphen
  // makes that more; the call is repeated with the size it reports if needed.
  const resultRoom = (textLength, hyphenLength) =>
    Math.min(textLength + Math.ceil(textLength / 2) * hyphenLength + 1, 4 * textLength + 4096);
  function hyphenate(handle, text, options, html) {
    const {
      hyphen = SOFT_HYPHEN,
      minWordLength = 5,
      skipSoftHyphenated = true,
      skipCapitals = false,
      skipUrls = true,
      followLang = true,
    } = options;
    // Layout: text, NUL, hyphen, NUL, options, result length, result. The first block
    // has room for all of it when the text is ASCII (a byte per UTF-16 unit), so that
    // the usual call takes one block and copies nothing into a larger one.
    const hyphenRoom = 3 * hyphen.length + 1;
    const textRoom = blockSize(3 * text.length + 1 + hyphenRoom, "the text");
    const asciiRoom = text.length + 1 + hyphenRoom + 8 + TEXT_OPTIONS_SIZE + 4 + resultRoom(text.length, 3 * hyphen.length);
    reserve(Math.max(textRoom, Math.min(asciiRoom, MAX_BLOCK)), "the text");
    const textLength = writeUtf8(text, scratch.pointer);
    const hyphenAt = textLength + 1;
    const hyphenLength = writeUtf8(hyphen, scratch.pointer + hyphenAt);
    const fixed = (hyphenAt + hyphenLength + 1 + 7) & ~7;
    let capacity = resultRoom(textLength, hyphenLength);
    for (;;) {
      const total = blockSize(fixed + TEXT_OPTIONS_SIZE + 4 + capacity, "the hyphenated text");
      const base = reserve(total, "the hyphenated text", hyphenAt + hyphenLength + 1);
      const fields = (base + fixed) >> 2;
      const heap32 = core.HEAPU32;
      heap32[fields] = TEXT_OPTIONS_SIZE;
      heap32[fields + 1] = base + hyphenAt;
      heap32[fields + 2] = minWordLength;
      heap32[fields + 3] = skipSoftHyphenated ? 1 : 0;
      heap32[fields + 4] = skipCapitals ? 1 : 0;
      heap32[fields + 5] = skipUrls ? 1 : 0;
      heap32[fields + 6] = html ? 1 : 0;
      heap32[fields + 7] = followLang ? 1 : 0;
      heap32[fields + 8] = hyphenLength;
      const lengthAt = base + fixed + TEXT_OPTIONS_SIZE;
      const buffer = lengthAt + 4;
      const status = core._quellix_hyphenate_text(handle, base, textLength, base + fixed, buffer,
        capacity, lengthAt);
      const length = core.HEAPU32[lengthAt >> 2];
      if (status === BUFFER_TOO_SMALL && length >= capacity) {
        capacity = length + 1;
        continue;
      }
      if (status !== OK) fail(status);
      const result = resultText(buffer, length);
      releaseLargeScratch();
      return result;
    }
  }

  // The string of the UTF-8 result at heap[at, at + length): made from Latin-1 where every
  // character allows and that is quicker (the core rewrites the bytes in place).
  function resultText(at, length) {
    if (latin1) {
      const latin1Length = core._quellix_wasm_latin1(at, length);
      if (latin1Length >= 0) return latin1(core.HEAPU8, at, latin1Length);
    }
    return decoder.decode(core.HEAPU8.subarray(at, at + length));
  }

  // text divided with base and the options (hyphenator ones included).
  function hyphenateWith(base, text, options, html) {
    if (typeof text !== "string") throw new TypeError(`${html ? "html" : "text"} must be a string`);
    if (html && options.followLang !== false) loadHtmlLanguagesSync(text);
    if (!hasHyphenatorOptions(options)) return hyphenate(base, text, options, html);
    const handle = derive(base, options);
    try {
      return hyphenate(handle, text, options, html);
    } finally {
      core._quellix_hyphenator_close(handle);
    }
  }

  function textCall(text, lang, options, html) {
    const checked = checkOptions(options, textOptions, hyphenatorOptions);
    const index = languageIndex(lang);
    requireLoaded(index);
    return hyphenateWith(baseHandle(index), text, checked, html);
  }

  /**
   * `text` with options.hyphen (default U+00AD SOFT HYPHEN) at every permitted break of
   * every word; every other character is kept. The language must be loaded (in Node it is
   * loaded here when it is not).
   */
  function hyphenateText(text, lang, options) {
    return textCall(text, lang, options, false);
  }

  /**
   * As hyphenateText, for the text content of HTML only. Elements whose lang names
   * another language are divided in it once it is loaded (in Node it is loaded here;
   * elsewhere, await loadHtmlLanguages(html) first): until then they are left undivided.
   */
  function hyphenateHtml(html, lang, options) {
    return textCall(html, lang, options, true);
  }

  // --- Hyphenators -----------------------------------------------------------------------

  // Closes the handle of a hyphenator that was garbage-collected without dispose().
  const finalizer = typeof FinalizationRegistry === "function"
    ? new FinalizationRegistry((handle) => core._quellix_hyphenator_close(handle)) : null;

  /** Divides the words of one language. Get one with createHyphenator(). */
  class Hyphenator {
    #handle;
    #language;
    #left;
    #right;
    #owned;

    constructor(index, options) {
      const base = baseHandle(index);
      this.#language = languages()[index];
      this.#handle = derive(base, options);
      this.#owned = this.#handle !== base;
      if (this.#owned) finalizer?.register(this, this.#handle, this);
      const margins = reserve(16, "the margins");
      const status = core._quellix_hyphenator_margins(this.#handle, margins, margins + 8);
      if (status !== OK) fail(status);
      this.#left = core.HEAP32[margins >> 2];
      this.#right = core.HEAP32[(margins + 8) >> 2];
    }

    #live() {
      if (this.#handle === 0) throw new QuellixError("this hyphenator was disposed", "INVALID_ARGUMENT");
      return this.#handle;
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
      return this.#left;
    }

    /** The fewest characters after the last break. */
    get right() {
      return this.#right;
    }

    /** The break positions of `word`, as indices into the string, ascending. */
    positions(word) {
      return positions(this.#live(), word);
    }

    /** The word cut at its permitted breaks: ["hy", "phen", "ation"]. */
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
      if (typeof hyphen !== "string") throw new TypeError("hyphen must be a string");
      return this.pieces(word).join(hyphen);
    }

    /** hyphenateText(text, this language, options), with this hyphenator's margins and words. */
    hyphenateText(text, options) {
      const checked = checkOptions(options, textOptions, hyphenatorOptions);
      return hyphenateWith(this.#live(), text, checked, false);
    }

    /** hyphenateHtml(html, this language, options), with this hyphenator's margins and words. */
    hyphenateHtml(html, options) {
      const checked = checkOptions(options, textOptions, hyphenatorOptions);
      return hyphenateWith(this.#live(), html, checked, true);
    }

    /** Gives back what this hyphenator holds in the core; using it afterwards throws. */
    dispose() {
      if (this.#owned && this.#handle !== 0) {
        finalizer?.unregister(this);
        core._quellix_hyphenator_close(this.#handle);
      }
      this.#handle = 0;
    }
  }
  if (typeof Symbol.dispose === "symbol") Hyphenator.prototype[Symbol.dispose] = Hyphenator.prototype.dispose;

  /**
   * The hyphenator of a language by tag ("en-us", "de-AT") or name ("English_US"), with
   * options left, right (margins) and exceptions (words such as "hy-phen-ation"). Loads
   * the language's data first.
   */
  async function createHyphenator(lang, options) {
    const checked = checkOptions(options, hyphenatorOptions);
    const index = languageIndex(lang);
    await load(index);
    return new Hyphenator(index, checked);
  }

  /** createHyphenator for a language that is loaded (in Node: loaded here when it is not). */
  function createHyphenatorSync(lang, options) {
    const checked = checkOptions(options, hyphenatorOptions);
    const index = languageIndex(lang);
    requireLoaded(index);
    return new Hyphenator(index, checked);
  }

  // The decompressed text of file kind (0 chr, 1 hyp, 2 lic, 3 pat) of a loaded language.
  function languageFile(index, kind) {
    const at = reserve(4, "a length");
    const pointer = core._quellix_wasm_language_file(index, kind, at);
    if (!pointer) throw new QuellixError(readCString(core._quellix_wasm_supply_error()), "DATA");
    try {
      return decoder.decode(core.HEAPU8.subarray(pointer, pointer + core.HEAPU32[at >> 2]));
    } finally {
      core._free(pointer);
    }
  }

  /**
   * The pattern lines and the exception words of a language's data, as npm hyphen's
   * patterns objects carry them: { patterns: [".ach4", ...], exceptions: ["as-so-ciate", ...] }.
   */
  function languageLists(lang) {
    const index = languageIndex(lang);
    requireLoaded(index);
    const words = (text) => text.split(/\s+/).filter((w) => w !== "" && !w.startsWith("%"));
    return { patterns: words(languageFile(index, 3)), exceptions: words(languageFile(index, 1)) };
  }

  /** The licence and provenance notes of a language's data (loaded first where it can be). */
  function languageLicence(lang) {
    const index = languageIndex(lang);
    requireLoaded(index);
    return languageFile(index, 2);
  }

  /**
   * Where language files come from from now on: load(tag) returns a language's file (as
   * found in the package's dist/languages/<tag>.qxl) or a promise of it.
   */
  function setLanguageLoader(load) {
    source = customSource(load);
  }

  /** Whether the language that lang names is loaded. */
  function isLoaded(lang) {
    return loaded[languageIndex(lang)] === true;
  }

  return {
    QuellixError,
    createHyphenator,
    createHyphenatorSync,
    hyphenateText,
    hyphenateHtml,
    isLoaded,
    languageLicence,
    languageLists,
    languages,
    loadHtmlLanguages,
    loadLanguages,
    setLanguageLoader,
    version: readCString(core._quellix_version()),
  };
}
