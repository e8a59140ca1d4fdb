#pragma once
// The record's values as the output options number them, and their texts.
#include <string>

#include "formats/cdot/fields.h"
#include "formats/cdot/layout.h"

namespace kelvan {

// The record's layout and decoders are the format's own.
using formats::cdot::CdotFields;
using formats::cdot::kRecordSize;

// Field numbers 1-8 are the output options; 9 only stands in for 6.
constexpr int kFirstField = 1;
constexpr int kLastOutputField = 8;
constexpr int kLastField = 9;

// Text of field 1-9 into `out` (replaced): numbers in decimal, trunk group 0
// as empty text.
void FieldText(const CdotFields& fields, int field, std::string& out);

}  // namespace kelvan
