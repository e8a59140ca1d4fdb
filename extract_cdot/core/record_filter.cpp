#include "kelvan/record_filter.h"

namespace kelvan {

void PrefixAreaCode(std::string_view number, std::string_view area_code, std::string& out) {
  out.clear();
  const bool local = number.size() >= 5 && number.size() <= 7 && number[0] != '0';
  if (local) out.append(area_code);
  out.append(number);
}

std::string PrefixAreaCode(std::string_view number, std::string_view area_code) {
  std::string out;
  PrefixAreaCode(number, area_code, out);
  return out;
}

int FilterFieldNumber(FilterField field) {
  switch (field) {
    case FilterField::kCallingNo:
      return 3;
    case FilterField::kCalledNo:
      return 4;
    case FilterField::kITgpId:
      return 8;
    case FilterField::kOTgpId:
      return 7;
  }
  return 3;
}

bool RecordFilter::Passes(const CdotFields& fields, std::string_view calling) {
  if (!on_) return true;
  if (field_ == 3) return calling == value_;
  FieldText(fields, field_, text_);
  return text_ == value_;
}

}  // namespace kelvan
