#pragma once
// Which switch wrote a file, from its first bytes alone.
#include <filesystem>
#include <string>

#include "engine/switch_type.h"

namespace lomtra {

// The first test that succeeds wins: E10B, EWSD, 5ESS, OCB, C-DOT, AXE,
// then C-DOT as the extractor reads it; a file shorter than one C-DOT
// record is not C-DOT. Unknown when none succeeds; kNotReadable (with the reason in *error) when
// the file cannot be opened or read.
SwitchType IdentifySwitch(const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace lomtra
