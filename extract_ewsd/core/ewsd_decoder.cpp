#include "vantor/ewsd_decoder.h"

#include <cstring>

#include "formats/ewsd/layout.h"
#include "formats/ewsd/packages.h"
#include "formats/ewsd/text.h"
#include "platform/digits.h"
#include "platform/open_file.h"

namespace vantor {

namespace ewsd = formats::ewsd;
// The walk below is vantor's reading of the format.
constexpr const ewsd::WalkPolicy& kWalk = ewsd::kExtractorWalk;
static_assert(kWalk.refuses_damage, "the decoder reports damaged records as invalid files");
static_assert(kWalk.steps_over_140_141, "DecodePackage steps over 140 and 141");

const std::array<const char*, 20> kSlotCaptions = {
    "Serial Number", "Date",       "Time",           "Calling ID",
    "Called ID",     "Duration",   "Units",          "OG Tgp",
    "IC Tgp",        "OG Trunk",   "IC Trunk",       "ConnID",
    "Zone",          "CHB",        "Calling Cat",    "Traffic Cause",
    "Service Indic", "B Group ID", "Addl Call Info", "3rd Party Digit"};

Message InvalidFileMessage(const std::string& path, PassKind kind) {
  if (kind == PassKind::kSeveralFiles)
    return {path + " is not a valid Data File.  Do You want to continue with other selected Files",
            "Check Data File", MessageIcon::kQuestion, MessageButtons::kYesNo};
  return {"Invalid DataFile. Cann't Proceed", "Check Data File", MessageIcon::kError,
          MessageButtons::kOk};
}

bool EwsdDecoder::BeginFile(const std::string& path, PassKind kind, std::string* error) {
  path_ = path;
  kind_ = kind;
  file_offset_ = 0;
  records_found_ = 0;
  record_length_ = 0;
  record_start_ = 0;
  record_ = nullptr;
  record_in_view_ = false;
  ForgetWindow();
  condition_ = DecoderCondition::kNone;
  go_ = true;
  if (!reader_.Open(platform::PathOf(path), error)) {
    go_ = false;
    file_length_ = walk_end_ = 0;
    return false;
  }
  reader_.MapFile();  // records straight from the file cache, not copied
  file_length_ = walk_end_ = static_cast<std::int64_t>(reader_.Length());
  return true;
}

void EwsdDecoder::FindNextRecord() {
  // Any read below may move the reader's buffer under the last record.
  record_in_view_ = false;
  for (;;) {
    if (file_offset_ >= walk_end_) {
      go_ = false;
      return;
    }
    const auto offset = static_cast<std::uint64_t>(file_offset_);
    // Far from the end the bytes come from a window of several kilobytes,
    // one reader call for dozens of records, and hold the lead byte, the
    // length bytes and any record with the byte after it. Near the end one
    // view per item: the first three bytes (zeros past the end), and a
    // record gets a view of its own.
    const std::uint8_t* head = window_.Find(offset, kLongestView);
    bool far_from_end = true;
    if (head == nullptr && file_length_ - file_offset_ >= static_cast<std::int64_t>(kWindow)) {
      head = window_.Move(reader_, offset, kWindow);
    } else if (head == nullptr) {
      far_from_end = file_length_ - file_offset_ >= static_cast<std::int64_t>(kLongestView);
      head = reader_.View(offset, far_from_end ? kLongestView : 3);
      ForgetWindow();
    }
    const std::uint8_t lead = head[0];
    if (lead == ewsd::kFillerByte) {
      file_offset_ += 1;
    } else if (lead == ewsd::kFillerBlock) {
      const int length = ewsd::FillerBlockLength(kWalk, head[ewsd::kFillerBlockLengthOffset],
                                                 head[ewsd::kFillerBlockLengthOffset + 1]);
      // A block of length 0 would hold the walk at this byte for ever.
      if (length == 0) return ReportInvalidFile();
      file_offset_ += length;
    } else if (ewsd::IsShortUnit(lead)) {
      file_offset_ += ewsd::kShortUnitSize;
    } else if (ewsd::IsLongUnit(lead)) {
      file_offset_ += ewsd::kLongUnitSize;
    } else {
      const int length = head[ewsd::kLengthOffset];
      if (length == 0) return ReportInvalidFile();
      record_start_ = offset;
      record_length_ = length;
      record_ = far_from_end ? head : reader_.View(offset, static_cast<std::size_t>(length) + 1);
      record_in_view_ = true;
      file_offset_ += length;
      return;
    }
  }
}

bool EwsdDecoder::Inside(int offset, int count) const {
  return offset >= 0 && count >= 0 && offset + count <= record_length_ + 1;
}

void EwsdDecoder::ReadRecordHeader() {
  // The reader may have moved on since the record was found (an analysis
  // decodes the last record after scanning the filler behind it).
  if (!record_in_view_) {
    record_ = reader_.View(record_start_, static_cast<std::size_t>(record_length_) + 1);
    record_in_view_ = true;
    ForgetWindow();
  }
  if (!Inside(ewsd::kFlagsOffset, 1)) return ReportInvalidFile();
  if (!ewsd::HasOwner(record_[ewsd::kFlagsOffset])) {
    package_offset_ = ewsd::kPackagesWithoutOwner;
    return;
  }
  package_offset_ = ewsd::kOwnerOffset;
  ReadDigitString(Wanted(ewsd::kCallingSlot) ? &slots_[ewsd::kCallingSlot] : nullptr);
}

void EwsdDecoder::ReadDigitString(SlotText* into) {
  if (!Inside(package_offset_, 1)) return ReportInvalidFile();
  const int digits = ewsd::DigitCount(record_[package_offset_]);
  const int bytes = ewsd::DigitBytes(digits);
  if (!Inside(package_offset_ + 1, bytes)) return ReportInvalidFile();
  if (into != nullptr && go_) {
    // At most 31 digits (16 bytes), two per byte, the last one cut off when
    // the count is odd.
    PutHexBytes(into->Room(), package_offset_ + 1, bytes);
    into->SetSize(static_cast<std::size_t>(digits));
  }
  package_offset_ += 1 + bytes;
}

std::uint32_t EwsdDecoder::ReadUnsigned(int offset, int width) const {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | record_[offset + i];
  return value;
}

void EwsdDecoder::PutNumber(int slot, std::uint32_t value) {
  if (!Wanted(slot)) return;
  SlotText& text = slots_[static_cast<std::size_t>(slot)];
  text.SetSize(static_cast<std::size_t>(platform::PutDecimal(text.Room(), value) - text.Room()));
}

// Flattened: the package switch and its helpers inlined into the loop that
// runs for every package of every record.
[[gnu::flatten]] void EwsdDecoder::DecodePackages() {
  while (package_offset_ + 1 < record_length_ && go_) DecodePackage(record_[package_offset_]);
}

void EwsdDecoder::DecodePackage(std::uint8_t identifier) {
  using namespace formats::ewsd;
  const int p = package_offset_;
  const std::uint8_t* r = record_;
  // Bytes a package reads, counted from its identifier; a package that would
  // read past the record makes the record invalid.
  auto needs = [&](int count) {
    if (Inside(p, count)) return true;
    ReportInvalidFile();
    return false;
  };
  // A package of one number into one slot.
  auto number = [&](const Package& package) {
    if (!needs(package.Reads())) return;
    PutNumber(package.slot, ReadUnsigned(p + package.value_at, package.width));
    package_offset_ = p + package.length;
  };
  switch (identifier) {
    case kDateTime.id: {
      if (!needs(kDateTime.Reads())) return;
      // Each byte's right two digits in the date's and the time's pattern.
      char* date = slots_[kDateSlot].Room();
      std::memcpy(date, kDatePattern, kDateTextLength);
      platform::PutTwoDigits(date + kYearTextAt, r[p + kYearAt]);
      platform::PutTwoDigits(date + kMonthTextAt, r[p + kMonthAt]);
      platform::PutTwoDigits(date + kDayTextAt, r[p + kDayAt]);
      slots_[kDateSlot].SetSize(kDateTextLength);
      char* time = slots_[kTimeSlot].Room();
      std::memcpy(time, kTimePattern, kTimeTextLength);
      platform::PutTwoDigits(time + kHourTextAt, r[p + kHourAt]);
      platform::PutTwoDigits(time + kMinuteTextAt, r[p + kMinuteAt]);
      platform::PutTwoDigits(time + kSecondTextAt, r[p + kSecondAt]);
      slots_[kTimeSlot].SetSize(kTimeTextLength);
      PutNumber(kDateTime.slot, ReadUnsigned(p + kDateTime.value_at, kDateTime.width));
      package_offset_ = p + kDateTime.length;
      return;
    }
    case kCalled.id:
      package_offset_ = p + kCalled.value_at;
      return ReadDigitString(Wanted(kCalled.slot) ? &slots_[kCalled.slot] : nullptr);
    case kService.id:
      return number(kService);
    case kUnits.id:
      return number(kUnits);
    case kIncomingTrunk.id:
      return DecodeTrunk(kIncomingTrunk);
    case kOutgoingTrunk.id:
      return DecodeTrunk(kOutgoingTrunk);
    case kIncomingTrunkPort.id:
      return DecodeTrunk(kIncomingTrunkPort);
    case kOutgoingTrunkPort.id:
      return DecodeTrunk(kOutgoingTrunkPort);
    case kConnection.id:
      return number(kConnection);
    case kOwnLength112.id:
    case kOwnLength113.id:
    case kOwnLength119.id:
    case kOwnLength134.id:
    case kOwnLength140.id:
    case kOwnLength141.id:
    case kOwnLength154.id:
    case kOwnLength172.id:
      package_offset_ = p + identifier;
      return;
    case kSkip116.id:
      package_offset_ = p + kSkip116.length;
      return;
    case kCallingCategory.id:
      return number(kCallingCategory);
    case kZone.id:
      return number(kZone);
    case kTrafficCause.id:
      return number(kTrafficCause);
    case kChb.id:
      return number(kChb);
    case kCallingBytes142.id:
    case kCallingBytes170.id:
      return DecodeCallingBytes();
    case kThirdParty.id:
      return DecodeThirdParty();
    case kBGroup.id:
      return number(kBGroup);
    case kAlternativeCalled.id:
      // Only fills a called number that is still empty.
      package_offset_ = p + kAlternativeCalled.value_at;
      return ReadDigitString(
          Wanted(kCalledSlot) && slots_[kCalledSlot].empty() ? &slots_[kCalledSlot] : nullptr);
    default:
      if (InPackageRange(identifier)) return ReportUnsupported(identifier);
      return ReportInvalidFile();
  }
}

void EwsdDecoder::DecodeTrunk(const formats::ewsd::Package& trunk) {
  using namespace formats::ewsd;
  const int p = package_offset_;
  const bool with_port = trunk.kind == PackageKind::kTrunkWithPort;
  if (!Inside(p, trunk.length)) return ReportInvalidFile();
  if (Wanted(trunk.slot)) {
    // Six characters as they stand (trimmed only when written out).
    SlotText& text = slots_[static_cast<std::size_t>(trunk.slot)];
    std::memcpy(text.Room(), record_ + p + trunk.value_at, trunk.width);
    text.SetSize(trunk.width);
  }
  const int slot_number = TrunkNumberSlot(trunk);
  if (Wanted(slot_number)) {
    SlotText& number = slots_[static_cast<std::size_t>(slot_number)];
    char* end =
        platform::PutDecimal(number.Room(), ReadUnsigned(p + kTrunkNumberAt, kTrunkNumberWidth));
    if (with_port) {
      *end++ = '-';
      end = platform::PutDecimal(end, std::uint64_t{record_[p + kTrunkPortAt]});
    }
    number.SetSize(static_cast<std::size_t>(end - number.Room()));
  }
  package_offset_ = p + trunk.length;
}

void EwsdDecoder::PutHexBytes(char* out, int from, int count) const {
  const std::uint8_t* bytes = record_ + from;
  int i = 0;
  if (platform::kLittleEndian) {
    // Four bytes at a time while four lie inside the record view; the
    // characters past 2 * count are not part of the text.
    for (; i < count && from + i + 4 <= record_length_ + 1; i += 4) {
      std::uint32_t four;
      std::memcpy(&four, bytes + i, 4);
      const std::uint64_t text = platform::HexDigitsOfFour(four);
      std::memcpy(out + 2 * i, &text, 8);
    }
  }
  for (; i < count; ++i) platform::PutHexDigits(out + 2 * i, bytes[i]);
}

void EwsdDecoder::HexInto(SlotText& out, int from, int count, bool leading_zero) const {
  char* const text = out.Room();
  if (leading_zero) {
    PutHexBytes(text, from, count);
    return out.SetSize(2 * static_cast<std::size_t>(count));
  }
  // Without leading zeros a high nibble of 0 is left out of its byte.
  char* at = text;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t b = record_[from + i];
    if (b >> 4) {
      platform::PutHexDigits(at, b);
      at += 2;
    } else {
      *at++ = platform::kHexDigitPairs[2u * b + 1];
    }
  }
  out.SetSize(static_cast<std::size_t>(at - text));
}

