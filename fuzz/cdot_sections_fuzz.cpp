// The C-DOT section reader over any bytes: each step moves forward and the
// walk ends.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "cdot_fields.h"
#include "fuzz_input.h"
#include "record_formatter.h"
#include "section_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size, "TG150606.DAT");
  kelvan::CdotSectionReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  std::string text;
  // The run's lines: every field, fixed width with a long area code, and a
  // delimiter of several characters, each within the room it asks for.
  const kelvan::RecordFormatter fixed({1, 2, 3, 4, 5, 6, 7, 8, 9}, kelvan::Layout::kFixedWidth, ",",
                                      "0471047104710471");
  const kelvan::RecordFormatter delimited({1, 2, 3, 4, 5, 6, 7, 8}, kelvan::Layout::kDelimited,
                                          "<>", "0471");
  std::string line(std::max(fixed.MaxLineBytes(), delimited.MaxLineBytes()), ' ');
  std::uint64_t steps = 0;
  for (;;) {
    const auto step = reader.Next();
    if (step == kelvan::CdotSectionReader::Step::kFinished) break;
    if (step == kelvan::CdotSectionReader::Step::kRecord) {
      for (int field = 1; field <= 9; ++field) {
        text.clear();
        kelvan::FieldText(reader.Fields(), field, text);
      }
      for (const auto* formatter : {&fixed, &delimited}) {
        const char* end = formatter->Format(reader.Record(), reader.RecordDate(), line.data());
        if (end < line.data() || end > line.data() + formatter->MaxLineBytes()) __builtin_trap();
      }
    }
    // No step reads less than a byte, so there are never more steps than bytes.
    if (++steps > size + 2) __builtin_trap();
  }
  reader.Close();
  return 0;
}
