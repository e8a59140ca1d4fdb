#include "formats/ocb/digits.h"

#include "platform/digits.h"
#include "platform/numbers.h"

namespace formats::ocb {

namespace {}  // namespace

std::uint32_t ByteValue(const std::uint8_t* record, std::size_t offset, std::size_t length) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < length; ++k) value = value * 256 + record[offset + k];
  return value;
}

std::uint32_t BcdValue(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(bytes[i] >> 4);
    value = value * 10 + static_cast<std::uint32_t>(bytes[i] & 0x0F);
  }
  return value;
}

int LeadingNumberOfDamaged(const std::uint8_t* bytes, std::size_t count) {
  const double value = platform::LeadingNumber(platform::HexText(bytes, count));
  if (!(value < kLargestNumber)) return kLargestNumber;  // NaN too
  return value > 0 ? static_cast<int>(value) : 0;
}

void DropFillersInPlace(std::string& text) {
  std::size_t kept = 0;
  for (char c : text) {
    if (c != 'F') text[kept++] = c;
  }
  text.resize(kept);
}

std::string DropFillers(std::string_view text) {
  std::string out(text);
  DropFillersInPlace(out);
  return out;
}

std::size_t CalledNumberDigits(const std::uint8_t* record) {
  const Field& called = FieldAt(kCalledField);
  std::size_t digits = 0;
  for (std::size_t i = 0; i < called.size; ++i) {
    const std::uint8_t byte = record[called.offset + i];
    digits += (byte >> 4) != kFillerNibble;
    digits += (byte & 0x0F) != kFillerNibble;
  }
  return digits;
}

}  // namespace formats::ocb
