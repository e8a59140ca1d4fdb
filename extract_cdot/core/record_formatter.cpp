#include "record_formatter.h"

#include <algorithm>
#include <cstring>

#include "cdot_fields.h"
#include "record_text.h"

namespace kelvan {

namespace {

// Widest column + gap (21) and then some: the spaces put down before a
// fixed-width field is written over them.
constexpr char kSpaces[] = "                                ";
constexpr std::size_t kSpaceRun = sizeof kSpaces - 1;

// Longest text of a field apart from the area code: dates are 10
// characters, times 11, numbers 20 digits.
constexpr std::size_t kMaxFieldText = 20;

char* PutNumber(std::uint64_t value, char* out) { return PutDecimal(value, out); }

// Trunk group 0 stands for "no group" and is written as nothing.
char* PutGroup(std::uint32_t group, char* out) {
  return group == 0 ? out : PutDecimal(group, out);
}

}  // namespace

RecordFormatter::RecordFormatter(std::vector<int> field_selection, Layout layout,
                                 std::string delimiter, std::string area_code)
    : fields_(std::move(field_selection)),
      fixed_width_(layout == Layout::kFixedWidth),
      delimiter_(std::move(delimiter)),
      area_code_(std::move(area_code)) {
  static_assert(kSpaceRun >= kMaxDigits + kColumnGap - 4 && kSpaceRun <= kWriteSlack);
  const std::size_t per_field =
      std::max(kMaxFieldText, kSpaceRun) + area_code_.size() + delimiter_.size();
  max_line_bytes_ = fields_.size() * per_field + 2 + kWriteSlack;
}

char* RecordFormatter::PutCalling(const std::uint8_t* record, char* out) const {
  if (area_code_.empty()) return PutDigits(record + kCallingOffset, kNumberSize, out);
  char digits[kMaxDigits];
  std::memcpy(digits, kSpaces, kMaxDigits);
  const char* end = PutDigits(record + kCallingOffset, kNumberSize, digits);
  const std::size_t size = static_cast<std::size_t>(end - digits);
  // Local numbers (5 to 7 digits, no leading 0) get the area code.
  if (size >= 5 && size <= 7 && digits[0] != '0') {
    std::memcpy(out, area_code_.data(), area_code_.size());
    out += area_code_.size();
  }
  std::memcpy(out, digits, kMaxDigits);
  return out + size;
}

char* RecordFormatter::PutField(int field, const std::uint8_t* record, std::string_view date,
                                char* out) const {
  switch (field) {
    case 1:
      if (date.size() == 10) {
        std::memcpy(out, date.data(), 10);
        return out + 10;
      }
      std::memcpy(out, date.data(), std::min(date.size(), kMaxFieldText));
      return out + std::min(date.size(), kMaxFieldText);
    case 2:
      return PutTime(record + kTimeOffset, out);
    case 3:
      return PutCalling(record, out);
    case 4:
      return PutDigits(record + kCalledOffset, kNumberSize, out);
    case 5:
      return PutNumber(RoundedSeconds(Value32(record + kDurationOffset)), out);
    case 6: {
      const std::uint64_t units = Value32(record + kUnitsOffset);
      return PutNumber(units != 0 ? units : Value32(record + kUnitsCopyOffset), out);
    }
    case 7:
      return PutGroup(Value16(record + kOutgoingOffset), out);
    case 8:
      return PutGroup(Value16(record + kIncomingOffset), out);
    case 9:
      return PutNumber(Value32(record + kUnitsCopyOffset), out);
    default:
      return out;
  }
}

char* RecordFormatter::Format(const std::uint8_t* record, std::string_view date, char* out) const {
  if (fixed_width_) {
    for (int field : fields_) {
      // Spaces first, the text over them: the column is then as wide as the
      // text or its width + gap, whichever is more.
      std::memcpy(out, kSpaces, kSpaceRun);
      char* end = PutField(field, record, date, out);
      out = std::max(end, out + ColumnWidth(field) + kColumnGap);
    }
  } else if (delimiter_.size() == 1) {
    const char delimiter = delimiter_[0];
    for (int field : fields_) {
      out = PutField(field, record, date, out);
      *out++ = delimiter;
    }
    if (!fields_.empty()) --out;
  } else {
    bool first = true;
    for (int field : fields_) {
      if (!first) {
        std::memcpy(out, delimiter_.data(), delimiter_.size());
        out += delimiter_.size();
      }
      first = false;
      out = PutField(field, record, date, out);
    }
  }
  out[0] = '\r';
  out[1] = '\n';
  return out + 2;
}

}  // namespace kelvan
