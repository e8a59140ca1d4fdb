#include "trimming.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cdrgen/ocb_builder.h"
#include "test_host.h"

namespace ostrel {
namespace {

using cdrgen::OcbBlockValues;
using cdrgen::OcbFileBuilder;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

cdrgen::Bytes FileWithStale(std::size_t current, std::size_t stale) {
  OcbBlockValues block;
  block.records.resize(48);
  OcbBlockValues last;
  last.records.resize(5);
  OcbFileBuilder builder;
  builder.AddSequence(block, 10, current - 1);
  builder.AddSequence(last, static_cast<std::uint32_t>(10 + current - 1), 1);
  builder.AddSequence(block, 700000, stale);
  return builder.Build();
}

struct Trim {
  test::TempFolder folder;
  test::ScriptedHost host;
  std::string input;
  FileDetails details;
  explicit Trim(const cdrgen::Bytes& bytes, const std::string& name = "big.raw") {
    std::filesystem::create_directories(folder.Path() / "in");
    input = (folder.Path() / "in" / name).string();
    cdrgen::WriteFile(input, bytes);
    details = *AnalyseFile(input, host);
  }
};

TEST(Trimming, YesWritesTheUsefulPartBesideTheInput) {
  const cdrgen::Bytes bytes = FileWithStale(4, 6);
  Trim trim(bytes);
  const TrimResult result = TrimFile(trim.input, trim.details, {}, trim.host);
  ASSERT_EQ(result.outcome, TrimOutcome::kTrimmed);
  EXPECT_EQ(result.target, trim.folder.Path() / "in" / "2005-03-08.dat");
  const std::string copy = ReadAll(result.target);
  EXPECT_EQ(copy.size(), 3u * 2048u + 32u + 5u * 42u);
  EXPECT_EQ(copy, std::string(bytes.begin(), bytes.begin() + static_cast<long>(copy.size())));
  EXPECT_EQ(ReadAll(trim.input).size(), bytes.size());  // the input is untouched
  ASSERT_EQ(trim.host.shown.size(), 2u);
  EXPECT_EQ(trim.host.shown[0].title, "Confirmation");
  EXPECT_EQ(trim.host.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(trim.host.shown[1].title, "Ostrel Report");
  EXPECT_EQ(trim.host.shown[1].text,
            "The Input File is Trimmed and Renamed as " + result.target.string());
  EXPECT_FALSE(trim.host.busy);
  // Only the copy and the input are left in the folder: no temporary file.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e :
       std::filesystem::directory_iterator(trim.folder.Path() / "in"))
    ++entries;
  EXPECT_EQ(entries, 2u);
}

TEST(Trimming, NoWritesNothing) {
  Trim trim(FileWithStale(2, 2));
  trim.host.answers = {MessageAnswer::kNo};
  EXPECT_EQ(TrimFile(trim.input, trim.details, {}, trim.host).outcome, TrimOutcome::kDeclined);
  EXPECT_FALSE(std::filesystem::exists(trim.folder.Path() / "in" / "2005-03-08.dat"));
  EXPECT_EQ(trim.host.shown.size(), 1u);
  EXPECT_FALSE(trim.host.busy);
}

TEST(Trimming, WholeFileUsefulStillAsksAndCopiesAll) {
  OcbBlockValues full;
  full.records.resize(48);
  const cdrgen::Bytes bytes = OcbFileBuilder().AddSequence(full, 1, 2).Build();
  Trim trim(bytes);
  EXPECT_EQ(trim.details.useful, bytes.size());
  const TrimResult result = TrimFile(trim.input, trim.details, trim.folder.Path(), trim.host);
  ASSERT_EQ(result.outcome, TrimOutcome::kTrimmed);
  EXPECT_EQ(result.target, trim.folder.Path() / "2005-03-08.dat");
  EXPECT_EQ(ReadAll(result.target).size(), bytes.size());
}

TEST(Trimming, NeverReplacesItsOwnInputButReplacesAnOlderCopy) {
  const cdrgen::Bytes bytes = FileWithStale(2, 3);
  Trim self(bytes, "2005-03-08.dat");
  EXPECT_EQ(TrimFile(self.input, self.details, {}, self.host).outcome, TrimOutcome::kFailed);
  EXPECT_NE(self.host.shown.back().text.find("is the input file itself"), std::string::npos);
  EXPECT_EQ(ReadAll(self.input).size(), bytes.size());

  Trim older(bytes);
  { std::ofstream(older.folder.Path() / "in" / "2005-03-08.dat") << "old"; }
  ASSERT_EQ(TrimFile(older.input, older.details, {}, older.host).outcome, TrimOutcome::kTrimmed);
  EXPECT_EQ(ReadAll(older.folder.Path() / "in" / "2005-03-08.dat").size(), 2048u + 32u + 210u);
}

TEST(Trimming, UnwritableFolderIsReported) {
  Trim trim(FileWithStale(2, 1));
  const TrimResult result =
      TrimFile(trim.input, trim.details, trim.folder.Path() / "nope", trim.host);
  EXPECT_EQ(result.outcome, TrimOutcome::kFailed);
  EXPECT_NE(trim.host.shown.back().text.find("2005-03-08.dat"), std::string::npos);
  EXPECT_EQ(trim.host.shown.back().icon, MessageIcon::kError);
}

TEST(Trimming, FullDiskIsReportedAndTheCopyNameKept) {
  Trim trim(FileWithStale(2, 1));
  // The copy's name is a link to /dev/full: written in place, it fails for
  // lack of space; a link, so that no fault can replace the device itself.
  const auto out = trim.folder.Path() / "out";
  std::filesystem::create_directories(out);
  std::filesystem::create_symlink("/dev/full", out / "2005-03-08.dat");
  const TrimResult result = TrimFile(trim.input, trim.details, out, trim.host);
  EXPECT_EQ(result.outcome, TrimOutcome::kFailed);
  EXPECT_NE(trim.host.shown.back().text.find("2005-03-08.dat: No space left on device"),
            std::string::npos)
      << trim.host.shown.back().text;
  EXPECT_TRUE(std::filesystem::is_symlink(out / "2005-03-08.dat"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace ostrel
