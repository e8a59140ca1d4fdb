#include "sample_files.h"

#include <filesystem>
#include <map>
#include <stdexcept>

#include "cdrgen/large_files.h"

namespace bench {

namespace {

// The files made in this run, removed when the program ends.
struct MadeFiles {
  std::map<std::string, std::string> paths;
  ~MadeFiles() {
    std::error_code ignored;
    for (const auto& entry : paths) std::filesystem::remove(entry.second, ignored);
  }
};

}  // namespace

const std::string& SampleFile(std::string_view format, std::uint64_t size) {
  static MadeFiles files;
  auto& made = files.paths;
  const std::string key = std::string(format) + "-" + std::to_string(size);
  auto found = made.find(key);
  if (found != made.end()) return found->second;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("suite_micro_benchmarks_" + key + ".bin");
  if (!cdrgen::WriteSampleFile(format, path, size, 1))
    throw std::runtime_error("no sample format " + std::string(format));
  return made.emplace(key, path.string()).first->second;
}

}  // namespace bench
