#include "kelvan/record_formatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdrgen/bytes.h"
#include "cdrgen/cdot_builder.h"
#include "kelvan/field_text.h"
#include "kelvan/record_filter.h"

namespace kelvan {
namespace {

using formats::cdot::DecodeCalled;
using formats::cdot::DecodeRest;

// Formats into a buffer of exactly MaxLineBytes() followed by a guard that
// must stay untouched.
std::string Format(const RecordFormatter& formatter, const std::uint8_t* record,
                   std::string_view date) {
  std::vector<char> buffer(formatter.MaxLineBytes() + 64, '#');
  const char* end = formatter.Format(record, date, buffer.data());
  EXPECT_LE(static_cast<std::size_t>(end - buffer.data()), formatter.MaxLineBytes());
  for (std::size_t i = formatter.MaxLineBytes(); i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], '#') << "stored past the room at " << i;
  }
  return std::string(static_cast<const char*>(buffer.data()), end);
}

// The same line the slow way: decoded fields through LineLayout.
std::string Expected(const std::vector<int>& fields, Layout layout, const std::string& delimiter,
                     const std::string& area_code, const std::uint8_t* record,
                     const std::string& date) {
  CdotFields decoded;
  DecodeCalled(record, decoded);
  DecodeRest(record, decoded);
  decoded.date = date;
  const std::string calling =
      area_code.empty() ? decoded.calling : PrefixAreaCode(decoded.calling, area_code);
  LineLayout layout_writer(fields, layout, delimiter);
  std::string line;
  layout_writer.WriteLine(decoded, calling, line);
  return line + "\r\n";
}

TEST(RecordFormatter, DefaultLineOfABuiltRecord) {
  const cdrgen::Bytes record = cdrgen::CdotRecordBytes(cdrgen::CdotRecord{});
  const RecordFormatter comma({1, 2, 3, 4, 5, 6, 7, 8}, Layout::kDelimited, ",");
  EXPECT_EQ(Format(comma, record.data(), "2005/03/07"),
            "2005/03/07,10:15:30,612345,22334455,42,3,34,12\r\n");
  const RecordFormatter area({1, 2, 3, 4, 5, 6, 7, 8}, Layout::kDelimited, ",", "0471");
  EXPECT_EQ(Format(area, record.data(), "2005/03/07"),
            "2005/03/07,10:15:30,0471612345,22334455,42,3,34,12\r\n");
  const RecordFormatter fixed({1, 2, 3, 4, 5, 6, 7, 8}, Layout::kFixedWidth, ",");
  EXPECT_EQ(Format(fixed, record.data(), "2005/03/07"),
            "2005/03/07     10:15:30     612345               22334455             "
            "42        3         34         12         \r\n");
}

TEST(RecordFormatter, NoValueFieldsAndShortDates) {
  cdrgen::CdotRecord r;
  r.units_ff = true;  // the copy stands in
  r.units_copy = 7;
  r.incoming_ff = true;
  r.outgoing_group = 0;
  r.duration_ms = 2500;  // half a second rounds to the even 2
  r.hour = 7;
  const cdrgen::Bytes record = cdrgen::CdotRecordBytes(r);
  const RecordFormatter comma({1, 2, 3, 4, 5, 6, 7, 8}, Layout::kDelimited, ",");
  EXPECT_EQ(Format(comma, record.data(), "20/"), "20/,07:15:30,612345,22334455,2,7,,\r\n");
  const RecordFormatter copy({9, 6}, Layout::kDelimited, ",");
  EXPECT_EQ(Format(copy, record.data(), ""), "7,7\r\n");
}

TEST(RecordFormatter, SameLinesAsTheFieldLayoutForAnyRecord) {
  const std::vector<std::vector<int>> selections = {
      {1, 2, 3, 4, 5, 6, 7, 8}, {3}, {1, 3, 5, 7}, {4, 8, 9}, {2, 6}, {}, {8, 7, 3}};
  const std::vector<std::string> delimiters = {",", "\t", " ", "<->", ""};
  const std::vector<std::string> dates = {"2005/03/07", "2005/03/06", "20ab/c", ""};
  cdrgen::Random random(11);
  for (int i = 0; i < 4000; ++i) {
    std::uint8_t record[kRecordSize];
    for (auto& b : record) b = static_cast<std::uint8_t>(random.Between(0, 255));
    if (i % 2 == 0) {  // most records are plain calls
      cdrgen::CdotRecord r;
      r.called = random.DigitString(random.Between(0, 20));
      r.calling = random.DigitString(random.Between(0, 20));
      r.duration_ms = random.Between(0, 5000000);
      r.hour = static_cast<int>(random.Between(0, 23));
      const cdrgen::Bytes built = cdrgen::CdotRecordBytes(r);
      std::copy(built.begin(), built.end(), record);
    }
    const auto& fields = selections[static_cast<std::size_t>(i) % selections.size()];
    const std::string& date = dates[static_cast<std::size_t>(i / 7) % dates.size()];
    const std::string area_code = i % 3 == 0 ? "0471" : i % 3 == 1 ? "" : "12345678901234567890";
    for (const std::string& delimiter : delimiters) {
      const RecordFormatter delimited(fields, Layout::kDelimited, delimiter, area_code);
      ASSERT_EQ(Format(delimited, record, date),
                Expected(fields, Layout::kDelimited, delimiter, area_code, record, date))
          << "case " << i;
    }
    const RecordFormatter fixed(fields, Layout::kFixedWidth, ",", area_code);
    ASSERT_EQ(Format(fixed, record, date),
              Expected(fields, Layout::kFixedWidth, ",", area_code, record, date))
        << "case " << i;
  }
}

TEST(RecordFormatter, AreaCodeOnlyForLocalNumbers) {
  const RecordFormatter calling({3}, Layout::kDelimited, ",", "0471");
  for (const std::string number : {"1234", "12345", "1234567", "12345678", "0123456", ""}) {
    cdrgen::CdotRecord r;
    r.calling = number;
    const cdrgen::Bytes record = cdrgen::CdotRecordBytes(r);
    const bool local = number.size() >= 5 && number.size() <= 7 && number[0] != '0';
    EXPECT_EQ(Format(calling, record.data(), ""), (local ? "0471" : "") + number + "\r\n");
  }
}

}  // namespace
}  // namespace kelvan
