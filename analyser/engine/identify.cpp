#include "engine/identify.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "formats/cdot/identify.h"
#include "formats/ewsd/identify.h"
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
  // The length byte reaches at most 255 bytes into the header.
  return formats::ewsd::IsCallRecordPair(h.data());
}

// vantor reads EWSD files that begin with filler, which the test above
// cannot see.
bool BeginsWithEwsdFiller(DataFile& file) {
  const auto size = static_cast<std::size_t>(
      std::min<std::uint64_t>(file.Length(), formats::ewsd::kFillerSearchSize));
  std::vector<std::uint8_t> bytes(size);
  file.ReadBytes(0, bytes.data(), size);
  return formats::ewsd::BeginsWithFillerThenRecords(bytes.data(), size);
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

static_assert(formats::cdot::kTestedRecords * formats::cdot::kRecordSize <= kHeaderSize);

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
  if (formats::cdot::IsBareRecordFile(h.data(), file.Length())) return SwitchType::kCdot;
  if (IsAxe(file)) return SwitchType::kAxe;
  // After the six tests, so that no file identified by them changes type:
  // files the extractors read. The EWSD walk asks for two whole records and
  // goes first; the C-DOT test (a section header, or a short first section)
  // asks less of a file.
  if (BeginsWithEwsdFiller(file)) return SwitchType::kEwsd;
  std::array<std::uint8_t, formats::cdot::kIdentifyBytes> first{};
  file.ReadBytes(0, first.data(), first.size());
  if (formats::cdot::IsCdotFile(first.data(), file.Length())) return SwitchType::kCdot;
  return SwitchType::kUnknown;
}

}  // namespace lomtra
