#include "formats/axe/records.h"

#include <cmath>

#include "platform/numbers.h"

namespace formats::axe {

double NumberValue(std::string_view text, Reading::Numbers numbers) {
  return numbers == Reading::Numbers::kSignedLeadingNumber ? platform::LeadingNumber(text)
                                                           : platform::DigitFirstNumber(text);
}

std::size_t UnusualRecordLength(std::string_view head, const Reading& reading) {
  double length = NumberValue(head, reading.numbers);
  if (reading.fractional_length == Reading::FractionalLength::kWholePart) {
    length = std::floor(length);
  } else if (length != std::floor(length)) {
    return 0;
  }
  // Below 1 (or no number at all) ends the block, so a walk always advances.
  if (!(length >= 1)) return 0;
  return length > static_cast<double>(kBlockSize) ? kBlockSize : static_cast<std::size_t>(length);
}

}  // namespace formats::axe
