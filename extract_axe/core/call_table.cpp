#include "pardel/call_table.h"

namespace pardel {

std::vector<platform::Column> FieldColumns() {
  using platform::ColumnType;
  // Only the counters are numbers: the decoder gives their digits without
  // leading zeros. Numbers and codes keep their leading zeros and fillers.
  std::vector<platform::Column> columns = {
      {"Date", "", ColumnType::kText},
      {"Time", "", ColumnType::kText},
      {"A Number", "", ColumnType::kText},
      {"B Number", "", ColumnType::kText},
      {"First Counter", "", ColumnType::kInteger},
      {"Second Counter", "", ColumnType::kInteger},
      {"First Code", "", ColumnType::kText},
      {"Second Code", "", ColumnType::kText},
  };
  for (platform::Column& column : columns) column.key = platform::SnakeCaseKey(column.caption);
  return columns;
}

std::vector<platform::Column> CallColumns() {
  std::vector<platform::Column> columns = FieldColumns();
  platform::AddCallKeyColumns(&columns);
  return columns;
}

platform::CallTableShape AxeCallTable() {
  return {"axe_calls", FieldColumns(), {"a_number", "b_number"}};
}

}  // namespace pardel
