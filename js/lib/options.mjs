// The options the package's functions take: a check per option name, which returns the
// value to use or throws a TypeError or RangeError naming the option. Shared by the
// package's API (api.mjs), the element functions (dom.mjs) and the hyphen drop-in
// (hyphen.mjs).

function wholeNumber(name, value, max) {
  if (typeof value !== "number") throw new TypeError(`options.${name} must be a number`);
  if (!Number.isInteger(value) || value < 0 || value > max) {
    throw new RangeError(`options.${name} must be a whole number from 0 to ${max}`);
  }
  return value;
}
function flag(name, value) {
  if (typeof value !== "boolean") throw new TypeError(`options.${name} must be true or false`);
  return value;
}
function hyphenString(name, value) {
  if (typeof value !== "string") throw new TypeError(`options.${name} must be a string`);
  return value;
}
function exceptionList(name, value) {
  if (typeof value === "string") return value;
  if (!Array.isArray(value)) {
    throw new TypeError(`options.${name} must be an array of words such as "hy-phen-ation"`);
  }
  value.forEach((word, i) => {
    if (typeof word !== "string" || /[\n\r]/.test(word)) {
      throw new TypeError(`options.${name}[${i}] must be one word (a string without line breaks)`);
    }
  });
  return value.join("\n");
}

const MAX_MARGIN = 2 ** 31 - 1;
// What makes a hyphenator: margins and words of one's own.
export const hyphenatorOptions = {
  left: (v) => wholeNumber("left", v, MAX_MARGIN),
  right: (v) => wholeNumber("right", v, MAX_MARGIN),
  exceptions: (v) => exceptionList("exceptions", v),
};
// How running text is divided.
export const textOptions = {
  hyphen: (v) => hyphenString("hyphen", v),
  minWordLength: (v) => wholeNumber("minWordLength", v, 2 ** 32 - 1),
  skipSoftHyphenated: (v) => flag("skipSoftHyphenated", v),
  skipCapitals: (v) => flag("skipCapitals", v),
  skipUrls: (v) => flag("skipUrls", v),
  followLang: (v) => flag("followLang", v),
};

/**
 * The options object checked against the allowed names: a new object with the values
 * that are not undefined. Throws TypeError for an unknown name or a wrong type.
 */
export function checkOptions(options, ...allowed) {
  if (options === undefined) return {};
  if (options === null || typeof options !== "object" || Array.isArray(options)) {
    throw new TypeError("options must be an object");
  }
  const out = {};
  for (const name of Object.keys(options)) {
    const check = allowed.find((table) => Object.hasOwn(table, name))?.[name];
    if (!check) throw new TypeError(`unknown option '${name}'`);
    if (options[name] !== undefined) out[name] = check(options[name]);
  }
  return out;
}
