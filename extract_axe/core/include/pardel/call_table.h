#pragma once
// pardel's calls as table rows: the eight fields of its line, named after the
// line, and the three columns every row of another tool's format ends with.
#include <vector>

#include "platform/call_store.h"
#include "platform/table_writer.h"

namespace pardel {

// The line's fields in its order: Date, Time, A Number, B Number, First
// Counter, Second Counter, First Code, Second Code.
std::vector<platform::Column> FieldColumns();

// The columns of a csv or jsonl run: every field (pardel has no field
// choice), then call_start, source_file and record_no.
std::vector<platform::Column> CallColumns();

// The database table axe_calls: every field, the A and B numbers indexed.
platform::CallTableShape AxeCallTable();

}  // namespace pardel
