#include "cdrgen/axe_builder.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using cdrgen::AxeFileBuilder;
using cdrgen::AxeRecord;
using testing::Rig;
using testing::TempFolder;

AxeRecord At(const std::string& day, const std::string& hour, int length = 100) {
  AxeRecord r;
  r.length = length;
  r.year = "06";
  r.month = "11";
  r.day = day;
  r.hour = hour;
  r.minute = "30";
  r.second = "15";
  return r;
}

std::string Analyse(const TempFolder& folder, const cdrgen::Bytes& bytes, Rig& rig) {
  auto context = rig.Context();
  return testing::ResultText(AnalyseAxe(folder.Write("axe.dat", bytes), context));
}

TEST(AnalyseAxe, EndFromTheLastRecordOfTheLastWholeBlock) {
  TempFolder folder;
  Rig rig;
  AxeFileBuilder b;
  b.NewBlock().Add(At("01", "01")).Add(At("01", "02"));
  b.NewBlock().Add(At("02", "03"));
  b.NewBlock().Add(At("03", "04")).Add(At("03", "05")).Add(At("03", "06"));
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-03   06:30:15,6");
  EXPECT_EQ(rig.host.progress, 100);
}

TEST(AnalyseAxe, ZeroLengthEndsTheBlock) {
  TempFolder folder;
  Rig rig;
  AxeFileBuilder b;
  b.NewBlock().Add(At("01", "01", 120)).Add(At("01", "02", 110)).AddText("000").Add(At("01", "09"));
  b.NewBlock().Add(At("02", "03"));
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-02   03:30:15,3");
}

TEST(AnalyseAxe, SixteenCharactersShiftThePositionsFromThatRecordOn) {
  TempFolder folder;
  Rig rig;
  AxeRecord shifted = At("02", "22");
  shifted.shifted = true;
  AxeFileBuilder b;
  // The shifted record is the last: its moment is read one position left.
  b.NewBlock().Add(At("01", "01")).Add(shifted);
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-02   22:30:15,2");
  // A normal record after it is read one position left too (garbled).
  AxeFileBuilder later;
  later.NewBlock().Add(At("01", "01")).Add(shifted).Add(At("05", "05"));
  const std::string result = Analyse(folder, later.Build(), rig);
  EXPECT_EQ(result.substr(0, 22), "2006-11-01   01:30:15,");
  EXPECT_EQ(result.find("2006-11-05   05:30:15"), std::string::npos);
}

TEST(AnalyseAxe, RecordPastTheBlockEndIsCut) {
  TempFolder folder;
  Rig rig;
  AxeFileBuilder b;
  b.NewBlock();
  for (int i = 0; i < 10; ++i) b.Add(At("01", "01", 200));
  b.AddText(std::string("199") + std::string(44, ' '));  // 47 characters left in the block
  b.NewBlock().Add(At("02", "02"));
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-02   02:30:15,12");
}

TEST(AnalyseAxe, ShortLastBlockTakesTheLastRecordRead) {
  TempFolder folder;
  Rig rig;
  AxeFileBuilder b;
  b.NewBlock().Add(At("01", "01"));
  b.NewBlock().Add(At("02", "02")).Add(At("02", "03"));
  b.ShortLastBlock(1000);
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-02   03:30:15,3");
}

TEST(AnalyseAxe, CharactersThatWouldBreakTheResultShowAsQuestionMarks) {
  TempFolder folder;
  Rig rig;
  AxeRecord r = At("0,", "1|");
  r.minute = std::string("\r\n");
  AxeFileBuilder b;
  b.NewBlock().Add(r);
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-0?   1?:??:15,2006-11-0?   1?:??:15,1");
}

TEST(AnalyseAxe, OddLengthsNeitherHangNorGoBack) {
  TempFolder folder;
  Rig rig;
  AxeFileBuilder b;
  b.NewBlock().Add(At("01", "01")).AddText("-50").AddText(std::string(100, 'y'));
  b.NewBlock().Add(At("02", "02")).AddText("0.5");
  EXPECT_EQ(Analyse(folder, b.Build(), rig), "2006-11-01   01:30:15,2006-11-02   02:30:15,2");
  EXPECT_EQ(Analyse(folder, {}, rig), ",,0");
}

}  // namespace
}  // namespace lomtra
