#pragma once
// The OCB-283 data file: blocks of a 32-byte header and 48 call records of
// 42 bytes, either from offset 0 (Plain) or behind a 924-byte prefix with a
// 4-byte prefix before every block (Prefixed). Numbers are big-endian, BCD
// digits two a byte, high nibble first.
#include <array>
#include <cstddef>
#include <cstdint>

namespace formats::ocb {

// ---- Blocks and layouts

enum class Layout { kPlain, kPrefixed };

inline constexpr std::size_t kBlockSize = 2048;
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kRecordSize = 42;
inline constexpr int kRecordsPerBlock = 48;
static_assert(kHeaderSize + kRecordsPerBlock * kRecordSize == kBlockSize);

// Where block 0's header starts, and the distance from one header to the next.
inline constexpr std::uint64_t kPlainFirstHeader = 0;
inline constexpr std::uint64_t kPlainStride = kBlockSize;
// 924 bytes nobody reads, then 4 before every block.
inline constexpr std::uint64_t kPrefixedFirstHeader = 928;
inline constexpr std::uint64_t kPrefixedStride = 4 + kBlockSize;

constexpr std::uint64_t FirstHeader(Layout layout) {
  return layout == Layout::kPlain ? kPlainFirstHeader : kPrefixedFirstHeader;
}
constexpr std::uint64_t Stride(Layout layout) {
  return layout == Layout::kPlain ? kPlainStride : kPrefixedStride;
}
// Offset of the header of block `block` (0-based).
constexpr std::uint64_t HeaderOffset(Layout layout, std::uint64_t block) {
  return FirstHeader(layout) + block * Stride(layout);
}
// Offset of record `record` (0-47) of block `block`.
constexpr std::uint64_t RecordOffset(Layout layout, std::uint64_t block, int record) {
  return HeaderOffset(layout, block) + kHeaderSize +
         static_cast<std::uint64_t>(record) * kRecordSize;
}

// ---- Block header: only its first 11 bytes mean anything

// The marker a file's first block must carry, at offset 0 or 928.
inline constexpr std::array<std::uint8_t, 2> kMarker = {0xC6, 0xC4};
inline constexpr std::size_t kMarkerAt = 0;
inline constexpr std::size_t kSequenceAt = 2;  // BCD, 6 digits
inline constexpr std::size_t kSequenceSize = 3;
inline constexpr std::size_t kYearAt = 5;  // BCD, year within the century
inline constexpr std::size_t kYearSize = 1;
inline constexpr std::size_t kDayAt = 6;  // BCD, day of the year 1-366
inline constexpr std::size_t kDaySize = 2;
inline constexpr std::size_t kTimeAt = 8;  // BCD HHMMSS
inline constexpr std::size_t kTimeSize = 3;
inline constexpr std::size_t kHeaderBytesRead = kTimeAt + kTimeSize;
// The block after 999999 is numbered 000000.
inline constexpr std::uint32_t kSequenceModulus = 1000000;

inline bool HasMarker(const std::uint8_t* bytes) {
  return bytes[0] == kMarker[0] && bytes[1] == kMarker[1];
}

// The layout whose marker the file's first bytes carry: at offset 0
// (Plain, tried first) or at 928 (Prefixed). `head` holds the file's first
// kLayoutBytes bytes (zeros past its end). False: not an OCB file.
inline constexpr std::size_t kLayoutBytes = kPrefixedFirstHeader + kMarker.size();
inline bool FindLayout(const std::uint8_t* head, Layout& layout) {
  if (HasMarker(head + kPlainFirstHeader)) {
    layout = Layout::kPlain;
  } else if (HasMarker(head + kPrefixedFirstHeader)) {
    layout = Layout::kPrefixed;
  } else {
    return false;
  }
  return true;
}

// A header day that marks no data block: never written (0x00 0x00), or
// filler (0x40 0x40 read as BCD).
inline constexpr int kUnwrittenDay = 0;
inline constexpr int kFillerDay = 4040;
inline bool IsEmptyDay(int day) {
  return day == kUnwrittenDay || day == kFillerDay;
}

// ---- Call record: 18 numbered fields

// What a field's bytes are.
enum class FieldKind {
  kInteger,  // unsigned big-endian value
  kDay,      // BCD day of the year, dated against the first block header
  kTime,     // BCD HHMMSS, digits as they stand
  kNumber,   // packed digits; the nibble F is filler and is dropped
  kHex,      // hexadecimal digits, F kept
};

struct Field {
  std::size_t offset;
  std::size_t size;
  FieldKind kind;
  const char* caption;
};

inline constexpr int kFieldCount = 18;
// By field number - 1. Fields 6 and 15 trade places in records whose
// function type swaps them (SwapsCallerAndTrunk).
inline constexpr std::array<Field, kFieldCount> kFields = {{
    {0, 1, FieldKind::kInteger, "Header Function Type"},
    {1, 1, FieldKind::kInteger, "Header Entity Type"},
    {2, 1, FieldKind::kInteger, "Calling Party Category"},
    {3, 2, FieldKind::kDay, "Date Of Call"},
    {5, 3, FieldKind::kTime, "Time Of Call"},
    {8, 5, FieldKind::kNumber, "Calling Number ID"},
    {37, 1, FieldKind::kInteger, "No of Access to Acc Fields"},
    {18, 9, FieldKind::kNumber, "Called Number"},
    {27, 1, FieldKind::kInteger, "Type Of Traffic"},
    {28, 1, FieldKind::kInteger, "Type Of Service"},
    {29, 1, FieldKind::kInteger, "Bearer Capacity"},
    {30, 2, FieldKind::kInteger, "Chargable Duration"},
    {32, 3, FieldKind::kInteger, "Number Of Charged Units"},
    {35, 2, FieldKind::kNumber, "O/G TGP Identification"},
    {13, 5, FieldKind::kNumber, "I/C TGP Identification"},
    {38, 1, FieldKind::kInteger, "Reserved Bit Information"},
    {39, 2, FieldKind::kHex, "Operator Identification"},
    {41, 1, FieldKind::kInteger, "Operator Service Class"},
}};

inline constexpr int kDateField = 4;
inline constexpr int kTimeField = 5;
inline constexpr int kCallingField = 6;
inline constexpr int kCalledField = 8;
inline constexpr int kDurationField = 12;
inline constexpr int kIcTrunkField = 15;

constexpr const Field& FieldAt(int field) {
  return kFields[static_cast<std::size_t>(field - 1)];
}
// Caption of field n (1-18); "" for any other number.
constexpr const char* FieldCaption(int field) {
  return field >= 1 && field <= kFieldCount ? FieldAt(field).caption : "";
}
constexpr bool IsIntegerField(int field) {
  return field >= 1 && field <= kFieldCount && FieldAt(field).kind == FieldKind::kInteger;
}

// Outgoing-type records carry the trunk group first and the caller second.
inline bool SwapsCallerAndTrunk(const std::uint8_t* record) {
  return record[0] == 0x30 || record[0] == 0x10;
}
inline std::size_t CallingOffset(const std::uint8_t* record) {
  return SwapsCallerAndTrunk(record) ? FieldAt(kIcTrunkField).offset
                                     : FieldAt(kCallingField).offset;
}
inline std::size_t IcTrunkOffset(const std::uint8_t* record) {
  return SwapsCallerAndTrunk(record) ? FieldAt(kCallingField).offset
                                     : FieldAt(kIcTrunkField).offset;
}

// Packed number fields are padded with the nibble F; the called number holds
// at most this many digits.
inline constexpr unsigned kFillerNibble = 0x0F;
inline constexpr std::uint8_t kFillerByte = kFillerNibble << 4 | kFillerNibble;
inline constexpr std::size_t kCalledDigits = 2 * 9;
static_assert(FieldAt(kCalledField).size * 2 == kCalledDigits);

// ---- Where the two programs read the same bytes apart
//
// ostrel (the extractor) and lomtra (the analyser) were described apart and
// differ on damaged or stale bytes in three places; each reads as its users
// have always seen it. Every other rule in this folder holds for both.
struct Reading {
  // A BCD digit above 9 (damaged bytes). ostrel counts the nibble in its
  // digit place (0x1A reads 20), so a damaged record still makes its line;
  // lomtra reads the hexadecimal text's leading number, as it reads every
  // number ("1A" reads 1, "7E95" reads 7 x 10^95, held at kLargestNumber).
  enum class DamagedDigits { kNibbleValues, kLeadingNumber } damaged_digits;
  // What ends the current data. ostrel: the first block whose sequence
  // number does not run on (CountBlocks). lomtra: that, or an earlier block
  // whose header day is empty (IsEmptyDay), where its walk over the headers
  // has always ended.
  enum class RunEnd { kOutOfSequence, kOutOfSequenceOrEmptyDay } run_end;
  // A damaged day of the year beyond 31 December stays in December. ostrel
  // writes the days left whole (2005-12-9665); lomtra writes every date part
  // as two digits, so only their last two (2005-12-65).
  enum class LongDay { kWhole, kLastTwoDigits } long_day;
};

inline constexpr Reading kExtractorReading = {Reading::DamagedDigits::kNibbleValues,
                                              Reading::RunEnd::kOutOfSequence,
                                              Reading::LongDay::kWhole};
inline constexpr Reading kAnalyserReading = {Reading::DamagedDigits::kLeadingNumber,
                                             Reading::RunEnd::kOutOfSequenceOrEmptyDay,
                                             Reading::LongDay::kLastTwoDigits};

}  // namespace formats::ocb
