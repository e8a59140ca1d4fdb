// The OCB-283 format functions over any bytes: the file check, the block
// count, and the decoding of every record of the counted blocks.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "ocb_decoder.h"
#include "ocb_file.h"
#include "platform/binary_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  platform::BinaryReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  ostrel::OcbFileInfo info;
  if (!ostrel::CheckDataFile(reader, info)) return 0;
  const ostrel::BlockCount count = ostrel::CountBlocks(reader, info.layout);
  // A counted block lies wholly inside the file.
  if (count.count > 0 &&
      ostrel::HeaderOffset(info.layout, count.count - 1) + ostrel::kHeaderSize > size) {
    __builtin_trap();
  }
  ostrel::OcbFields fields;
  std::uint8_t record[ostrel::kRecordSize];
  for (std::uint64_t block = 0; block < count.count; ++block) {
    for (int r = 0; r < ostrel::kRecordsPerBlock; ++r) {
      reader.Read(ostrel::RecordOffset(info.layout, block, r), record, sizeof record);
      fields.Reset();
      ostrel::DecodeRecord(record, count.header_year, count.header_day, block + 1 == count.count,
                           fields);
    }
  }
  return 0;
}
