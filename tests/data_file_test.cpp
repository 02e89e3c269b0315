// Reading a data file: gzip decompression and the "Could not find" error of a missing
// file. UTF-8 decoding with the byte-value rule for malformed input is checked, case by
// case and against the reference, in hostile_input_test.
#include "data_file.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "quellix/error.hpp"

namespace quellix::detail {
namespace {

using Bytes = std::vector<unsigned char>;

// text as one gzip member, made with zlib itself.
Bytes gzip(std::string_view text) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  Bytes out(deflateBound(&z, static_cast<uLong>(text.size())) + 32);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string gunzipMessage(const Bytes& bytes) {
  try {
    gunzip(bytes, "hyph-xx.pat.txt.gz");
  } catch (const DecompressionError& e) {
    return e.what();
  }
  return "(no DecompressionError)";
}

TEST(Gunzip, RoundTripsTextsOfEverySize) {
  std::string large;
  for (int i = 0; i < 200000; ++i) large += static_cast<char>('a' + (i * 7919) % 26);
  for (const std::string& text : {std::string(), std::string("a"), std::string("aA\nbB\n"), large}) {
    EXPECT_EQ(gunzip(gzip(text), "x.gz"), text);
  }
}

TEST(Gunzip, EmptyMemberGivesEmptyText) {
  const Bytes empty = gzip("");
  EXPECT_EQ(gunzip(empty, "hyph-fr.hyp.txt.gz"), "");
}

TEST(Gunzip, UnderstatedLengthTrailerGrowsTheBufferAndIsThenRejected) {
  // The length trailer only sizes the buffer: one that understates the size makes the
  // buffer grow while inflating, and zlib's own length check then rejects the member.
  Bytes bytes = gzip(std::string(10000, 'x'));
  bytes[bytes.size() - 4] = 1;
  bytes[bytes.size() - 3] = 0;
  const std::string message = gunzipMessage(bytes);
  EXPECT_TRUE(message.starts_with("hyph-xx.pat.txt.gz: ")) << message;
  EXPECT_NE(message.find("incorrect length check"), std::string::npos) << message;
}

TEST(Gunzip, ContentPastTheLimitIsRefusedWhileInflating) {
  // Whatever the trailer says: a lying one (here 1 byte for 1 MB of content) must not let
  // the content grow past the limit.
  Bytes bomb = gzip(std::string(1 << 20, 'x'));
  bomb[bomb.size() - 4] = 1;
  bomb[bomb.size() - 3] = bomb[bomb.size() - 2] = bomb[bomb.size() - 1] = 0;
  for (const Bytes& bytes : {gzip(std::string(1 << 20, 'x')), bomb}) {
    try {
      (void)gunzip(bytes, "hyph-xx.pat.txt.gz", 1000);
      ADD_FAILURE() << "no DecompressionError";
    } catch (const DecompressionError& e) {
      EXPECT_STREQ(e.what(), "hyph-xx.pat.txt.gz: decompresses to more than 1000 bytes");
    }
  }
  EXPECT_EQ(gunzip(gzip(std::string(1000, 'x')), "x.gz", 1000), std::string(1000, 'x'));
}

TEST(Gunzip, DamagedMembersRaiseErrorsNamingTheFile) {
  const Bytes good = gzip("hello, patterns\n");

  Bytes badMagic = good;
  badMagic[0] = 0x1e;
  Bytes badChecksum = good;
  badChecksum[badChecksum.size() - 8] ^= 0xff;
  Bytes badLength = good;
  badLength[badLength.size() - 1] ^= 0x01;
  Bytes truncated(good.begin(), good.end() - 3);
  Bytes headerOnly(good.begin(), good.begin() + 10);
  Bytes trailing = good;
  trailing.push_back('!');
  Bytes twoMembers = good;
  twoMembers.insert(twoMembers.end(), good.begin(), good.end());

  // A zlib (not gzip) stream of the same text.
  Bytes zlibStream(64);
  uLongf size = zlibStream.size();
  ASSERT_EQ(compress(zlibStream.data(), &size, reinterpret_cast<const Bytef*>("hello"), 5), Z_OK);
  zlibStream.resize(size);

  for (const Bytes* bytes : {&badMagic, &badChecksum, &badLength, &truncated, &headerOnly,
                             &trailing, &twoMembers, &zlibStream}) {
    const std::string message = gunzipMessage(*bytes);
    EXPECT_TRUE(message.starts_with("hyph-xx.pat.txt.gz: ")) << message;
  }
  EXPECT_EQ(gunzipMessage(truncated), "hyph-xx.pat.txt.gz: truncated gzip data");
  EXPECT_EQ(gunzipMessage(trailing), "hyph-xx.pat.txt.gz: data after the gzip member");
  EXPECT_EQ(gunzipMessage(twoMembers), "hyph-xx.pat.txt.gz: data after the gzip member");
  EXPECT_EQ(gunzipMessage(Bytes{}), "hyph-xx.pat.txt.gz: truncated gzip data");
  EXPECT_NE(gunzipMessage(badChecksum).find("incorrect data check"), std::string::npos);
}

TEST(ReadDataFile, FindsDecompressesAndDecodes) {
  const Bytes member = gzip("\xC3\x9F" "S\n");
  int calls = 0;
  const FileLookup lookup = [&](std::string_view name) -> std::optional<std::span<const unsigned char>> {
    ++calls;
    if (name == "hyph-de-1996.chr.txt.gz") return std::span<const unsigned char>(member);
    return std::nullopt;
  };
  EXPECT_EQ(readDataFile("hyph-de-1996.chr.txt.gz", lookup), U"\u00DFS\n");
  EXPECT_EQ(calls, 1);
}

TEST(ReadDataFile, MissingFileIsCouldNotFindWithTheName) {
  const FileLookup nothing = [](std::string_view) -> std::optional<std::span<const unsigned char>> {
    return std::nullopt;
  };
  try {
    readDataFile("hyph-en-us.pat.txt.gz", nothing);
    FAIL() << "no DataFileError";
  } catch (const DataFileError& e) {
    EXPECT_STREQ(e.what(), "Could not find hyph-en-us.pat.txt.gz");
  }
}

}  // namespace
}  // namespace quellix::detail
