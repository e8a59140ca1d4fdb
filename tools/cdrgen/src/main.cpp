// cdrgen: writes synthetic billing data files for demos, tests and benchmarks.
//   cdrgen FORMAT OUT [--size BYTES] [--seed N]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cdrgen/large_files.h"

namespace {

struct Format {
  const char* name;
  const char* what;
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      {"axe", "AXE blocks of character records of varied lengths"},
      {"ewsd", "EWSD call records with packages and filler units"},
      {"ewsd-lomtra",
       "EWSD records starting with two back to back, as the analyser identifies them"},
      {"cdot", "C-DOT TGCBR day sections of 48-byte records"},
      {"cdot-bare", "C-DOT TGCBR 48-byte records without section headers"},
      {"ocb", "OCB-283 blocks, stale blocks behind the data (even seed: prefixed layout)"},
      {"e10b", "E10B blocks of 26-byte records"},
      {"5ess", "5ESS text records of 122 characters"},
  };
  return formats;
}

int Usage(FILE* out) {
  std::fprintf(out, "usage: cdrgen FORMAT OUT [--size BYTES] [--seed N]\nformats:\n");
  for (const auto& f : Formats()) std::fprintf(out, "  %-8s %s\n", f.name, f.what);
  std::fprintf(out, "BYTES may end in K, M or G.\n");
  return out == stdout ? 0 : 2;
}

std::uint64_t ParseSize(const std::string& text) {
  char* end = nullptr;
  std::uint64_t value = std::strtoull(text.c_str(), &end, 10);
  switch (end && *end ? *end : ' ') {
    case 'K':
    case 'k':
      value <<= 10;
      break;
    case 'M':
    case 'm':
      value <<= 20;
      break;
    case 'G':
    case 'g':
      value <<= 30;
      break;
    default:
      break;
  }
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout);
  if (args.size() < 2) return Usage(stderr);
  std::uint64_t size = 64 * 1024;
  std::uint64_t seed = 1;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      size = ParseSize(args[++i]);
    } else if (args[i] == "--seed" && i + 1 < args.size()) {
      seed = std::strtoull(args[++i].c_str(), nullptr, 10);
    } else {
      return Usage(stderr);
    }
  }
  try {
    if (cdrgen::WriteSampleFile(args[0], args[1], size, seed)) return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cdrgen: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "cdrgen: unknown format '%s'\n", args[0].c_str());
  return Usage(stderr);
}
