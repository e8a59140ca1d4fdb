// The report reader over any text, and the rows it accepts written back.
#include <cstddef>
#include <cstdint>

#include "analyser_rig.h"
#include "engine/report_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size, "report.lmt");
  const lomtra::ReportReadResult read = lomtra::ReadReportFile(file.Path());
  if (read.ok) {
    const std::string text = lomtra::ReportText(read.rows, fuzz::FuzzNow());
    if (text.empty()) __builtin_trap();
  } else if (read.error.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  return 0;
}
