#include "formats/cdot/identify.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cdrgen/cdot_builder.h"

namespace formats::cdot {
namespace {

bool Passes(cdrgen::Bytes bytes) {
  const std::uint64_t length = bytes.size();
  bytes.resize(std::max<std::size_t>(bytes.size(), kIdentifyBytes), 0);  // zeros past the end
  return IsCdotFile(bytes.data(), length);
}

TEST(IsCdotFile, BothFormsButNothingShorterThanARecordOrForeign) {
  EXPECT_TRUE(Passes(cdrgen::CdotSampleFile(20000, 1)));  // begins with a section header
  cdrgen::CdotFileBuilder bare;
  bare.Add(cdrgen::CdotRecord{});
  EXPECT_TRUE(Passes(bare.Build()));
  EXPECT_FALSE(Passes({}));
  EXPECT_FALSE(Passes(cdrgen::Bytes(kRecordSize - 1, 0)));
  EXPECT_FALSE(Passes(cdrgen::Bytes(30000, 'x')));
  // A header with no record after it is no file of calls.
  cdrgen::CdotFileBuilder header;
  header.Section("070305");
  EXPECT_FALSE(Passes(header.Build()));
}

}  // namespace
}  // namespace formats::cdot
