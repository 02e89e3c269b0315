// Reading a data file: gzip decompression, UTF-8 decoding with the byte-value rule for
// malformed input, and the "Could not find" error of a missing file.
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

std::u32string decode(std::string_view bytes) { return decodeUtf8(bytes); }

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

TEST(DecodeUtf8, WellFormedSequencesOfEveryLength) {
  EXPECT_EQ(decode(""), U"");
  EXPECT_EQ(decode("aA\n"), U"aA\n");
  EXPECT_EQ(decode("\xC3\xA9"), U"\u00E9");                 // é
  EXPECT_EQ(decode("\xCF\x83\xCE\xA3"), U"\u03C3\u03A3");   // σΣ
  EXPECT_EQ(decode("\xE2\x80\x99"), U"\u2019");             // ’
  EXPECT_EQ(decode("\xF0\x9F\x98\x80"), U"\U0001F600");
  EXPECT_EQ(decode("\xF4\x8F\xBF\xBF"), U"\U0010FFFF");
  EXPECT_EQ(decode("\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"), U"\u0080\u07FF\u0800\uFFFF");
  EXPECT_EQ(decode("\xED\x9F\xBF\xEE\x80\x80"), U"\uD7FF\uE000");
}

TEST(DecodeUtf8, KeepsByteOrderMarkAndCarriageReturns) {
  EXPECT_EQ(decode("\xEF\xBB\xBF" "a\r\nb"), U"\uFEFFa\r\nb");
  EXPECT_EQ(decode(std::string_view("a\0b", 3)), std::u32string(U"a\0b", 3));
}

TEST(DecodeUtf8, MalformedBytesStandForThemselves) {
  // A lone continuation byte, bytes that never start a sequence.
  EXPECT_EQ(decode("\x80"), U"\u0080");
  EXPECT_EQ(decode("a\xBF" "b"), U"a\u00BFb");
  EXPECT_EQ(decode("\xC0\xC1\xF5\xFF"), U"\u00C0\u00C1\u00F5\u00FF");
  // Overlong forms.
  EXPECT_EQ(decode("\xC0\xAF"), U"\u00C0\u00AF");
  EXPECT_EQ(decode("\xE0\x80\xAF"), U"\u00E0\u0080\u00AF");
  EXPECT_EQ(decode("\xF0\x80\x80\xAF"), U"\u00F0\u0080\u0080\u00AF");
  // Surrogates and code points above U+10FFFF.
  EXPECT_EQ(decode("\xED\xA0\x80"), U"\u00ED\u00A0\u0080");
  EXPECT_EQ(decode("\xF4\x90\x80\x80"), U"\u00F4\u0090\u0080\u0080");
  // Sequences cut short, at the end and before another character; decoding resumes at
  // the byte after the lead.
  EXPECT_EQ(decode("\xE2\x82"), U"\u00E2\u0082");
  EXPECT_EQ(decode("\xE2\x82" "A"), U"\u00E2\u0082A");
  EXPECT_EQ(decode("\xF0\x9F\x98"), U"\u00F0\u009F\u0098");
  EXPECT_EQ(decode("\xC3"), U"\u00C3");
  EXPECT_EQ(decode("\xC3\xC3\xA9"), U"\u00C3\u00E9");
  EXPECT_EQ(decode("\xE2\xE2\x80\x99"), U"\u00E2\u2019");
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
