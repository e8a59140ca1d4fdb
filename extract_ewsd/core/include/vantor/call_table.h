#pragma once
// vantor's calls as table rows: the columns of the slots a run writes, named
// by the window's captions, and the three columns every row ends with.
#include <vector>

#include "platform/call_store.h"
#include "platform/table_writer.h"

namespace vantor {

// The columns of `slots` (in the order given, each once), then call_start,
// source_file and record_no.
std::vector<platform::Column> CallColumns(const std::vector<int>& slots);

// The ewsd_calls table: a column for each of the 20 slots, in slot order.
platform::CallTableShape CallShape();

}  // namespace vantor
