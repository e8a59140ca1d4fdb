// The C-DOT section reader over any bytes: each step moves forward and the
// walk ends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/cdot/section_reader.h"
#include "fuzz_input.h"
#include "kelvan/field_text.h"
#include "kelvan/record_formatter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size, "TG150606.DAT");
  formats::cdot::CdotSectionReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  std::string text;
  // The run's lines, each made within the room it asks for: the default
  // line, fixed width with a long area code, and any fields with a
  // delimiter of several characters.
  const kelvan::RecordFormatter formatters[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8}, kelvan::Layout::kDelimited, ","},
      {{1, 2, 3, 4, 5, 6, 7, 8}, kelvan::Layout::kFixedWidth, ",", "0471047104710471"},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9}, kelvan::Layout::kDelimited, "<>", "0471"}};
  // Rooms of exactly the size asked for, so a sanitizer sees any store past.
  std::vector<std::vector<char>> rooms;
  for (const auto& formatter : formatters) rooms.emplace_back(formatter.MaxLineBytes());
  std::uint64_t steps = 0;
  for (;;) {
    const auto step = reader.Next();
    if (step == formats::cdot::CdotSectionReader::Step::kFinished) break;
    if (step == formats::cdot::CdotSectionReader::Step::kRecord) {
      for (int field = 1; field <= 9; ++field) {
        text.clear();
        kelvan::FieldText(reader.Fields(), field, text);
      }
      for (std::size_t i = 0; i < rooms.size(); ++i) {
        char* room = rooms[i].data();
        const char* end = formatters[i].Format(reader.Record(), reader.RecordDate(), room);
        if (end < room || end > room + rooms[i].size()) __builtin_trap();
      }
    }
    // No step reads less than a byte, so there are never more steps than bytes.
    if (++steps > size + 2) __builtin_trap();
  }
  reader.Close();
  return 0;
}
