#include "formats/ewsd/identify.h"

#include <gtest/gtest.h>

#include <vector>

namespace formats::ewsd {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool Begins(const Bytes& bytes) {
  return BeginsWithFillerThenRecords(bytes.data(), bytes.size());
}

// Filler of every kind, then two records of length 4 with filler between.
Bytes FillerThenRecords() {
  Bytes bytes = {0x80, 0x81, 0x03, 0x01};  // the analyser's block: 3 bytes, not 259
  bytes.resize(bytes.size() + 32, 0x00);
  bytes.push_back(123);
  bytes.resize(bytes.size() + 63, 0x00);
  bytes.insert(bytes.end(), {0x84, 0x04, 0x00, 0x80, 0x80, 0x84, 0x04, 0x00, 0x80});
  return bytes;
}

TEST(BeginsWithFillerThenRecords, FindsTheFirstRecordAfterFiller) {
  EXPECT_TRUE(Begins(FillerThenRecords()));
}

TEST(BeginsWithFillerThenRecords, RefusesWhatTheWalkCannotVouchFor) {
  // A record at the start is the plain test's to decide.
  EXPECT_FALSE(Begins({0x84, 0x02, 0x84, 0x02}));
  EXPECT_FALSE(Begins({}));
  // The record after the filler must be followed by another call record
  // inside the bytes looked at.
  Bytes bytes = FillerThenRecords();
  bytes.resize(bytes.size() - 4);
  EXPECT_FALSE(Begins(bytes));
  bytes = FillerThenRecords();
  bytes[bytes.size() - 4] = 0x85;
  EXPECT_FALSE(Begins(bytes));
  // A zero block or record length would hold the walk: not EWSD.
  EXPECT_FALSE(Begins({0x81, 0x00, 0x00, 0x84, 0x04, 0x00, 0x80, 0x84, 0x04, 0x00, 0x80}));
  EXPECT_FALSE(Begins({0x80, 0x84, 0x00, 0x84, 0x00}));
  // Filler only.
  EXPECT_FALSE(Begins(Bytes(200, 0x80)));
}

}  // namespace
}  // namespace formats::ewsd
