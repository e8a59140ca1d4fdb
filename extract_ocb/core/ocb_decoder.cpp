#include "ostrel/ocb_decoder.h"

#include "formats/ocb/dates.h"
#include "formats/ocb/digits.h"
#include "platform/digits.h"

namespace ostrel {

namespace {

// Both helpers build the text on the stack and assign it once: they run for
// every field of every record.
void SetInteger(std::string& text, std::uint32_t value) {
  char digits[12];
  char* end = digits + sizeof digits;
  char* begin = end;
  do {
    *--begin = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  text.assign(begin, end);
}

// The hex digits of the bytes without the F filler nibbles.
void SetNumber(std::string& text, const std::uint8_t* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char digits[32];
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned high = bytes[i] >> 4, low = bytes[i] & 0x0Fu;
    if (high != ocb::kFillerNibble) digits[n++] = kDigits[high];
    if (low != ocb::kFillerNibble) digits[n++] = kDigits[low];
  }
  text.assign(digits, n);
}

}  // namespace

FieldMask MaskOf(const std::vector<int>& fields) {
  FieldMask mask{};
  for (int field : fields)
    if (field >= 1 && field <= ocb::kFieldCount) mask[static_cast<std::size_t>(field)] = true;
  return mask;
}

bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields) {
  FieldMask all;
  all.fill(true);
  return DecodeRecord(record, header_year, header_day, last_block, fields, all);
}

bool DecodeRecord(const std::uint8_t* record, int header_year, int header_day, bool last_block,
                  OcbFields& fields, const FieldMask& wanted) {
  for (int n = 1; n <= ocb::kFieldCount; ++n) {
    if (!wanted[static_cast<std::size_t>(n)]) continue;
    const ocb::Field& field = ocb::FieldAt(n);
    switch (field.kind) {
      case ocb::FieldKind::kInteger:
        SetInteger(fields.Text(n), ocb::ByteValue(record, field.offset, field.size));
        break;
      case ocb::FieldKind::kDay:
      case ocb::FieldKind::kTime:
        break;  // both from one dating, below
      case ocb::FieldKind::kNumber: {
        std::size_t offset = field.offset;
        if (n == ocb::kCallingField) offset = ocb::CallingOffset(record);
        if (n == ocb::kIcTrunkField) offset = ocb::IcTrunkOffset(record);
        SetNumber(fields.Text(n), record + offset, field.size);
        break;
      }
      case ocb::FieldKind::kHex:
        fields.Text(n).clear();
        platform::AppendHexText(fields.Text(n), record + field.offset, field.size);
        break;
    }
  }
  if (wanted[ocb::kDateField] || wanted[ocb::kTimeField]) {
    const ocb::Field& date = ocb::FieldAt(ocb::kDateField);
    const int day = static_cast<int>(ocb::BcdValue(record + date.offset, date.size));
    ocb::CallDateInto(day, record + ocb::FieldAt(ocb::kTimeField).offset, header_year, header_day,
                      fields.Text(ocb::kDateField), fields.Text(ocb::kTimeField));
  }
  // The called number is always decoded: the unused-slot test reads it.
  if (!wanted[ocb::kCalledField]) {
    const ocb::Field& called = ocb::FieldAt(ocb::kCalledField);
    SetNumber(fields.Text(ocb::kCalledField), record + called.offset, called.size);
  }
  return !last_block || !ocb::IsUnusedSlot(record);
}

}  // namespace ostrel
