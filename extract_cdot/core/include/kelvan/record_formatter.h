#pragma once
// The line of a record made straight from its 48 bytes into the output
// buffer: what LineLayout does from decoded fields, without a string per
// field or per line, for the run's hot loop.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kelvan/line_layout.h"

namespace kelvan {

class RecordFormatter {
 public:
  // `area_code` goes in front of local calling numbers; empty for none.
  RecordFormatter(std::vector<int> field_selection, Layout layout, std::string delimiter,
                  std::string area_code = std::string());

  // Room Format may use for one line, stores past the end included.
  std::size_t MaxLineBytes() const { return max_line_bytes_; }

  // The record's line and CR LF at `out` (room for MaxLineBytes()); returns
  // the end of the line. `date` is the record's date text (a section date
  // is 10 characters; more than 20 are cut).
  char* Format(const std::uint8_t* record, std::string_view date, char* out) const {
    return (this->*format_)(record, date, out);
  }

  // The calling number as written (area code included) at `out`, which has
  // room for kMaxDigits + the area code.
  char* PutCalling(const std::uint8_t* record, char* out) const;

  // The text of field 1-9 as the line writes it (area code included, no
  // padding) at `out`, with room for kMaxDigits + the area code + kWriteSlack.
  char* PutField(int field, const std::uint8_t* record, std::string_view date, char* out) const;

 private:
  template <bool kFixedWidth>
  char* FormatEveryField(const std::uint8_t* record, std::string_view date, char* out) const;
  char* FormatSelected(const std::uint8_t* record, std::string_view date, char* out) const;

  std::vector<int> fields_;
  bool fixed_width_;
  std::string delimiter_;
  std::string area_code_;
  // The way lines are made, chosen once: the default line (every field 1
  // to 8 in order) has a way of its own.
  char* (RecordFormatter::*format_)(const std::uint8_t*, std::string_view, char*) const;
  std::size_t max_line_bytes_ = 0;
};

}  // namespace kelvan
