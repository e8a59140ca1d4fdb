#include "ewsd_decoder.h"

#include <cstring>

#include "text_tables.h"

namespace vantor {

const std::array<const char*, 20> kSlotCaptions = {
    "Serial Number", "Date",       "Time",           "Calling ID",
    "Called ID",     "Duration",   "Units",          "OG Tgp",
    "IC Tgp",        "OG Trunk",   "IC Trunk",       "ConnID",
    "Zone",          "CHB",        "Calling Cat",    "Traffic Cause",
    "Service Indic", "B Group ID", "Addl Call Info", "3rd Party Digit"};

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
  if (!reader_.Open(path, error)) {
    go_ = false;
    file_length_ = 0;
    return false;
  }
  reader_.MapFile();  // records straight from the file cache, not copied
  file_length_ = static_cast<std::int64_t>(reader_.Length());
  return true;
}

void EwsdDecoder::FindNextRecord() {
  // Any read below may move the reader's buffer under the last record.
  record_in_view_ = false;
  for (;;) {
    if (file_offset_ >= file_length_) {
      go_ = false;
      return;
    }
    const auto offset = static_cast<std::uint64_t>(file_offset_);
    // Far from the end the bytes come from a window of several kilobytes,
    // one reader call for dozens of records, and hold the lead byte, the
    // length bytes and any record with the byte after it. Near the end one
    // view per item: the first three bytes (zeros past the end), and a
    // record gets a view of its own.
    const std::uint8_t* head = nullptr;
    bool far_from_end = true;
    if (file_offset_ >= window_start_ &&
        file_offset_ + static_cast<std::int64_t>(kLongestView) <= window_end_) {
      head = window_ + (file_offset_ - window_start_);
    } else if (file_length_ - file_offset_ >= static_cast<std::int64_t>(kWindow)) {
      window_ = reader_.View(offset, kWindow);
      window_start_ = file_offset_;
      window_end_ = file_offset_ + static_cast<std::int64_t>(kWindow);
      head = window_;
    } else {
      far_from_end = file_length_ - file_offset_ >= static_cast<std::int64_t>(kLongestView);
      head = reader_.View(offset, far_from_end ? kLongestView : 3);
      ForgetWindow();
    }
    const std::uint8_t lead = head[0];
    if (lead == 0x80) {
      file_offset_ += 1;
    } else if (lead == 0x81) {
      const int length = head[1] + 256 * head[2];
      // A block of length 0 would hold the walk at this byte for ever.
      if (length == 0) return ReportInvalidFile();
      file_offset_ += length;
    } else if (lead <= 3) {
      file_offset_ += 32;
    } else if (lead >= 122 && lead <= 124) {
      file_offset_ += 64;
    } else {
      const int length = head[1];
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
  if (!Inside(3, 1)) return ReportInvalidFile();
  if (record_[3] & 0x80) {
    package_offset_ = 8;
    return;
  }
  package_offset_ = 7;
  ReadDigitString(Wanted(3) ? &slots_[3] : nullptr);
}

void EwsdDecoder::ReadDigitString(SlotText* into) {
  if (!Inside(package_offset_, 1)) return ReportInvalidFile();
  const int digits = record_[package_offset_] & 0x1F;
  const int bytes = (digits + 1) / 2;
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
  text.SetSize(static_cast<std::size_t>(PutDecimal(text.Room(), value) - text.Room()));
}

// Flattened: the package switch and its helpers inlined into the loop that
// runs for every package of every record.
[[gnu::flatten]] void EwsdDecoder::DecodePackages() {
  while (package_offset_ + 1 < record_length_ && go_) DecodePackage(record_[package_offset_]);
}

void EwsdDecoder::DecodePackage(std::uint8_t identifier) {
  const int p = package_offset_;
  const std::uint8_t* r = record_;
  // Bytes a package reads, counted from its identifier; a package that would
  // read past the record makes the record invalid.
  auto needs = [&](int count) {
    if (Inside(p, count)) return true;
    ReportInvalidFile();
    return false;
  };
  switch (identifier) {
    case 100: {
      if (!needs(11)) return;
      // "20YY-MM-DD" and "HH:MM:SS", each value's right two digits.
      char* date = slots_[1].Room();
      std::memcpy(date, "20YY-MM-DD", 10);
      PutDecimalPair(date + 2, r[p + 1]);
      PutDecimalPair(date + 5, r[p + 2]);
      PutDecimalPair(date + 8, r[p + 3]);
      slots_[1].SetSize(10);
      char* time = slots_[2].Room();
      std::memcpy(time, "HH:MM:SS", 8);
      PutDecimalPair(time, r[p + 4]);
      PutDecimalPair(time + 3, r[p + 5]);
      PutDecimalPair(time + 6, r[p + 6]);
      slots_[2].SetSize(8);
      PutNumber(5, ReadUnsigned(p + 8, 3));
      package_offset_ = p + 11;
      return;
    }
    case 101:
      package_offset_ = p + 1;
      return ReadDigitString(Wanted(4) ? &slots_[4] : nullptr);
    case 102:
      if (!needs(2)) return;
      PutNumber(16, r[p + 1]);
      package_offset_ = p + 4;
      return;
    case 103:
      if (!needs(4)) return;
      PutNumber(6, ReadUnsigned(p + 1, 3));
      package_offset_ = p + 4;
      return;
    case 105:
      return DecodeTrunk(8, 10, false);
    case 106:
      return DecodeTrunk(7, 9, false);
    case 107:
      return DecodeTrunk(8, 10, true);
    case 108:
      return DecodeTrunk(7, 9, true);
    case 110:
      if (!needs(6)) return;
      PutNumber(11, ReadUnsigned(p + 2, 4));
      package_offset_ = p + 6;
      return;
    case 112:
    case 113:
    case 119:
    case 134:
    case 140:
    case 141:
    case 154:
    case 172:
      // These carry no length byte: each is as long as its own identifier.
      package_offset_ = p + identifier;
      return;
    case 116:
      package_offset_ = p + 8;
      return;
    case 120:
      if (!needs(2)) return;
      PutNumber(14, r[p + 1]);
      package_offset_ = p + 2;
      return;
    case 122:
      if (!needs(3)) return;
      PutNumber(12, ReadUnsigned(p + 1, 2));
      package_offset_ = p + 3;
      return;
    case 130:
      if (!needs(4)) return;
      PutNumber(15, ReadUnsigned(p + 2, 2));
      package_offset_ = p + 5;
      return;
    case 135:
      if (!needs(4)) return;
      PutNumber(13, ReadUnsigned(p + 2, 2));
      package_offset_ = p + 5;
      return;
    case 142:
    case 170:
      return DecodeCallingBytes();
    case 146:
      return DecodeThirdParty();
    case 151:
      if (!needs(5)) return;
      PutNumber(17, ReadUnsigned(p + 2, 3));
      package_offset_ = p + 5;
      return;
    case 168:
      // Only fills a called number that is still empty.
      package_offset_ = p + 4;
      return ReadDigitString(Wanted(4) && slots_[4].empty() ? &slots_[4] : nullptr);
    default:
      if (identifier >= 100 && identifier <= 200) return ReportUnsupported(identifier);
      return ReportInvalidFile();
  }
}

void EwsdDecoder::DecodeTrunk(int slot_text, int slot_number, bool with_port) {
  const int p = package_offset_;
  if (!Inside(p, with_port ? 10 : 9)) return ReportInvalidFile();
  if (Wanted(slot_text)) {
    // Six characters as they stand (trimmed only when written out).
    SlotText& text = slots_[static_cast<std::size_t>(slot_text)];
    std::memcpy(text.Room(), record_ + p + 1, 6);
    text.SetSize(6);
  }
  if (Wanted(slot_number)) {
    SlotText& number = slots_[static_cast<std::size_t>(slot_number)];
    char* end = PutDecimal(number.Room(), ReadUnsigned(p + 7, 2));
    if (with_port) {
      *end++ = '-';
      end = PutDecimal(end, std::uint64_t{record_[p + 9]});
    }
    number.SetSize(static_cast<std::size_t>(end - number.Room()));
  }
  package_offset_ = p + (with_port ? 10 : 9);
}

void EwsdDecoder::PutHexBytes(char* out, int from, int count) const {
  const std::uint8_t* bytes = record_ + from;
  int i = 0;
  if (kLittleEndian) {
    // Four bytes at a time while four lie inside the record view; the
    // characters past 2 * count are not part of the text.
    for (; i < count && from + i + 4 <= record_length_ + 1; i += 4) {
      std::uint32_t four;
      std::memcpy(&four, bytes + i, 4);
      const std::uint64_t text = HexDigitsOfFour(four);
      std::memcpy(out + 2 * i, &text, 8);
    }
  }
  for (; i < count; ++i) PutHexPair(out + 2 * i, bytes[i]);
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
      PutHexPair(at, b);
      at += 2;
    } else {
      *at++ = kHexPairs[2u * b + 1];
    }
  }
  out.SetSize(static_cast<std::size_t>(at - text));
}

