#pragma once
// Opening a file by its path the same way on every system.
#include <cstdio>
#include <filesystem>

namespace platform {

// std::fopen of the file at `path` ("rb", "wb" or "ab"), whatever characters
// its name holds; errno says why it failed.
std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode);

}  // namespace platform
