#pragma once
// A folder of its own for one test, removed with everything in it.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "cdrgen/bytes.h"

namespace formats::ocb::testing {

class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("formats_ocb_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, const cdrgen::Bytes& bytes) const {
    cdrgen::WriteFile(path_ / name, bytes);
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace formats::ocb::testing
