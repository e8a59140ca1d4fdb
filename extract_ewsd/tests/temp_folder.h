#pragma once
// A fresh folder per test under the system's temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cdrgen/bytes.h"

namespace vantor::testing {

class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("vantor_" + std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const cdrgen::Bytes& bytes) const {
    cdrgen::WriteFile(path_ / name, bytes);
    return File(name);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline cdrgen::Bytes Join(std::initializer_list<cdrgen::Bytes> parts) {
  cdrgen::Bytes out;
  for (const auto& part : parts) cdrgen::Append(out, part);
  return out;
}

}  // namespace vantor::testing
