// Reading a data file from its bytes: gunzip, then UTF-8 decoding, through the entry
// point the language loader uses (readDataFile with a lookup of our own). The decoder
// is also fed the raw input, so that malformed UTF-8 is fuzzed whether or not the bytes
// are a gzip member.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "quellix/error.hpp"

using namespace quellix;
using namespace quellix::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = asBytes(data, size);
  const std::span<const unsigned char> span(data, size);

  const Text raw = detail::decodeUtf8(bytes);
  FUZZ_CHECK(raw == ref::decodeUtf8(bytes));

  std::optional<std::string> content;
  try {
    content = detail::gunzip(span, "hyph-fuzz.pat.txt.gz");
  } catch (const DecompressionError& e) {
    FUZZ_CHECK(std::string_view(e.what()).starts_with("hyph-fuzz.pat.txt.gz: "));
  }

  const detail::FileLookup lookup = [span](std::string_view name) -> std::optional<std::span<const unsigned char>> {
    if (name != "hyph-fuzz.pat.txt.gz") return std::nullopt;
    return span;
  };
  try {
    const Text text = detail::readDataFile("hyph-fuzz.pat.txt.gz", lookup);
    FUZZ_CHECK(content.has_value());
    FUZZ_CHECK(text == detail::decodeUtf8(*content));
    FUZZ_CHECK(text == ref::decodeUtf8(*content));
  } catch (const DecompressionError&) {
    FUZZ_CHECK(!content.has_value());
  }
  try {
    detail::readDataFile("hyph-other.pat.txt.gz", lookup);
    FUZZ_CHECK(false);
  } catch (const DataFileError& e) {
    FUZZ_CHECK(std::string_view(e.what()) == "Could not find hyph-other.pat.txt.gz");
  }
  return 0;
}
