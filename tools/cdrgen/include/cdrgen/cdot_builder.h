#pragma once
// C-DOT TGCBR files: sections of a 91-byte ASCII header (date DDMMYY at bytes
// 80-85) followed by 48-byte call records; a file may also be a bare run of
// records. The builder appends pieces in order, so any layout can be made:
// headers anywhere, raw or short records, broken headers, filler.
#include <cstdint>
#include <string>
#include <string_view>

#include "cdrgen/byte_stream.h"
#include "cdrgen/bytes.h"

namespace cdrgen {

struct CdotRecord {
  std::string called = "22334455";  // digits; '0' is coded as nibble A
  std::string calling = "612345";
  std::uint64_t duration_ms = 42000;  // 4 bytes at 20
  int hour = 10, minute = 15, second = 30;
  std::uint8_t byte27 = 1;            // the analyser's record test wants <= 2
  std::uint64_t incoming_group = 12;  // 2 bytes at 28
  std::uint64_t units = 3;            // 4 bytes at 34
  std::uint64_t outgoing_group = 34;  // 2 bytes at 38
  std::uint64_t units_copy = 3;       // 4 bytes at 44
  // Fields written as FF bytes instead of their value (FF-filled = "no value").
  bool duration_ff = false, units_ff = false, units_copy_ff = false;
  bool incoming_ff = false, outgoing_ff = false;
};

// Number digits as a 10-byte C-DOT field: two digits a byte, 0 as nibble A,
// an odd count padded with nibble F, the rest FF. Longer numbers are cut.
Bytes CdotDigits(std::string_view digits);

// The 48 bytes of one record.
Bytes CdotRecordBytes(const CdotRecord& record);

// A 91-byte section header: it begins with "0707" (what marks a section end
// when read at a record position) and holds `date` (six characters, normally
// DDMMYY digits) at bytes 80-85.
Bytes CdotSectionHeader(std::string_view date);

class CdotFileBuilder {
 public:
  CdotFileBuilder& Section(std::string_view ddmmyy);
  CdotFileBuilder& Add(const CdotRecord& record);
  // Any bytes: a header with a broken date, a short last record, filler.
  CdotFileBuilder& AddRaw(const Bytes& bytes);
  std::size_t Size() const { return bytes_.size(); }
  const Bytes& Build() const { return bytes_; }

 private:
  Bytes bytes_;
};

// A sectioned file of about `size` bytes: consecutive day sections starting
// 070305, each beginning with a few evening calls of the day before, then
// calls through the day; some values FF-filled. Deterministic for a seed.
Bytes CdotSampleFile(std::uint64_t size, std::uint64_t seed, std::size_t* records = nullptr);
// The same bytes, written record by record into `out`.
void CdotSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed,
                      std::size_t* records = nullptr);

}  // namespace cdrgen
