#include "kelvan/call_table.h"

namespace kelvan {

platform::Column FieldColumn(int field) {
  const char* caption = kFieldCaptions[field - 1];
  return {caption, platform::SnakeCaseKey(caption),
          field >= 5 ? platform::ColumnType::kInteger : platform::ColumnType::kText};
}

std::vector<platform::Column> CallColumns(const std::vector<int>& fields) {
  std::vector<platform::Column> columns;
  for (const int field : fields) columns.push_back(FieldColumn(field));
  platform::AddCallKeyColumns(&columns);
  return columns;
}

platform::CallTableShape CallShape() {
  platform::CallTableShape shape;
  shape.name = "cdot_calls";
  for (int field = 1; field <= 8; ++field) shape.columns.push_back(FieldColumn(field));
  shape.indexed_keys = {"calling_number", "called_number"};
  return shape;
}

}  // namespace kelvan
