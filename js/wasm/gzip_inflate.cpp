// gzip decompression (RFC 1952 members holding RFC 1951 deflate data) behind the subset
// of zlib's interface declared in zlib/zlib.h: the WebAssembly build's stand-in for zlib.
// A member is decoded whole on the first inflate() call whose input holds all of it,
// checked against its CRC-32 and length trailer, and then handed out as avail_out allows.
#include "zlib/zlib.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Filled when first used rather than stored: a kilobyte of table compresses hardly at all,
// and the module is what a web page loads (the constructor is not constexpr, so the table
// is never laid out in the binary).
struct CrcTable {
  CrcTable() noexcept {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
  }
  std::array<std::uint32_t, 256> entries;
};

std::uint32_t crc32(const unsigned char* p, std::size_t n) {
  static const CrcTable table;
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) c = table.entries[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

// How decoding ended.
enum class Outcome { Done, NeedInput, Bad };

// A canonical Huffman code: the number of codes of each length and the symbols in code
// order.
struct Huffman {
  std::array<std::uint16_t, 16> count{};
  std::array<std::uint16_t, 320> symbol{};
};

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                             1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
 public:
  Inflater(const unsigned char* data, std::size_t size, std::vector<unsigned char>& out)
      : data_(data), size_(size), out_(out) {}

  // Decodes one gzip member from the start of the input.
  Outcome member() {
    if (Outcome o = header(); o != Outcome::Done) return o;
    for (bool last = false; !last;) {
      long final = bits(1);
      long type = bits(2);
      if (type < 0) return Outcome::NeedInput;
      last = final == 1;
      Outcome o = type == 0   ? stored()
                  : type == 1 ? fixed()
                  : type == 2 ? dynamic()
                              : bad("invalid block type");
      if (o != Outcome::Done) return o;
    }
    // The trailer starts at the next byte boundary.
    bitCount_ -= bitCount_ % 8;
    pos_ -= static_cast<std::size_t>(bitCount_ / 8);
    bitBuffer_ = 0;
    bitCount_ = 0;
    if (size_ - pos_ < 8) return Outcome::NeedInput;
    const std::uint32_t crc = le32(data_ + pos_);
    const std::uint32_t length = le32(data_ + pos_ + 4);
    pos_ += 8;
    if (crc != crc32(out_.data(), out_.size())) return bad("incorrect data check");
    if (length != static_cast<std::uint32_t>(out_.size())) return bad("incorrect length check");
    return Outcome::Done;
  }

  std::size_t consumed() const { return pos_; }
  const char* message() const { return message_; }

 private:
  static std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }

  Outcome bad(const char* message) {
    message_ = message;
    return Outcome::Bad;
  }

  // The next n bits (n <= 16), least significant first, or -1 when the input ends.
  long bits(int n) {
    while (bitCount_ < n) {
      if (pos_ == size_) return -1;
      bitBuffer_ |= static_cast<std::uint32_t>(data_[pos_++]) << bitCount_;
      bitCount_ += 8;
    }
    const auto value = static_cast<long>(bitBuffer_ & ((1u << n) - 1u));
    bitBuffer_ >>= n;
    bitCount_ -= n;
    return value;
  }

  Outcome header() {
    if (size_ < 10) return Outcome::NeedInput;
    if (data_[0] != 0x1F || data_[1] != 0x8B) return bad("incorrect header check");
    if (data_[2] != 8) return bad("unknown compression method");
    const unsigned flags = data_[3];
    if ((flags & 0xE0u) != 0) return bad("unknown header flags set");
    pos_ = 10;
    if ((flags & 4u) != 0) {  // FEXTRA
      if (size_ - pos_ < 2) return Outcome::NeedInput;
      const std::size_t extra = data_[pos_] | static_cast<std::size_t>(data_[pos_ + 1]) << 8;
      pos_ += 2;
      if (size_ - pos_ < extra) return Outcome::NeedInput;
      pos_ += extra;
    }
    for (unsigned flag : {8u, 16u}) {  // FNAME, FCOMMENT: NUL-terminated
      if ((flags & flag) == 0) continue;
      const void* nul = std::memchr(data_ + pos_, 0, size_ - pos_);
      if (nul == nullptr) return Outcome::NeedInput;
      pos_ = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - data_) + 1;
    }
    if ((flags & 2u) != 0) {  // FHCRC
      if (size_ - pos_ < 2) return Outcome::NeedInput;
      pos_ += 2;
    }
    return Outcome::Done;
  }

  Outcome stored() {
    bitBuffer_ >>= bitCount_ % 8;
    bitCount_ -= bitCount_ % 8;
    const long length = bits(16);
    const long complement = bits(16);
    if (complement < 0) return Outcome::NeedInput;
    if ((length ^ 0xFFFF) != complement) return bad("invalid stored block lengths");
    for (long i = 0; i < length; ++i) {
      const long byte = bits(8);
      if (byte < 0) return Outcome::NeedInput;
      out_.push_back(static_cast<unsigned char>(byte));
    }
    return Outcome::Done;
  }

  // Fills h from code lengths; false when the lengths over-subscribe the code space.
  static bool build(Huffman& h, const std::uint8_t* lengths, int n) {
    h.count.fill(0);
    for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
    int left = 1;
    for (int len = 1; len < 16; ++len) {
      left = (left << 1) - h.count[len];
      if (left < 0) return false;
    }
    std::array<std::uint16_t, 16> offset{};
    for (int len = 1; len < 15; ++len) offset[len + 1] = offset[len] + h.count[len];
    for (int s = 0; s < n; ++s)
      if (lengths[s] != 0) h.symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    return true;
  }

  // The next symbol of h; -1 when the input ends, -2 for a code h does not have.
  int decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      const long bit = bits(1);
      if (bit < 0) return -1;
      code |= static_cast<int>(bit);
      const int count = h.count[len];
      if (code - count < first) return h.symbol[index + (code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return -2;
  }

  Outcome codes(const Huffman& lengths, const Huffman& distances) {
    for (;;) {
      int symbol = decode(lengths);
      if (symbol == -1) return Outcome::NeedInput;
      if (symbol < 0) return bad("invalid literal/length code");
      if (symbol < 256) {
        out_.push_back(static_cast<unsigned char>(symbol));
        continue;
      }
      if (symbol == 256) return Outcome::Done;
      symbol -= 257;
      if (symbol >= 29) return bad("invalid literal/length code");
      const long lengthExtra = bits(kLengthExtra[symbol]);
      if (lengthExtra < 0) return Outcome::NeedInput;
      const std::size_t length = kLengthBase[symbol] + static_cast<std::size_t>(lengthExtra);
      const int d = decode(distances);
      if (d == -1) return Outcome::NeedInput;
      if (d < 0 || d >= 30) return bad("invalid distance code");
      const long distanceExtra = bits(kDistanceExtra[d]);
      if (distanceExtra < 0) return Outcome::NeedInput;
      const std::size_t distance = kDistanceBase[d] + static_cast<std::size_t>(distanceExtra);
      if (distance > out_.size()) return bad("invalid distance too far back");
      for (std::size_t i = 0; i < length; ++i) out_.push_back(out_[out_.size() - distance]);
    }
  }

  Outcome fixed() {
    std::uint8_t lengths[288 + 30];
    int s = 0;
    for (; s < 144; ++s) lengths[s] = 8;
    for (; s < 256; ++s) lengths[s] = 9;
    for (; s < 280; ++s) lengths[s] = 7;
    for (; s < 288; ++s) lengths[s] = 8;
    for (; s < 288 + 30; ++s) lengths[s] = 5;
    Huffman literal, distance;
    build(literal, lengths, 288);
    build(distance, lengths + 288, 30);
    return codes(literal, distance);
  }

  Outcome dynamic() {
    constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    const long literals = bits(5), distances = bits(5), lengthCodes = bits(4);
    if (lengthCodes < 0) return Outcome::NeedInput;
    const int nlen = static_cast<int>(literals) + 257, ndist = static_cast<int>(distances) + 1;
    if (nlen > 286 || ndist > 30) return bad("too many length or distance symbols");
    std::uint8_t lengths[320] = {};
    for (long i = 0; i < lengthCodes + 4; ++i) {
      const long len = bits(3);
      if (len < 0) return Outcome::NeedInput;
      lengths[kOrder[i]] = static_cast<std::uint8_t>(len);
    }
    Huffman lencode, distcode;
    if (!build(lencode, lengths, 19)) return bad("invalid code lengths set");
    std::memset(lengths, 0, sizeof lengths);
    for (int index = 0; index < nlen + ndist;) {
      const int symbol = decode(lencode);
      if (symbol == -1) return Outcome::NeedInput;
      if (symbol < 0) return bad("invalid code lengths set");
      if (symbol < 16) {
        lengths[index++] = static_cast<std::uint8_t>(symbol);
        continue;
      }
      std::uint8_t value = 0;
      long repeat;
      if (symbol == 16) {
        if (index == 0) return bad("invalid bit length repeat");
        value = lengths[index - 1];
        repeat = bits(2);
        if (repeat >= 0) repeat += 3;
      } else if (symbol == 17) {
        repeat = bits(3);
        if (repeat >= 0) repeat += 3;
      } else {
        repeat = bits(7);
        if (repeat >= 0) repeat += 11;
      }
      if (repeat < 0) return Outcome::NeedInput;
      if (index + repeat > nlen + ndist) return bad("invalid bit length repeat");
      while (repeat-- > 0) lengths[index++] = value;
    }
    if (lengths[256] == 0) return bad("invalid code -- missing end-of-block");
    if (!build(lencode, lengths, nlen)) return bad("invalid literal/lengths set");
    if (!build(distcode, lengths + nlen, ndist)) return bad("invalid distances set");
    return codes(lencode, distcode);
  }

  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  std::vector<unsigned char>& out_;
  const char* message_ = nullptr;
};

