// Replays a fuzz target's corpus without libFuzzer, so that every ordinary
// build checks that no stored input crashes or hangs a reader again.
//   replay_X DIR|FILE...            each stored input once
//   replay_X --damaged DIR|FILE...  damaged copies of each stored input:
//     every prefix up to a few blocks, single bytes changed at positions from
//     fixed seeds, and files of all 0x00, all 0xFF and all 0x40
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kLongestPrefix = 3 * 2048 + 928;  // three blocks behind an OCB prefix
constexpr int kFlipsPerFile = 200;

std::size_t runs = 0;

void Run(const Bytes& bytes) {
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  ++runs;
}

void RunDamaged(const Bytes& bytes, std::uint32_t seed) {
  const std::size_t longest = std::min(bytes.size(), kLongestPrefix);
  for (std::size_t length = 0; length <= longest; ++length) {
    Run(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
  }
  if (bytes.empty()) return;
  std::mt19937 random(seed);
  for (int i = 0; i < kFlipsPerFile; ++i) {
    Bytes changed = bytes;
    const std::size_t at = random() % changed.size();
    changed[at] = static_cast<std::uint8_t>(changed[at] ^ (1u + random() % 255u));
    Run(changed);
  }
}

void RunFills() {
  for (const int fill : {0x00, 0xFF, 0x40}) {
    for (const std::size_t size : {1, 100, 2048, 6144, 24576}) {
      Run(Bytes(size, static_cast<std::uint8_t>(fill)));
    }
  }
}

bool ReadFile(const std::filesystem::path& file, Bytes& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool damaged = false;
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--damaged") == 0) {
      damaged = true;
      continue;
    }
    const std::filesystem::path given = argv[i];
    if (std::filesystem::is_directory(given)) {
      for (const auto& entry : std::filesystem::directory_iterator(given)) {
        if (entry.is_regular_file() && entry.path().filename() != "README.md") {
          files.push_back(entry.path());
        }
      }
    } else {
      files.push_back(given);
    }
  }
  std::sort(files.begin(), files.end());  // the same order, and so the same seeds, every run
  std::uint32_t seed = 1;
  for (const auto& file : files) {
    Bytes bytes;
    if (!ReadFile(file, bytes)) {
      std::fprintf(stderr, "%s: cannot be read\n", file.string().c_str());
      return 2;
    }
    if (damaged) {
      RunDamaged(bytes, seed++);
    } else {
      Run(bytes);
    }
  }
  if (damaged) RunFills();
  std::printf("%zu inputs replayed\n", runs);
  return files.empty() ? 1 : 0;
}
