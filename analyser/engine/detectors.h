#pragma once
// One detector per switch type. Each reads the file and returns the result
// text: start moment, end moment and record count joined by ",". A stopped
// file gives "To be Analysed,To be Analysed,0".
#include <filesystem>
#include <string>

#include "engine/data_file_entry.h"
#include "engine/engine_state.h"

namespace lomtra {

std::string AnalyseOcb(const std::filesystem::path& path, AnalyserContext& context);
std::string AnalyseEwsd(const std::filesystem::path& path, AnalyserContext& context);
std::string AnalyseCdot(const std::filesystem::path& path, AnalyserContext& context);
std::string AnalyseE10b(const std::filesystem::path& path, AnalyserContext& context);
std::string AnalyseAxe(const std::filesystem::path& path, AnalyserContext& context);
std::string Analyse5ess(const std::filesystem::path& path, AnalyserContext& context);

// Joins the three parts of a result text.
std::string ResultText(const std::string& start, const std::string& end, std::uint64_t count);

}  // namespace lomtra