struct State {
  std::vector<unsigned char> output;
  std::size_t delivered = 0;
  bool decoded = false;
};

}  // namespace

extern "C" {

int inflateInit2(z_streamp stream, int windowBits) {
  if (stream == nullptr) return Z_STREAM_ERROR;
  if (windowBits < 16 + 8 || windowBits > 16 + MAX_WBITS) return Z_STREAM_ERROR;
  stream->msg = nullptr;
  stream->total_in = stream->total_out = 0;
  stream->state = new (std::nothrow) State;
  return stream->state == nullptr ? Z_MEM_ERROR : Z_OK;
}

int inflate(z_streamp stream, int /*flush*/) {
  if (stream == nullptr || stream->state == nullptr) return Z_STREAM_ERROR;
  auto& state = *static_cast<State*>(stream->state);
  if (!state.decoded) {
    if (stream->next_in == nullptr && stream->avail_in != 0) return Z_STREAM_ERROR;
    state.output.clear();
    Outcome outcome;
    std::size_t consumed;
    try {
      Inflater inflater(stream->next_in, stream->avail_in, state.output);
      outcome = inflater.member();
      consumed = inflater.consumed();
      if (outcome == Outcome::Bad) stream->msg = inflater.message();
    } catch (const std::bad_alloc&) {
      return Z_MEM_ERROR;
    }
    if (outcome == Outcome::NeedInput) return Z_BUF_ERROR;
    if (outcome == Outcome::Bad) return Z_DATA_ERROR;
    state.decoded = true;
    stream->next_in += consumed;
    stream->avail_in -= static_cast<uInt>(consumed);
    stream->total_in += consumed;
  }
  const std::size_t left = state.output.size() - state.delivered;
  if (left == 0) return Z_STREAM_END;
  if (stream->avail_out == 0 || stream->next_out == nullptr) return Z_BUF_ERROR;
  const std::size_t n = left < stream->avail_out ? left : stream->avail_out;
  std::memcpy(stream->next_out, state.output.data() + state.delivered, n);
  state.delivered += n;
  stream->next_out += n;
  stream->avail_out -= static_cast<uInt>(n);
  stream->total_out += n;
  return state.delivered == state.output.size() ? Z_STREAM_END : Z_OK;
}

int inflateEnd(z_streamp stream) {
  if (stream == nullptr) return Z_STREAM_ERROR;
  delete static_cast<State*>(stream->state);
  stream->state = nullptr;
  return Z_OK;
}

}  // extern "C"
