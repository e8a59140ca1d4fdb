// One detector (chosen at build time by SUITE_DETECTOR) over any bytes: it
// ends with an analysed result, as nothing asks it to stop.
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
  const lomtra::DetectorResult result = lomtra::SUITE_DETECTOR(file.Path(), context);
  if (result.state != lomtra::RowState::kAnalysed) __builtin_trap();
  return 0;
}
