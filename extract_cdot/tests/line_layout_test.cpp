#include "kelvan/line_layout.h"

#include <gtest/gtest.h>

namespace kelvan {
namespace {

CdotFields Sample() {
  CdotFields f;
  f.date = "2005/03/07";
  f.time = "21:10:00";
  f.calling = "612345";
  f.called = "22334455";
  f.duration = 42;
  f.units = 3;
  f.outgoing_group = 34;
  f.incoming_group = 0;
  return f;
}

std::string Line(std::vector<int> fields, Layout layout, const std::string& delimiter_name,
                 const std::string& calling = "612345") {
  LineLayout layout_writer(std::move(fields), layout, DelimiterText(delimiter_name));
  std::string line;
  layout_writer.WriteLine(Sample(), calling, line);
  return line;
}

TEST(Pad, WidthPlusFiveAndLongTextsWhole) {
  EXPECT_EQ(Pad("2005/03/07", 1), "2005/03/07     ");
  EXPECT_EQ(Pad("", 5), std::string(10, ' '));
  EXPECT_EQ(Pad("123456789012345678901", 3), "123456789012345678901");    // exactly 21: no space
  EXPECT_EQ(Pad("4565123456789012345678", 3), "4565123456789012345678");  // longer: whole
  for (int f = 1; f <= 9; ++f)
    EXPECT_EQ(Pad("", f).size(), static_cast<std::size_t>(ColumnWidth(f) + 5));
  EXPECT_EQ(ColumnWidth(9), 5);
}

TEST(DelimiterText, NamesAndTypedText) {
  EXPECT_EQ(DelimiterText("Comma"), ",");
  EXPECT_EQ(DelimiterText("Tab"), "\t");
  EXPECT_EQ(DelimiterText("Space"), " ");
  EXPECT_EQ(DelimiterText("|"), "|");
  EXPECT_EQ(DelimiterText("comma"), "comma");  // only the exact names are names
  EXPECT_EQ(DelimiterText(""), "");
}

TEST(WriteLine, DelimitedNoDelimiterAtTheEnds) {
  EXPECT_EQ(Line({1, 3, 5}, Layout::kDelimited, "Comma", "4565612345"), "2005/03/07,4565612345,42");
  EXPECT_EQ(Line({1, 2}, Layout::kDelimited, "|"), "2005/03/07|21:10:00");
  EXPECT_EQ(Line({1, 2}, Layout::kDelimited, "Tab"), "2005/03/07\t21:10:00");
  EXPECT_EQ(Line({5, 6}, Layout::kDelimited, "Space"), "42 3");
  EXPECT_EQ(Line({7, 8, 4}, Layout::kDelimited, "Comma"), "34,,22334455");
  EXPECT_EQ(Line({2}, Layout::kDelimited, "Comma"), "21:10:00");
}

TEST(WriteLine, FixedWidthEveryColumnPaddedTheLastToo) {
  EXPECT_EQ(Line({3, 5}, Layout::kFixedWidth, "Comma"),
            "612345" + std::string(15, ' ') + "42" + std::string(8, ' '));
  const std::string all = Line({1, 2, 3, 4, 5, 6, 7, 8}, Layout::kFixedWidth, "Comma");
  EXPECT_EQ(all.size(), 112u);
  EXPECT_EQ(all.substr(0, 15), "2005/03/07     ");
  EXPECT_EQ(all.substr(15, 13), "21:10:00     ");
  EXPECT_EQ(all.substr(28 + 21 + 21 + 10 + 10, 11), "34         ");
  EXPECT_EQ(all.substr(101), std::string(11, ' '));  // empty incoming group
}

}  // namespace
}  // namespace kelvan
