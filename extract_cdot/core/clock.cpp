#include "kelvan/clock.h"

namespace kelvan {

std::string StatusDateText(const ClockReading& date) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = date.month >= 1 && date.month <= 12 ? date.month : 1;
  return std::to_string(date.day) + " " + kMonths[month - 1] + " " + std::to_string(date.year);
}

}  // namespace kelvan
