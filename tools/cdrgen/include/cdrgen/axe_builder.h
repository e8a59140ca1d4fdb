#pragma once
// AXE files: 2048-byte blocks of character records, each starting with its
// length as three decimal characters; the rest of a block is filler.
#include <string>
#include <vector>

#include "cdrgen/byte_stream.h"
#include "cdrgen/bytes.h"

namespace cdrgen {

struct AxeRecord {
  int length = 98;  // written into the first three characters
  std::string a_number = "2456";
  std::string b_number = "9876F";
  std::string hour = "23", minute = "59", second = "09";
  std::string counter1 = "000125", counter2 = "000003";
  std::string year = "06", month = "11", day = "30";
  std::string code1 = "ROUT01", code2 = "ROUT02";
  // Shifted layout: every field one position earlier. Such a record is told
  // from a normal one only when its A number fills all 15 characters.
  bool shifted = false;
};

// The record's `length` characters (at least 3); fields that do not fit are cut.
std::string AxeRecordText(const AxeRecord& record);

class AxeFileBuilder {
 public:
  static constexpr std::size_t kBlockSize = 2048;

  // Starts a new block; records added next go into it.
  AxeFileBuilder& NewBlock();
  AxeFileBuilder& Add(const AxeRecord& record);
  AxeFileBuilder& AddText(const std::string& record_text);
  // A whole block of raw bytes (for non-AXE blocks).
  AxeFileBuilder& AddRawBlock(const Bytes& block);
  // Filler byte after the last record of a block (0x00 by default).
  AxeFileBuilder& Filler(std::uint8_t filler);
  // Cuts the file so that the last block holds only `bytes` bytes.
  AxeFileBuilder& ShortLastBlock(std::size_t bytes);

  Bytes Build() const;

 private:
  std::vector<Bytes> blocks_;
  std::uint8_t filler_ = 0x00;
  std::size_t last_block_bytes_ = kBlockSize;
};

// A file of `blocks` blocks, each holding records of varied lengths with
// dates and numbers that change from record to record; deterministic for a
// seed. Returns the file and, through `records`, the number of records.
Bytes AxeSampleFile(std::size_t blocks, std::uint64_t seed, std::size_t* records = nullptr);
// The same bytes, written block by block into `out`.
void AxeSampleStream(ByteStream& out, std::size_t blocks, std::uint64_t seed,
                     std::size_t* records = nullptr);

}  // namespace cdrgen
