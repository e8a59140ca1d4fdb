#include "formats/cdot/section_reader.h"

#include <gtest/gtest.h>

#include "cdrgen/cdot_builder.h"
#include "temp_folder.h"

namespace formats::cdot {
namespace {

using cdrgen::CdotFileBuilder;
using cdrgen::CdotRecord;
using testing::TempFolder;

CdotRecord Call(int hour, const std::string& calling = "612345") {
  CdotRecord r;
  r.hour = hour;
  r.calling = calling;
  return r;
}

// Each step as text: "S 070305" for a section, "R date time calling @offset".
std::vector<std::string> Walk(const std::filesystem::path& path) {
  CdotSectionReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(path, &error)) << error;
  std::vector<std::string> steps;
  for (int guard = 0; guard < 100000; ++guard) {
    const auto step = reader.Next();
    if (step == CdotSectionReader::Step::kFinished) return steps;
    if (step == CdotSectionReader::Step::kSection) {
      steps.push_back("S " + reader.SectionDigits());
    } else {
      const CdotFields& f = reader.Fields();
      steps.push_back("R " + f.date + " " + f.time + " " + f.calling + " @" +
                      std::to_string(reader.RecordOffset()));
    }
  }
  ADD_FAILURE() << "reader did not finish";
  return steps;
}

std::filesystem::path Write(const TempFolder& folder, const std::string& name,
                            const cdrgen::Bytes& bytes) {
  const auto path = folder / name;
  cdrgen::WriteFile(path, bytes);
  return path;
}

// Filler records so that a section end lies more than 500 bytes from the end.
void AddFiller(CdotFileBuilder& b, int count) {
  for (int i = 0; i < count; ++i) b.Add(Call(12, "7" + std::to_string(i)));
}

TEST(SectionReader, HeaderDateAndFirstRecordAt91) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Section("070305").Add(Call(10, "111111")).Add(Call(11, "222222"));
  const auto steps = Walk(Write(folder, "TGCB010101.DAT", b.Build()));
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0], "S 070305");
  EXPECT_EQ(steps[1], "R 2005/03/07 10:15:30 111111 @91");
  EXPECT_EQ(steps[2], "R 2005/03/07 11:15:30 222222 @139");
}

TEST(SectionReader, HeaderlessFileReadFromZeroDatedFromItsName) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Add(Call(21, "111111")).Add(Call(19, "222222")).Add(Call(22, "333333"));
  const auto steps = Walk(Write(folder, "TGCB070305.DAT", b.Build()));
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0], "S 070305");
  EXPECT_EQ(steps[1], "R 2005/03/06 21:15:30 111111 @0");
  EXPECT_EQ(steps[2], "R 2005/03/07 19:15:30 222222 @48");
  EXPECT_EQ(steps[3], "R 2005/03/07 22:15:30 333333 @96");
}

TEST(SectionReader, ShortNameGivesWhatItHasAndNeverFails) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Add(Call(21));
  const auto steps = Walk(Write(folder, "ab", b.Build()));
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0], "S ");
}

TEST(SectionReader, SecondSectionFarFromTheEndStartsANewDateAndEvening) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Section("280205").Add(Call(21, "111111")).Add(Call(19, "222222"));
  const std::size_t second_header = b.Size();
  b.Section("010305").Add(Call(21, "333333"));
  AddFiller(b, 11);  // 528 bytes after the second header's first record
  const auto steps = Walk(Write(folder, "x.dat", b.Build()));
  ASSERT_EQ(steps.size(), 2u + 2u + 1u + 11u);
  EXPECT_EQ(steps[1], "R 2005/02/27 21:15:30 111111 @91");
  EXPECT_EQ(steps[2], "R 2005/02/28 19:15:30 222222 @139");
  EXPECT_EQ(steps[3], "S 010305");
  EXPECT_EQ(steps[4], "R 2005/02/28 21:15:30 333333 @" + std::to_string(second_header + 91));
}

