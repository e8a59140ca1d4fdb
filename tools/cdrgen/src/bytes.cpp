#include "cdrgen/bytes.h"

#include <fstream>
#include <stdexcept>

namespace cdrgen {

void Append(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

void AppendBigEndian(Bytes& out, std::uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendLittleEndian(Bytes& out, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

namespace {
std::uint8_t Nibble(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return 0xF;
}
}  // namespace

Bytes PackBcd(std::string_view digits, std::uint8_t pad) {
  Bytes out;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const std::uint8_t high = Nibble(digits[i]);
    const std::uint8_t low = i + 1 < digits.size() ? Nibble(digits[i + 1]) : pad;
    out.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return out;
}

std::string Field(std::string_view text, std::size_t width, char fill) {
  std::string out(text.substr(0, width));
  out.resize(width, fill);
  return out;
}

std::string Digits(std::uint64_t value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::uint64_t Random::Next() {
  // splitmix64
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Random::Between(std::uint64_t low, std::uint64_t high) {
  if (high <= low) return low;
  return low + Next() % (high - low + 1);
}

std::string Random::DigitString(std::size_t length) {
  std::string s(length, '0');
  for (auto& c : s) c = static_cast<char>('0' + Next() % 10);
  return s;
}

}  // namespace cdrgen
