#include "platform/text_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/binary_reader.h"
#include "platform/file_replacer.h"
#include "platform/interrupt.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path TempFolder(const std::string& name) {
  auto dir = fs::temp_directory_path() / ("platform_writer_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(TextWriter, WritesBytesAsGivenWithCrLfLines) {
  const auto path = TempFolder("lines") / "out.txt";
  platform::TextWriter writer;
  ASSERT_TRUE(writer.Open(path));
  EXPECT_TRUE(writer.WriteLine("a,b"));
  EXPECT_TRUE(writer.Write(std::string("\xE9\x00x", 3)));
  EXPECT_TRUE(writer.WriteLine(""));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(Slurp(path), std::string("a,b\r\n\xE9\x00x\r\n", 10));
  // Opening anew empties the file; appending keeps it.
  ASSERT_TRUE(writer.Open(path));
  writer.WriteLine("new");
  writer.Close();
  ASSERT_TRUE(writer.Open(path, platform::TextWriter::Mode::kAppend));
  writer.WriteLine("more");
  writer.Close();
  EXPECT_EQ(Slurp(path), "new\r\nmore\r\n");
}

TEST(TextWriter, LinesWrittenInPlaceKeepTheirOrderAcrossFlushes) {
  const auto path = TempFolder("reserve") / "out.txt";
  platform::TextWriter writer;
  ASSERT_TRUE(writer.Open(path));
  std::string expected;
  for (int i = 0; i < 30000; ++i) {
    const std::string line = std::to_string(i) + std::string(static_cast<std::size_t>(i % 90), 'x');
    if (i % 3 == 0) {
      EXPECT_TRUE(writer.WriteLine(line));
    } else {
      char* room = writer.Reserve(200);  // more room than used
      line.copy(room, line.size());
      room[line.size()] = '\r';
      room[line.size() + 1] = '\n';
      EXPECT_TRUE(writer.Commit(line.size() + 2));
    }
    expected += line + "\r\n";
  }
  // Room larger than the whole buffer.
  const std::string big(platform::TextWriter::kBufferSize + 10, 'b');
  big.copy(writer.Reserve(big.size()), big.size());
  EXPECT_TRUE(writer.Commit(big.size()));
  expected += big;
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(writer.BytesWritten(), expected.size());
  EXPECT_EQ(Slurp(path), expected);
  // Room is safe to write after a failure; the commit reports it.
  ASSERT_TRUE(writer.Open("/dev/full"));
  std::string(platform::TextWriter::kBufferSize, 'f')
      .copy(writer.Reserve(platform::TextWriter::kBufferSize), platform::TextWriter::kBufferSize);
  EXPECT_FALSE(writer.Commit(platform::TextWriter::kBufferSize));
  writer.Reserve(10)[9] = 'x';
  EXPECT_FALSE(writer.Commit(10));
  EXPECT_EQ(writer.Reason(), "No space left on device");
  writer.Abandon();
}

TEST(TextWriter, ReportsEveryKindOfFailureWithFileAndReason) {
  platform::TextWriter writer;
  EXPECT_FALSE(writer.Open("/nonexistent/folder/out.txt"));
  EXPECT_EQ(writer.Error(), "/nonexistent/folder/out.txt: No such file or directory");

  EXPECT_FALSE(writer.Open(fs::temp_directory_path()));
  EXPECT_FALSE(writer.Error().empty());

  // A full disk: the failure must surface at the latest when closing.
  ASSERT_TRUE(writer.Open("/dev/full"));
  writer.WriteLine("lost?");
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.Reason(), "No space left on device");
  EXPECT_FALSE(writer.WriteLine("after"));
}

