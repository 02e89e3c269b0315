// Tables of small integers kept in the binary as a byte stream of column deltas, packed
// while compiling from the generated tables and unpacked once, on first use. A sorted
// Unicode table's neighbouring entries differ little, so the stream is a fraction of the
// plain table's size, and compresses far better: this is what the WebAssembly core, which
// a web page loads, gains. Internal to the library.
#ifndef QUELLIX_SRC_PACKED_COLUMNS_HPP
#define QUELLIX_SRC_PACKED_COLUMNS_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quellix::detail {

template <std::size_t Columns>
using PackedRow = std::array<std::uint32_t, Columns>;

// The stream: column after column, each value's difference from the one above it (modulo
// 2^32, the first row's from 0), zigzag-folded so that small negative ones stay small,
// 7 bits a byte, low bits first, the high bit set on every byte but a value's last.
// rowAt(r) gives row r. Writes to out when given; returns the byte count.
template <std::size_t Columns, typename RowAt>
constexpr std::size_t packColumns(std::size_t rows, const RowAt& rowAt, unsigned char* out) {
  std::size_t n = 0;
  for (std::size_t c = 0; c < Columns; ++c) {
    std::uint32_t previous = 0;
    for (std::size_t r = 0; r < rows; ++r) {
      const std::uint32_t value = rowAt(r)[c];
      const std::uint32_t delta = value - previous;
      previous = value;
      std::uint32_t folded = delta << 1 ^ (delta >> 31 != 0 ? 0xFFFFFFFFu : 0u);
      do {
        const auto low = static_cast<unsigned char>(folded & 0x7Fu);
        folded >>= 7;
        if (out != nullptr) out[n] = folded != 0 ? static_cast<unsigned char>(low | 0x80u) : low;
        ++n;
      } while (folded != 0);
    }
  }
  return n;
}

// Fills rows with what packColumns wrote to stream for as many rows. Never throws.
template <std::size_t Columns>
constexpr void unpackColumns(const unsigned char* stream, std::span<PackedRow<Columns>> rows) noexcept {
  for (std::size_t c = 0; c < Columns; ++c) {
    std::uint32_t previous = 0;
    for (PackedRow<Columns>& row : rows) {
      std::uint32_t folded = 0;
      for (unsigned shift = 0;; shift += 7) {
        const unsigned char byte = *stream++;
        folded |= static_cast<std::uint32_t>(byte & 0x7Fu) << shift;
        if ((byte & 0x80u) == 0) break;
      }
      previous += folded >> 1 ^ ((folded & 1u) != 0 ? 0xFFFFFFFFu : 0u);
      row[c] = previous;
    }
  }
}

// The stream of Rows rows from rowAt, made while compiling; Bytes is
// packColumns<Columns>(Rows, rowAt, nullptr).
template <std::size_t Rows, std::size_t Columns, std::size_t Bytes, typename RowAt>
constexpr std::array<unsigned char, Bytes> packedColumns(const RowAt& rowAt) {
  std::array<unsigned char, Bytes> stream{};
  packColumns<Columns>(Rows, rowAt, stream.data());
  return stream;
}

// True when stream unpacks to exactly the rows it was packed from: each table checks its
// stream with it in a static_assert.
template <std::size_t Rows, std::size_t Columns, std::size_t Bytes, typename RowAt>
constexpr bool unpacksTo(const std::array<unsigned char, Bytes>& stream, const RowAt& rowAt) {
  std::array<PackedRow<Columns>, Rows> rows{};
  unpackColumns<Columns>(stream.data(), rows);
  for (std::size_t r = 0; r < Rows; ++r)
    if (rows[r] != rowAt(r)) return false;
  return true;
}

// The rows, unpacked when first used (a table of static storage whose constructor is not
// constexpr: initialised at run time, never laid out in the binary).
template <std::size_t Rows, std::size_t Columns>
struct UnpackedRows {
  template <std::size_t Bytes>
  explicit UnpackedRows(const std::array<unsigned char, Bytes>& stream) noexcept {
    unpackColumns<Columns>(stream.data(), rows);
  }
  std::array<PackedRow<Columns>, Rows> rows;
};

}  // namespace quellix::detail

#endif