void EwsdDecoder::DecodeCallingBytes() {
  using namespace formats::ewsd;
  const int p = package_offset_;
  // As constants of their own, the offsets fold into the byte's address.
  constexpr int kLengthAt = kCallingBytes142.value_at;
  if (!Inside(p, kCallingBytes142.Reads())) return ReportInvalidFile();
  const int length = record_[p + kLengthAt];
  // A length of 0 would hold the record's walk at this package for ever.
  if (length == 0) return ReportInvalidFile();
  if (length <= kCallingBytesFrom) {
    slots_[kCallingSlot].clear();
  } else {
    const int count = length - kCallingBytesFrom;
    if (!Inside(p + kCallingBytesFrom, count)) return ReportInvalidFile();
    if (Wanted(kCallingSlot)) HexInto(slots_[kCallingSlot], p + kCallingBytesFrom, count, true);
  }
  package_offset_ = p + length;
}

void EwsdDecoder::DecodeThirdParty() {
  using namespace formats::ewsd;
  const int p = package_offset_;
  constexpr int kCountAt = kThirdParty.value_at;
  if (!Inside(p, kThirdParty.Reads())) return ReportInvalidFile();
  const int count = record_[p + kCountAt];
  const int bytes = DigitBytes(count);
  if (!Inside(p + kThirdPartyDigitsAt, bytes)) return ReportInvalidFile();
  if (Wanted(kThirdParty.slot))
    HexInto(slots_[kThirdParty.slot], p + kThirdPartyDigitsAt, bytes, false);
  package_offset_ = p + kThirdPartyDigitsAt + bytes;
}

// Messages are rare: kept out of the flattened package loop.
[[gnu::cold, gnu::noinline]] void EwsdDecoder::ReportUnsupported(int identifier) {
  go_ = false;
  condition_ = DecoderCondition::kUnsupportedPackage;
  host_.ShowMessage({"Pack Message " + std::to_string(identifier) +
                         " Received. This Feature is not Enabled at Present. Cann't Proceed.",
                     "Contact The Programmer", MessageIcon::kError, MessageButtons::kOk});
  Close();
}

[[gnu::cold, gnu::noinline]] void EwsdDecoder::ReportInvalidFile() {
  go_ = false;
  condition_ = DecoderCondition::kInvalidFile;
  if (kind_ == PassKind::kSeveralFiles) {
    answer_ = host_.ShowMessage(InvalidFileMessage(path_, kind_));
    return;
  }
  host_.ShowMessage(InvalidFileMessage(path_, kind_));
  Close();
}

}  // namespace vantor
