#include "cdrgen/analyser_samples.h"
#include "engine/detectors.h"
#include "test_support.h"

namespace lomtra {
namespace {

using cdrgen::EwsdDatePackage;
using cdrgen::EwsdFileBuilder;
using cdrgen::EwsdSampleRecord;
using testing::Rig;
using testing::TempFolder;

EwsdSampleRecord Dated(int day, int hour, int minute, int second) {
  EwsdSampleRecord r;
  r.packages = {EwsdDatePackage(6, 11, day, hour, minute, second, 60),
                cdrgen::EwsdCalledPackage("0123")};
  return r;
}

std::string Analyse(const TempFolder& folder, const cdrgen::Bytes& bytes, Rig& rig,
                    const std::string& name = "ewsd.dat") {
  auto context = rig.Context();
  return testing::ResultText(AnalyseEwsd(folder.Write(name, bytes), context));
}

TEST(AnalyseEwsd, OneRecordIsFirstAndLast) {
  TempFolder folder;
  Rig rig;
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Record(Dated(30, 23, 59, 9)).Build(), rig),
            "2006-11-30   23:59:09,2006-11-30   23:59:09,1");
  EXPECT_TRUE(rig.host.messages.empty());
  EXPECT_EQ(rig.host.progress, 0);
}

TEST(AnalyseEwsd, EveryFillerKindIsSteppedOver) {
  TempFolder folder;
  Rig rig;
  EwsdSampleRecord owner_less = Dated(2, 8, 0, 0);
  owner_less.no_owner = true;
  const auto bytes = EwsdFileBuilder()
                         .Record(Dated(1, 7, 0, 0))
                         .Filler80(3)
                         .Unit(0x00, 32)
                         .Unit(0x01, 32)
                         .Unit(0x03, 32)
                         .Unit(122, 64)
                         .Unit(124, 64)
                         .Filler81(300, 300)  // only the byte at +1 counts: 44
                         .Record(owner_less)
                         .Record(Dated(3, 9, 10, 11))
                         .Build();
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-11-01   07:00:00,2006-11-03   09:10:11,3");
}

TEST(AnalyseEwsd, Block81AdvancesByItsFirstLengthByteOnly) {
  TempFolder folder;
  Rig rig;
  // 0x81 0x10 0x01 moves 16 bytes on; a move of 272 would skip the record.
  const auto bytes = EwsdFileBuilder()
                         .Record(Dated(1, 7, 0, 0))
                         .Filler81(0x0110, 16)
                         .Record(Dated(5, 6, 5, 4))
                         .Build();
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-11-01   07:00:00,2006-11-05   06:05:04,2");
}

TEST(AnalyseEwsd, SlotsCarryOverFromThePreviousFile) {
  TempFolder folder;
  Rig rig;
  Analyse(folder, EwsdFileBuilder().Record(Dated(7, 1, 2, 3)).Build(), rig, "a.dat");
  EwsdSampleRecord undated;
  undated.packages = {cdrgen::EwsdPlainPackage(103, 4)};
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Record(undated).Build(), rig, "b.dat"),
            "2006-11-07   01:02:03,2006-11-07   01:02:03,1");
}

TEST(AnalyseEwsd, RecordWithoutAnyDateGivesThreeSpaces) {
  TempFolder folder;
  Rig fresh;
  EwsdSampleRecord undated;
  undated.packages = {cdrgen::EwsdPlainPackage(103, 4)};
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Record(undated).Build(), fresh), "   ,   ,1");
}

TEST(AnalyseEwsd, FillerOnlyFile) {
  TempFolder folder;
  Rig fresh;
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Filler80(10).Unit(0x00, 32).Build(), fresh), ",,0");
  // After another file the end comes from the record it left behind.
  Rig rig;
  Analyse(folder, EwsdFileBuilder().Record(Dated(1, 7, 0, 0)).Record(Dated(9, 8, 7, 6)).Build(),
          rig, "a.dat");
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Filler80(10).Build(), rig, "b.dat"),
            ",2006-11-09   08:07:06,0");
}

