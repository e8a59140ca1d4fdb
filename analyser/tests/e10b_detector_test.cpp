#include "cdrgen/analyser_samples.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using cdrgen::E10bRecord;
using testing::Rig;
using testing::TempFolder;

std::vector<E10bRecord> Sequence(std::initializer_list<int> numbers) {
  std::vector<E10bRecord> records;
  int minute = 0;
  for (int s : numbers) {
    E10bRecord r;
    r.sequence = static_cast<std::uint16_t>(s);
    r.day = "0032";
    r.hhmm = "10" + cdrgen::Digits(static_cast<std::uint64_t>(minute++), 2);
    records.push_back(r);
  }
  return records;
}

std::string Analyse(const TempFolder& folder, const cdrgen::Bytes& bytes, Rig& rig) {
  auto context = rig.Context();
  return testing::ResultText(AnalyseE10b(folder.Write("e10b.dat", bytes), context));
}

TEST(AnalyseE10b, ZeroSlotsAreSkipped) {
  TempFolder folder;
  Rig rig(2006);
  EXPECT_EQ(Analyse(folder, cdrgen::E10bFile(Sequence({1, 2, 3, 0, 4})), rig),
            "2006-02-01   10:00:00,2006-02-01   10:04:00,4");
  EXPECT_EQ(rig.host.progress, 100);
}

TEST(AnalyseE10b, OneIsAlwaysAContinuation) {
  TempFolder folder;
  Rig rig(2006);
  EXPECT_EQ(Analyse(folder, cdrgen::E10bFile(Sequence({32766, 32767, 1, 2})), rig),
            "2006-02-01   10:00:00,2006-02-01   10:03:00,4");
}

TEST(AnalyseE10b, AJumpEndsTheWalk) {
  TempFolder folder;
  Rig rig(2006);
  EXPECT_EQ(Analyse(folder, cdrgen::E10bFile(Sequence({10, 11, 13, 14})), rig),
            "2006-02-01   10:00:00,2006-02-01   10:01:00,2");
}

TEST(AnalyseE10b, DayOfYearWithTheClockYear) {
  TempFolder folder;
  std::vector<E10bRecord> records = {{1, "0060", "0945"}};
  Rig leap(2008);
  EXPECT_EQ(Analyse(folder, cdrgen::E10bFile(records), leap),
            "2008-02-29   09:45:00,2008-02-29   09:45:00,1");
  Rig plain(2006);
  EXPECT_EQ(Analyse(folder, cdrgen::E10bFile(records), plain),
            "2006-03-01   09:45:00,2006-03-01   09:45:00,1");
}

TEST(AnalyseE10b, WalksAcrossBlocksAndIgnoresAPartBlock) {
  TempFolder folder;
  Rig rig(2006);
  std::vector<E10bRecord> records;
  for (int s = 1; s <= 100; ++s) records.push_back({static_cast<std::uint16_t>(s), "0001", "0000"});
  records.back().hhmm = "2359";
  cdrgen::Bytes bytes = cdrgen::E10bFile(records);  // two blocks
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-01-01   00:00:00,2006-01-01   23:59:00,100");
  // A trailing part block is not read, even when it continues the sequence.
  cdrgen::Bytes part = cdrgen::E10bFile(Sequence({101}));
  part.resize(1000);
  cdrgen::Append(bytes, part);
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-01-01   00:00:00,2006-01-01   23:59:00,100");
}

TEST(AnalyseE10b, EmptyAndShortFiles) {
  TempFolder folder;
  Rig rig(2006);
  EXPECT_EQ(Analyse(folder, {}, rig), ",,0");
  EXPECT_EQ(Analyse(folder, cdrgen::Bytes(100, 0), rig), ",,0");
}

TEST(AnalyseE10b, StopBetweenBlocks) {
  TempFolder folder;
  Rig rig(2006);
  rig.host.stop_at_pump = 1;
  rig.host.answers = {MessageAnswer::kYes};
  EXPECT_EQ(Analyse(folder, cdrgen::E10bSampleFile(3, 1), rig), testing::kStoppedResult);
  EXPECT_EQ(rig.host.progress, 0);
  Rig goes_on(2006);
  goes_on.host.stop_at_pump = 1;
  goes_on.host.answers = {MessageAnswer::kNo};
  const std::string result = Analyse(folder, cdrgen::E10bSampleFile(3, 1), goes_on);
  EXPECT_EQ(result.substr(result.rfind(',')), ",234");
  EXPECT_EQ(goes_on.host.pumps, 3);
}

}  // namespace
}  // namespace lomtra

namespace lomtra {
namespace {

TEST(AnalyseE10b, DamagedDayThatReadsAsAHugeNumberGivesAnImpossibleDate) {
  TempFolder folder;
  Rig rig(2006);
  cdrgen::Bytes bytes = cdrgen::E10bFile(Sequence({1, 2}));
  const cdrgen::Bytes clean = bytes;
  // Find the first record's day "0032" and make it "2E60" (2 x 10^60 by the text rule).
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0x00 && bytes[i + 1] == 0x32) {
      bytes[i] = 0x2E;
      bytes[i + 1] = 0x60;
      break;
    }
  }
  ASSERT_NE(bytes, clean);
  const std::string result = Analyse(folder, bytes, rig);
  EXPECT_EQ(result.substr(0, 8), "2006-12-") << result;
  EXPECT_EQ(result.substr(result.rfind(',')), ",2");
}

}  // namespace
}  // namespace lomtra
