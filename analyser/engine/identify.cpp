#include "engine/identify.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/data_file.h"
#include "formats/5ess/layout.h"
#include "formats/axe/identify.h"
#include "formats/axe/records.h"
#include "formats/cdot/identify.h"
#include "formats/e10b/layout.h"
#include "formats/ewsd/identify.h"
#include "formats/ewsd/layout.h"
#include "formats/ocb/layout.h"

namespace lomtra {
namespace {

constexpr std::size_t kHeaderSize = 1001;
using Header = std::array<std::uint8_t, kHeaderSize>;

static_assert(formats::e10b::kIdentifyBytes <= kHeaderSize);

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
  return formats::five_ess::IsFiveEssFile(
      file.ReadText(0, formats::five_ess::kIdentifyBytes).data());
}

bool IsOcb(const Header& h) {
  static_assert(formats::ocb::kLayoutBytes <= kHeaderSize);
  formats::ocb::Layout layout;
  return formats::ocb::FindLayout(h.data(), layout);
}

static_assert(formats::cdot::kTestedRecords * formats::cdot::kRecordSize <= kHeaderSize);

bool IsAxe(DataFile& file) {
  for (int k = 1; k <= formats::axe::kTestedBoundaries; ++k) {
    std::array<std::uint8_t, formats::axe::kBoundaryBytes> around{};
    file.ReadBytes(formats::axe::BoundaryOffset(k), around.data(), around.size());
    if (!formats::axe::PassesBoundary(around.data())) return false;
  }
  return true;
}

// The six tests, in their order: the first that passes names the type.
SwitchType FirstPassingTest(DataFile& file, const Header& h) {
  if (formats::e10b::IsE10bFile(h.data())) return SwitchType::kE10b;
  if (IsEwsd(h)) return SwitchType::kEwsd;
  if (IsFiveEss(file)) return SwitchType::kFiveEss;
  if (IsOcb(h)) return SwitchType::kOcb;
  if (formats::cdot::IsBareRecordFile(h.data(), file.Length())) return SwitchType::kCdot;
  if (IsAxe(file)) return SwitchType::kAxe;
  return SwitchType::kUnknown;
}

// The bytes a file of `type` holds at least when its first record is whole.
// An empty or short file passes some of the tests on the zeros read past its
// end, and is no data file of any type.
std::uint64_t FirstRecordEnd(SwitchType type, const Header& h) {
  switch (type) {
    case SwitchType::kE10b:
      return formats::e10b::kRecordSize;
    case SwitchType::kEwsd:
      // The record holds its length byte, and the length it gives.
      return std::max<std::uint64_t>(formats::ewsd::kLengthOffset + 1,
                                     h[formats::ewsd::kLengthOffset]);
    case SwitchType::kFiveEss:
      return formats::five_ess::kRecordSize;
    case SwitchType::kOcb: {
      formats::ocb::Layout layout = formats::ocb::Layout::kPlain;
      formats::ocb::FindLayout(h.data(), layout);
      return formats::ocb::RecordOffset(layout, 0, 0) + formats::ocb::kRecordSize;
    }
    case SwitchType::kCdot:
      return formats::cdot::kRecordSize;
    case SwitchType::kAxe: {
      const std::string_view head(reinterpret_cast<const char*>(h.data()),
                                  formats::axe::kLength.width);
      return std::max<std::uint64_t>(
          formats::axe::kLength.width,
          formats::axe::RecordLength(head, formats::axe::kAnalyserReading));
    }
    default:
      return 0;
  }
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
  const SwitchType type = FirstPassingTest(file, h);
  if (type != SwitchType::kUnknown) {
    return file.Length() < FirstRecordEnd(type, h) ? SwitchType::kUnknown : type;
  }
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
