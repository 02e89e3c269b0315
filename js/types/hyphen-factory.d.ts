// Type declarations of quellix/hyphen: npm hyphen's factory.
import type { HyphenationFunctionAsync, HyphenationFunctionSync, HyphenationOptions, PatternsDefinition }
  from "./hyphen-language.js";

/** The factory's options: a call's, and whether the function returns a promise. */
export interface FactoryOptions extends HyphenationOptions {
  async?: boolean;
}

/**
 * The hyphenate function of the language whose patterns come from
 * quellix/hyphen/patterns/<tag> (or a language module's `patterns`), with options as its
 * defaults. Throws TypeError for patterns from elsewhere.
 */
declare function createHyphenator(patterns: PatternsDefinition, options: FactoryOptions & { async: true }): HyphenationFunctionAsync;
declare function createHyphenator(patterns: PatternsDefinition, options?: FactoryOptions): HyphenationFunctionSync;
export default createHyphenator;
