#include "program_info.h"

namespace kelvan {

std::string ProgramTitle() {
  return "Kelvan [" + std::to_string(APP_VERSION_MAJOR) + "." + std::to_string(APP_VERSION_MINOR) +
         "] - NORVA";
}

std::string VersionText() {
  return std::to_string(APP_VERSION_MAJOR) + "." + std::to_string(APP_VERSION_MINOR) + "." +
         std::to_string(APP_VERSION_PATCH);
}

}  // namespace kelvan
