#pragma once
// Whether a file is a C-DOT file, from its first bytes and its length.
#include <cstddef>
#include <cstdint>

#include "formats/cdot/layout.h"

namespace formats::cdot {

// The first bytes the tests below look at (zeros past the end of a shorter
// file): a header and the twenty records after it.
constexpr std::size_t kIdentifyBytes = kHeaderSize + kTestedRecords * kRecordSize;

// The analyser's record test from `records` on: the check byte of each of
// twenty records is at most 2 (needs kTestedRecords * kRecordSize bytes).
bool PassRecordTest(const std::uint8_t* records);

// A run of records from offset 0 as the analyser's identification tests it:
// the record test, and at least one whole record (an empty or tiny file
// passes the test on zeros alone).
bool IsBareRecordFile(const std::uint8_t* first, std::uint64_t length);

// What the extractor reads, from its first bytes: records from offset 0, or
// a section header (six digits at bytes 80-85) and records after it. The
// record test there stops at a section end, so a short first section passes;
// at least one record must pass it. Every file IsBareRecordFile accepts
// passes too.
bool IsCdotFile(const std::uint8_t* first, std::uint64_t length);
// Only its second form: the file begins with a section header.
bool BeginsWithSection(const std::uint8_t* first, std::uint64_t length);

}  // namespace formats::cdot
