#pragma once
// The first and last call record of one file, its record count and size.
#include <string>

#include "vantor/host.h"

namespace vantor {

enum class AnalysisStatus { kDone, kMissingPath, kUnreadable, kInvalidData };

struct AnalysisResult {
  AnalysisStatus status = AnalysisStatus::kMissingPath;
  AnalysisLabels labels;  // as the window shows them, three spaces first
};

// Uses a decoder of its own, so an analysis never disturbs a running extraction.
AnalysisResult AnalyseFile(Host& host, const std::string& path);

// "2006-01-02" -> "02-01-2006"; an empty date gives "--".
std::string DayFirstDate(const std::string& date);
// 3145728 -> "3 MB", 1572864 -> "1.5 MB".
std::string MegabyteText(std::int64_t bytes);

}  // namespace vantor
