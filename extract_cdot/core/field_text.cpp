#include "kelvan/field_text.h"

#include "kelvan/record_text.h"

namespace kelvan {

namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  char buffer[24];
  out.append(buffer, platform::PutDecimal(buffer, value));
}

}  // namespace

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
