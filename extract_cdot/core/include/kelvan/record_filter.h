#pragma once
// The area-code prefix of local calling numbers and the exact-match filter.
#include <string>
#include <string_view>

#include "kelvan/field_text.h"

namespace kelvan {

// A calling number of 5, 6 or 7 characters that does not begin with "0" gets
// the area code in front; any other number stays as it is. The result goes
// into `out` (replaced).
void PrefixAreaCode(std::string_view number, std::string_view area_code, std::string& out);
std::string PrefixAreaCode(std::string_view number, std::string_view area_code);

// The window's list order: "Calling No", "Called No", "ITgp ID", "OTgp ID".
enum class FilterField { kCallingNo, kCalledNo, kITgpId, kOTgpId };

// The field number a filter field compares: 3, 4, 8, 7.
int FilterFieldNumber(FilterField field);

class RecordFilter {
 public:
  RecordFilter() = default;  // passes every record
  RecordFilter(FilterField field, std::string value)
      : on_(true), field_(FilterFieldNumber(field)), value_(std::move(value)) {}

  // Same characters, same case; trunk groups as decimal text, an empty group
  // matching only an empty value. `calling` is the number as written.
  bool Passes(const CdotFields& fields, std::string_view calling);

 private:
  bool on_ = false;
  int field_ = 3;
  std::string value_;
  std::string text_;
};

}  // namespace kelvan
