#pragma once
// Opening a file by its path the same way on every system.
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace platform {

// The path a file name held as text stands for. The programs hold names as
// UTF-8 on Windows (the command line is read that way, see console.h) and as
// the system's bytes elsewhere. MinGW's std::filesystem::path would read a
// narrow string as Latin-1 instead, so text becomes a path through here; the
// way back, path::string(), gives UTF-8 there already. On Windows, text that
// is not UTF-8 is read in the ANSI code page, as the older programs wrote it.
std::filesystem::path PathOf(std::string_view name);

// std::fopen of the file at `path` ("rb", "wb" or "ab"), whatever characters
// its name holds; errno says why it failed.
std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode);

}  // namespace platform
