#include "formats/5ess/layout.h"

#include "platform/numbers.h"

namespace formats::five_ess {
namespace {

std::string SixDigits(double value) {
  const std::string text = "00000" + platform::ShortestDecimal(value, 6);
  return text.substr(text.size() - 6);
}

}  // namespace

bool IsFiveEssFile(const char* first) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(kTestedRecords); ++i) {
    if (first[kMarkerAt + kRecordSize * i] != kMarker) return false;
  }
  return true;
}

std::string DateText(double date) {
  const std::string d = SixDigits(date);
  return "20" + d.substr(0, 2) + "-" + d.substr(2, 2) + "-" + d.substr(4, 2);
}

std::string TimeText(double time) {
  const std::string t = SixDigits(time);
  return t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2);
}

}  // namespace formats::five_ess
