// The AXE decoder over any bytes: the file test, then every block's records
// formatted into lines, as the extraction does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "axe_decoder.h"
#include "fuzz_input.h"
#include "platform/binary_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  platform::BinaryReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  pardel::IsAxeFile(reader);
  pardel::LayoutState layout;
  pardel::AxeBlock block;
  std::string line;
  for (std::uint64_t offset = 0; offset < reader.Length(); offset += pardel::kBlockSize) {
    const bool past_end = pardel::ReadBlock(reader, offset, block);
    std::size_t start = 0;
    for (;;) {
      const pardel::AxeRecord record = pardel::NextRecord(block, start);
      if (record.length == 0) break;
      line.clear();
      pardel::FormatRecord(record.text, layout, line);
      start += record.length;
    }
    if (past_end) break;
  }
  return 0;
}
