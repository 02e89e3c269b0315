// Type declarations of the quellix package: quellix.mjs and quellix.cjs ("quellix"), and
// all.mjs and all.cjs ("quellix/all"), which export the same.

/** An error reported by the library, with its message ("no language is named 'xx'"). */
export class QuellixError extends Error {
  readonly name: "QuellixError";
  /**
   * The library's status: "INVALID_ARGUMENT", "UNKNOWN_LANGUAGE", "NO_MEMORY", "DATA",
   * "INTERNAL", ...; "NOT_LOADED" when a synchronous call needs a language whose data is
   * still to be fetched.
   */
  readonly status: string;
}

/** One of the 73 languages. Its name or its tag names it everywhere. */
export interface Language {
  /** The library's name, such as "English_US". */
  readonly name: string;
  /** The hyph-utf8 tag of its data, such as "en-us". */
  readonly tag: string;
  /** The fewest characters before the first break. */
  readonly left: number;
  /** The fewest characters after the last break. */
  readonly right: number;
}

/** What makes a hyphenator (createHyphenator), also accepted by the text functions. */
export interface HyphenatorOptions {
  /** The fewest characters before the first break. Default: the language's. */
  left?: number;
  /** The fewest characters after the last break. Default: the language's. */
  right?: number;
  /**
   * Words of one's own with a hyphen-minus at each allowed break ("hy-phen-ation"); a word
   * without one is never divided. They replace the language's own entries for the same
   * words and match as its words do ("Quel-lix" also serves "QUELLIX"). A string is read as
   * one word per line.
   */
  exceptions?: readonly string[] | string;
}

/** How running text is hyphenated. */
export interface TextOptions extends HyphenatorOptions {
  /** Inserted at each break. Default: U+00AD SOFT HYPHEN. */
  hyphen?: string;
  /** Words of fewer characters are left whole. Default 5. */
  minWordLength?: number;
  /** Leave words that already contain a soft hyphen as they are. Default true. */
  skipSoftHyphenated?: boolean;
  /** Leave words in capitals ("NASA") as they are. Default false. */
  skipCapitals?: boolean;
  /** Leave URLs, e-mail addresses and program identifiers as they are. Default true. */
  skipUrls?: boolean;
  /** HTML: divide an element's text in the language its lang attribute names. Default true. */
  followLang?: boolean;
}

/** How page elements are hyphenated in place. */
export interface ElementOptions extends TextOptions {
  /** The language where no lang attribute is in scope. Default: the document's lang. */
  lang?: string;
  /**
   * Leave the text of elements whose CSS says `hyphens: auto` to the browser, where it
   * hyphenates their language itself. Default true.
   */
  skipCssHyphenated?: boolean;
}

/** Divides the words of one language. Immutable; dispose() when no longer needed. */
export interface Hyphenator {
  readonly language: string;
  readonly tag: string;
  readonly left: number;
  readonly right: number;
  /** The word cut at its permitted breaks; the pieces join to the word. */
  pieces(word: string): string[];
  /** The break positions as indices into the string (UTF-16 units), ascending. */
  positions(word: string): number[];
  /** The word with `hyphen` (default "-") at each break. */
  inserted(word: string, hyphen?: string): string;
  /** hyphenateText(text, this language, options), with this hyphenator's margins and words. */
  hyphenateText(text: string, options?: TextOptions): string;
  /** hyphenateHtml(html, this language, options), with this hyphenator's margins and words. */
  hyphenateHtml(html: string, options?: TextOptions): string;
  /** Gives back what it holds in the WebAssembly memory; using it afterwards throws. */
  dispose(): void;
}

/**
 * The hyphenator of a language by tag ("en-us", "de-AT", "pt-BR") or name ("English_US"),
 * its data loaded first. Rejects with QuellixError (status "UNKNOWN_LANGUAGE") when the tag
 * names none, TypeError for an unknown option or a value of the wrong type.
 */
export function createHyphenator(lang: string, options?: HyphenatorOptions): Promise<Hyphenator>;

/** createHyphenator for a language that is loaded; throws QuellixError "NOT_LOADED" if not (never in Node). */
export function createHyphenatorSync(lang: string, options?: HyphenatorOptions): Hyphenator;

/**
 * `text` with the hyphen at every permitted break of every word; nothing else changes
 * (lone surrogates, which UTF-8 cannot carry, become U+FFFD). The language must be loaded
 * (in Node it is loaded here). Throws QuellixError, TypeError for bad options.
 */
export function hyphenateText(text: string, lang: string, options?: TextOptions): string;

/**
 * As hyphenateText, for the text content of HTML only (markup, character references and
 * the contents of script, style, textarea, title, pre and code are kept). An element whose
 * lang names a language not loaded yet is left undivided (in Node it is loaded here;
 * elsewhere, await loadHtmlLanguages(html) first to divide it), as is one whose lang names
 * no language.
 */
export function hyphenateHtml(html: string, lang: string, options?: TextOptions): string;

/** Loads the languages the tags name; resolves to them. */
export function loadLanguages(...tags: (string | readonly string[])[]): Promise<Language[]>;

/** Loads every language that a lang or xml:lang attribute in html names; resolves to them. */
export function loadHtmlLanguages(html: string): Promise<Language[]>;

/** Whether the data of the language that lang names is loaded. */
export function isLoaded(lang: string): boolean;

/**
 * Where language files come from from now on (bundlers, other hosts): load(tag) returns
 * the file dist/languages/<tag>.qxl of this package, or a promise of it.
 */
export function setLanguageLoader(load: (tag: string) => Uint8Array | ArrayBuffer | Promise<Uint8Array | ArrayBuffer>): void;

/** The pattern lines and exception words of a language's data. */
export function languageLists(lang: string): { patterns: string[]; exceptions: string[] };

/** The licence and provenance notes of a language's data. */
export function languageLicence(lang: string): string;

/** The 73 languages, in the library's order. */
export function languages(): readonly Language[];

/**
 * Browser: divides the text below element in place, in the languages lang attributes name
 * (options.lang or the document's lang where none does), leaving scripts, styles, code,
 * pre and form fields alone, and text CSS hyphenates itself (see ElementOptions). Loads the
 * languages first; resolves to the number of text nodes changed.
 */
export function hyphenateElement(element: Element, options?: ElementOptions): Promise<number>;

/** Browser: hyphenateElement for each element selector (default ".hyphenate") matches in options.root. */
export function hyphenateElements(selector?: string, options?: ElementOptions & { root?: ParentNode }): Promise<number>;

/** The library's version, such as "0.8.3". */
export const version: string;
