// Test helper: drives the WebAssembly build's gzip reader (gzip_inflate.cpp, compiled
// here under other names so that the test can link zlib too) the way a zlib caller does.
#include "shim_gunzip.hpp"

#include "zlib/zlib.h"

namespace quellix_test {

ShimResult shimGunzip(std::span<const unsigned char> input, unsigned outputChunk) {
  ShimResult result;
  z_stream stream{};
  result.status = inflateInit2(&stream, 16 + MAX_WBITS);
  if (result.status != Z_OK) return result;
  stream.next_in = const_cast<unsigned char*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  std::vector<unsigned char> chunk(outputChunk);
  for (;;) {
    stream.next_out = chunk.data();
    stream.avail_out = outputChunk;
    result.status = inflate(&stream, Z_NO_FLUSH);
    result.output.insert(result.output.end(), chunk.data(), stream.next_out);
    if (result.status != Z_OK) break;
  }
  result.unread = stream.avail_in;
  if (stream.msg != nullptr) result.message = stream.msg;
  inflateEnd(&stream);
  return result;
}

}  // namespace quellix_test
