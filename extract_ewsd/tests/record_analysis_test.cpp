#include "vantor/record_analysis.h"

#include <gtest/gtest.h>

#include "cdrgen/ewsd_builder.h"
#include "fake_host.h"
#include "temp_folder.h"

namespace vantor {
namespace {

using cdrgen::Bytes;
using cdrgen::EwsdRecord;
using testing::FakeHost;
using testing::Join;
using testing::TempFolder;

class VantorAnalysisTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  FakeHost host_;
};

TEST_F(VantorAnalysisTest, FirstAndLastRecordCountAndSize) {
  Bytes file =
      Join({cdrgen::EwsdEmptyUnit(),
            EwsdRecord().Owner("2441234").DateTime(6, 1, 2, 8, 0, 1, 5).Called("101").Build(),
            EwsdRecord().DateTime(6, 1, 3, 9, 0, 0, 5).Build(),
            EwsdRecord()
                .CallingBytes(142, Bytes{0x98, 0x76})
                .DateTime(6, 2, 28, 23, 59, 58, 5)
                .Build()});
  // Filler up to 3 MB after the last record.
  while (file.size() + 32 <= 3145728) cdrgen::Append(file, cdrgen::EwsdEmptyUnit());
  file.resize(3145728, 0x80);
  const AnalysisResult result = AnalyseFile(host_, folder_.Write("IA.ICAMA", file));
  ASSERT_EQ(result.status, AnalysisStatus::kDone);
  const AnalysisLabels expected = {"   02-01-2006", "   08:00:01", "   2441234", "   101",
                                   "   28-02-2006", "   23:59:58", "   9876",
                                   "   101",  // not in the last record: left from the first
                                   "   3",          "   3 MB"};
  EXPECT_EQ(result.labels, expected);
  ASSERT_GE(host_.label_sets.size(), 2u);
  for (const std::string& label : host_.label_sets.front()) EXPECT_EQ(label, "           Wait ! ");
  EXPECT_EQ(host_.label_sets.back(), expected);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.analysis_progress.back(), 0);
  for (int value : host_.analysis_progress) EXPECT_LE(value, 300);
}

TEST_F(VantorAnalysisTest, FileWithoutRecordsShowsEmptyDates) {
  const AnalysisResult result = AnalyseFile(
      host_, folder_.Write("f.bin", Join({cdrgen::EwsdEmptyUnit(), cdrgen::EwsdFillerByte()})));
  ASSERT_EQ(result.status, AnalysisStatus::kDone);
  EXPECT_EQ(result.labels[0], "   --");
  EXPECT_EQ(result.labels[8], "   0");
  EXPECT_EQ(result.labels[9], "   0 MB");
}

TEST_F(VantorAnalysisTest, FailuresEmptyTheLabels) {
  EXPECT_EQ(AnalyseFile(host_, "").status, AnalysisStatus::kMissingPath);
  EXPECT_EQ(host_.messages.back().text, "Please Enter A Valid Input File Name");
  EXPECT_EQ(host_.messages.back().title, "ERROR");

  EXPECT_EQ(AnalyseFile(host_, folder_.File("missing")).status, AnalysisStatus::kUnreadable);
  EXPECT_EQ(host_.messages.back().text, "Invalid Data File");
  EXPECT_EQ(host_.messages.back().title, "ERROR");
  EXPECT_EQ(host_.label_sets.back(), AnalysisLabels{});

  // Invalid last record: the first one decoded fine, the labels still empty.
  const std::string bad =
      folder_.Write("bad.bin", Join({EwsdRecord().DateTime(6, 1, 2, 3, 4, 5, 0).Build(),
                                     EwsdRecord().Raw(Bytes{60, 0}).Build()}));
  EXPECT_EQ(AnalyseFile(host_, bad).status, AnalysisStatus::kInvalidData);
  EXPECT_EQ(host_.messages.back().text, "Invalid DataFile. Cann't Proceed");
  EXPECT_EQ(host_.label_sets.back(), AnalysisLabels{});

  const std::string unsupported = folder_.Write("u.bin", EwsdRecord().Raw(Bytes{115, 0}).Build());
  EXPECT_EQ(AnalyseFile(host_, unsupported).status, AnalysisStatus::kInvalidData);
  EXPECT_EQ(host_.messages.back().title, "Contact The Programmer");
  EXPECT_EQ(host_.label_sets.back(), AnalysisLabels{});
}

TEST(VantorAnalysisTextTest, DatesAndSizes) {
  EXPECT_EQ(DayFirstDate("2006-01-02"), "02-01-2006");
  EXPECT_EQ(DayFirstDate(""), "--");
  EXPECT_EQ(MegabyteText(3145728), "3 MB");
  EXPECT_EQ(MegabyteText(1572864), "1.5 MB");
  EXPECT_EQ(MegabyteText(1053818), "1 MB");     // 1.005 rounds to the even 1.00
  EXPECT_EQ(MegabyteText(1059062), "1.01 MB");  // 1.01
}

}  // namespace
}  // namespace vantor
