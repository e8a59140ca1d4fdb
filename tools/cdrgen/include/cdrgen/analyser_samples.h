#pragma once
// Data files for the analyser's tests: OCB, EWSD, C-DOT, E10B and 5ESS files
// built from field values (AXE files come from axe_builder.h).
#include <cstdint>
#include <string>
#include <vector>

#include "cdrgen/byte_stream.h"
#include "cdrgen/bytes.h"

namespace cdrgen {

// ---- OCB: 2048-byte blocks of a 32-byte header and 48 records of 42 bytes.
struct OcbSampleRecord {
  std::string day = "0100";           // BCD day of the year, 4 digits
  std::string time = "120000";        // BCD HHMMSS
  std::string called = "0123456789";  // called number digits, F-padded to 18
  std::uint8_t first_byte = 0x00;
};

struct OcbSampleBlock {
  std::uint32_t sequence = 0;  // BCD, 6 digits
  std::string year = "06";     // BCD YY
  std::string day = "0100";    // BCD day; "4040" gives the bytes 0x40 0x40
  std::string time = "120000";
  std::vector<OcbSampleRecord> records;  // the rest of the 48 are padding
  std::uint8_t padding = 0xFF;           // byte of every padding record
};

// `prefixed`: the layout with 924 unread bytes before the first block and
// 4 before every block (marker at 928, stride 2052).
Bytes OcbAnalyserFile(const std::vector<OcbSampleBlock>& blocks, bool prefixed = false);
// A file of `blocks` full blocks in sequence, deterministic for a seed.
Bytes OcbAnalyserSample(std::size_t blocks, std::uint64_t seed);

// ---- EWSD: records among filler; a record is type, length, header, packages.
struct EwsdSampleRecord {
  std::uint8_t type = 0x84;
  bool no_owner = false;  // flag bit 7: no owner number
  std::string owner = "5551234";
  std::vector<Bytes> packages;  // each a package's bytes, identifier first
  int length_override = -1;     // >= 0: written as the length byte instead
};

// Package 100: date, time and duration.
Bytes EwsdDatePackage(int year, int month, int day, int hour, int minute, int second,
                      std::uint32_t duration = 0);
// Package 101 (called number) as a digit string.
Bytes EwsdCalledPackage(const std::string& digits);
// A package of `id` stepped over by its own length rules, `size` bytes long.
Bytes EwsdPlainPackage(std::uint8_t id, std::size_t size);

class EwsdFileBuilder {
 public:
  EwsdFileBuilder& Record(const EwsdSampleRecord& record);
  EwsdFileBuilder& Filler80(std::size_t count = 1);
  // 0x81 block: lead byte, then `length` little-endian in 2 bytes, padded to
  // `total` bytes (at least 3).
  EwsdFileBuilder& Filler81(std::uint16_t length, std::size_t total);
  EwsdFileBuilder& Unit(std::uint8_t lead, std::size_t size);  // 0x00/1-3: 32, 122-124: 64
  EwsdFileBuilder& Raw(const Bytes& bytes);
  Bytes Build() const { return bytes_; }

 private:
  Bytes bytes_;
};

Bytes EwsdRecordBytes(const EwsdSampleRecord& record);
Bytes EwsdAnalyserSample(std::size_t records, std::uint64_t seed);

// ---- C-DOT: 48-byte records, optionally after 91-byte section headers.
struct CdotSampleRecord {
  std::string called = "9814501";
  std::string calling = "2345678";
  std::uint8_t hour = 10, minute = 20, second = 30;
  std::uint8_t byte27 = 0x00;  // the analyser's test expects at most 2
};

Bytes CdotRecordBytes(const CdotSampleRecord& record);
// 91 characters of text with the section date DDMMYY at 80-85.
Bytes CdotSectionHeader(const std::string& ddmmyy);
Bytes CdotAnalyserFile(const std::vector<CdotSampleRecord>& records);
Bytes CdotAnalyserSample(std::size_t records, std::uint64_t seed);

// ---- E10B: 2048-byte blocks of 78 records of 26 bytes.
struct E10bRecord {
  std::uint16_t sequence = 1;  // big-endian; 0 = empty slot
  std::string day = "0100";    // BCD day of the year
  std::string hhmm = "1200";   // BCD time
};

// Records fill the blocks in order, 78 to a block; at least `min_blocks`.
Bytes E10bFile(const std::vector<E10bRecord>& records, std::size_t min_blocks = 1);
Bytes E10bSampleFile(std::size_t blocks, std::uint64_t seed);
// The same bytes, written block by block into `out`.
void E10bSampleStream(ByteStream& out, std::size_t blocks, std::uint64_t seed);

// ---- 5ESS: text records of 122 characters.
struct FiveEssRecord {
  std::string date = "050101";  // YYMMDD at positions 44-49
  std::string time = "120000";  // HHMMSS at 50-55
};

std::string FiveEssRecordText(const FiveEssRecord& record);
// Records joined by `separator`, after `leading` text.
Bytes FiveEssFile(const std::vector<FiveEssRecord>& records, const std::string& separator = "",
                  const std::string& leading = "");
Bytes FiveEssSampleFile(std::size_t records, std::uint64_t seed);
// Sample records joined by `separator` (large files use line feeds, as
// exchanges that write one record a line do), written into `out`.
void FiveEssSampleStream(ByteStream& out, std::size_t records, std::uint64_t seed,
                         const std::string& separator);

}  // namespace cdrgen
