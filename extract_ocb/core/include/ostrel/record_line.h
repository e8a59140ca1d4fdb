#pragma once
// One call record written as its output line straight into output memory:
// the extraction's per-record path, with no string per field or per line.
// It gives the same text as DecodeRecord followed by FormatLine.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/ocb/dates.h"
#include "ostrel/ocb_decoder.h"

namespace ostrel {

class RecordLineFormatter {
 public:
  // `fields`: field numbers (1-18) in output order. Records are dated against
  // the first block header's year and day.
  RecordLineFormatter(const std::vector<int>& fields, int header_year, int header_day);

  // The most bytes one line can take, CR LF and some slack included: the
  // room to reserve before Format.
  std::size_t MaxLineBytes() const { return max_line_bytes_; }

  // Writes the line of `record` (42 bytes) and its CR LF at `out`, which has
  // room for MaxLineBytes(); returns the end of the line.
  char* Format(const std::uint8_t* record, char* out);
  // True when Format writes the fields separated by commas and nothing else
  // (no spaces around a last integer field).
  bool CommasOnly() const {
    return shape_ == Shape::kDefault || (shape_ == Shape::kOther && !spaced_last_);
  }

  // The text of field `field` (1-18) alone, as the line holds it, at `out`,
  // which has room for MaxLineBytes(); returns its end. Rows for other
  // tools take their values from here, so they equal the line's.
  char* PutField(int field, const std::uint8_t* record, char* out);
  // The date's text and then the time's (fields 4 and 5, as the line holds
  // them) at `out`, which has room for MaxLineBytes(); returns the end of
  // the date's, where the time's starts, and sets `end` to the time's end.
  char* PutDateAndTime(const std::uint8_t* record, char* out, char** end);

 private:
  template <int kField>
  char* Put(const std::uint8_t* record, char* out);
  template <int... kFields>
  char* PutWithCommas(const std::uint8_t* record, char* out);
  char* PutDate(const std::uint8_t* record, char* out);

  // The default and the all-fields selections have writers of their own.
  enum class Shape { kDefault, kAll, kOther };

  std::vector<int> fields_;
  Shape shape_ = Shape::kOther;
  bool spaced_last_ = false;  // an integer field last stands between spaces
  std::size_t max_line_bytes_ = 0;
  int header_year_ = 0;
  int header_day_ = 0;
  // Calls come in runs of the same day: its date text is made once per run.
  std::uint32_t date_key_ = 0xFFFFFFFF;
  std::array<char, ocb::kMaxDateText> date_text_{};
  std::size_t date_length_ = 0;
};

}  // namespace ostrel
