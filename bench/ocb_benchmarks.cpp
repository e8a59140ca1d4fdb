// ostrel: decoding one OCB record and formatting its line.
#include <benchmark/benchmark.h>

#include <vector>

#include "cdrgen/ocb_builder.h"
#include "formats/ocb/layout.h"
#include "ostrel/extraction_run.h"
#include "ostrel/ocb_decoder.h"
#include "ostrel/record_line.h"

namespace {

// The call records of a few sample blocks, one after the other.
std::vector<std::uint8_t> SampleRecords() {
  const cdrgen::Bytes file =
      cdrgen::OcbSampleFile(64 * formats::ocb::kBlockSize, 1, cdrgen::OcbFileLayout::kPlain);
  std::vector<std::uint8_t> records;
  for (std::size_t block = 0; block < 48; ++block) {
    const auto* start = file.data() + block * formats::ocb::kBlockSize + formats::ocb::kHeaderSize;
    records.insert(records.end(), start,
                   start + formats::ocb::kRecordsPerBlock * formats::ocb::kRecordSize);
  }
  return records;
}

void OcbDecodeRecord(benchmark::State& state) {
  const std::vector<std::uint8_t> records = SampleRecords();
  const std::size_t count = records.size() / formats::ocb::kRecordSize;
  ostrel::OcbFields fields;
  std::size_t i = 0;
  for (auto _ : state) {
    ostrel::DecodeRecord(records.data() + i * formats::ocb::kRecordSize, 6, 120, false, fields);
    benchmark::DoNotOptimize(fields.Text(8).data());
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(OcbDecodeRecord);

void OcbFormatLine(benchmark::State& state) {
  const std::vector<std::uint8_t> records = SampleRecords();
  const std::size_t count = 256;
  std::vector<ostrel::OcbFields> decoded(count);
  for (std::size_t i = 0; i < count; ++i)
    ostrel::DecodeRecord(records.data() + i * formats::ocb::kRecordSize, 6, 120, false, decoded[i]);
  const ostrel::FieldSelection selection = {4, 5, 6, 8, 12, 13, 14, 15};
  std::string line;
  std::size_t i = 0;
  for (auto _ : state) {
    ostrel::FormatLine(decoded[i], selection, line);
    benchmark::DoNotOptimize(line.data());
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(OcbFormatLine);

// What the extraction does per record: the line of the default fields
// formatted in place, no decoding into field texts first.
void OcbRecordLine(benchmark::State& state) {
  const std::vector<std::uint8_t> records = SampleRecords();
  const std::size_t count = records.size() / formats::ocb::kRecordSize;
  ostrel::RecordLineFormatter formatter(ostrel::DefaultFieldSelection(), 6, 120);
  std::vector<char> room(formatter.MaxLineBytes());
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = formatter.Format(records.data() + i * formats::ocb::kRecordSize, room.data());
    benchmark::DoNotOptimize(end);
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(OcbRecordLine);

}  // namespace
