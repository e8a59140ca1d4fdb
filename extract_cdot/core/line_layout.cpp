#include "kelvan/line_layout.h"

namespace kelvan {

int ColumnWidth(int field) {
  static const int kWidths[] = {10, 8, 16, 16, 5, 5, 6, 6, 5};
  return field >= kFirstField && field <= kLastField ? kWidths[field - 1] : 0;
}

void AppendPadded(std::string& line, std::string_view text, int field) {
  line.append(text);
  const std::size_t column = static_cast<std::size_t>(ColumnWidth(field) + kColumnGap);
  if (text.size() < column) line.append(column - text.size(), ' ');
}

std::string Pad(std::string_view text, int field) {
  std::string out;
  AppendPadded(out, text, field);
  return out;
}

std::string DelimiterText(std::string_view name) {
  if (name == "Comma") return ",";
  if (name == "Tab") return "\t";
  if (name == "Space") return " ";
  return std::string(name);
}

void LineLayout::WriteLine(const CdotFields& fields, std::string_view calling, std::string& line) {
  line.clear();
  bool first = true;
  for (int field : fields_) {
    // Text fields are used where they are; only numbers need a text made.
    std::string_view text;
    if (field == 1) {
      text = fields.date;
    } else if (field == 2) {
      text = fields.time;
    } else if (field == 3) {
      text = calling;
    } else if (field == 4) {
      text = fields.called;
    } else {
      FieldText(fields, field, text_);
      text = text_;
    }
    if (layout_ == Layout::kFixedWidth) {
      AppendPadded(line, text, field);
    } else {
      if (!first) line.append(delimiter_);
      line.append(text);
    }
    first = false;
  }
}

}  // namespace kelvan
