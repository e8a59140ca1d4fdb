#pragma once
// ostrel's calls as table rows: a column per numbered field, named by the
// window's captions, for csv and jsonl runs (the chosen fields) and for the
// databases (every field, so that one table serves every run).
#include <vector>

#include "ostrel/extraction_run.h"
#include "platform/call_store.h"
#include "platform/table_writer.h"

namespace ostrel {

// The columns of `fields` (ascending field numbers), then call_start,
// source_file and record_no.
std::vector<platform::Column> RowColumns(const FieldSelection& fields);

// The ocb_calls table: fields 1 to 18, indexes on the calling and the called
// number.
platform::CallTableShape CallTable();

}  // namespace ostrel
