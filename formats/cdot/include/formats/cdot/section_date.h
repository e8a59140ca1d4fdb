#pragma once
// The date of a section and the evening rule: a section dated D starts with
// the evening calls (hours 20-23) of D - 1, until the first call of hour 19.
#include <cstdint>
#include <string>
#include <string_view>

namespace formats::cdot {

// "20" + YY + "/" + MM + "/" + DD from the six characters DDMMYY.
std::string SectionDate(std::string_view ddmmyy);

// The characters of a file's name that date a header-less file: 5-10, DDMMYY
// (fewer when the name is shorter).
std::string NameDigits(std::string_view file_name);

// Whether six characters DDMMYY are a day that exists (year 20YY). A name
// that is no date must not be turned into one: "empty.dat" would otherwise
// be dated from its letters.
bool IsRealDate(std::string_view ddmmyy);

// The calendar day before a YYYY/MM/DD text, across month, year and leap-day
// ends. A text that is no valid date is returned as it stands: a garbled
// header must not stop the file, and a made-up date would be worse.
std::string DayBefore(std::string_view date);

class SectionDating {
 public:
  // A new section (or file): the evening flag is cleared.
  void Start(std::string_view ddmmyy);
  // A new section with no known date: every call's date is empty.
  void StartUndated();
  // The date of a call with this time text; updates the evening flag.
  const std::string& DateOf(std::string_view time_text);
  // The same from the time's hour byte, without its text.
  const std::string& DateOfHour(std::uint8_t hour) {
    // The hour text begins with "19" for 19 and 190-199, with "2" for 20-29
    // and 200-255 (hours below 10 are written with a leading 0).
    if (hour == 19 || (hour >= 190 && hour <= 199)) evening_seen_ = true;
    const bool evening = (hour >= 20 && hour <= 29) || hour >= 200;
    return evening && !evening_seen_ ? day_before_ : date_;
  }
  bool EveningSeen() const { return evening_seen_; }
  // Takes up a section's walk where another left it.
  void SetEveningSeen(bool seen) { evening_seen_ = seen; }
  const std::string& Date() const { return date_; }

 private:
  std::string date_;
  std::string day_before_;
  bool evening_seen_ = false;
};

}  // namespace formats::cdot