TEST(FileReplacer, KeepsTheTargetUntilCommitAndLeavesNoTemporary) {
  const auto dir = TempFolder("replace");
  const auto target = dir / "report.lmt";
  { std::ofstream(target) << "old"; }
  {
    platform::FileReplacer replacer;
    ASSERT_TRUE(replacer.Begin(target));
    replacer.Writer().Write("new");
    EXPECT_EQ(Slurp(target), "old");
    // destroyed without commit: the old content stays
  }
  EXPECT_EQ(Slurp(target), "old");
  platform::FileReplacer replacer;
  ASSERT_TRUE(replacer.Begin(target));
  replacer.Writer().Write("new");
  ASSERT_TRUE(replacer.Commit()) << replacer.Error();
  EXPECT_EQ(Slurp(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// Names in any script, with spaces: on Windows the narrow name of such a
// path goes through the ANSI code page and cannot stand for it.
TEST(FileReplacer, ReplacesAndReadsFilesWhateverTheirNames) {
  const auto dir = TempFolder("replace_names") / fs::path(u8"données тест 呼叫");
  fs::create_directories(dir);
  const auto target = dir / fs::path(u8"вызовы 1.txt");
  std::ofstream(target) << "old";
  platform::FileReplacer replacer;
  ASSERT_TRUE(replacer.Begin(target)) << replacer.Error();
  replacer.Writer().Write("new");
  ASSERT_TRUE(replacer.Commit()) << replacer.Error();
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(target));
  EXPECT_EQ(reader.ReadText(0, 3), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(FileReplacer, WritesADeviceInPlaceInsteadOfReplacingIt) {
#if defined(_WIN32)
  GTEST_SKIP() << "no /dev/null or /dev/full";
#endif
  // Links to the devices, so that a fault here replaces a link, never a device.
  const auto dir = TempFolder("replace_device");
  const auto null_link = dir / "null";
  const auto full_link = dir / "full";
  fs::create_symlink("/dev/null", null_link);
  fs::create_symlink("/dev/full", full_link);
  {
    platform::FileReplacer replacer;
    ASSERT_TRUE(replacer.Begin(null_link)) << replacer.Error();
    replacer.Writer().Write("new");
    ASSERT_TRUE(replacer.Commit()) << replacer.Error();
  }
  ASSERT_TRUE(fs::is_symlink(null_link));
  EXPECT_TRUE(fs::is_character_file(null_link));

  platform::FileReplacer replacer;
  ASSERT_TRUE(replacer.Begin(full_link)) << replacer.Error();
  replacer.Writer().Write("new");
  EXPECT_FALSE(replacer.Commit());
  EXPECT_EQ(replacer.Error(), full_link.string() + ": No space left on device");
  EXPECT_TRUE(fs::is_symlink(full_link));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// What a signal's handler does before the program ends: the temporary file
// of an output being written goes, a committed output stays.
TEST(FileReplacer, ATemporaryFileIsRemovedWhenTheProgramEndsOnASignal) {
  const auto dir = TempFolder("replace_signal");
  platform::FileReplacer done;
  ASSERT_TRUE(done.Begin(dir / "done.txt"));
  ASSERT_TRUE(done.Commit());
  platform::FileReplacer running;
  ASSERT_TRUE(running.Begin(dir / "running.txt"));
  ASSERT_TRUE(fs::exists(running.TemporaryPath()));
  platform::RemoveTemporaryFiles();
  // Then the program's end closes the file: Windows removes an open file
  // only once it is closed.
  running.Writer().Abandon();
  EXPECT_FALSE(fs::exists(running.TemporaryPath()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::exists(dir / "done.txt"));
}

// Files another program has open: an input still being written is read,
// and an output held without leave to replace it (spreadsheet programs hold
// their files so on Windows) stays as it was, and the reason is given.
TEST(FileReplacer, FilesAnotherProgramHoldsOpen) {
  const auto dir = TempFolder("held");
  const auto input = dir / "calls.dat";
  const auto target = dir / "calls.txt";
  { std::ofstream(target) << "old"; }
  std::ofstream writing(input, std::ios::binary);
  writing << "abc" << std::flush;
  platform::BinaryReader reader;
  ASSERT_TRUE(reader.Open(input));
  EXPECT_EQ(reader.ReadText(0, 3), "abc");
#if defined(_WIN32)
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  platform::FileReplacer replacer;
  ASSERT_TRUE(replacer.Begin(target)) << replacer.Error();
  replacer.Writer().Write("new");
  EXPECT_FALSE(replacer.Commit());
  EXPECT_EQ(replacer.Error().rfind(target.string() + ": ", 0), 0u) << replacer.Error();
  EXPECT_GT(replacer.Error().size(), target.string().size() + 2);
  CloseHandle(held);
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
#endif
}

TEST(FileReplacer, FailureNamesTheTarget) {
  platform::FileReplacer replacer;
  EXPECT_FALSE(replacer.Begin("/nonexistent/folder/report.lmt"));
  EXPECT_EQ(replacer.Error(), "/nonexistent/folder/report.lmt: No such file or directory");
}

}  // namespace
