#pragma once
// The texts of a record's fields written straight into a caller's buffer,
// from lookup tables: a line is made with no string per field. Every writer
// returns the end of what it wrote and may store a few spaces past it (room
// for that is in kWriteSlack): a fixed-width column, spaces already, stays
// as it is.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/cdot/digits.h"
#include "platform/digits.h"

namespace kelvan {

// The record's digits and times are the format's own writers.
using formats::cdot::kMaxDigits;
using formats::cdot::PutDigits;
using formats::cdot::PutNumberField;
using formats::cdot::PutTime;

// Bytes a writer may store past the end it returns (spaces).
constexpr std::size_t kWriteSlack = 32;

}  // namespace kelvan
