// One detector (chosen at build time by SUITE_DETECTOR) over any bytes: it
// ends with a result text of three comma-separated parts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "analyser_rig.h"
#include "engine/detectors.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A C-DOT result takes its date from the name, so the name looks like one.
  const fuzz::InputFile file(data, size, "TG150606.DAT");
  fuzz::AnalyserRig rig;
  auto context = rig.Context();
  const std::string result = lomtra::SUITE_DETECTOR(file.Path(), context);
  if (std::count(result.begin(), result.end(), ',') < 2) __builtin_trap();
  return 0;
}
