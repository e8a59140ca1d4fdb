// cdrgen: writes synthetic billing data files for demos, tests and benchmarks.
//   cdrgen FORMAT OUT [--size BYTES] [--seed N]
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/cdot_builder.h"
#include "cdrgen/ocb_builder.h"
#include "cdrgen/ewsd_builder.h"

namespace {

struct Format {
  const char* name;
  const char* what;
  // Builds a file of about `size` bytes.
  std::function<cdrgen::Bytes(std::uint64_t size, std::uint64_t seed)> build;
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      {"axe", "AXE blocks of character records",
       [](std::uint64_t size, std::uint64_t seed) {
         const std::size_t blocks = static_cast<std::size_t>(std::max<std::uint64_t>(size / 2048, 11));
         return cdrgen::AxeSampleFile(blocks, seed);
       }},
      {"ewsd", "EWSD call records with packages and filler units",
       [](std::uint64_t size, std::uint64_t seed) { return cdrgen::EwsdSampleFile(size, seed); }},
      {"cdot", "C-DOT TGCBR day sections of 48-byte records",
       [](std::uint64_t size, std::uint64_t seed) { return cdrgen::CdotSampleFile(size, seed); }},
      {"ocb", "OCB-283 blocks, stale blocks behind the data (even seed: prefixed layout)",
       [](std::uint64_t size, std::uint64_t seed) {
         return cdrgen::OcbSampleFile(size, seed,
                                      seed % 2 == 0 ? cdrgen::OcbFileLayout::kPrefixed
                                                    : cdrgen::OcbFileLayout::kPlain);
       }},
      // The extractors' EWSD and C-DOT samples put filler or a section header
      // first, which the analyser's identification does not take for those
      // switches; these are the layouts it does.
      {"ewsd-lomtra", "EWSD records back to back, as the analyser identifies them",
       [](std::uint64_t size, std::uint64_t seed) {
         return cdrgen::EwsdAnalyserSample(static_cast<std::size_t>(std::max<std::uint64_t>(size / 40, 2)), seed);
       }},
      {"cdot-lomtra", "C-DOT 48-byte records without a section header, as the analyser identifies them",
       [](std::uint64_t size, std::uint64_t seed) {
         return cdrgen::CdotAnalyserSample(static_cast<std::size_t>(std::max<std::uint64_t>(size / 48, 20)), seed);
       }},
      {"e10b", "E10B blocks of 26-byte records",
       [](std::uint64_t size, std::uint64_t seed) {
         const std::size_t blocks = static_cast<std::size_t>(std::max<std::uint64_t>(size / 2048, 1));
         return cdrgen::E10bSampleFile(blocks, seed);
       }},
      {"5ess", "5ESS text records of 122 characters",
       [](std::uint64_t size, std::uint64_t seed) {
         return cdrgen::FiveEssSampleFile(static_cast<std::size_t>(size / 122), seed);
       }},
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
    case 'K': case 'k': value <<= 10; break;
    case 'M': case 'm': value <<= 20; break;
    case 'G': case 'g': value <<= 30; break;
    default: break;
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
  for (const auto& f : Formats()) {
    if (args[0] != f.name) continue;
    try {
      cdrgen::WriteFile(args[1], f.build(size, seed));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "cdrgen: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "cdrgen: unknown format '%s'\n", args[0].c_str());
  return Usage(stderr);
}
