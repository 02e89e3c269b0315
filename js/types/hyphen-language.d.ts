// Type declarations of quellix/hyphen/<tag>: the same exports as npm hyphen's hyphen/<tag>.
import type { TextOptions } from "../quellix.js";

/** A language's patterns for the factory of quellix/hyphen. */
export interface PatternsDefinition {
  /** The language's pattern lines. */
  readonly patterns: string[];
  /** The language's exception words, with a hyphen-minus at each break. */
  readonly exceptions: string[];
}

/** npm hyphen's options, and quellix's own (see TextOptions in quellix). */
export interface HyphenationOptions extends TextOptions {
  /** Inserted at each break. Default U+00AD. The same as `hyphen`; give one of them. */
  hyphenChar?: string;
  /** Words of fewer characters are left whole. Default 5. */
  minWordLength?: number;
  /** Words with a hyphen-minus at each allowed break ("ta-ble"). Default none. */
  exceptions?: readonly string[] | string;
  /** Whether the text is HTML whose tags are left alone. Default true. */
  html?: boolean;
  /** Accepted for hyphen's sake; nothing is printed. */
  debug?: boolean;
}

/** The text with the hyphen at each break (margins 2 and 2 unless left and right say otherwise). */
export type HyphenationFunctionSync = (text: string, options?: Readonly<HyphenationOptions>) => string;
/** As HyphenationFunctionSync, as a promise; loads the languages lang attributes name when followLang. */
export type HyphenationFunctionAsync = (text: string, options?: Readonly<HyphenationOptions>) => Promise<string>;

export const hyphenate: HyphenationFunctionAsync;
export const hyphenateHTML: HyphenationFunctionAsync;
export const hyphenateSync: HyphenationFunctionSync;
export const hyphenateHTMLSync: HyphenationFunctionSync;
export const patterns: PatternsDefinition;
