// Test helper: the WebAssembly build's gzip reader, run on a whole input.
#ifndef QUELLIX_JS_WASM_SHIM_GUNZIP_HPP
#define QUELLIX_JS_WASM_SHIM_GUNZIP_HPP

#include <span>
#include <string>
#include <vector>

namespace quellix_test {

struct ShimResult {
  int status = 0;                    // the last inflate() status (zlib's numbers)
  std::vector<unsigned char> output;  // everything inflate() delivered
  unsigned unread = 0;                // input bytes left unconsumed
  std::string message;                // msg after a data error
};

// Inflates input, handing out at most outputChunk bytes per call, until inflate()
// returns anything but Z_OK.
ShimResult shimGunzip(std::span<const unsigned char> input, unsigned outputChunk);

}  // namespace quellix_test

#endif
