#pragma once
// Byte helpers shared by the builders of every format.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cdrgen {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, std::string_view text);
void Append(Bytes& out, const Bytes& more);
// Big-endian and little-endian unsigned values of `width` bytes.
void AppendBigEndian(Bytes& out, std::uint64_t value, int width);
void AppendLittleEndian(Bytes& out, std::uint64_t value, int width);
// Packed BCD, two digits a byte, high nibble first; an odd count is padded
// with `pad` (0xF usually). Non-digit characters A-F stand for their nibble.
Bytes PackBcd(std::string_view digits, std::uint8_t pad = 0xF);

// Text left-aligned in a field of `width` characters, padded with `fill`,
// cut when longer.
std::string Field(std::string_view text, std::size_t width, char fill = ' ');
// Whole number right-aligned in `width` digits with leading zeros.
std::string Digits(std::uint64_t value, std::size_t width);

// Writes bytes to a file; throws std::runtime_error naming the file on failure.
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// Small deterministic generator so that generated files are the same on
// every machine for the same seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next();
  // Uniform in [low, high].
  std::uint64_t Between(std::uint64_t low, std::uint64_t high);
  std::string DigitString(std::size_t length);

 private:
  std::uint64_t state_;
};

}  // namespace cdrgen
