#include "engine/file_list.h"

#include "cdrgen/analyser_samples.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::RecordingHost;
using testing::TempFolder;

TEST(FileList, SizeTextRoundsHalfToEven) {
  EXPECT_EQ(SizeText(1536), "2 KB");
  EXPECT_EQ(SizeText(2560), "2 KB");
  EXPECT_EQ(SizeText(3584), "4 KB");
  EXPECT_EQ(SizeText(500), "0 KB");
  EXPECT_EQ(SizeText(5ull << 40), "5368709120 KB");
}

TEST(FileList, AddDataFileRow) {
  TempFolder folder;
  std::vector<DataFileEntry> rows;
  const std::string path = folder.Write("e.dat", cdrgen::E10bSampleFile(1, 1));
  ASSERT_TRUE(AddDataFile(rows, path));
  ASSERT_EQ(rows.size(), 1u);
  const DataFileEntry expected{"1", path, "E10B", RowState::kToBeAnalysed, "", "", "0", "2 KB", 3};
  EXPECT_EQ(rows[0], expected);
  std::string error;
  EXPECT_FALSE(AddDataFile(rows, (folder.Path() / "none").string(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(rows.size(), 1u);
}

TEST(FileList, DuplicatesAreReportedOnceEach) {
  TempFolder folder;
  RecordingHost host;
  host.panels[5] = "File x Saved";
  const std::string a = folder.Write("a.dat", {});
  const std::string b = folder.Write("b.dat", {});
  std::vector<DataFileEntry> rows;
  AddFiles(rows, {a}, host);
  EXPECT_TRUE(host.messages.empty());
  const AddFilesOutcome outcome =
      AddFiles(rows, {b, a, b, (folder.Path() / "none").string()}, host);
  EXPECT_EQ(outcome.added, 1u);
  EXPECT_EQ(outcome.unreadable.size(), 1u);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].no, "2");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The Following files Already Exists \r\n\r\n" + a + "\r\n" + b);
  EXPECT_EQ(host.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(host.panels[5], "");
}

TEST(FileList, AddFilesDialogTexts) {
  EXPECT_EQ(DialogNumberText(1), "      1");
  EXPECT_EQ(DialogNumberText(9), "      9");
  EXPECT_EQ(DialogNumberText(12), "     12");
  EXPECT_EQ(DialogNumberText(12345678), "2345678");
  // 0.5 KB is added before rounding, halves to even.
  EXPECT_EQ(DialogSizeText(0), "0 KB");
  EXPECT_EQ(DialogSizeText(1), "1 KB");
  EXPECT_EQ(DialogSizeText(1024), "2 KB");
  EXPECT_EQ(DialogSizeText(1500), "2 KB");
  EXPECT_EQ(DialogSizeText(2048), "2 KB");
  EXPECT_EQ(DialogSizeText(3072), "4 KB");
  // A root folder gets no doubled separator.
  EXPECT_EQ(JoinFolderPath("C:\\", "data.bin", '\\'), "C:\\data.bin");
  EXPECT_EQ(JoinFolderPath("C:\\cdr", "data.bin", '\\'), "C:\\cdr\\data.bin");
  EXPECT_EQ(JoinFolderPath("/", "data.bin", '/'), "/data.bin");
  EXPECT_EQ(JoinFolderPath("/srv/cdr", "data.bin", '/'), "/srv/cdr/data.bin");
}

TEST(FileList, RenumberRows) {
  std::vector<DataFileEntry> rows(3);
  rows[0].no = "7";
  RenumberRows(rows);
  EXPECT_EQ(rows[0].no, "1");
  EXPECT_EQ(rows[2].no, "3");
}

}  // namespace
}  // namespace lomtra
