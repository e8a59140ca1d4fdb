#pragma once
// One 42-byte call record turned into the 18 numbered field texts.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

inline constexpr int kFieldCount = 18;

// The 18 texts of one record; Text(n) is field n (1-18). The strings are
// reused from record to record so that decoding allocates nothing once warm.
struct OcbFields {
  std::array<std::string, kFieldCount> texts;
  const std::string& Text(int field) const { return texts[static_cast<std::size_t>(field - 1)]; }
  std::string& Text(int field) { return texts[static_cast<std::size_t>(field - 1)]; }
  void Reset() {
    for (auto& text : texts) text.clear();
  }
};

// Caption of field n (1-18) as the output options show it.
const char* FieldCaption(int field);
// Fields written as plain unsigned numbers.
bool IsIntegerField(int field);

// Decodes `record` (42 bytes) into `fields` and tells whether it is a call.
// Records are dated against the first block header's year and day. In the
// last block of the data a called number that is empty or all 18 digits
// marks an unused slot, not a call.
bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields);

// Which fields to decode, indexed by field number (index 0 unused).
using FieldMask = std::array<bool, kFieldCount + 1>;
FieldMask MaskOf(const std::vector<int>& fields);

// The same for the fields in `wanted` only (the others are left as they
// are): an extraction decodes just what it writes. The called number is
// always decoded, for the unused-slot test.
bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields, const FieldMask& wanted);

}  // namespace ostrel
