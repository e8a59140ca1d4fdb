#include "engine/identify.h"

#include <array>
#include <cstdint>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "formats/ocb/layout.h"

namespace lomtra {
namespace {

constexpr std::size_t kHeaderSize = 1001;
using Header = std::array<std::uint8_t, kHeaderSize>;

bool IsE10b(const Header& h) {
  int prev = h[1];
  for (int i = 1; i <= 10; ++i) {
    const int x = h[static_cast<std::size_t>(1 + 26 * i)];
    if (x == 0) continue;
    if (x != prev + 1) return false;
    prev = x;
    if (i == 10) return true;
  }
  return false;
}

bool IsEwsd(const Header& h) {
  return h[0] == 0x84 && h[h[1]] == 0x84;
}

bool IsFiveEss(DataFile& file) {
  const std::string text = file.ReadText(0, 2048);
  for (std::size_t i = 0; i <= 10; ++i) {
    if (text[74 + 122 * i] != '7') return false;
  }
  return true;
}

bool IsOcb(const Header& h) {
  static_assert(formats::ocb::kLayoutBytes <= kHeaderSize);
  formats::ocb::Layout layout;
  return formats::ocb::FindLayout(h.data(), layout);
}

bool IsCdot(const Header& h) {
  for (std::size_t k = 0; k < 20; ++k) {
    if (h[27 + 48 * k] > 2) return false;
  }
  return true;
}

bool IsAxe(DataFile& file) {
  for (std::uint64_t k = 1; k <= 10; ++k) {
    const std::uint64_t b = 2048 * k;
    std::uint8_t two[2];
    file.ReadBytes(b - 1, two, 2);
    if (two[0] != 0x00) return false;
    double v = ValueOf(file.ReadText(b, 3));
    // The number's decimal text is cut to three characters and read again.
    std::string digits = std::to_string(static_cast<long long>(v));
    if (v != static_cast<double>(static_cast<long long>(v))) digits = std::to_string(v);
    v = ValueOf(digits.substr(0, 3));
    if (v < 80 || v > 200) return false;
  }
  return true;
}

}  // namespace

SwitchType IdentifySwitch(const std::filesystem::path& path, std::string* error) {
  DataFile file;
  if (!file.OpenData(path)) {
    if (error) *error = file.Error();
    return SwitchType::kNotReadable;
  }
  Header h{};
  file.ReadBytes(0, h.data(), h.size());
  if (IsE10b(h)) return SwitchType::kE10b;
  if (IsEwsd(h)) return SwitchType::kEwsd;
  if (IsFiveEss(file)) return SwitchType::kFiveEss;
  if (IsOcb(h)) return SwitchType::kOcb;
  if (IsCdot(h)) return SwitchType::kCdot;
  if (IsAxe(file)) return SwitchType::kAxe;
  return SwitchType::kUnknown;
}

}  // namespace lomtra
