// The drop-in for npm `hyphen`: the functions of its per-language modules
// (hyphen/<tag>: hyphenate, hyphenateHTML, hyphenateSync, hyphenateHTMLSync, patterns) and
// its factory (hyphen's default export), with its options and defaults (U+00AD, words of
// 5 characters or more, margins of 2 and 2 in every language, HTML tags left alone), over
// quellix. quellix's own options work too.
import { checkOptions, hyphenatorOptions, textOptions } from "./options.mjs";

const flag = (name) => (v) => {
  if (typeof v !== "boolean") throw new TypeError(`options.${name} must be true or false`);
  return v;
};

// hyphen's names for its options; `debug` is accepted and does nothing (nothing is printed).
const hyphenCallOptions = {
  hyphenChar: (v) => {
    if (typeof v !== "string") throw new TypeError("options.hyphenChar must be a string");
    return v;
  },
  html: flag("html"),
  debug: flag("debug"),
};
const hyphenFactoryOptions = { ...hyphenCallOptions, async: flag("async") };

// hyphen's defaults, where quellix's differ.
const DEFAULTS = { left: 2, right: 2, followLang: false };

// What a patterns object of quellix/hyphen/patterns/<tag> carries: the language's tag.
const LANGUAGE = Symbol("quellix language");

// options with hyphen's names turned into quellix's (hyphenChar is hyphen) and the ones
// that change nothing here (debug, async) left out.
function normalise(options) {
  const { hyphenChar, debug, async, ...rest } = options;
  if (hyphenChar !== undefined && rest.hyphen !== undefined) {
    throw new TypeError("options.hyphenChar and options.hyphen name the same thing: give one");
  }
  return hyphenChar === undefined ? rest : { ...rest, hyphen: hyphenChar };
}

// The four functions of one language, with the factory's options as defaults.
function functionsOf(quellix, tag, factoryOptions) {
  const made = normalise(checkOptions(factoryOptions, hyphenFactoryOptions, textOptions, hyphenatorOptions));
  // Margins and exceptions make a hyphenator: the factory's once, a call's per call.
  const { left, right, exceptions, ...base } = { ...DEFAULTS, ...made };
  const hyphenator = quellix.createHyphenatorSync(tag, { left, right, exceptions });

  function run(text, options, forceHtml) {
    const call = normalise(checkOptions(options, hyphenCallOptions, textOptions, hyphenatorOptions));
    const { html = true, ...settings } = { ...base, ...call };
    return forceHtml || html ? hyphenator.hyphenateHtml(text, settings) : hyphenator.hyphenateText(text, settings);
  }
  async function runAsync(text, options, forceHtml) {
    // A page's lang attributes may name languages still to be fetched.
    if (typeof text === "string" && (options?.followLang ?? base.followLang)) {
      await quellix.loadHtmlLanguages(text);
    }
    return run(text, options, forceHtml);
  }
  return {
    hyphenate: (text, options) => runAsync(text, options, false),
    hyphenateHTML: (text, options) => runAsync(text, options, true),
    hyphenateSync: (text, options) => run(text, options, false),
    hyphenateHTMLSync: (text, options) => run(text, options, true),
  };
}

// The patterns object of a language: hyphen's { patterns, exceptions } lists, read from
// the language's data when first asked for.
function patternsOf(quellix, tag) {
  let lists = null;
  const read = () => (lists ??= quellix.languageLists(tag));
  return Object.freeze({
    [LANGUAGE]: tag,
    get patterns() {
      return read().patterns;
    },
    get exceptions() {
      return read().exceptions;
    },
  });
}

/** hyphen/<tag>'s exports for the language tag names; its data must be loaded. */
export function languageModuleSync(quellix, tag) {
  return { ...functionsOf(quellix, tag, {}), patterns: patternsOf(quellix, tag) };
}

/** languageModuleSync once the language's data is loaded. */
export async function languageModule(quellix, tag) {
  await quellix.loadLanguages(tag);
  return languageModuleSync(quellix, tag);
}

/** hyphen/patterns/<tag>'s export, once the language's data is loaded. */
export async function patternsModule(quellix, tag) {
  await quellix.loadLanguages(tag);
  return patternsOf(quellix, tag);
}

/** The patterns object alone, for CommonJS (which loads the data when asked). */
export function patternsModuleSync(quellix, tag) {
  return patternsOf(quellix, tag);
}

/**
 * hyphen's factory: createHyphenator(patterns, options) with patterns from
 * quellix/hyphen/patterns/<tag> (or a language module's `patterns`) returns the language's
 * hyphenate function, a promise-returning one when options.async.
 */
export function factory(quellix) {
  return function createHyphenator(patterns, options) {
    const tag = patterns?.[LANGUAGE];
    if (typeof tag !== "string") {
      throw new TypeError("createHyphenator takes the patterns of quellix/hyphen/patterns/<tag> " +
        "(quellix divides with its own data, not with hyphen's pattern lists)");
    }
    const functions = functionsOf(quellix, tag, options);
    return options?.async ? functions.hyphenate : functions.hyphenateSync;
  };
}
