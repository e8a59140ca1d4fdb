#pragma once
// The list's texts in the encodings of its outputs. Paths are UTF-8 as the
// window and the file system give them, but a report of old may hold Latin-1
// bytes, and a damaged file's moment any byte at all.
#include <string>

namespace lomtra {

// The text itself when it is valid UTF-8, else its bytes taken as Latin-1.
std::string AsUtf8(const std::string& text);

}  // namespace lomtra
