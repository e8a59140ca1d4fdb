#pragma once
// The analyser's switch codes; the codes are also the image numbers of the
// list's switch images.
#include <string>
#include <string_view>

namespace lomtra {

enum class SwitchType {
  kNotReadable = 0,
  kOcb = 1,
  kCdot = 2,
  kE10b = 3,
  kAxe = 4,
  kFiveEss = 5,
  kEwsd = 6,
  kCdot42 = 7,
  kUnknown = 8,
};

// "OCB", "CDOT", ... "Unknown"; empty for code 0.
std::string SwitchName(SwitchType type);

// The switch a name stands for; kNotReadable for any text that is no
// switch's name. Exact and case-sensitive.
SwitchType SwitchTypeNamed(std::string_view switch_name);

// Image number of a switch text: 1..8, or 0 (no image) for any other text.
// Exact and case-sensitive.
int SwitchIconIndex(std::string_view switch_name);

}  // namespace lomtra
