// The AXE decoder over any bytes: the file test, then every block's records
// formatted into lines, as the extraction does: viewed in the reader's
// buffer, the usual lines formatted in place and checked against the general
// formatting, and the fields' ends the rows use checked the same way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "pardel/axe_decoder.h"
#include "platform/binary_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  platform::BinaryReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  pardel::IsAxeFile(reader);
  pardel::LayoutState layout;
  pardel::AxeBlock copy;
  std::string line;
  char room[pardel::kWholeLineRoom];
  char marked[pardel::kWholeLineRoom];
  for (std::uint64_t offset = 0; offset < reader.Length(); offset += pardel::kBlockSize) {
    bool past_end = false;
    const pardel::BlockBytes block = pardel::ViewBlock(reader, offset, copy, past_end);
    std::size_t start = 0;
    for (;;) {
      const pardel::AxeRecord record = pardel::NextRecord(block, start);
      if (record.length == 0) break;
      pardel::LayoutState general = layout;
      pardel::LayoutState marking = layout;
      const char* end = pardel::FormatWholeRecord(record.text, layout, room);
      pardel::FieldEnds ends{}, general_ends{};
      const char* marked_end = pardel::FormatWholeRecord(record.text, marking, marked, ends);
      line.clear();
      pardel::FormatRecord(record.text, general, line, &general_ends);
      // The rows of csv, jsonl and the databases cut their fields where the
      // marking formatters say: the same line, the same ends.
      if ((end == nullptr) != (marked_end == nullptr)) __builtin_trap();
      // A record the in-place way declines (short, or counters that are not
      // plain digits) is left to the general way, with the layout as it was.
      if (end != nullptr) {
        line += "\r\n";
        if (std::string_view(room, static_cast<std::size_t>(end - room)) != line) __builtin_trap();
        if (general.shifted != layout.shifted) __builtin_trap();
        if (std::string_view(marked, static_cast<std::size_t>(marked_end - marked)) != line)
          __builtin_trap();
        if (ends != general_ends) __builtin_trap();
      }
      layout = general;
      start += record.length;
    }
    if (past_end) break;
  }
  return 0;
}
