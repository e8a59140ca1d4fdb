#pragma once
// A temporary folder for the reader's tests, removed afterwards.
#include <filesystem>
#include <random>
#include <string>

namespace formats::cdot::testing {

class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("formats-cdot-test-" + std::to_string(std::random_device{}()) + "-" +
             std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace formats::cdot::testing
