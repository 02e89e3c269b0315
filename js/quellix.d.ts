// Type declarations of the quellix package (quellix.js).

/** An error reported by the library, with its message ("no language is named 'xx'"). */
export class QuellixError extends Error {
  readonly name: "QuellixError";
  /** The library's status: "INVALID_ARGUMENT", "UNKNOWN_LANGUAGE", "NO_MEMORY", "DATA", "INTERNAL", ... */
  readonly status: string;
}

/** One built-in language. Its name or its tag names it everywhere. */
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

/** How running text is hyphenated. */
export interface TextOptions {
  /** Inserted at each break. Default: U+00AD SOFT HYPHEN. */
  hyphen?: string;
  /** Words of fewer characters are left whole. Default 5. */
  minWordLength?: number;
  /** Leave words that already contain a soft hyphen as they are. Default true. */
  skipSoftHyphenated?: boolean;
  /** Leave words in capitals ("NASA") as they are. Default false. */
  skipCapitals?: boolean;
  /** Leave URLs and e-mail addresses as they are. Default true. */
  skipUrls?: boolean;
  /** HTML: divide an element's text in the language its lang attribute names. Default true. */
  followLang?: boolean;
}

/** Divides the words of one built-in language. Immutable. */
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
  /** hyphenateText(text, this language, options). */
  hyphenateText(text: string, options?: TextOptions): string;
  /** hyphenateHtml(html, this language, options). */
  hyphenateHtml(html: string, options?: TextOptions): string;
}

/** The hyphenator of a built-in language by tag ("en-us") or name ("English_US");
 * rejects with QuellixError (status "UNKNOWN_LANGUAGE") for any other string. */
export function createHyphenator(lang: string): Promise<Hyphenator>;

/** `text` with the hyphen at every permitted break of every word; nothing else changes
 * (lone surrogates, which UTF-8 cannot carry, become U+FFFD). Throws QuellixError. */
export function hyphenateText(text: string, lang: string, options?: TextOptions): string;

/** As hyphenateText, for the text content of HTML only (markup, character references and
 * the contents of script, style, textarea, title, pre and code are kept). */
export function hyphenateHtml(html: string, lang: string, options?: TextOptions): string;

/** The 73 built-in languages, in the library's order. */
export function languages(): readonly Language[];

/** The library's version, such as "0.8.3". */
export const version: string;
