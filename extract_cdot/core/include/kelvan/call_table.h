#pragma once
// kelvan's calls as table rows and database rows: a column per field 1 to 8,
// named by the window's "Data Options" captions, then the three columns every
// row ends with.
#include <vector>

#include "platform/call_store.h"
#include "platform/table_writer.h"

namespace kelvan {

// The captions of fields 1 to 8, as the window shows them.
inline constexpr const char* kFieldCaptions[8] = {
    "Date",     "Time",  "Calling Number",       "Called Number",
    "Duration", "Units", "O/G Trunk Group Name", "I/C Trunk Group Name"};

// The column of field 1-8: the duration, the units and the trunk groups are
// written from binary values, so they are digits or (group 0) nothing.
platform::Column FieldColumn(int field);

// The columns of `fields` (ascending field numbers), then call_start,
// source_file and record_no: a csv or jsonl run's columns.
std::vector<platform::Column> CallColumns(const std::vector<int>& fields);

// cdot_calls: every field, indexed on the calling and the called number.
platform::CallTableShape CallShape();

}  // namespace kelvan
