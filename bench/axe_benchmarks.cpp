// pardel: finding the records of an AXE block and formatting their lines.
#include <benchmark/benchmark.h>

#include <cstring>

#include "cdrgen/axe_builder.h"
#include "extract_axe/core/axe_decoder.h"

namespace {

void AxeBlockRecords(benchmark::State& state) {
  const cdrgen::Bytes file = cdrgen::AxeSampleFile(64, 1);
  const std::size_t blocks = file.size() / pardel::kBlockSize;
  std::vector<pardel::AxeBlock> decoded(blocks);
  for (std::size_t b = 0; b < blocks; ++b) {
    std::memcpy(decoded[b].bytes.data(), file.data() + b * pardel::kBlockSize, pardel::kBlockSize);
    decoded[b].valid = pardel::kBlockSize;
  }
  pardel::LayoutState layout;
  std::string line;
  std::int64_t records = 0;
  std::size_t b = 0;
  for (auto _ : state) {
    std::size_t start = 0;
    for (;;) {
      const pardel::AxeRecord record = pardel::NextRecord(decoded[b], start);
      if (record.length == 0) break;
      line.clear();
      pardel::FormatRecord(record.text, layout, line);
      benchmark::DoNotOptimize(line.data());
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
