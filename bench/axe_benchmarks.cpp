// pardel: finding the records of an AXE block and formatting their lines.
#include <benchmark/benchmark.h>

#include <cstring>

#include "cdrgen/axe_builder.h"
#include "pardel/axe_decoder.h"

namespace {

void AxeBlockRecords(benchmark::State& state) {
  const cdrgen::Bytes file = cdrgen::AxeSampleFile(64, 1);
  const std::size_t blocks = file.size() / pardel::kBlockSize;
  pardel::LayoutState layout;
  std::string line;
  char room[pardel::kWholeLineRoom];
  std::int64_t records = 0;
  std::size_t b = 0;
  for (auto _ : state) {
    // The blocks are read where they lie, as the extraction views them.
    const pardel::BlockBytes block{
        reinterpret_cast<const char*>(file.data()) + b * pardel::kBlockSize, pardel::kBlockSize};
    std::size_t start = 0;
    for (;;) {
      const pardel::AxeRecord record = pardel::NextRecord(block, start);
      if (record.length == 0) break;
      if (const char* end = pardel::FormatWholeRecord(record.text, layout, room)) {
        benchmark::DoNotOptimize(end);
      } else {
        line.clear();
        pardel::FormatRecord(record.text, layout, line);
        benchmark::DoNotOptimize(line.data());
      }
      start += record.length;
      ++records;
    }
    if (++b == blocks) b = 0;
  }
  state.SetItemsProcessed(records);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pardel::kBlockSize));
}
BENCHMARK(AxeBlockRecords);

}  // namespace
