// The OCB-283 format functions over any bytes: the file check, the block
// count, and every record of the counted blocks both decoded field by field
// and formatted in place from a view of its block (mapped, as the extraction
// reads), the two giving one text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/ocb/blocks.h"
#include "formats/ocb/digits.h"
#include "fuzz_input.h"
#include "ostrel/extraction_run.h"
#include "ostrel/ocb_decoder.h"
#include "ostrel/record_line.h"
#include "platform/binary_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  platform::BinaryReader reader;
  platform::BinaryReader viewer;
  if (!reader.Open(file.Path()) || !viewer.Open(file.Path())) __builtin_trap();
  viewer.MapFile();  // as the extraction reads
  formats::ocb::FileInfo info;
  if (!formats::ocb::CheckDataFile(reader, info)) return 0;
  const formats::ocb::BlockCount count = formats::ocb::CountBlocks(reader, info.layout);
  // A counted block lies wholly inside the file.
  if (count.count > 0 &&
      formats::ocb::HeaderOffset(info.layout, count.count - 1) + formats::ocb::kHeaderSize > size) {
    __builtin_trap();
  }
  const std::vector<int> selection = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                      10, 11, 12, 13, 14, 15, 16, 17, 18};
  ostrel::RecordLineFormatter formatter(selection, count.header_year, count.header_day);
  std::vector<char> room(formatter.MaxLineBytes());
  ostrel::OcbFields fields;
  std::string line;
  std::uint8_t record[formats::ocb::kRecordSize];
  for (std::uint64_t block = 0; block < count.count; ++block) {
    const bool last_block = block + 1 == count.count;
    const std::uint8_t* view =
        viewer.View(formats::ocb::HeaderOffset(info.layout, block), formats::ocb::kBlockSize);
    for (int r = 0; r < formats::ocb::kRecordsPerBlock; ++r) {
      reader.Read(formats::ocb::RecordOffset(info.layout, block, r), record, sizeof record);
      const std::uint8_t* viewed = view + formats::ocb::kHeaderSize +
                                   static_cast<std::size_t>(r) * formats::ocb::kRecordSize;
      if (std::memcmp(viewed, record, sizeof record) != 0) __builtin_trap();
      fields.Reset();
      const bool call =
          ostrel::DecodeRecord(record, count.header_year, count.header_day, last_block, fields);
      if (last_block && call == formats::ocb::IsUnusedSlot(viewed)) __builtin_trap();
      ostrel::FormatLine(fields, selection, line);
      line += "\r\n";
      const char* end = formatter.Format(viewed, room.data());
      if (std::string(static_cast<const char*>(room.data()), end) != line) __builtin_trap();
    }
  }
  return 0;
}