TEST(SectionReader, SectionEndWithinTheLast500BytesFinishesTheFile) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Section("070305").Add(Call(10));
  const std::size_t marker = b.Size();
  b.Section("080305");
  // File size = marker + 500 exactly: the marker lies within the last 500 bytes.
  b.AddRaw(cdrgen::Bytes(marker + 500 - b.Size(), 0x11));
  EXPECT_EQ(Walk(Write(folder, "near.dat", b.Build())).size(), 2u);

  // One byte more and the second section is read (its records are filler here).
  b.AddRaw(cdrgen::Bytes(1, 0x11));
  const auto steps = Walk(Write(folder, "far.dat", b.Build()));
  ASSERT_GE(steps.size(), 3u);
  EXPECT_EQ(steps[2], "S 080305");
}

TEST(SectionReader, LaterHeaderWithoutDateContinuesAfterIt) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Section("070305").Add(Call(10, "111111"));
  const std::size_t broken = b.Size();
  b.AddRaw(cdrgen::CdotSectionHeader("XX0305")).Add(Call(11, "222222"));
  AddFiller(b, 11);
  const auto steps = Walk(Write(folder, "TGCB090305.DAT", b.Build()));
  ASSERT_EQ(steps.size(), 2u + 2u + 11u);
  EXPECT_EQ(steps[2], "S 090305");  // dated from the name, like any header-less run
  EXPECT_EQ(steps[3], "R 2005/03/09 11:15:30 222222 @" + std::to_string(broken + 91));
}

TEST(SectionReader, MarkerAtOffsetZeroOfAHeaderlessFileIsNeverReadAgain) {
  TempFolder folder;
  CdotFileBuilder b;
  // Bytes 80-85 are not digits, yet the first record position holds the marker.
  b.AddRaw(cdrgen::CdotSectionHeader("ABCDEF")).Add(Call(9, "111111"));
  AddFiller(b, 11);
  const auto steps = Walk(Write(folder, "TGCB070305.DAT", b.Build()));
  ASSERT_EQ(steps.size(), 2u + 1u + 11u);
  EXPECT_EQ(steps[0], "S 070305");
  EXPECT_EQ(steps[1], "S 070305");
  EXPECT_EQ(steps[2], "R 2005/03/07 09:15:30 111111 @91");
}

TEST(SectionReader, RecordCutShortByTheEndIsDropped) {
  TempFolder folder;
  CdotFileBuilder b;
  b.Section("070305").Add(Call(10)).Add(Call(11));
  auto bytes = b.Build();
  bytes.resize(bytes.size() - 1);
  EXPECT_EQ(Walk(Write(folder, "cut.dat", bytes)).size(), 2u);
  // A header alone, or an empty file, holds no record at all.
  EXPECT_EQ(Walk(Write(folder, "header.dat", cdrgen::CdotSectionHeader("070305"))).size(), 1u);
  EXPECT_EQ(Walk(Write(folder, "TGCB070305.DAT", {})).size(), 1u);
}

TEST(SectionReader, SampleFileIsReadToTheEnd) {
  TempFolder folder;
  std::size_t records = 0;
  const auto bytes = cdrgen::CdotSampleFile(20000, 3, &records);
  const auto steps = Walk(Write(folder, "sample.dat", bytes));
  std::size_t read = 0, sections = 0;
  for (const auto& s : steps) (s[0] == 'R' ? read : sections)++;
  EXPECT_EQ(read, records);
  EXPECT_GE(sections, 4u);
}

TEST(SectionReader, MissingFileGivesTheReason) {
  TempFolder folder;
  CdotSectionReader reader;
  std::string error;
  EXPECT_FALSE(reader.Open(folder / "none.dat", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(reader.Next(), CdotSectionReader::Step::kFinished);
}

}  // namespace
}  // namespace formats::cdot

