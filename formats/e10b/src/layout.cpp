#include "formats/e10b/layout.h"

#include "platform/digits.h"

namespace formats::e10b {

bool IsE10bFile(const std::uint8_t* first) {
  int previous = first[kSequenceLowByte];
  for (int i = 1; i <= kTestedRecords; ++i) {
    const int x = first[kSequenceLowByte + kRecordSize * static_cast<std::size_t>(i)];
    if (x == 0) continue;
    if (x != previous + 1) return false;
    previous = x;
    if (i == kTestedRecords) return true;
  }
  return false;
}

std::string TimeText(const std::uint8_t* record) {
  static_assert(kTimeSize == 2);
  std::string text = "HH:MM:00";
  platform::PutHexDigits(text.data(), record[kTimeAt]);
  platform::PutHexDigits(text.data() + 3, record[kTimeAt + 1]);
  return text;
}

}  // namespace formats::e10b
