#pragma once
// Sample files of any size, gigabytes included, written in a few seconds:
// a few megabytes of records come from the format's sample generator, then
// they are repeated with the numbers that must run on (block and record
// sequence numbers) renumbered, section by section where the format has them.
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace cdrgen {

// Files up to this size are the sample generator's own output, byte for byte.
constexpr std::uint64_t kLargeFileThreshold = 8u << 20;

// Writes a file of about `size` bytes of `format` ("axe", "ewsd", "cdot",
// "cdot-bare", "ocb", "e10b", "5ess"); false for an unknown format. Throws
// std::runtime_error naming the file when it cannot be written.
bool WriteSampleFile(std::string_view format, const std::filesystem::path& path, std::uint64_t size,
                     std::uint64_t seed);

}  // namespace cdrgen
