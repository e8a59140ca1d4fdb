#include "formats/axe/identify.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cdrgen/bytes.h"

namespace formats::axe {
namespace {

namespace fs = std::filesystem;

fs::path Write(const std::string& name, const cdrgen::Bytes& bytes) {
  const auto path = fs::temp_directory_path() / ("formats_axe_" + name);
  cdrgen::WriteFile(path, bytes);
  return path;
}

TEST(AxeIdentify, ElevenBlockStartsDecideWhetherAFileIsAxe) {
  auto file_with_starts = [](std::vector<std::string> heads) {
    cdrgen::Bytes bytes;
    for (const auto& h : heads) {
      cdrgen::Bytes block(kBlockSize, 0);
      std::copy(h.begin(), h.end(), block.begin());
      cdrgen::Append(bytes, block);
    }
    return bytes;
  };
  std::vector<std::string> good = {"085", "120", "150", "080", "099", "100",
                                   "101", "102", "103", "104", "105"};
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(Write("good", file_with_starts(good))));
  EXPECT_TRUE(IsAxeFile(reader));

  auto bad = good;
  bad[1] = "079";
  ASSERT_TRUE(reader.Open(Write("bad", file_with_starts(bad))));
  EXPECT_FALSE(IsAxeFile(reader));
  bad = good;
  bad[10] = "151";
  ASSERT_TRUE(reader.Open(Write("bad_last", file_with_starts(bad))));
  EXPECT_FALSE(IsAxeFile(reader));

  // Ten good blocks and nothing where the eleventh should start.
  good.pop_back();
  ASSERT_TRUE(reader.Open(Write("short", file_with_starts(good))));
  EXPECT_FALSE(IsAxeFile(reader));
  // The eleventh start just inside the file is enough.
  auto bytes = file_with_starts(good);
  cdrgen::Append(bytes, "100");
  ASSERT_TRUE(reader.Open(Write("just", bytes)));
  EXPECT_TRUE(IsAxeFile(reader));
}

}  // namespace
}  // namespace formats::axe
