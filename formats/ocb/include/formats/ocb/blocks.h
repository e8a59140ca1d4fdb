#pragma once
// What is learnt about a whole OCB-283 file from its block headers: its
// layout, the first header's moment, and how many leading blocks hold the
// current data.
#include <array>
#include <cstdint>
#include <string>

#include "formats/ocb/layout.h"
#include "platform/binary_reader.h"

namespace formats::ocb {

// The first 11 bytes of a block header, decoded.
struct BlockHeader {
  bool has_marker = false;
  std::uint32_t sequence = 0;          // 0-999999 (more only for damaged digits)
  int year = 0;                        // within the century, 0-99
  int day = 0;                         // day of the year, 1-366
  std::array<std::uint8_t, 3> time{};  // BCD HHMMSS
};
BlockHeader ParseBlockHeader(const std::uint8_t* bytes);

struct FileInfo {
  Layout layout = Layout::kPlain;
  std::string header_date;  // first block header, YYYY-MM-DD
  std::string header_time;  // HH:MM:SS
  int header_year = 0;
  int header_day = 0;
  std::uint64_t size = 0;
};

// Recognises the file open in `reader` (FindLayout) and reads its first
// block header. False: not an OCB file.
bool CheckDataFile(platform::BinaryReader& reader, FileInfo& info);

struct BlockCount {
  std::uint64_t count = 0;         // leading blocks in sequence
  std::uint32_t first_number = 0;  // sequence number of block 0
  std::uint32_t last_number = 0;   // sequence number of block count - 1
  int header_year = 0;
  int header_day = 0;
};

// Counts the leading blocks whose sequence numbers run on from block 0's
// without a gap (the stale blocks of an older cycle behind them do not
// count): a binary search for the end of the run, then a scan of the 21
// blocks around it. A header not wholly inside the file never counts.
BlockCount CountBlocks(platform::BinaryReader& reader, Layout layout);

}  // namespace formats::ocb
