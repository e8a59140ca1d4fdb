// The C-DOT section reader over any bytes: each step moves forward and the
// walk ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cdot_fields.h"
#include "fuzz_input.h"
#include "section_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size, "TG150606.DAT");
  kelvan::CdotSectionReader reader;
  if (!reader.Open(file.Path())) __builtin_trap();
  std::string text;
  std::uint64_t steps = 0;
  for (;;) {
    const auto step = reader.Next();
    if (step == kelvan::CdotSectionReader::Step::kFinished) break;
    if (step == kelvan::CdotSectionReader::Step::kRecord) {
      for (int field = 1; field <= 9; ++field) {
        text.clear();
        kelvan::FieldText(reader.Fields(), field, text);
      }
    }
    // No step reads less than a byte, so there are never more steps than bytes.
    if (++steps > size + 2) __builtin_trap();
  }
  reader.Close();
  return 0;
}
