// C-DOT: the times of the records are not decoded; the file's date comes
// from its name and the whole day is reported. Records are counted up to
// the first one that fails the C-DOT record test.
#include <algorithm>

#include "engine/clock.h"
#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"

namespace lomtra {

// The date a C-DOT file's name gives: a base (the name up to its first ".",
// or the whole name when it has none) of 10 characters ending in DDMMYY, or
// any other base ending in DDMM with the clock's year. Characters are copied
// unchecked.
std::string CdotDateFromName(const std::string& path, int current_year) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string base = name.substr(0, name.find('.'));
  auto tail = [&](std::size_t count) {
    return base.size() > count ? base.substr(base.size() - count) : base;
  };
  // A "," or "|" in a name would break the result text or the report cell.
  auto part = [](const std::string& text, std::size_t at) {
    std::string two = at < text.size() ? text.substr(at, 2) : std::string();
    for (char& c : two) {
      if (c == ',' || c == '|') c = '?';
    }
    return two;
  };
  if (base.size() == 10) {
    const std::string d = tail(6);
    return "20" + part(d, 4) + "-" + part(d, 2) + "-" + part(d, 0);
  }
  const std::string d = tail(4);
  return "20" + TwoDigits(((current_year % 100) + 100) % 100) + "-" + part(d, 2) + "-" + part(d, 0);
}

std::string AnalyseCdot(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  DataFile file;
  file.OpenData(path);
  const std::uint64_t step = std::max<std::uint64_t>(file.Length() / 100, 1);
  const std::string date = CdotDateFromName(path.string(), context.clock.Now().year);
  std::uint64_t offset = 0;
  std::uint64_t count = 0;
  std::uint64_t next_step_end = step - 1;  // progress moves on past it
  for (;;) {
    const std::uint8_t* record = file.View(offset, 49);
    ++count;
    if (record[27] > 2) break;
    offset += 48;
    if (offset >= next_step_end) {
      const std::uint64_t value = (offset + 1) / step;
      next_step_end = (value + 1) * step - 1;
      if (host.ProgressValue() < 100) {
        host.SetProgress(static_cast<int>(std::min<std::uint64_t>(value, 100)));
      }
    }
    if (file.AtEnd()) break;
  }
  file.Close();
  host.SetProgress(100);
  return date + "   00:00:00," + date + "   23:59:59," + std::to_string(count);
}

}  // namespace lomtra
