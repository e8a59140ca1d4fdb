#pragma once
// vantor's calls as table rows: the columns of the slots a run writes, named
// by the window's captions, and the three columns every row ends with.
#include <vector>

#include "platform/table_writer.h"

namespace vantor {

// The columns of `slots` (in the order given, each once), then call_start,
// source_file and record_no.
std::vector<platform::Column> CallColumns(const std::vector<int>& slots);

}  // namespace vantor
