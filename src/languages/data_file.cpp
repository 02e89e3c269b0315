#include "data_file.hpp"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "quellix/error.hpp"
#include "utf8_decode.hpp"

namespace quellix::detail {
namespace {

[[noreturn]] void throwDecompressionError(std::string_view fileName, std::string_view what) {
  std::string message(fileName);
  message += ": ";
  message += what;
  throw DecompressionError(message);
}

// Ends the inflate stream however the decompression leaves.
struct InflateStream {
  z_stream stream{};
  bool open = false;
  ~InflateStream() {
    if (open) inflateEnd(&stream);
  }
};

// The member's length trailer (ISIZE, the size modulo 2^32), capped at what deflate can
// produce from bytes.size() input bytes, so a damaged trailer cannot cause a huge buffer.
std::size_t expectedSize(std::span<const unsigned char> bytes) {
  if (bytes.size() < 18) return 0;
  const unsigned char* t = bytes.data() + bytes.size() - 4;
  const std::uint32_t isize = static_cast<std::uint32_t>(t[0]) |
                              static_cast<std::uint32_t>(t[1]) << 8 |
                              static_cast<std::uint32_t>(t[2]) << 16 |
                              static_cast<std::uint32_t>(t[3]) << 24;
  // Deflate expands at most about 1032 to 1.
  const std::size_t cap = bytes.size() <= SIZE_MAX / 1032 ? bytes.size() * 1032 : SIZE_MAX;
  return std::min<std::size_t>(isize, cap);
}

}  // namespace

std::string gunzip(std::span<const unsigned char> bytes, std::string_view fileName,
                   std::size_t limit) {
  InflateStream z;
  // 16 + MAX_WBITS: a gzip wrapper only (no zlib or raw streams).
  const int init = inflateInit2(&z.stream, 16 + MAX_WBITS);
  if (init == Z_MEM_ERROR) throw std::bad_alloc();
  if (init != Z_OK) throwDecompressionError(fileName, "cannot start the gzip decompressor");
  z.open = true;

  // One spare byte beyond the expected size lets inflate reach the end of the member
  // without a second round when the trailer is right. Never more than limit + 1 bytes:
  // that many prove the member too large.
  const std::size_t room = limit < SIZE_MAX ? limit + 1 : limit;
  const auto checkLimit = [&](std::size_t produced) {
    if (produced > limit)
      throwDecompressionError(fileName, "decompresses to more than " + std::to_string(limit) + " bytes");
  };
  std::string out(std::min(expectedSize(bytes) + 1, room), '\0');
  std::size_t produced = 0;
  std::size_t consumed = 0;
  for (;;) {
    if (produced == out.size()) {
      checkLimit(produced);
      out.resize(std::min(out.size() < 4096 ? 4096 : out.size() * 2, room));
    }
    const std::size_t inChunk = std::min<std::size_t>(bytes.size() - consumed, UINT_MAX);
    const std::size_t outChunk = std::min<std::size_t>(out.size() - produced, UINT_MAX);
    // zlib's interface is not const-correct; it never writes through next_in.
    z.stream.next_in = const_cast<unsigned char*>(bytes.data() + consumed);
    z.stream.avail_in = static_cast<uInt>(inChunk);
    z.stream.next_out = reinterpret_cast<unsigned char*>(out.data() + produced);
    z.stream.avail_out = static_cast<uInt>(outChunk);
    // Z_FINISH: a member that fits the buffer is inflated without the 32 KiB sliding
    // window zlib otherwise allocates (fresh pages are much of what a first use costs).
    const int rc = inflate(&z.stream, Z_FINISH);
    consumed += inChunk - z.stream.avail_in;
    produced += outChunk - z.stream.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_OK) continue;
    if (rc == Z_BUF_ERROR) {
      // No progress possible: for want of output room (the buffer grows above), or
      // because the input ended before the member did.
      if (z.stream.avail_out == 0) continue;
      throwDecompressionError(fileName, "truncated gzip data");
    }
    if (rc == Z_MEM_ERROR) throw std::bad_alloc();
    std::string what = "damaged gzip data";
    if (z.stream.msg != nullptr) {
      what += " (";
      what += z.stream.msg;
      what += ")";
    }
    throwDecompressionError(fileName, what);
  }
  checkLimit(produced);
  if (consumed != bytes.size()) throwDecompressionError(fileName, "data after the gzip member");
  out.resize(produced);
  return out;
}

std::u32string decodeUtf8(std::string_view text) {
  // Never more code points than bytes: size once, trim at the end.
  std::u32string out(text.size(), U'\0');
  char32_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = p + text.size();
  while (p != end) {
    const std::size_t length = decodeUtf8Sequence(p, static_cast<std::size_t>(end - p), *o);
    if (length == 0) *o = *p;  // not a well-formed sequence: the byte stands for itself
    ++o;
    p += length ? length : 1;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::u32string readDataFile(std::string_view name, const FileLookup& lookup) {
  const std::optional<std::span<const unsigned char>> bytes = lookup(name);
  if (!bytes) throw DataFileError("Could not find " + std::string(name));
  return decodeUtf8(gunzip(*bytes, name));
}

}  // namespace quellix::detail
