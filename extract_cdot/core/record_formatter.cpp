#include "kelvan/record_formatter.h"

#include <algorithm>
#include <cstring>

#include "formats/cdot/fields.h"
#include "formats/cdot/layout.h"
#include "kelvan/field_text.h"
#include "kelvan/record_text.h"

namespace kelvan {

namespace {

// Where the fields lie and how their values read: the format's own rules.
using namespace formats::cdot;

// Widest column + gap (21) and then some: the spaces put down before a
// fixed-width field is written over them.
constexpr char kSpaces[] = "                                ";
constexpr std::size_t kSpaceRun = sizeof kSpaces - 1;

// Longest text of a field apart from the area code: dates are 10
// characters, times 11, numbers 20 digits.
constexpr std::size_t kMaxFieldText = 20;

char* PutDate(std::string_view date, char* out) {
  if (date.size() == 10) {
    std::memcpy(out, date.data(), 10);
    return out + 10;
  }
  const std::size_t size = std::min(date.size(), kMaxFieldText);
  std::memcpy(out, date.data(), size);
  return out + size;
}

char* PutUnits(const std::uint8_t* record, char* out) {
  // The copy stands in when the first counter is 0 or has no value.
  const std::uint64_t units = Value32(record + kUnitsOffset);
  return platform::PutDecimal(out, units != 0 ? units : Value32(record + kUnitsCopyOffset));
}

// Trunk group 0 stands for "no group" and is written as nothing.
char* PutGroup(std::uint32_t group, char* out) {
  return group == 0 ? out : platform::PutDecimal(out, group);
}

bool IsEveryField(const std::vector<int>& fields) {
  if (fields.size() != static_cast<std::size_t>(kLastOutputField)) return false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i] != static_cast<int>(i) + kFirstField) return false;
  }
  return true;
}

}  // namespace

RecordFormatter::RecordFormatter(std::vector<int> field_selection, Layout layout,
                                 std::string delimiter, std::string area_code)
    : fields_(std::move(field_selection)),
      fixed_width_(layout == Layout::kFixedWidth),
      delimiter_(std::move(delimiter)),
      area_code_(std::move(area_code)),
      format_(&RecordFormatter::FormatSelected) {
  if (IsEveryField(fields_) && fixed_width_) format_ = &RecordFormatter::FormatEveryField<true>;
  if (IsEveryField(fields_) && !fixed_width_ && delimiter_.size() == 1)
    format_ = &RecordFormatter::FormatEveryField<false>;
  // The spaces cover the widest column (a number's 16 + the gap) and stay
  // within the slack every line has room for.
  static_assert(kSpaceRun >= 16 + kColumnGap && kSpaceRun <= kWriteSlack);
  const std::size_t per_field = kSpaceRun + area_code_.size() + delimiter_.size();
  static_assert(kSpaceRun >= kMaxFieldText);
  max_line_bytes_ = fields_.size() * per_field + 2 + kWriteSlack;
}

char* RecordFormatter::PutCalling(const std::uint8_t* record, char* out) const {
  if (area_code_.empty()) return PutNumberField(out, record + kCallingOffset);
  char digits[kMaxDigits];
  std::memcpy(digits, kSpaces, kMaxDigits);
  const char* end = PutNumberField(digits, record + kCallingOffset);
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
      return PutDate(date, out);
    case 2:
      return PutTime(out, record + kTimeOffset);
    case 3:
      return PutCalling(record, out);
    case 4:
      return PutNumberField(out, record + kCalledOffset);
    case 5:
      return platform::PutDecimal(out, RoundedSeconds(Value32(record + kDurationOffset)));
    case 6:
      return PutUnits(record, out);
    case 7:
      return PutGroup(Value16(record + kOutgoingOffset), out);
    case 8:
      return PutGroup(Value16(record + kIncomingOffset), out);
    case 9:
      return platform::PutDecimal(out, Value32(record + kUnitsCopyOffset));
    default:
      return out;
  }
}

template <bool kFixedWidth>
char* RecordFormatter::FormatEveryField(const std::uint8_t* record, std::string_view date,
                                        char* out) const {
  // The default line, field after field without a choice per field.
  const char delimiter = kFixedWidth ? ' ' : delimiter_[0];
  char* p = out;
  auto next = [&p, delimiter](int field, char* end) {
    if constexpr (kFixedWidth) {
      (void)delimiter;
      p = std::max(end, p + ColumnWidth(field) + kColumnGap);
      std::memcpy(p, kSpaces, kSpaceRun);
    } else {
      (void)field;
      *end = delimiter;
      p = end + 1;
    }
  };
  if constexpr (kFixedWidth) std::memcpy(p, kSpaces, kSpaceRun);
  next(1, PutDate(date, p));
  next(2, PutTime(p, record + kTimeOffset));
  next(3, area_code_.empty() ? PutNumberField(p, record + kCallingOffset) : PutCalling(record, p));
  next(4, PutNumberField(p, record + kCalledOffset));
  next(5, platform::PutDecimal(p, RoundedSeconds(Value32(record + kDurationOffset))));
  next(6, PutUnits(record, p));
  next(7, PutGroup(Value16(record + kOutgoingOffset), p));
  char* end = PutGroup(Value16(record + kIncomingOffset), p);
  if constexpr (kFixedWidth) end = std::max(end, p + ColumnWidth(8) + kColumnGap);
  end[0] = '\r';
  end[1] = '\n';
  return end + 2;
}

char* RecordFormatter::FormatSelected(const std::uint8_t* record, std::string_view date,
                                      char* out) const {
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
