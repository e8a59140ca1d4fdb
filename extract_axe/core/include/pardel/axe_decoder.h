#pragma once
// pardel's reading of AXE billing files (formats/axe holds the layout):
// blocks viewed or read, records found, each record made into its line.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/axe/identify.h"
#include "formats/axe/layout.h"
#include "platform/binary_reader.h"

namespace pardel {

using formats::axe::IsAxeFile;
using formats::axe::kBlockSize;

struct AxeBlock {
  std::array<char, kBlockSize> bytes{};
  // Bytes of the block that lie inside the file; the rest is filler.
  std::size_t valid = 0;
};

// A block's kBlockSize bytes wherever they lie, of which `valid` are inside
// the file.
struct BlockBytes {
  const char* data = nullptr;
  std::size_t valid = 0;
};

// Reads the block at `offset`; returns true when the read ran past the end
// of the file.
bool ReadBlock(platform::BinaryReader& file, std::uint64_t offset, AxeBlock& block);
// The block at `offset` where it lies in the reader's buffer (valid until the
// next call on the reader), without copying it. Once the system has failed a
// read, the block is read into `copy` instead, which alone knows how many of
// its bytes came from the file. `past_end` as ReadBlock returns it.
BlockBytes ViewBlock(platform::BinaryReader& file, std::uint64_t offset, AxeBlock& copy,
                     bool& past_end);

struct AxeRecord {
  std::size_t length = 0;  // 0: no more records in this block
  std::string_view text;   // the record, cut at the block's (or file's) end
};

// The record at `start`, or length 0 when the block's records have ended.
AxeRecord NextRecord(BlockBytes block, std::size_t start);
inline AxeRecord NextRecord(const AxeBlock& block, std::size_t start) {
  return NextRecord(BlockBytes{block.bytes.data(), block.valid}, start);
}

// The run's layout: the first record of a run decides whether all fields sit
// one position earlier.
struct LayoutState {
  bool shifted = false;
  bool line_written = false;
};

// The line's eight fields: date, time, A number, B number, the two counters
// and the two codes.
inline constexpr std::size_t kFieldCount = 8;
// Where each field of a line ends (at the comma after it, or at the line end
// for the last), counted from the line's start: the rows of other formats
// take the fields' texts from the line itself, so both always agree.
using FieldEnds = std::array<std::size_t, kFieldCount>;

// Appends the record's output line, without the line end, to `line`. Works
// for any record. `ends`, when given, gets where the fields end.
void FormatRecord(std::string_view record, LayoutState& layout, std::string& line,
                  FieldEnds* ends = nullptr);

// Room FormatWholeRecord may write into.
inline constexpr std::size_t kWholeLineRoom = 128;
// The usual record made fast: one that holds all its fields and whose
// counters are plain digits gets the same line as FormatRecord plus CR LF
// written at `out` (kWholeLineRoom bytes of room); returns the line's end.
// Any other record returns nullptr with the layout untouched: it is for
// FormatRecord.
char* FormatWholeRecord(std::string_view record, LayoutState& layout, char* out);
// The same, also telling where the line's fields end.
char* FormatWholeRecord(std::string_view record, LayoutState& layout, char* out, FieldEnds& ends);

}  // namespace pardel
