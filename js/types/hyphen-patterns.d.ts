// Type declarations of quellix/hyphen/patterns/<tag>: a language for the factory.
import type { PatternsDefinition } from "./hyphen-language.js";

declare const patterns: PatternsDefinition;
export default patterns;
