#include "ostrel/call_table.h"

#include "ostrel/ocb_decoder.h"

namespace ostrel {

namespace {

// Integer fields are decoded from their bytes' value: nothing but digits.
// Numbers, trunk groups and the operator keep their texts (leading zeros,
// hex letters of damaged bytes). Every field is written in digits, hex
// letters, '-' and ':': plain.
platform::Column FieldColumn(int field) {
  return {ocb::FieldCaption(field), platform::SnakeCaseKey(ocb::FieldCaption(field)),
          ocb::IsIntegerField(field) ? platform::ColumnType::kInteger : platform::ColumnType::kText,
          false, true};
}

}  // namespace

std::vector<platform::Column> RowColumns(const FieldSelection& fields) {
  std::vector<platform::Column> columns;
  for (const int field : fields) columns.push_back(FieldColumn(field));
  platform::AddCallKeyColumns(&columns);
  return columns;
}

platform::CallTableShape CallTable() {
  platform::CallTableShape shape;
  shape.name = "ocb_calls";
  for (int field = 1; field <= ocb::kFieldCount; ++field)
    shape.columns.push_back(FieldColumn(field));
  shape.indexed_keys = {shape.columns[ocb::kCallingField - 1].key,
                        shape.columns[ocb::kCalledField - 1].key};
  return shape;
}

}  // namespace ostrel
