// Starting the WebAssembly core, and where language files come from: files read in Node,
// URLs fetched in browsers and workers, or data carried inline (all.mjs).
import { QuellixError } from "./error.mjs";

// The core's Module settings: nothing is printed, and the compiled module is instantiated
// by `instantiate` (which calls receive with the instance, at once or later).
function moduleSettings(instantiate) {
  return {
    print() {},
    printErr() {},
    instantiateWasm(imports, receive) {
      instantiate(imports, receive);
      return {};
    },
  };
}

/** Starts the core from a compiled WebAssembly.Module at once (Node; workers). */
export function startCoreSync(createCore, compiled) {
  const settings = moduleSettings((imports, receive) => receive(new WebAssembly.Instance(compiled, imports)));
  createCore(settings);
  if (!settings.calledRun) throw new Error("quellix: the WebAssembly core did not start");
  return settings;
}

/** Starts the core from a compiled WebAssembly.Module; resolves to it. */
export function startCore(createCore, compiled) {
  return new Promise((resolve, reject) => {
    const settings = moduleSettings((imports, receive) => {
      WebAssembly.instantiate(compiled, imports).then((instance) => {
        receive(instance);
        if (settings.calledRun) resolve(settings);
        else reject(new Error("quellix: the WebAssembly core did not start"));
      }, reject);
    });
    createCore(settings);
  });
}

/** Compiles the core that url names, streaming where the server sends it as wasm. */
export async function compileFrom(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`quellix: cannot load ${url}: ${response.status} ${response.statusText}`);
  if (typeof WebAssembly.compileStreaming === "function" &&
      response.headers.get("content-type")?.startsWith("application/wasm")) {
    return WebAssembly.compileStreaming(response);
  }
  return WebAssembly.compile(await response.arrayBuffer());
}

/** Language files read from directory (a path ending in a separator) with Node's fs. */
export function fileSource(fs, directory) {
  const read = (affix) => {
    try {
      return fs.readFileSync(`${directory}${affix}.qxl`);
    } catch (error) {
      throw new QuellixError(`cannot read the language file of '${affix}': ${error.message}`, "DATA");
    }
  };
  return { loadSync: read, load: read };
}

/** Language files fetched from base (a URL ending in "/"). */
export function fetchSource(base) {
  return {
    async load(affix) {
      const url = new URL(`${affix}.qxl`, base);
      const response = await fetch(url);
      if (!response.ok) {
        throw new QuellixError(`cannot load the language file ${url}: ${response.status} ${response.statusText}`,
          "DATA");
      }
      return new Uint8Array(await response.arrayBuffer());
    },
  };
}

/**
 * The string of the Latin-1 bytes heap[at, at + length), where the platform makes one
 * faster than TextDecoder decodes UTF-8 (Node's Buffer: several times); null elsewhere.
 */
export const latin1Text = typeof Buffer === "function" ? latin1Reader() : null;

// One Buffer over the heap's memory, made again when the memory grows (a new buffer): a
// Buffer made per call cost a word about 30 ns of its 600 in Node.
function latin1Reader() {
  let view = null;
  return (heap, at, length) => {
    if (view === null || view.buffer !== heap.buffer) view = Buffer.from(heap.buffer);
    const start = heap.byteOffset + at;
    return view.toString("latin1", start, start + length);
  };
}

/** The bytes of a base64 text. */
export function decodeBase64(text) {
  if (typeof Buffer === "function") return new Uint8Array(Buffer.from(text, "base64"));
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

/** Language files carried inline as base64 texts by affix. */
export function inlineSource(files) {
  const read = (affix) => {
    if (!Object.hasOwn(files, affix)) throw new QuellixError(`no language file for '${affix}'`, "DATA");
    return decodeBase64(files[affix]);
  };
  return { loadSync: read, load: read };
}

/**
 * A source that asks load(tag) for a language's file: its bytes (a Uint8Array or
 * ArrayBuffer) or a promise of them. Used when the files are served from elsewhere.
 */
export function customSource(load) {
  if (typeof load !== "function") throw new TypeError("the language loader must be a function");
  // Promises that loadSync started, for load() to take up rather than ask again.
  const started = new Map();
  return {
    loadSync(affix) {
      if (started.has(affix)) return undefined;
      const result = load(affix);
      if (typeof result?.then !== "function") return result;
      result.catch(() => {});  // a failure is reported to whoever awaits it through load()
      started.set(affix, result);
      return undefined;
    },
    load(affix) {
      const result = started.get(affix) ?? load(affix);
      started.delete(affix);
      return result;
    },
  };
}
