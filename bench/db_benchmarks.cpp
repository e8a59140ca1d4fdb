// Calls a second into the databases: one input file of calls shaped like
// vantor's ewsd_calls (20 columns, indexes on call_start and the two numbers),
// loaded in its own transaction. SQLite into a fresh database file;
// PostgreSQL into the server SUITE_PG_URL names (bench/run.sh --db starts a
// throwaway one), each file a new one so that no time goes on deleting.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/postgres_calls.h"
#include "platform/sqlite_calls.h"

namespace {

constexpr int kCallsPerFile = 500000;

platform::CallTableShape EwsdLikeShape() {
  using platform::ColumnType;
  static constexpr std::array<const char*, 20> kCaptions = {
      "Serial Number", "Date",       "Time",           "Calling ID",
      "Called ID",     "Duration",   "Units",          "OG Tgp",
      "IC Tgp",        "OG Trunk",   "IC Trunk",       "ConnID",
      "Zone",          "CHB",        "Calling Cat",    "Traffic Cause",
      "Service Indic", "B Group ID", "Addl Call Info", "3rd Party Digit"};
  static constexpr std::array<bool, 20> kNumbers = {true,  false, false, false, false, true, true,
                                                    false, false, false, false, true,  true, true,
                                                    true,  true,  true,  true,  false, false};
  platform::CallTableShape shape{"ewsd_calls", {}, {"calling_id", "called_id"}};
  for (std::size_t i = 0; i < kCaptions.size(); ++i)
    shape.columns.push_back({kCaptions[i], platform::SnakeCaseKey(kCaptions[i]),
                             kNumbers[i] ? ColumnType::kInteger : ColumnType::kText});
  return shape;
}

// The cells of call `n`: numbers that differ from call to call, so that the
// indexes see what a real file gives them.
class CallMaker {
 public:
  const std::string_view* Cells(std::uint64_t n) {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    serial_ = std::to_string(n + 1);
    calling_ = "02" + std::to_string(10000000 + (state_ >> 40) % 90000000);
    called_ = "09" + std::to_string(10000000 + (state_ >> 20) % 90000000);
    duration_ = std::to_string((state_ >> 8) % 3600);
    time_ = "00:00:00";
    const auto second = n % 86400;
    time_[0] = static_cast<char>('0' + second / 36000);
    time_[1] = static_cast<char>('0' + second / 3600 % 10);
    time_[3] = static_cast<char>('0' + second % 3600 / 600);
    time_[4] = static_cast<char>('0' + second % 600 / 60);
    time_[6] = static_cast<char>('0' + second % 60 / 10);
    time_[7] = static_cast<char>('0' + second % 10);
    start_ = "2006-01-01T" + time_;
    cells_ = {serial_, "2006-01-01", time_,  calling_, called_,    duration_, "3",
              "TGP1",  "",           "12-3", "",       "4567",     "2",       "0",
              "10",    "0",          "1",    "0",      "00000000", ""};
    return cells_.data();
  }
  std::string_view Start() const { return start_; }

 private:
  std::uint64_t state_ = 1;
  std::string serial_, calling_, called_, duration_, time_, start_;
  std::array<std::string_view, 20> cells_{};
};

void LoadFile(benchmark::State& state, platform::CallStore& store, const std::string& path) {
  CallMaker maker;
  if (!store.BeginFile({path, 1, "2006-01-02T00:00:00", "EWSD", "bench"})) {
    state.SkipWithError(store.Error().c_str());
    return;
  }
  for (std::uint64_t n = 0; n < kCallsPerFile; ++n) {
    const std::string_view* cells = maker.Cells(n);
    if (!store.AddCall(static_cast<std::int64_t>(n + 1), maker.Start(), cells)) break;
  }
  if (!store.CommitFile()) state.SkipWithError(store.Error().c_str());
}

void SqliteLoadCalls(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "suite_bench_calls.db";
  const platform::CallTableShape shape = EwsdLikeShape();
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
    platform::SqliteCalls store;
    if (!store.Open(path, shape)) {
      state.SkipWithError(store.Error().c_str());
      break;
    }
    state.ResumeTiming();
    LoadFile(state, store, "/bench/file");
    store.Close();
  }
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
  state.SetItemsProcessed(state.iterations() * kCallsPerFile);
}
BENCHMARK(SqliteLoadCalls)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void PostgresLoadCalls(benchmark::State& state) {
  const char* server = std::getenv("SUITE_PG_URL");
  if (server == nullptr || *server == '\0') {
    state.SkipWithError("SUITE_PG_URL is not set (bench/run.sh --db starts a server)");
    return;
  }
  platform::PostgresCalls store;
  if (!store.Open(std::string(server) + "/postgres", EwsdLikeShape())) {
    state.SkipWithError(store.Error().c_str());
    return;
  }
  int file = 0;
  for (auto _ : state) LoadFile(state, store, "/bench/file" + std::to_string(++file));
  store.Close();
  state.SetItemsProcessed(state.iterations() * kCallsPerFile);
}
BENCHMARK(PostgresLoadCalls)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
