#pragma once
// AXE billing files: 2048-byte blocks of character records, each record
// starting with its length as three decimal characters.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/binary_reader.h"

namespace pardel {

inline constexpr std::size_t kBlockSize = 2048;
inline constexpr int kBlocksTested = 11;

// True when the first three characters of each of the eleven blocks at 0,
// 2048, ..., 20480 read as a number from 80 to 150. A block start past the
// end of the file counts as out of range.
bool IsAxeFile(platform::BinaryReader& file);

struct AxeBlock {
  std::array<char, kBlockSize> bytes{};
  // Bytes of the block that lie inside the file; the rest is filler.
  std::size_t valid = 0;
};

// Reads the block at `offset`; returns true when the read ran past the end
// of the file.
bool ReadBlock(platform::BinaryReader& file, std::uint64_t offset, AxeBlock& block);

struct AxeRecord {
  std::size_t length = 0;  // 0: no more records in this block
  std::string_view text;   // the record, cut at the block's (or file's) end
};

// The record at `start`, or length 0 when the block's records have ended.
AxeRecord NextRecord(const AxeBlock& block, std::size_t start);

// The run's layout: the first record of a run decides whether all fields sit
// one position earlier.
struct LayoutState {
  bool shifted = false;
  bool line_written = false;
};

// Appends the record's output line, without the line end, to `line`.
void FormatRecord(std::string_view record, LayoutState& layout, std::string& line);

}  // namespace pardel
