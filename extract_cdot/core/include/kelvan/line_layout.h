#pragma once
// The two line layouts: fixed-width columns (each column its width + 5
// characters) or the selected fields joined by a delimiter.
#include <string>
#include <string_view>
#include <vector>

#include "kelvan/field_text.h"

namespace kelvan {

enum class Layout { kFixedWidth, kDelimited };

constexpr int kColumnGap = 5;

// Width of field 1-9 (10 is a YYYY/MM/DD date, 8 a HH:MM:SS time).
int ColumnWidth(int field);

// The text followed by spaces up to the field's width + 5. A longer text is
// kept whole, with no spaces: cutting it would change a number.
std::string Pad(std::string_view text, int field);
void AppendPadded(std::string& line, std::string_view text, int field);

// "Comma" -> ",", "Tab" -> TAB, "Space" -> " ", anything else as typed.
std::string DelimiterText(std::string_view name);

class LineLayout {
 public:
  LineLayout(std::vector<int> field_selection, Layout layout, std::string delimiter)
      : fields_(std::move(field_selection)), layout_(layout), delimiter_(std::move(delimiter)) {}

  // The line of one record, without CR LF, into `line` (replaced). The
  // calling number written is `calling` (it may carry an area code).
  void WriteLine(const CdotFields& fields, std::string_view calling, std::string& line);

 private:
  std::vector<int> fields_;
  Layout layout_;
  std::string delimiter_;
  std::string text_;
};

}  // namespace kelvan
