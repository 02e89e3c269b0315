// Faults an outside attack found, each kept as its reproducer: sizes near 2^32 bytes
// between JavaScript and WebAssembly, the tag cache, a hyphen with NUL in it.
import assert from "node:assert/strict";
import { test } from "node:test";
import v8 from "node:v8";
import vm from "node:vm";

import { QuellixError, createHyphenator, hyphenateText } from "../quellix.mjs";

v8.setFlagsFromString("--expose-gc");
const gc = vm.runInNewContext("gc");

// What the module must still do after each fault.
async function stillWorks() {
  assert.deepEqual((await createHyphenator("de")).pieces("Silbentrennung"), ["Sil", "ben", "tren", "nung"]);
  assert.equal(hyphenateText("hyphenation", "en-us", { hyphen: "-" }), "hy-phen-ation");
}

test("distinct tags are not kept without bound, and absurd tags are refused early", async () => {
  const before = (gc(), process.memoryUsage());
  for (let i = 0; i < 200_000; i++) hyphenateText("x", `en-x-${i}`);
  const after = (gc(), process.memoryUsage());
  assert.ok(after.heapUsed - before.heapUsed < 4 << 20, `JS heap grew by ${after.heapUsed - before.heapUsed}`);
  const huge = `de-${"a".repeat(50_000_000)}`;
  assert.throws(() => hyphenateText("x", huge), (e) => e.status === "UNKNOWN_LANGUAGE" && e.message.length < 200);
  await assert.rejects(createHyphenator(huge), { name: "QuellixError" });
  const grown = (gc(), process.memoryUsage());
  assert.ok(grown.external - before.external < 8 << 20, `WebAssembly memory grew by ${grown.external - before.external}`);
  await stillWorks();
});

test("an output estimate past 2^32 bytes gives the result, and the module stays usable", async () => {
  // The estimate (a 1 MiB hyphen at every other character) once wrapped around 32 bits.
  const hyphen = "x".repeat(1 << 20);
  const out = hyphenateText(`hyphenation${" ".repeat(8181)}`, "en", { hyphen });
  assert.equal(out, `hy${hyphen}phen${hyphen}ation${" ".repeat(8181)}`);
  await stillWorks();
});

test("a result larger than WebAssembly memory is a clear out-of-memory error", async () => {
  // 4,200 breaks with a 1 MiB hyphen: 4.4 GB, more than the core's 2 GiB.
  assert.throws(() => hyphenateText("hyphenation ".repeat(2100), "en", { hyphen: "x".repeat(1 << 20) }),
    (e) => e instanceof QuellixError && e.status === "NO_MEMORY" && /out of memory/.test(e.message));
  await stillWorks();
});

test("a hyphen with NUL in it is inserted whole", () => {
  assert.equal(hyphenateText("hyphenation", "en-us", { hyphen: "a\0b" }), "hya\0bphena\0bation");
  assert.equal(hyphenateText("hyphenation", "en-us", { hyphen: "\0" }), "hy\0phen\0ation");
});
