// The tables of the single-byte encodings libhyphen dictionaries are written in.
#include "single_byte_encodings.hpp"

#include <cstddef>

namespace quellix::detail {
namespace {

constexpr SingleByteEncoding kEncodings[] = {
#include "single_byte_encodings.inc"
};

bool equalIgnoringCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

}  // namespace

const SingleByteEncoding* findSingleByteEncoding(std::string_view name) noexcept {
  for (const SingleByteEncoding& encoding : kEncodings)
    if (equalIgnoringCase(encoding.name, name)) return &encoding;
  return nullptr;
}

}  // namespace quellix::detail
