#pragma once
// OCB-283 files: blocks of a 32-byte header (marker C6 C4, BCD sequence
// number, year, day of year, time) and 48 records of 42 bytes. Plain files
// start with block 0; Prefixed files have 924 bytes before the first block
// and 4 bytes before every block.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cdrgen/byte_stream.h"
#include "cdrgen/bytes.h"

namespace cdrgen {

enum class OcbFileLayout { kPlain, kPrefixed };

// One call record by field values. Number fields are digit texts packed as
// BCD and padded with F nibbles to their width (a letter A-F stands for its
// nibble, so damaged digits can be made too).
struct OcbRecordValues {
  std::uint8_t function_type = 0x20;  // byte 0; 0x30 and 0x10 swap the two 5-byte fields
  std::uint8_t entity_type = 1;
  std::uint8_t category = 10;
  std::string day = "067";            // BCD, 4 digits, day of the year
  std::string time = "101530";        // BCD HHMMSS
  std::string calling = "2456789";    // "Calling Number ID", 10 nibbles
  std::string ic_trunk = "12";        // "I/C TGP Identification", 10 nibbles
  std::string called = "0115551234";  // 18 nibbles
  std::uint8_t traffic = 1;
  std::uint8_t service = 2;
  std::uint8_t bearer = 3;
  std::uint16_t duration = 125;
  std::uint32_t units = 3;      // 24 bits
  std::string og_trunk = "45";  // 4 nibbles
  std::uint8_t accesses = 0;
  std::uint8_t reserved = 0;
  std::string operator_id = "00A1";  // 4 nibbles, F kept by the reader
  std::uint8_t service_class = 5;
  // When set, the record is these 42 bytes instead (padding slots etc.).
  std::optional<Bytes> raw;
};

Bytes OcbRecordBytes(const OcbRecordValues& record);
// A slot of 42 equal bytes (0xFF or 0x40 pad the end of the data).
OcbRecordValues OcbPaddingRecord(std::uint8_t value);

struct OcbBlockValues {
  std::uint32_t sequence = 0;            // written as 6 BCD digits (mod 1000000)
  std::string year = "05";               // BCD, 2 digits
  std::string day = "100";               // BCD, 4 digits
  std::string time = "235959";           // BCD HHMMSS
  bool marker = true;                    // C6 C4 at offset 0
  std::vector<OcbRecordValues> records;  // up to 48; the rest are `fill` slots
  std::uint8_t fill = 0xFF;
};

Bytes OcbBlockBytes(const OcbBlockValues& block);

class OcbFileBuilder {
 public:
  explicit OcbFileBuilder(OcbFileLayout layout = OcbFileLayout::kPlain) : layout_(layout) {}
  OcbFileBuilder& Add(const OcbBlockValues& block);
  // Blocks numbered first, first + 1, ... (wrapping after 999999), each a
  // copy of `model` with that number.
  OcbFileBuilder& AddSequence(const OcbBlockValues& model, std::uint32_t first, std::size_t count);
  // A whole raw block of 2048 bytes (not an OCB block).
  OcbFileBuilder& AddRaw(const Bytes& block);
  Bytes Build() const;

 private:
  OcbFileLayout layout_;
  std::vector<Bytes> blocks_;
};

// Offset of block `block`'s header and of its record `record` (0-47).
std::uint64_t OcbHeaderOffset(OcbFileLayout layout, std::uint64_t block);
std::uint64_t OcbRecordOffset(OcbFileLayout layout, std::uint64_t block, int record);

// A realistic file of about `size` bytes: current blocks in sequence (the
// numbers may wrap past 999999), a last current block partly filled with
// calls and then padding, and stale blocks of an older cycle behind them.
// Returns how many calls the current data holds through `calls`.
Bytes OcbSampleFile(std::uint64_t size, std::uint64_t seed, OcbFileLayout layout,
                    std::size_t* calls = nullptr);
// The same bytes, written block by block into `out`.
void OcbSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed, OcbFileLayout layout,
                     std::size_t* calls = nullptr);

}  // namespace cdrgen
