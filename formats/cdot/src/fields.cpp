#include "formats/cdot/fields.h"

#include <cstring>

#include "formats/cdot/digits.h"

namespace formats::cdot {

void DecodeDigits(const std::uint8_t* bytes, std::size_t count, std::string& out) {
  out.resize(2 * count);
  out.resize(static_cast<std::size_t>(PutDigits(out.data(), bytes, count) - out.data()));
}

std::string DecodeDigits(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  DecodeDigits(bytes, count, out);
  return out;
}

void TimeText(const std::uint8_t* bytes, std::string& out) {
  char buffer[16];
  out.assign(buffer, PutTime(buffer, bytes));
}

void DecodeCalled(const std::uint8_t* record, CdotFields& fields) {
  DecodeDigits(record + kCalledOffset, kNumberSize, fields.called);
}

bool IsSectionEnd(const CdotFields& fields) {
  return IsSectionEnd(fields.called.data(), fields.called.size());
}

bool IsSectionEnd(const char* called, std::size_t size) {
  // The next section's header begins with the ASCII text 0707.
  return size >= kSectionEndDigits.size() &&
         std::memcmp(called, kSectionEndDigits.data(), kSectionEndDigits.size()) == 0;
}

void DecodeRest(const std::uint8_t* record, CdotFields& fields) {
  DecodeDigits(record + kCallingOffset, kNumberSize, fields.calling);
  fields.duration = RoundedSeconds(Value32(record + kDurationOffset));
  TimeText(record + kTimeOffset, fields.time);
  fields.incoming_group = Value16(record + kIncomingOffset);
  fields.units_copy = Value32(record + kUnitsCopyOffset);
  fields.units = Value32(record + kUnitsOffset);
  if (fields.units == 0) fields.units = fields.units_copy;
  fields.outgoing_group = Value16(record + kOutgoingOffset);
}

}  // namespace formats::cdot
