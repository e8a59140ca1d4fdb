#pragma once
// The AXE billing file: 2048-byte blocks of character records (every byte is
// one character). A record starts with its length in characters as three
// decimal characters, these three counted; the next record follows at once;
// a length that reads as 0 ends the block's records, the rest is filler. No
// record is continued in the next block. Offsets are 0-based from the
// record's first character, in the normal layout.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace formats::axe {

// ---- Blocks

inline constexpr std::size_t kBlockSize = 2048;
// A record cannot start at the block's last byte.
inline constexpr std::size_t kLastRecordStart = kBlockSize - 1;
// What fills a block after its last record, as the exchange writes it.
inline constexpr std::uint8_t kBlockFiller = 0x00;

// ---- Record fields

struct Field {
  std::size_t offset;  // in the normal layout
  std::size_t width;
};

inline constexpr Field kLength = {0, 3};
inline constexpr Field kANumber = {18, 15};  // blanks at both ends dropped
inline constexpr Field kBNumber = {34, 15};  // blanks dropped, then one trailing kBNumberFiller
inline constexpr Field kHour = {50, 2};
inline constexpr Field kMinute = {52, 2};
inline constexpr Field kSecond = {54, 2};
inline constexpr Field kFirstCounter = {56, 6};
inline constexpr Field kSecondCounter = {62, 6};
inline constexpr Field kYear = {71, 2};  // within the century: kCentury goes in front
inline constexpr Field kMonth = {73, 2};
inline constexpr Field kDay = {75, 2};
inline constexpr Field kFirstCode = {84, 7};  // blanks dropped
inline constexpr Field kSecondCode = {91, 7};

inline constexpr char kBNumberFiller = 'F';
inline constexpr std::string_view kCentury = "20";
// The first character past every field in the normal layout.
inline constexpr std::size_t kWholeRecordSize = kSecondCode.offset + kSecondCode.width;

// ---- The two layouts

// In the shifted layout every field but the length starts one position
// earlier. A run starts in the normal layout.
inline constexpr std::size_t kShift = 1;
constexpr std::size_t Offset(Field field, bool shifted) {
  return shifted ? field.offset - kShift : field.offset;
}

// A record whose 16 characters here have a blank at neither end can only be
// in the shifted layout: its A number fills the normal layout's gap.
inline constexpr Field kLayoutProbe = {kANumber.offset, 16};
inline bool ChoosesShiftedLayout(std::string_view record) {
  if (record.size() < kLayoutProbe.offset + kLayoutProbe.width) return false;
  return record[kLayoutProbe.offset] != ' ' &&
         record[kLayoutProbe.offset + kLayoutProbe.width - 1] != ' ';
}

// ---- Identification

// pardel's file test: the lengths at the starts of the first eleven blocks
// all read from 80 to 150.
inline constexpr int kTestedBlockStarts = 11;
inline constexpr double kLowestFirstLength = 80;
inline constexpr double kHighestFirstLength = 150;
// lomtra's: at each of the ten block boundaries after the first block, the
// block before ends in filler and the next block's length reads from 80 to 200.
inline constexpr int kTestedBoundaries = 10;
inline constexpr double kHighestBoundaryLength = 200;

// ---- Where the two programs read the same bytes apart
//
// pardel (the extractor) and lomtra (the analyser) were described apart and
// read damaged bytes differently; each keeps the reading its users have
// always seen. Every other rule in this folder holds for both.
struct Reading {
  // A length or counter text. pardel reads a leading sign and decimal point
  // ("+95" is 95); lomtra's number rule gives 0 to a text that begins with no
  // digit ("+95" is 0, so such a block start fails its file test).
  enum class Numbers { kSignedLeadingNumber, kDigitFirst } numbers;
  // A length that is not a whole number. pardel ends the block, as at a
  // length of 0; lomtra takes its whole part ("1.5" is 1).
  enum class FractionalLength { kEndsBlock, kWholePart } fractional_length;
  // Which records may choose the shifted layout. pardel: only while no line
  // of the run is written, so in practice its first record; lomtra: any
  // record of the file, until one does.
  enum class LayoutChoice { kBeforeFirstLine, kUntilShifted } layout_choice;
  // The file test: pardel's eleven block starts or lomtra's ten boundaries
  // (identify.h).
  enum class FileTest { kBlockStarts, kBoundaries } file_test;
};

inline constexpr Reading kExtractorReading = {
    Reading::Numbers::kSignedLeadingNumber, Reading::FractionalLength::kEndsBlock,
    Reading::LayoutChoice::kBeforeFirstLine, Reading::FileTest::kBlockStarts};
inline constexpr Reading kAnalyserReading = {
    Reading::Numbers::kDigitFirst, Reading::FractionalLength::kWholePart,
    Reading::LayoutChoice::kUntilShifted, Reading::FileTest::kBoundaries};

}  // namespace formats::axe
