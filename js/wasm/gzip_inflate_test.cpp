// The WebAssembly build's gzip reader against zlib: the same bytes for every embedded
// data file and for members zlib writes at several levels, and zlib's statuses for cut,
// damaged and trailing input.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shim_gunzip.hpp"

namespace {

constexpr int kStreamEnd = 1;   // Z_STREAM_END
constexpr int kDataError = -3;  // Z_DATA_ERROR
constexpr int kBufError = -5;   // Z_BUF_ERROR

std::vector<unsigned char> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> zlibGunzip(const std::vector<unsigned char>& input) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, 16 + MAX_WBITS), Z_OK);
  stream.next_in = const_cast<unsigned char*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  std::vector<unsigned char> out;
  unsigned char chunk[4096];
  int rc;
  do {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    rc = inflate(&stream, Z_NO_FLUSH);
    out.insert(out.end(), chunk, stream.next_out);
  } while (rc == Z_OK);
  EXPECT_EQ(rc, Z_STREAM_END);
  inflateEnd(&stream);
  return out;
}

// A gzip member of data made by zlib at level, with a file name in the header.
std::vector<unsigned char> zlibGzip(const std::string& data, int level) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  gz_header header{};
  char name[] = "hyph-test.pat.txt";
  header.name = reinterpret_cast<Bytef*>(name);
  deflateSetHeader(&stream, &header);
  std::vector<unsigned char> out(deflateBound(&stream, data.size()) + 64);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string sampleText() {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "hy1phen .ab4c " + std::to_string(i * 7919 % 1000) + "\n";
  return text;
}

TEST(GzipInflate, EveryEmbeddedDataFileGivesZlibsBytes) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QUELLIX_TEST_DATA_DIR)) {
    if (entry.path().extension() != ".gz") continue;
    const std::vector<unsigned char> input = readFile(entry.path());
    const quellix_test::ShimResult result = quellix_test::shimGunzip(input, 1 << 20);
    ASSERT_EQ(result.status, kStreamEnd) << entry.path() << ": " << result.message;
    ASSERT_EQ(result.output, zlibGunzip(input)) << entry.path();
    EXPECT_EQ(result.unread, 0u);
    ++files;
  }
  EXPECT_EQ(files, 292);
}

TEST(GzipInflate, StoredFixedAndDynamicBlocksInSmallOutputChunks) {
  const std::string text = sampleText();
  for (int level : {0, 1, 6, 9}) {
    for (unsigned chunk : {1u, 7u, 65536u}) {
      const quellix_test::ShimResult result = quellix_test::shimGunzip(zlibGzip(text, level), chunk);
      ASSERT_EQ(result.status, kStreamEnd) << "level " << level << ": " << result.message;
      EXPECT_EQ(std::string(result.output.begin(), result.output.end()), text) << "level " << level;
    }
  }
  // A short text gets a fixed-code block.
  const quellix_test::ShimResult result = quellix_test::shimGunzip(zlibGzip("abcabcabc", 9), 64);
  EXPECT_EQ(std::string(result.output.begin(), result.output.end()), "abcabcabc");
}

TEST(GzipInflate, CutInputIsNoProgressAndTrailingBytesStayUnread) {
  const std::vector<unsigned char> member = zlibGzip(sampleText(), 9);
  for (std::size_t length = 0; length < member.size(); length += 1 + length / 8) {
    const std::vector<unsigned char> cut(member.begin(), member.begin() + static_cast<long>(length));
    const quellix_test::ShimResult result = quellix_test::shimGunzip(cut, 4096);
    EXPECT_EQ(result.status, kBufError) << length;
    EXPECT_TRUE(result.output.empty());
    EXPECT_EQ(result.unread, length);
  }
  std::vector<unsigned char> trailing = member;
  trailing.insert(trailing.end(), {'x', 'y'});
  const quellix_test::ShimResult result = quellix_test::shimGunzip(trailing, 1 << 20);
  EXPECT_EQ(result.status, kStreamEnd);
  EXPECT_EQ(result.unread, 2u);
}

TEST(GzipInflate, DamagedInputIsADataErrorWithZlibsMessage) {
  const std::vector<unsigned char> member = zlibGzip(sampleText(), 9);
  struct Case {
    std::size_t offset;  // from the start; a value past the size counts from the end
    unsigned char mask;
    const char* message;
  };
  const Case cases[] = {
      {0, 0xFF, "incorrect header check"},
      {2, 0x01, "unknown compression method"},
      {member.size() - 8, 0x01, "incorrect data check"},
      {member.size() - 4, 0x01, "incorrect length check"},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> damaged = member;
    damaged[c.offset] ^= c.mask;
    const quellix_test::ShimResult result = quellix_test::shimGunzip(damaged, 4096);
    EXPECT_EQ(result.status, kDataError) << c.message;
    EXPECT_EQ(result.message, c.message);
  }
  // Damage inside the compressed data (after the 28-byte header) is caught by the decoder
  // or by the checks.
  for (std::size_t offset = 30; offset + 8 < member.size(); offset += 97) {  // past the header
    std::vector<unsigned char> damaged = member;
    damaged[offset] ^= 0x5A;
    const quellix_test::ShimResult result = quellix_test::shimGunzip(damaged, 4096);
    EXPECT_NE(result.status, kStreamEnd) << offset;
  }
}

}  // namespace
