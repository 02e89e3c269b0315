/* The part of zlib's interface that quellix uses (gzip decompression with inflate), for
 * WebAssembly builds, where no zlib is at hand. Implemented by ../gzip_inflate.cpp.
 *
 * Unlike zlib, inflate() decodes a member only once its input is complete: while the
 * member is cut short it consumes nothing and returns Z_BUF_ERROR, and the caller may
 * call again with more input from the same start. Output is delivered as zlib does, as
 * far as avail_out allows per call. Only gzip wrappers (windowBits 16 + 8..15) are read.
 */
#ifndef QUELLIX_WASM_ZLIB_H
#define QUELLIX_WASM_ZLIB_H

#ifdef __cplusplus
extern "C" {
#endif

#define ZLIB_VERSION "1.2.13-quellix-wasm"
#define MAX_WBITS 15
#define Z_NO_FLUSH 0
#define Z_FINISH 4
#define Z_OK 0
#define Z_STREAM_END 1
#define Z_STREAM_ERROR (-2)
#define Z_DATA_ERROR (-3)
#define Z_MEM_ERROR (-4)
#define Z_BUF_ERROR (-5)

typedef unsigned char Bytef;
typedef unsigned int uInt;
typedef unsigned long uLong;

typedef struct z_stream_s {
  Bytef* next_in;
  uInt avail_in;
  uLong total_in;
  Bytef* next_out;
  uInt avail_out;
  uLong total_out;
  const char* msg;
  void* state;
} z_stream;

typedef z_stream* z_streamp;

int inflateInit2(z_streamp stream, int windowBits);
int inflate(z_streamp stream, int flush);
int inflateEnd(z_streamp stream);

#ifdef __cplusplus
}
#endif

#endif
