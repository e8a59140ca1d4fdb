#include "formats/cdot/identify.h"

#include <string>

#include "formats/cdot/fields.h"

namespace formats::cdot {

namespace {

// The record test on the records from `records` on, up to twenty or to a
// section end; `available` bytes of them lie in the file. False when no
// record is tested.
bool RecordsPassUpToASectionEnd(const std::uint8_t* records, std::uint64_t available) {
  if (available < kRecordSize) return false;
  std::string called;
  for (std::size_t k = 0; k < kTestedRecords; ++k) {
    const std::uint8_t* record = records + kRecordSize * k;
    DecodeDigits(record + kCalledOffset, kNumberSize, called);
    if (IsSectionEnd(called.data(), called.size())) return k > 0;
    if (record[kCheckByteOffset] > kCheckByteMaximum) return false;
  }
  return true;
}

}  // namespace

bool PassRecordTest(const std::uint8_t* records) {
  for (std::size_t k = 0; k < kTestedRecords; ++k) {
    if (records[kCheckByteOffset + kRecordSize * k] > kCheckByteMaximum) return false;
  }
  return true;
}

bool IsBareRecordFile(const std::uint8_t* first, std::uint64_t length) {
  return length >= kRecordSize && PassRecordTest(first);
}

bool BeginsWithSection(const std::uint8_t* first, std::uint64_t length) {
  if (length < kHeaderSize) return false;
  for (std::size_t i = 0; i < kDateDigits; ++i) {
    const std::uint8_t c = first[kHeaderDateOffset + i];
    if (c < '0' || c > '9') return false;
  }
  return RecordsPassUpToASectionEnd(first + kHeaderSize, length - kHeaderSize);
}

bool IsCdotFile(const std::uint8_t* first, std::uint64_t length) {
  return RecordsPassUpToASectionEnd(first, length) || BeginsWithSection(first, length);
}

}  // namespace formats::cdot
