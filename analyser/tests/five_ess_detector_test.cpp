#include "cdrgen/analyser_samples.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using cdrgen::FiveEssRecord;
using testing::Rig;
using testing::TempFolder;

std::string Analyse(const TempFolder& folder, const cdrgen::Bytes& bytes, Rig& rig) {
  auto context = rig.Context();
  return testing::ResultText(Analyse5ess(folder.Write("5ess.dat", bytes), context));
}

const std::vector<FiveEssRecord> kThree = {
    {"050101", "120000"}, {"041231", "235959"}, {"050101", "080000"}};

TEST(Analyse5ess, EarliestAndLatestFirstRecordNotCounted) {
  TempFolder folder;
  Rig rig;
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(kThree), rig),
            "2004-12-31   23:59:59,2005-01-01   12:00:00,2");
  EXPECT_EQ(rig.host.progress, 0);
}

TEST(Analyse5ess, LineFeedsAndLeadingSpaces) {
  TempFolder folder;
  Rig rig;
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(kThree, "\n\n", "   "), rig),
            "2004-12-31   23:59:59,2005-01-01   12:00:00,2");
  // CR LF: the CR stands at each record boundary and nothing is skipped, so
  // later records are misread and (their dates reading as 0) not counted.
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(kThree, "\r\n"), rig),
            "2005-01-01   12:00:00,2005-01-01   12:00:00,0");
  // A leading line feed is not skipped: every record is read one early.
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(kThree, "", "\n"), rig), ",,0");
}

TEST(Analyse5ess, FiveDigitDateIsPadded) {
  TempFolder folder;
  Rig rig;
  const std::vector<FiveEssRecord> records = {{"51231 ", "000000"}, {"051231", "93000"}};
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(records), rig),
            "2005-12-31   00:00:00,2005-12-31   09:30:00,1");
}

TEST(Analyse5ess, FirstRecordWithoutDateIsNotAnExtreme) {
  TempFolder folder;
  Rig rig;
  const std::vector<FiveEssRecord> records = {
      {"      ", "      "}, {"050301", "101010"}, {"050302", "111111"}};
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(records), rig),
            "2005-03-01   10:10:10,2005-03-02   11:11:11,2");
  EXPECT_EQ(Analyse(folder, {}, rig), ",,0");
}

TEST(Analyse5ess, StopCheckEveryHundredRecords) {
  TempFolder folder;
  std::vector<FiveEssRecord> records(350, FiveEssRecord{"050505", "050505"});
  Rig rig;
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(records, "\n"), rig),
            "2005-05-05   05:05:05,2005-05-05   05:05:05,349");
  EXPECT_EQ(rig.host.pumps, 3);
  Rig stopping;
  stopping.host.stop_at_pump = 2;
  stopping.host.answers = {MessageAnswer::kYes};
  EXPECT_EQ(Analyse(folder, cdrgen::FiveEssFile(records, "\n"), stopping), testing::kStoppedResult);
}

}  // namespace
}  // namespace lomtra
