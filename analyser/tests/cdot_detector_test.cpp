#include "cdrgen/analyser_samples.h"
#include "cdrgen/cdot_builder.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::Rig;
using testing::TempFolder;

std::string Analyse(const TempFolder& folder, const std::string& name, const cdrgen::Bytes& bytes,
                    Rig& rig) {
  auto context = rig.Context();
  return testing::ResultText(AnalyseCdot(folder.Write(name, bytes), context));
}

cdrgen::CdotSampleRecord Call(std::uint8_t hour, std::uint8_t minute) {
  cdrgen::CdotSampleRecord r;
  r.hour = hour;
  r.minute = minute;
  return r;
}

// Read as the extractor reads it: every record counts, whatever its byte 27,
// and the first and last call give the moments.
TEST(AnalyseCdot, FirstAndLastCallOfAHeaderlessFileDatedFromItsName) {
  TempFolder folder;
  Rig rig(2006);
  std::vector<cdrgen::CdotSampleRecord> records(10, Call(10, 20));
  records[2].byte27 = 0x05;
  records[0] = Call(21, 5);  // an evening call before any of hour 19: the day before
  records[8] = Call(19, 0);
  records[9] = Call(23, 59);
  EXPECT_EQ(Analyse(folder, "TGCB150305.DAT", cdrgen::CdotAnalyserFile(records), rig),
            "2005-03-14   21:05:30,2005-03-15   23:59:30,10");
  EXPECT_EQ(rig.host.progress, 100);
}

TEST(AnalyseCdot, ANameThatIsNoRealDateGivesAnUnknownDate) {
  TempFolder folder;
  Rig rig(2006);
  const cdrgen::Bytes records =
      cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(100));
  // Characters 5-10: "512050" (day 51), "y.dat" (letters), "300205" (30 February).
  for (const char* name : {"TG0512050.DAT", "empty.dat", "TGCB300205.DAT"}) {
    EXPECT_EQ(Analyse(folder, name, records, rig), "unknown   10:20:30,unknown   10:20:30,100")
        << name;
  }
  EXPECT_EQ(Analyse(folder, "TGCB290204.DAT", records, rig),
            "2004-02-29   10:20:30,2004-02-29   10:20:30,100");
  // A row loaded from a report whose file is now empty: no call, nothing made up.
  EXPECT_EQ(Analyse(folder, "TGCB290204.DAT", {}, rig), ",,0");
}

TEST(AnalyseCdot, EverySectionIsReadAndDatedFromItsHeader) {
  TempFolder folder;
  Rig rig(2006);
  cdrgen::CdotFileBuilder b;
  cdrgen::CdotRecord call;
  call.hour = 8;
  b.Section("070305").Add(call).Add(call);
  b.Section("080305");
  for (int i = 0; i < 12; ++i) b.Add(call);
  call.hour = 18;
  b.Add(call);
  EXPECT_EQ(Analyse(folder, "x.dat", b.Build(), rig),
            "2005-03-07   08:15:30,2005-03-08   18:15:30,15");
  // The generator's day sections: as many records as it wrote.
  std::size_t written = 0;
  const cdrgen::Bytes sample = cdrgen::CdotSampleFile(200000, 7, &written);
  const std::string result = Analyse(folder, "TGCBR.DAT", sample, rig);
  EXPECT_EQ(result.substr(result.rfind(',') + 1), std::to_string(written));
}

}  // namespace
}  // namespace lomtra
