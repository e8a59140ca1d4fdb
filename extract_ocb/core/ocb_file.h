#pragma once
// What is learnt about a whole OCB-283 file: its layout, the first block
// header's moment, and how many leading blocks hold the current data.
#include <cstdint>
#include <filesystem>
#include <string>

#include "ocb_format.h"
#include "platform/binary_reader.h"

namespace ostrel {

struct BlockCount {
  std::uint64_t count = 0;         // leading blocks in sequence
  std::uint32_t first_number = 0;  // sequence number of block 0
  std::uint32_t last_number = 0;   // sequence number of block count - 1
  int header_year = 0;
  int header_day = 0;
};

struct OcbFileInfo {
  OcbLayout layout = OcbLayout::kPlain;
  std::string header_date;  // first block header, YYYY-MM-DD
  std::string header_time;  // HH:MM:SS
  int header_year = 0;
  int header_day = 0;
  std::uint64_t size = 0;
  BlockCount blocks;  // filled by CountBlocks
};

// Recognises the file open in `reader` by the block marker at offset 0
// (Plain, tried first) or at offset 928 (Prefixed). False: not an OCB file.
bool CheckDataFile(platform::BinaryReader& reader, OcbFileInfo& info);

// Counts the leading blocks whose sequence numbers run on from block 0's
// without a gap: a binary search for the end of the run, then a scan of the
// 21 blocks around it. A header not wholly inside the file never counts.
BlockCount CountBlocks(platform::BinaryReader& reader, OcbLayout layout);

// "PATH is not a valid OCB Data File.  Please Verify"
std::string NotValidReport(const std::string& path);

}  // namespace ostrel
