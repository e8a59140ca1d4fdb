#include "platform/output_format.h"

namespace platform {

namespace {
constexpr const char* kNames[] = {"text", "csv", "jsonl", "sqlite", "postgres"};
}

const char* OutputFormatName(OutputFormat format) {
  return kNames[static_cast<int>(format)];
}

bool ParseOutputFormat(std::string_view name, OutputFormat* format) {
  for (int i = 0; i < 5; ++i) {
    if (name == kNames[i]) {
      *format = static_cast<OutputFormat>(i);
      return true;
    }
  }
  return false;
}

std::string UnknownOutputFormatText(std::string_view name) {
  return "unknown format " + std::string(name) + " (" + kOutputFormatNames + ")";
}

}  // namespace platform
