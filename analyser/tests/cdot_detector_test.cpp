#include "cdrgen/analyser_samples.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::Rig;
using testing::TempFolder;

TEST(CdotDateFromName, TenCharacterBaseAndOtherBases) {
  EXPECT_EQ(CdotDateFromName("/data/TGCB150305.DAT", 2006), "2005-03-15");
  EXPECT_EQ(CdotDateFromName("C:\\data\\TGCB150305.DAT", 2006), "2005-03-15");
  // Nine characters: the last four are DDMM, copied unchecked.
  EXPECT_EQ(CdotDateFromName("/data/TG0512050.DAT", 2006), "2006-50-20");
  // Only the first "." ends the base.
  EXPECT_EQ(CdotDateFromName("/x/TGCB150305.A.B", 2006), "2005-03-15");
  // No "." at all: the whole name is the base.
  EXPECT_EQ(CdotDateFromName("/x/TGCB150305", 2006), "2005-03-15");
  EXPECT_EQ(CdotDateFromName("/x/AB2512", 2011), "2011-12-25");
  // Names too short for the rule give what there is, without failing.
  EXPECT_EQ(CdotDateFromName("/x/ab.dat", 2006), "2006--ab");
  EXPECT_EQ(CdotDateFromName("/x/.dat", 2006), "2006--");
  EXPECT_EQ(CdotDateFromName("/x/a,1|2.dat", 2006), "2006-?2-?1");
}

std::string Analyse(const TempFolder& folder, const std::string& name, const cdrgen::Bytes& bytes,
                    Rig& rig) {
  auto context = rig.Context();
  return AnalyseCdot(folder.Write(name, bytes), context);
}

TEST(AnalyseCdot, CountsUpToTheFirstFailingRecord) {
  TempFolder folder;
  Rig rig(2006);
  std::vector<cdrgen::CdotSampleRecord> records(10);
  records[2].byte27 = 0x05;
  EXPECT_EQ(Analyse(folder, "TGCB150305.DAT", cdrgen::CdotAnalyserFile(records), rig),
            "2005-03-15   00:00:00,2005-03-15   23:59:59,3");
  EXPECT_EQ(rig.host.progress, 100);
}

TEST(AnalyseCdot, WholeFileOfPassingRecords) {
  TempFolder folder;
  Rig rig(2006);
  std::vector<cdrgen::CdotSampleRecord> records(100);  // 4800 bytes
  EXPECT_EQ(Analyse(folder, "TG0512050.DAT", cdrgen::CdotAnalyserFile(records), rig),
            "2006-50-20   00:00:00,2006-50-20   23:59:59,100");
}

TEST(AnalyseCdot, SectionHeaderAtTheStartCountsOne) {
  TempFolder folder;
  Rig rig(2006);
  cdrgen::Bytes bytes = cdrgen::CdotSectionHeader("070305");
  cdrgen::Append(bytes, cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(5)));
  EXPECT_EQ(Analyse(folder, "TGCB070305.DAT", bytes, rig),
            "2005-03-07   00:00:00,2005-03-07   23:59:59,1");
}

TEST(AnalyseCdot, TinyAndEmptyFiles) {
  TempFolder folder;
  Rig rig(2006);
  EXPECT_EQ(Analyse(folder, "a0101.dat", {}, rig), "2006-01-01   00:00:00,2006-01-01   23:59:59,1");
  EXPECT_EQ(Analyse(folder, "a0101.dat", cdrgen::Bytes(30, 0), rig),
            "2006-01-01   00:00:00,2006-01-01   23:59:59,1");
}

}  // namespace
}  // namespace lomtra
