#include "cdot_fields.h"

#include <cstring>

#include "record_text.h"

namespace kelvan {

namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  char buffer[24];
  out.append(buffer, PutDecimal(value, buffer));
}

}  // namespace

void DecodeDigits(const std::uint8_t* bytes, std::size_t count, std::string& out) {
  out.resize(2 * count);
  out.resize(static_cast<std::size_t>(PutDigits(bytes, count, out.data()) - out.data()));
}

std::string DecodeDigits(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  DecodeDigits(bytes, count, out);
  return out;
}

void TimeText(const std::uint8_t* bytes, std::string& out) {
  char buffer[16];
  out.assign(buffer, PutTime(bytes, buffer));
}

void DecodeCalled(const std::uint8_t* record, CdotFields& fields) {
  DecodeDigits(record + kCalledOffset, kNumberSize, fields.called);
}

bool IsSectionEnd(const CdotFields& fields) {
  return IsSectionEnd(fields.called.data(), fields.called.size());
}

bool IsSectionEnd(const char* called, std::size_t size) {
  // The next section's header begins with the ASCII text 0707.
  return size >= 8 && std::memcmp(called, "30373037", 8) == 0;
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

void FieldText(const CdotFields& fields, int field, std::string& out) {
  out.clear();
  switch (field) {
    case 1:
      out.assign(fields.date);
      break;
    case 2:
      out.assign(fields.time);
      break;
    case 3:
      out.assign(fields.calling);
      break;
    case 4:
      out.assign(fields.called);
      break;
    case 5:
      AppendNumber(out, fields.duration);
      break;
    case 6:
      AppendNumber(out, fields.units);
      break;
    case 7:
      if (fields.outgoing_group != 0) AppendNumber(out, fields.outgoing_group);
      break;
    case 8:
      if (fields.incoming_group != 0) AppendNumber(out, fields.incoming_group);
      break;
    case 9:
      AppendNumber(out, fields.units_copy);
      break;
    default:
      break;
  }
}

}  // namespace kelvan
