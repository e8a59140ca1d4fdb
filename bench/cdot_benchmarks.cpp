// kelvan: decoding one C-DOT record and laying out its line.
#include <benchmark/benchmark.h>

#include "cdrgen/cdot_builder.h"
#include "formats/cdot/fields.h"
#include "formats/cdot/layout.h"
#include "kelvan/line_layout.h"
#include "kelvan/record_formatter.h"

namespace {

namespace cdot = formats::cdot;

// The records of the sample file's first section.
cdrgen::Bytes SampleRecords(std::size_t& count) {
  const cdrgen::Bytes file = cdrgen::CdotSampleFile(4 * cdot::kRecordSize * 1024, 1);
  count = 1000;
  const auto first = file.begin() + cdot::kHeaderSize;
  return cdrgen::Bytes(first, first + static_cast<std::ptrdiff_t>(count * cdot::kRecordSize));
}

void CdotDecodeRecord(benchmark::State& state) {
  std::size_t count = 0;
  const cdrgen::Bytes records = SampleRecords(count);
  cdot::CdotFields fields;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::uint8_t* record = records.data() + i * cdot::kRecordSize;
    cdot::DecodeCalled(record, fields);
    if (!cdot::IsSectionEnd(fields)) cdot::DecodeRest(record, fields);
    benchmark::DoNotOptimize(fields.calling.data());
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CdotDecodeRecord);

void CdotLine(benchmark::State& state, kelvan::Layout layout) {
  std::size_t count = 0;
  const cdrgen::Bytes records = SampleRecords(count);
  std::vector<cdot::CdotFields> decoded(count);
  for (std::size_t i = 0; i < count; ++i) {
    decoded[i].date = "2005/03/07";
    cdot::DecodeCalled(records.data() + i * cdot::kRecordSize, decoded[i]);
    cdot::DecodeRest(records.data() + i * cdot::kRecordSize, decoded[i]);
  }
  kelvan::LineLayout line_layout({1, 2, 3, 4, 5, 6, 7, 8}, layout, ",");
  std::string line;
  std::size_t i = 0;
  for (auto _ : state) {
    line_layout.WriteLine(decoded[i], decoded[i].calling, line);
    benchmark::DoNotOptimize(line.data());
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(CdotLine, delimited, kelvan::Layout::kDelimited);
BENCHMARK_CAPTURE(CdotLine, fixed_width, kelvan::Layout::kFixedWidth);

// What the run does per record: the line made from the record's bytes.
void CdotFormatRecord(benchmark::State& state, kelvan::Layout layout) {
  std::size_t count = 0;
  const cdrgen::Bytes records = SampleRecords(count);
  const kelvan::RecordFormatter formatter({1, 2, 3, 4, 5, 6, 7, 8}, layout, ",");
  std::vector<char> line(formatter.MaxLineBytes());
  std::size_t i = 0;
  for (auto _ : state) {
    const char* end =
        formatter.Format(records.data() + i * cdot::kRecordSize, "2005/03/07", line.data());
    benchmark::DoNotOptimize(end);
    if (++i == count) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(CdotFormatRecord, delimited, kelvan::Layout::kDelimited);
BENCHMARK_CAPTURE(CdotFormatRecord, fixed_width, kelvan::Layout::kFixedWidth);

}  // namespace