namespace formats::cdot {
namespace {

// Random bytes, with section markers sprinkled at record positions, must
// always finish, every record offset further on than the one before.
TEST(SectionReader, AnyBytesFinishMovingForward) {
  TempFolder folder;
  cdrgen::Random random(11);
  for (int round = 0; round < 40; ++round) {
    cdrgen::Bytes bytes(static_cast<std::size_t>(random.Between(0, 3000)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random.Next());
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 48) {
      if (random.Between(0, 3) == 0)
        std::copy_n("0707", 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const auto path = folder / ("r" + std::to_string(round));
    cdrgen::WriteFile(path, bytes);
    CdotSectionReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::uint64_t last = 0;
    bool first = true;
    std::size_t steps = 0;
    for (auto step = reader.Next(); step != CdotSectionReader::Step::kFinished;
         step = reader.Next()) {
      ASSERT_LT(++steps, 1000u) << "round " << round;
      if (step != CdotSectionReader::Step::kRecord) continue;
      EXPECT_TRUE(first || reader.RecordOffset() > last);
      EXPECT_LE(reader.RecordOffset() + kRecordSize, bytes.size());
      last = reader.RecordOffset();
      first = false;
    }
  }
}

}  // namespace
}  // namespace formats::cdot

namespace formats::cdot {
namespace {

// Called numbers whose text begins with 30373037 by other bytes than the
// header's ASCII end the section too; near misses do not.
TEST(SectionReader, SectionEndIsTheCalledNumbersTextNotItsBytes) {
  TempFolder folder;
  const std::vector<std::pair<cdrgen::Bytes, bool>> cases = {
      {{0x3A, 0x37, 0x3A, 0x37}, true},              // A is 0
      {{0x0F, 0x03, 0xA3, 0x73, 0xA3, 0x7F}, true},  // no digit first, then 3 0 3 7 ...
      {{0xF3, 0xA3, 0x73, 0xA3, 0x7F}, true},        // F dropped
      {{0x30, 0x37, 0x30, 0xFF}, false},             // "303" and the end
      {{0x30, 0x37, 0x30, 0x38}, false},
      {{0xFF, 0x30, 0x37, 0x30, 0x37}, false},  // nothing before the FF
  };
  for (const auto& [called, ends] : cases) {
    CdotFileBuilder b;
    b.Section("070305").Add(Call(10, "111111"));
    cdrgen::Bytes record = cdrgen::CdotRecordBytes(Call(11, "222222"));
    std::fill(record.begin(), record.begin() + 10, 0xFF);
    std::copy(called.begin(), called.end(), record.begin());
    b.AddRaw(record);
    AddFiller(b, 11);
    const auto steps = Walk(Write(folder, "TGCB080305.DAT", b.Build()));
    ASSERT_GE(steps.size(), 3u);
    if (ends) {
      EXPECT_EQ(steps[2], "S 080305") << "section end expected";  // its date does not parse
    } else {
      EXPECT_EQ(steps[2], "R 2005/03/07 11:15:30 222222 @139");
    }
  }
}

// What the run formats from (the record's bytes and date) agrees with the
// decoded fields and the file's bytes, across sections and across the runs
// of records the reader views at a time.
TEST(SectionReader, RecordBytesAndDateMatchTheFields) {
  TempFolder folder;
  std::size_t records = 0;
  const auto path = Write(folder, "sample.dat", cdrgen::CdotSampleFile(700000, 5, &records));
  CdotSectionReader reader;
  ASSERT_TRUE(reader.Open(path));
  const cdrgen::Bytes file = cdrgen::CdotSampleFile(700000, 5);
  std::size_t seen = 0;
  for (auto step = reader.Next(); step != CdotSectionReader::Step::kFinished;
       step = reader.Next()) {
    if (step != CdotSectionReader::Step::kRecord) continue;
    ++seen;
    const std::string date(reader.RecordDate());
    ASSERT_TRUE(std::equal(reader.Record(), reader.Record() + kRecordSize,
                           file.begin() + static_cast<std::ptrdiff_t>(reader.RecordOffset())));
    CdotFields expected;
    DecodeCalled(reader.Record(), expected);
    DecodeRest(reader.Record(), expected);
    EXPECT_EQ(reader.Fields().date, date);
    EXPECT_EQ(reader.Fields().calling, expected.calling);
    EXPECT_EQ(reader.Fields().time, expected.time);
  }
  EXPECT_EQ(seen, records);
}

}  // namespace
}  // namespace formats::cdot
