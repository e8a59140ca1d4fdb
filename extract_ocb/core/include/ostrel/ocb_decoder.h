#pragma once
// One 42-byte call record turned into the 18 numbered field texts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ocb/layout.h"

namespace ostrel {

// The format's layout and rules, read the way this program reads them.
namespace ocb = formats::ocb;
inline constexpr const ocb::Reading& kReading = ocb::kExtractorReading;

// The 18 texts of one record; Text(n) is field n (1-18). The strings are
// reused from record to record so that decoding allocates nothing once warm.
struct OcbFields {
  std::array<std::string, ocb::kFieldCount> texts;
  const std::string& Text(int field) const { return texts[static_cast<std::size_t>(field - 1)]; }
  std::string& Text(int field) { return texts[static_cast<std::size_t>(field - 1)]; }
  void Reset() {
    for (auto& text : texts) text.clear();
  }
};

// Decodes `record` (42 bytes) into `fields` and tells whether it is a call.
// Records are dated against the first block header's year and day. In the
// last block of the data an unused slot (ocb::IsUnusedSlot) is no call.
bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields);

// Which fields to decode, indexed by field number (index 0 unused).
using FieldMask = std::array<bool, ocb::kFieldCount + 1>;
FieldMask MaskOf(const std::vector<int>& fields);

// The same for the fields in `wanted` only (the others are left as they
// are): an extraction decodes just what it writes. The called number is
// always decoded, for the unused-slot test.
bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields, const FieldMask& wanted);

}  // namespace ostrel
