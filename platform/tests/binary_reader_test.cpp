#include "platform/binary_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <vector>

#include "platform/open_file.h"

namespace {

std::filesystem::path WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  auto path = std::filesystem::temp_directory_path() / ("platform_reader_" + name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return v;
}

TEST(BinaryReader, EndFlagOnlyWhenAReadAsksPastTheEnd) {
  const auto path = WriteFile("end", {1, 2, 3, 4});
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.Length(), 4u);
  std::uint8_t buf[4];
  EXPECT_EQ(reader.Read(0, buf, 4), 4u);  // ends exactly at the last byte
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.Read(2, buf, 4), 2u);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(buf[1], 4);
  EXPECT_EQ(buf[2], 0);  // past the end reads as zero
  EXPECT_EQ(buf[3], 0);
  EXPECT_EQ(reader.Byte(1), 2);
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.Byte(4), 0);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadText(100, 3), std::string(3, '\0'));
  EXPECT_TRUE(reader.AtEnd());
}

TEST(BinaryReader, ServesAnyMixOfReadsAcrossBufferBoundaries) {
  const auto bytes = Counting(10000);
  const auto path = WriteFile("mix", bytes);
  platform::BinaryReader reader(64);  // tiny buffer: every path is exercised
  ASSERT_TRUE(reader.Open(path));
  for (std::uint64_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(reader.Byte(i), bytes[i]) << i;
  std::vector<std::uint8_t> big(5000);
  EXPECT_EQ(reader.Read(30, big.data(), big.size()), big.size());
  EXPECT_TRUE(std::equal(big.begin(), big.end(), bytes.begin() + 30));
  // Backwards and overlapping reads.
  for (std::uint64_t off = 9990; off > 0; off -= 37) {
    std::uint8_t b[50];
    const auto got = reader.Read(off, b, sizeof b);
    const auto expected = std::min<std::uint64_t>(50, bytes.size() - off);
    ASSERT_EQ(got, expected);
    for (std::size_t k = 0; k < got; ++k) ASSERT_EQ(b[k], bytes[off + k]);
  }
}

TEST(BinaryReader, ViewsShowTheSameBytesAsReads) {
  const auto bytes = Counting(1000);
  const auto path = WriteFile("view", bytes);
  platform::BinaryReader reader(64);
  ASSERT_TRUE(reader.Open(path));
  for (std::uint64_t off = 0; off < 1000; off += 13) {
    for (std::size_t count : {std::size_t{1}, std::size_t{40}, std::size_t{64}, std::size_t{200}}) {
      const std::uint8_t* view = reader.View(off, count);
      const bool past = off + count > bytes.size();
      ASSERT_EQ(reader.AtEnd(), past) << off << " " << count;
      for (std::size_t k = 0; k < count; ++k) {
        ASSERT_EQ(view[k], off + k < bytes.size() ? bytes[off + k] : 0) << off << " " << k;
      }
    }
  }
  // The zeros shown past the end are not taken for file bytes later.
  reader.View(990, 60);
  std::uint8_t b[4];
  EXPECT_EQ(reader.Read(996, b, 4), 4u);
  EXPECT_EQ(b[3], bytes[999]);
  EXPECT_EQ(reader.View(2000, 8)[7], 0);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(BinaryReader, MappedReadsGiveTheSameBytesAndSurviveAShrunkFile) {
  const auto bytes = Counting(5 * 8192 + 100);
  const auto path = WriteFile("mapped", bytes);
  platform::BinaryReader reader(64);  // windows of two pages: every path is exercised
  ASSERT_TRUE(reader.Open(path));
  if (!reader.MapFile()) GTEST_SKIP() << "no mapping on this system";
  for (std::uint64_t off = 5; off < bytes.size() + 50; off += 611) {
    std::uint8_t b[43];
    const auto got = reader.Read(off, b, sizeof b);
    ASSERT_EQ(got, std::min<std::uint64_t>(43, off < bytes.size() ? bytes.size() - off : 0));
    ASSERT_EQ(reader.AtEnd(), off + 43 > bytes.size());
    for (std::size_t k = 0; k < 43; ++k)
      ASSERT_EQ(b[k], off + k < bytes.size() ? bytes[off + k] : 0);
    for (std::size_t count : {std::size_t{1}, std::size_t{3000}, std::size_t{9000}}) {
      const std::uint8_t* view = reader.View(off, count);
      ASSERT_EQ(reader.AtEnd(), off + count > bytes.size());
      for (std::size_t k = 0; k < count; ++k) {
        ASSERT_EQ(view[k], off + k < bytes.size() ? bytes[off + k] : 0) << off << " " << k;
      }
    }
    ASSERT_EQ(reader.Byte(off), off < bytes.size() ? bytes[off] : 0);
  }
  std::vector<std::uint8_t> all(bytes.size() + 7);
  EXPECT_EQ(reader.Read(0, all.data(), all.size()), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), all.begin()));
  EXPECT_FALSE(reader.ReadFailed());
  // The file shrinks under the mapping (a medium pulled out): pages past the
  // new end read as zeros and a failed read, never as a crash.
  std::filesystem::resize_file(path, 100);
  std::uint8_t b[16];
  reader.Read(4 * 8192, b, sizeof b);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(reader.View(3 * 8192 + 5, 10)[9], 0);
  EXPECT_TRUE(reader.ReadFailed());
  EXPECT_EQ(reader.Read(10, b, 4), 4u);
  EXPECT_EQ(b[0], bytes[10]);
  reader.Close();
  std::filesystem::remove(path);
}

TEST(BinaryReader, OpenFailuresGiveAReason) {
  platform::BinaryReader reader;
  std::string error;
  EXPECT_FALSE(reader.Open("/nonexistent/folder/file.bin", &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(reader.Open(std::filesystem::temp_directory_path(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(reader.IsOpen());
}

TEST(BinaryReader, EmptyFileReadsAsZeroWithTheEndFlag) {
  const auto path = WriteFile("empty", {});
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.Byte(0), 0);
  EXPECT_TRUE(reader.AtEnd());
}

// Names as the command line gives them (UTF-8 text) must find the file and
// come back unchanged in messages, in any script: on Windows the narrow
// path conversion would read them as Latin-1.
TEST(BinaryReader, OpensNamesGivenAsUtf8TextInAnyScript) {
  const auto folder = std::filesystem::temp_directory_path();
  for (const std::string name : {"platform_reader_donn\xc3\xa9"
                                 "es.bin",
                                 "platform_reader_\xd0\xb7\xd0\xb2\xd0\xbe\xd0\xbd.bin",
                                 "platform_reader_\xe9\x80\x9a\xe8\xa9\xb1.bin"}) {
    const std::filesystem::path path = platform::PathOf(folder.string() + "/" + name);
    EXPECT_EQ(path.filename().string(), name);
    std::FILE* made = platform::OpenCFile(path, "wb");
    ASSERT_NE(made, nullptr) << name;
    std::fputs("abc", made);
    std::fclose(made);
    platform::BinaryReader reader;
    ASSERT_TRUE(reader.Open(platform::PathOf(folder.string() + "/" + name))) << name;
    EXPECT_EQ(reader.Length(), 3u);
    std::filesystem::remove(path);
  }
#if defined(_WIN32)
  // A report from the older programs names its files in the ANSI code page:
  // "donnees" with e-acute is still seven letters, not an error.
  EXPECT_EQ(platform::PathOf(std::string("donn\xe9") + "es").native().size(), 7u);
#endif
}

}  // namespace
