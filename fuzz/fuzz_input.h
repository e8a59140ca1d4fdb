#pragma once
// Every target reads its bytes the way the programs do: from a file on disk,
// through the program's own reader. The bytes go into a temporary file
// (in memory under /dev/shm where there is one) that lives for one input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

class InputFile {
 public:
  InputFile(const std::uint8_t* data, std::size_t size, const char* name = "input.bin") {
    std::error_code ec;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path();
    folder_ = base / ("suite_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_, ec);
    path_ = folder_ / name;
    std::FILE* f = std::fopen(path_.string().c_str(), "wb");
    if (f == nullptr) std::abort();  // the machine, not the input, is at fault
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
  }
  ~InputFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string Text() const { return path_.string(); }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

}  // namespace fuzz
