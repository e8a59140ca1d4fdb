#include "formats/ewsd/identify.h"

#include "formats/ewsd/packages.h"

namespace formats::ewsd {

bool BeginsWithFillerThenRecords(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0 || IsRecordStart(bytes[0])) return false;
  std::size_t offset = 0;
  int records = 0;
  // The byte after a lead byte is read with it, so the walk stops one short.
  while (offset + 1 < size) {
    const std::uint8_t lead = bytes[offset];
    if (lead == kFillerByte) {
      offset += 1;
    } else if (lead == kFillerBlock) {
      const int length = FillerBlockLength(kAnalyserWalk, bytes[offset + kFillerBlockLengthOffset],
                                           offset + 2 < size ? bytes[offset + 2] : 0);
      if (length == 0) return false;
      offset += static_cast<std::size_t>(length);
    } else if (IsShortUnit(lead)) {
      offset += kShortUnitSize;
    } else if (IsLongUnit(lead)) {
      offset += kLongUnitSize;
    } else {
      // Two call records, filler between them or not.
      const std::uint8_t length = bytes[offset + kLengthOffset];
      if (lead != kCallRecordType || length == 0) return false;
      if (++records == 2) return true;
      offset += length;
    }
  }
  return false;
}

}  // namespace formats::ewsd