TEST(AnalyseEwsd, UnsupportedPackageShowsOneMessageAndKeepsWhatWasFound) {
  TempFolder folder;
  Rig rig;
  EwsdSampleRecord bad = Dated(4, 4, 4, 4);
  bad.packages.push_back(cdrgen::EwsdPlainPackage(140, 20));
  bad.packages.push_back(cdrgen::EwsdPlainPackage(115, 5));
  const auto bytes =
      EwsdFileBuilder().Record(Dated(1, 7, 0, 0)).Record(Dated(2, 7, 0, 0)).Record(bad).Build();
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-11-01   07:00:00,2006-11-04   04:04:04,3");
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text,
            "Pack Message 140 Received. This Feature is not Enabled at Present. Cann't Proceed.");
  EXPECT_EQ(rig.host.messages[0].title, "Contact The Programmer");
  EXPECT_EQ(rig.host.messages[0].icon, MessageIcon::kError);
}

TEST(AnalyseEwsd, UnsupportedPackageInTheFirstRecordEndsTheScan) {
  TempFolder folder;
  Rig rig;
  EwsdSampleRecord bad = Dated(4, 4, 4, 4);
  bad.packages.push_back(cdrgen::EwsdPlainPackage(50, 5));
  const auto bytes = EwsdFileBuilder().Record(bad).Record(Dated(9, 1, 1, 1)).Record(bad).Build();
  EXPECT_EQ(Analyse(folder, bytes, rig), "2006-11-04   04:04:04,2006-11-04   04:04:04,1");
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text,
            "Pack Message 50 Received. This Feature is not Enabled at Present. Cann't Proceed.");
}

TEST(AnalyseEwsd, ZeroLengthsEndTheScanInsteadOfLooping) {
  TempFolder folder;
  Rig rig;
  EwsdSampleRecord zero = Dated(5, 5, 5, 5);
  zero.length_override = 0;
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Record(Dated(1, 7, 0, 0)).Record(zero).Build(), rig),
            "2006-11-01   07:00:00,2006-11-01   07:00:00,1");
  EXPECT_EQ(Analyse(folder,
                    EwsdFileBuilder()
                        .Record(Dated(1, 7, 0, 0))
                        .Filler81(0, 3)
                        .Record(Dated(2, 1, 1, 1))
                        .Build(),
                    rig),
            "2006-11-01   07:00:00,2006-11-01   07:00:00,1");
  // A package 142 of length 0 ends the record's packages.
  EwsdSampleRecord p142 = Dated(6, 6, 6, 6);
  p142.packages.insert(p142.packages.begin(), cdrgen::EwsdPlainPackage(142, 2));
  EXPECT_EQ(Analyse(folder, EwsdFileBuilder().Record(p142).Build(), rig),
            "2006-11-01   07:00:00,2006-11-01   07:00:00,1");
  EXPECT_TRUE(rig.host.messages.empty());
}

TEST(AnalyseEwsd, StopQuestionYesAndNo) {
  TempFolder folder;
  EwsdFileBuilder builder;
  for (int i = 0; i < 300; ++i) builder.Record(Dated(1 + i % 28, 7, 0, 0));
  const auto bytes = builder.Build();
  {
    Rig rig;
    rig.host.stop_at_pump = 3;
    rig.host.answers = {MessageAnswer::kYes};
    EXPECT_EQ(Analyse(folder, bytes, rig), testing::kStoppedResult);
    EXPECT_EQ(rig.host.progress, 0);
    EXPECT_TRUE(rig.state.stop_requested);  // the run ends after this file
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, "Do you want to Stop the Analyser");
    EXPECT_EQ(rig.host.messages[0].buttons, MessageButtons::kYesNo);
  }
  {
    Rig rig;
    rig.host.stop_at_pump = 3;
    rig.host.answers = {MessageAnswer::kNo};
    EXPECT_EQ(Analyse(folder, bytes, rig), "2006-11-01   07:00:00,2006-11-20   07:00:00,300");
    EXPECT_FALSE(rig.state.stop_requested);
    // Progress moved at most 100 times.
    EXPECT_LE(rig.host.pumps, 100);
  }
}

}  // namespace
}  // namespace lomtra
