#include "ostrel/trimming.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <csignal>
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

TEST(Trimming, NeverReplacesItsOwnInputNorAnOlderCopy) {
  const cdrgen::Bytes bytes = FileWithStale(2, 3);
  Trim self(bytes, "2005-03-08.dat");
  const TrimResult beside = TrimFile(self.input, self.details, {}, self.host);
  EXPECT_EQ(beside.outcome, TrimOutcome::kTrimmed);
  EXPECT_EQ(beside.target.filename(), "2005-03-08 (2).dat");
  EXPECT_EQ(ReadAll(self.input).size(), bytes.size());

  Trim older(bytes);
  const auto in = older.folder.Path() / "in";
  { std::ofstream(in / "2005-03-08.dat") << "old"; }
  { std::ofstream(in / "2005-03-08 (2).dat") << "older"; }
  const TrimResult third = TrimFile(older.input, older.details, {}, older.host);
  ASSERT_EQ(third.outcome, TrimOutcome::kTrimmed);
  EXPECT_EQ(third.target, in / "2005-03-08 (3).dat");
  EXPECT_EQ(older.host.shown.back().text,
            "The Input File is Trimmed and Renamed as " + third.target.string());
  EXPECT_EQ(ReadAll(in / "2005-03-08.dat"), "old");
  EXPECT_EQ(ReadAll(in / "2005-03-08 (2).dat"), "older");
  EXPECT_EQ(ReadAll(third.target).size(), 2048u + 32u + 210u);
}

TEST(Trimming, MissingFolderIsCreatedAnImpossibleOneReported) {
  Trim made(FileWithStale(2, 1));
  const auto folder = made.folder.Path() / "new" / "folder";
  EXPECT_EQ(TrimFile(made.input, made.details, folder, made.host).outcome, TrimOutcome::kTrimmed);
  EXPECT_TRUE(std::filesystem::exists(folder / "2005-03-08.dat"));

  Trim trim(FileWithStale(2, 1));
  // A folder inside a file cannot be made, whoever asks.
  const TrimResult result =
      TrimFile(trim.input, trim.details, std::filesystem::path(trim.input) / "nope", trim.host);
  EXPECT_EQ(result.outcome, TrimOutcome::kFailed);
  EXPECT_NE(trim.host.shown.back().text.find("2005-03-08.dat"), std::string::npos);
  EXPECT_EQ(trim.host.shown.back().icon, MessageIcon::kError);
}

// A file size limit stands for a full disk; Windows has none.
#if !defined(_WIN32)
TEST(Trimming, FullDiskIsReportedAndTheCopyNameKept) {
  Trim trim(FileWithStale(2, 1));
  const auto out = trim.folder.Path() / "out";
  std::filesystem::create_directories(out);
  // A file size limit below the copy's size fails its write as a full disk
  // would (the copy's name is never an existing file, so no device will do).
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1024;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  const TrimResult result = TrimFile(trim.input, trim.details, out, trim.host);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result.outcome, TrimOutcome::kFailed);
  EXPECT_NE(trim.host.shown.back().text.find("2005-03-08.dat: File too large"), std::string::npos)
      << trim.host.shown.back().text;
  EXPECT_TRUE(std::filesystem::is_empty(out));  // neither the copy nor a temporary file
}
#endif

TEST(Trimming, AStopDuringTheCopyLeavesNothing) {
  cdrgen::Bytes bytes = FileWithStale(200, 1);
  Trim trim(bytes);
  trim.host.stop_after_pumps = 2;
  const TrimResult result = TrimFile(trim.input, trim.details, {}, trim.host);
  EXPECT_EQ(result.outcome, TrimOutcome::kStopped);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(trim.folder.Path() / "in"),
                          std::filesystem::directory_iterator()),
            1);  // the input alone
  EXPECT_FALSE(trim.host.busy);
}

}  // namespace
}  // namespace ostrel
