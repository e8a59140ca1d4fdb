#include "formats/ewsd/calls.h"

#include "formats/ewsd/packages.h"
#include "platform/digits.h"
#include "platform/open_file.h"

namespace formats::ewsd {

namespace {

constexpr const WalkPolicy& kWalk = kExtractorWalk;
// The longest record with the byte after it, and two for a block's length.
constexpr std::size_t kLongestView = kLongestRecord + 3;

void HexInto(std::string& out, const std::uint8_t* bytes, int count, std::size_t size) {
  out.resize(2 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) platform::PutHexDigits(out.data() + 2 * i, bytes[i]);
  out.resize(size);
}

std::uint32_t Unsigned(const std::uint8_t* bytes, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

bool CallReader::Open(const std::string& path, std::string* error) {
  if (error != nullptr) error->clear();
  offset_ = 0;
  damaged_ = done_ = has_time_ = emitted_ = false;
  calling_.clear();
  called_.clear();
  duration_ = 0;
  start_ = {};
  if (!reader_.Open(platform::PathOf(path), error)) return false;
  reader_.MapFile();
  file_length_ = reader_.Length();
  return true;
}

bool CallReader::DigitString(std::string* into) {
  if (!Inside(package_, 1)) return false;
  const int digits = DigitCount(record_[package_]);
  const int bytes = DigitBytes(digits);
  if (!Inside(package_ + 1, bytes)) return false;
  if (into != nullptr)
    HexInto(*into, record_ + package_ + 1, bytes, static_cast<std::size_t>(digits));
  package_ += 1 + bytes;
  return true;
}

bool CallReader::DecodePackages() {
  while (package_ + 1 < length_) {
    const int p = package_;
    const std::uint8_t id = record_[p];
    const Package* package = FindPackage(id, kWalk);
    if (package == nullptr) return false;  // unsupported or no package: vantor stops
    switch (package->kind) {
      case PackageKind::kDateTime: {
        if (!Inside(p, package->Reads())) return false;
        const std::uint8_t* r = record_ + p;
        start_ = {2000 + r[kYearAt] % 100, r[kMonthAt] % 100,  r[kDayAt] % 100,
                  r[kHourAt] % 100,        r[kMinuteAt] % 100, r[kSecondAt] % 100};
        has_time_ = true;
        duration_ = Unsigned(r + package->value_at, package->width);
        package_ = p + package->length;
        break;
      }
      case PackageKind::kDigits:
        package_ = p + package->value_at;
        if (!DigitString(package->slot == kCalledSlot ? &called_ : nullptr)) return false;
        break;
      case PackageKind::kAlternativeDigits:
        package_ = p + package->value_at;
        if (!DigitString(called_.empty() ? &called_ : nullptr)) return false;
        break;
      case PackageKind::kNumber:
        if (!Inside(p, package->Reads())) return false;
        package_ = p + package->length;
        break;
      case PackageKind::kTrunk:
      case PackageKind::kTrunkWithPort:
        if (!Inside(p, package->length)) return false;
        package_ = p + package->length;
        break;
      case PackageKind::kOwnLength:
        package_ = p + id;
        break;
      case PackageKind::kSkip:
        package_ = p + package->length;
        break;
      case PackageKind::kCallingBytes: {
        if (!Inside(p, package->Reads())) return false;
        const int length = record_[p + package->value_at];
        if (length == 0) return false;
        if (length <= kCallingBytesFrom) {
          calling_.clear();
        } else {
          const int count = length - kCallingBytesFrom;
          if (!Inside(p + kCallingBytesFrom, count)) return false;
          HexInto(calling_, record_ + p + kCallingBytesFrom, count,
                  2 * static_cast<std::size_t>(count));
        }
        package_ = p + length;
        break;
      }
      case PackageKind::kThirdParty: {
        if (!Inside(p, package->Reads())) return false;
        const int bytes = DigitBytes(record_[p + package->value_at]);
        if (!Inside(p + kThirdPartyDigitsAt, bytes)) return false;
        package_ = p + kThirdPartyDigitsAt + bytes;
        break;
      }
    }
  }
  return true;
}

bool CallReader::Next(CallKey& call) {
  if (emitted_) {
    // The call handed out last starts nothing for the next; the strings keep
    // their room.
    emitted_ = has_time_ = false;
    called_.clear();
    calling_.clear();
    duration_ = 0;
  }
  while (!done_) {
    if (offset_ >= file_length_) {
      done_ = true;
      break;
    }
    const bool far_from_end = file_length_ - offset_ >= kLongestView;
    const std::uint8_t* head = reader_.View(offset_, far_from_end ? kLongestView : 3);
    const std::uint8_t lead = head[0];
    if (lead == kFillerByte) {
      offset_ += 1;
    } else if (lead == kFillerBlock) {
      const int length = FillerBlockLength(kWalk, head[kFillerBlockLengthOffset],
                                           head[kFillerBlockLengthOffset + 1]);
      if (length == 0) {
        damaged_ = done_ = true;
        break;
      }
      offset_ += static_cast<std::uint64_t>(length);
    } else if (IsShortUnit(lead)) {
      offset_ += kShortUnitSize;
    } else if (IsLongUnit(lead)) {
      offset_ += kLongUnitSize;
    } else {
      length_ = head[kLengthOffset];
      if (length_ == 0) {
        damaged_ = done_ = true;
        break;
      }
      record_ = far_from_end ? head : reader_.View(offset_, static_cast<std::size_t>(length_) + 1);
      offset_ += static_cast<std::uint64_t>(length_);
      if (!Inside(kFlagsOffset, 1)) {
        damaged_ = done_ = true;
        break;
      }
      if (HasOwner(record_[kFlagsOffset])) {
        package_ = kOwnerOffset;
        if (!DigitString(&calling_)) {
          damaged_ = done_ = true;
          break;
        }
      } else {
        package_ = kPackagesWithoutOwner;
      }
      if (!DecodePackages()) {
        damaged_ = done_ = true;
        break;
      }
      if (!has_time_) continue;  // no call: its values go on to the next record
      call.calling = calling_;
      call.called = called_;
      call.start = start_;
      call.duration = duration_;
      emitted_ = true;
      return true;
    }
  }
  return false;
}

}  // namespace formats::ewsd
