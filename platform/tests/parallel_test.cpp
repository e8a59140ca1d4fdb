#include "platform/parallel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/text_writer.h"

namespace {

using platform::RunEnded;
using platform::RunInOrder;

// Pieces made on several workers, some slow, come back in order and with at
// most `ahead` of them waiting.
TEST(RunInOrder, TakesEveryPieceInOrderWithBoundedLead) {
  for (unsigned workers : {1u, 2u, 4u}) {
    std::vector<std::size_t> order;
    std::atomic<std::size_t> taken{0};
    std::atomic<std::size_t> most_ahead{0};
    const bool whole = RunInOrder<std::size_t>(
        50, workers, 3,
        [&](std::size_t i, const RunEnded&) {
          const std::size_t lead = i - std::min(i, taken.load());
          std::size_t seen = most_ahead.load();
          while (lead > seen && !most_ahead.compare_exchange_weak(seen, lead)) {
          }
          if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(3));
          return i * 10;
        },
        [&](std::size_t i, std::size_t& result) {
          EXPECT_EQ(result, i * 10);
          order.push_back(i);
          ++taken;
          return true;
        });
    EXPECT_TRUE(whole);
    ASSERT_EQ(order.size(), 50u) << workers;
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);
    EXPECT_LE(most_ahead.load(), 3u) << workers;
  }
}

// take saying no ends the run: nothing after it is taken, the workers are
// told, and an exception from a piece comes out on the calling thread in
// its turn, after the pieces before it.
TEST(RunInOrder, StopsWhenTakeSaysNoAndPassesErrorsOnInTurn) {
  std::vector<std::size_t> order;
  EXPECT_FALSE(RunInOrder<int>(
      100, 2, 4, [](std::size_t, const RunEnded&) { return 1; },
      [&](std::size_t i, int&) {
        order.push_back(i);
        return i < 5;
      }));
  EXPECT_EQ(order.size(), 6u);

  order.clear();
  EXPECT_THROW(RunInOrder<int>(
                   10, 2, 4,
                   [](std::size_t i, const RunEnded&) -> int {
                     if (i == 3) throw std::runtime_error("piece 3");
                     return 1;
                   },
                   [&](std::size_t i, int&) {
                     order.push_back(i);
                     return true;
                   }),
               std::runtime_error);
  EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2}));
}

TEST(RunInOrder, WorkersOptionTakesOneTo256) {
  unsigned workers = 0;
  EXPECT_EQ(platform::ReadWorkers("3", &workers), "");
  EXPECT_EQ(workers, 3u);
  for (const char* bad : {"0", "257", "", "2x", "-1"})
    EXPECT_NE(platform::ReadWorkers(bad, &workers), "") << bad;
  EXPECT_GE(platform::DefaultWorkers(), 1u);
}

// A worker's piece kept in a temporary writer comes out whole, whether it
// stayed in memory or went to the disk.
TEST(TextWriterTemporary, AppendsWhatWasKeptInMemoryOrSpilled) {
  const auto path = std::filesystem::temp_directory_path() / "platform_parallel_append.txt";
  platform::TextWriter out;
  ASSERT_TRUE(out.Open(path));
  platform::TextWriter piece;
  ASSERT_TRUE(piece.OpenTemporary());
  piece.WriteLine("small");
  ASSERT_TRUE(piece.AppendTo(out));
  std::string large;
  for (int i = 0; large.size() < 3 * platform::TextWriter::kBufferSize; ++i)
    large += std::to_string(i) + ",";
  piece.Write(large);
  ASSERT_TRUE(piece.AppendTo(out));
  piece.WriteLine("after");
  ASSERT_TRUE(piece.AppendTo(out));
  EXPECT_TRUE(piece.Close());
  ASSERT_TRUE(out.Close());
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "small\r\n" + large + "after\r\n");
  in.close();  // Windows removes no file that is open
  std::filesystem::remove(path);
}

}  // namespace