void EwsdDecoder::DecodeCallingBytes() {
  const int p = package_offset_;
  if (!Inside(p, 2)) return ReportInvalidFile();
  const int length = record_[p + 1];
  // A length of 0 would hold the record's walk at this package for ever.
  if (length == 0) return ReportInvalidFile();
  if (length < 6) {
    slots_[3].clear();
  } else {
    if (!Inside(p + 5, length - 5)) return ReportInvalidFile();
    if (Wanted(3)) HexInto(slots_[3], p + 5, length - 5, true);
  }
  package_offset_ = p + length;
}

void EwsdDecoder::DecodeThirdParty() {
  const int p = package_offset_;
  if (!Inside(p, 7)) return ReportInvalidFile();
  const int count = record_[p + 6];
  const int bytes = (count + 1) / 2;
  if (!Inside(p + 7, bytes)) return ReportInvalidFile();
  if (Wanted(19)) HexInto(slots_[19], p + 7, bytes, false);
  package_offset_ = p + 7 + bytes;
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
    answer_ = host_.ShowMessage(
        {path_ + " is not a valid Data File.  Do You want to continue with other selected Files",
         "Check Data File", MessageIcon::kQuestion, MessageButtons::kYesNo});
    return;
  }
  host_.ShowMessage({"Invalid DataFile. Cann't Proceed", "Check Data File", MessageIcon::kError,
                     MessageButtons::kOk});
  Close();
}

}  // namespace vantor
