#pragma once
// One detector per switch type. Each reads the file and returns its first
// and last call's moments and its record count.
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/data_file_entry.h"
#include "engine/engine_state.h"

namespace lomtra {

struct DetectorResult {
  std::string start;  // the first call's moment in the detector's text; empty when none
  std::string end;    // the last call's
  std::uint64_t count = 0;
  RowState state = RowState::kAnalysed;  // or kStopped: the user stopped it in this file

  bool operator==(const DetectorResult&) const = default;

  static DetectorResult Stopped() { return {{}, {}, 0, RowState::kStopped}; }
};

DetectorResult AnalyseOcb(const std::filesystem::path& path, AnalyserContext& context);
DetectorResult AnalyseEwsd(const std::filesystem::path& path, AnalyserContext& context);
DetectorResult AnalyseCdot(const std::filesystem::path& path, AnalyserContext& context);
DetectorResult AnalyseE10b(const std::filesystem::path& path, AnalyserContext& context);
DetectorResult AnalyseAxe(const std::filesystem::path& path, AnalyserContext& context);
DetectorResult Analyse5ess(const std::filesystem::path& path, AnalyserContext& context);

}  // namespace lomtra
