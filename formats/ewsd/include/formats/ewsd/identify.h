#pragma once
// How the analyser tells an EWSD file from its first bytes.
#include <cstddef>
#include <cstdint>

#include "formats/ewsd/layout.h"

namespace formats::ewsd {

// A call record type at `bytes` and again where its length byte says the
// next record begins. A length of 0 points back at the first byte and holds.
// Bytes 0 to that length must be readable at `bytes`.
constexpr bool IsCallRecordPair(const std::uint8_t* bytes) {
  return bytes[0] == kCallRecordType && bytes[bytes[kLengthOffset]] == kCallRecordType;
}

// How much of a file's beginning the filler rule walks through.
inline constexpr std::size_t kFillerSearchSize = 64 * 1024;

// A file that begins with filler: walked over as the analyser does, the
// first `size` bytes hold filler, then a call record, then (after filler or
// not) the start of another call record; record lengths of 0 do not count.
// False for a file that does not begin with filler (the plain test decides
// those).
bool BeginsWithFillerThenRecords(const std::uint8_t* bytes, std::size_t size);

}  // namespace formats::ewsd
