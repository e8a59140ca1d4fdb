#include "ocb_decoder.h"

#include "ocb_format.h"

namespace ostrel {

namespace {

const char* const kCaptions[kFieldCount] = {
    "Header Function Type",
    "Header Entity Type",
    "Calling Party Category",
    "Date Of Call",
    "Time Of Call",
    "Calling Number ID",
    "No of Access to Acc Fields",
    "Called Number",
    "Type Of Traffic",
    "Type Of Service",
    "Bearer Capacity",
    "Chargable Duration",
    "Number Of Charged Units",
    "O/G TGP Identification",
    "I/C TGP Identification",
    "Reserved Bit Information",
    "Operator Identification",
    "Operator Service Class",
};

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
    if (high != 0x0F) digits[n++] = kDigits[high];
    if (low != 0x0F) digits[n++] = kDigits[low];
  }
  text.assign(digits, n);
}

}  // namespace

const char* FieldCaption(int field) {
  return field >= 1 && field <= kFieldCount ? kCaptions[field - 1] : "";
}

bool IsIntegerField(int field) {
  switch (field) {
    case 1:
    case 2:
    case 3:
    case 7:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 16:
    case 18:
      return true;
    default:
      return false;
  }
}

FieldMask MaskOf(const std::vector<int>& fields) {
  FieldMask mask{};
  for (int field : fields)
    if (field >= 1 && field <= kFieldCount) mask[static_cast<std::size_t>(field)] = true;
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
  auto want = [&](int field) { return wanted[static_cast<std::size_t>(field)]; };
  if (want(1)) SetInteger(fields.Text(1), record[0]);
  if (want(2)) SetInteger(fields.Text(2), record[1]);
  if (want(3)) SetInteger(fields.Text(3), record[2]);
  if (want(4) || want(5)) {
    const int day = static_cast<int>(BcdValue(record + 3, 2));
    CallDateInto(day, record + 5, header_year, header_day, fields.Text(4), fields.Text(5));
  }
  // Outgoing-type records carry the trunk group first and the caller second.
  const bool swapped = record[0] == 0x30 || record[0] == 0x10;
  if (want(6)) SetNumber(fields.Text(6), record + (swapped ? 13 : 8), 5);
  if (want(15)) SetNumber(fields.Text(15), record + (swapped ? 8 : 13), 5);
  SetNumber(fields.Text(8), record + 18, 9);
  if (want(9)) SetInteger(fields.Text(9), record[27]);
  if (want(10)) SetInteger(fields.Text(10), record[28]);
  if (want(11)) SetInteger(fields.Text(11), record[29]);
  if (want(12)) SetInteger(fields.Text(12), ByteValue(record, 30, 2));
  if (want(13)) SetInteger(fields.Text(13), ByteValue(record, 32, 3));
  if (want(14)) SetNumber(fields.Text(14), record + 35, 2);
  if (want(7)) SetInteger(fields.Text(7), record[37]);
  if (want(16)) SetInteger(fields.Text(16), record[38]);
  if (want(17)) {
    fields.Text(17).clear();
    AppendHexText(fields.Text(17), record + 39, 2);
  }
  if (want(18)) SetInteger(fields.Text(18), record[41]);

  if (!last_block) return true;
  const std::size_t called_length = fields.Text(8).size();
  return called_length != 0 && called_length != 18;
}

}  // namespace ostrel
