#include "engine/switch_type.h"

#include <array>

namespace lomtra {
namespace {

constexpr std::array<std::string_view, 9> kNames = {"",     "OCB",  "CDOT",   "E10B",   "AXE",
                                                    "5ESS", "EWSD", "CDOT42", "Unknown"};

}  // namespace

std::string SwitchName(SwitchType type) {
  const auto code = static_cast<std::size_t>(type);
  return code < kNames.size() ? std::string(kNames[code]) : std::string();
}

SwitchType SwitchTypeNamed(std::string_view switch_name) {
  for (std::size_t code = 1; code < kNames.size(); ++code) {
    if (kNames[code] == switch_name) return static_cast<SwitchType>(code);
  }
  return SwitchType::kNotReadable;
}

int SwitchIconIndex(std::string_view switch_name) {
  return static_cast<int>(SwitchTypeNamed(switch_name));
}

}  // namespace lomtra
