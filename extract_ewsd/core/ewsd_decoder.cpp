#include "ewsd_decoder.h"

namespace vantor {

const std::array<const char*, 20> kSlotCaptions = {
    "Serial Number", "Date",       "Time",           "Calling ID",
    "Called ID",     "Duration",   "Units",          "OG Tgp",
    "IC Tgp",        "OG Trunk",   "IC Trunk",       "ConnID",
    "Zone",          "CHB",        "Calling Cat",    "Traffic Cause",
    "Service Indic", "B Group ID", "Addl Call Info", "3rd Party Digit"};

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// "0" + value, right two characters: 7 -> "07", 112 -> "12".
void PutTwoDigits(char* at, unsigned value) {
  at[0] = static_cast<char>('0' + value / 10 % 10);
  at[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

bool EwsdDecoder::BeginFile(const std::string& path, PassKind kind, std::string* error) {
  path_ = path;
  kind_ = kind;
  file_offset_ = 0;
  records_found_ = 0;
  record_length_ = 0;
  condition_ = DecoderCondition::kNone;
  go_ = true;
  if (!reader_.Open(path, error)) {
    go_ = false;
    file_length_ = 0;
    return false;
  }
  file_length_ = static_cast<std::int64_t>(reader_.Length());
  return true;
}

void EwsdDecoder::FindNextRecord() {
  for (;;) {
    if (file_offset_ >= file_length_) {
      go_ = false;
      return;
    }
    const auto offset = static_cast<std::uint64_t>(file_offset_);
    const std::uint8_t lead = reader_.Byte(offset);
    if (lead == 0x80) {
      file_offset_ += 1;
    } else if (lead == 0x81) {
      const int length = reader_.Byte(offset + 1) + 256 * reader_.Byte(offset + 2);
      // A block of length 0 would hold the walk at this byte for ever.
      if (length == 0) return ReportInvalidFile();
      file_offset_ += length;
    } else if (lead == 0x00 || (lead >= 1 && lead <= 3)) {
      file_offset_ += 32;
    } else if (lead >= 122 && lead <= 124) {
      file_offset_ += 64;
    } else {
      const int length = reader_.Byte(offset + 1);
      if (length == 0) return ReportInvalidFile();
      buffer_.fill(0);
      reader_.Read(offset, buffer_.data(), static_cast<std::size_t>(length) + 1);
      record_length_ = length;
      file_offset_ += length;
      return;
    }
  }
}

bool EwsdDecoder::Inside(int offset, int count) const {
  return offset >= 0 && count >= 0 && offset + count <= record_length_ + 1;
}

void EwsdDecoder::ReadRecordHeader() {
  if (!Inside(3, 1)) return ReportInvalidFile();
  if (buffer_[3] & 0x80) {
    package_offset_ = 8;
    return;
  }
  package_offset_ = 7;
  std::string owner = ReadDigitString();
  if (go_) slots_[3] = std::move(owner);
}

std::string EwsdDecoder::ReadDigitString() {
  std::string text;
  if (!Inside(package_offset_, 1)) {
    ReportInvalidFile();
    return text;
  }
  const int digits = buffer_[static_cast<std::size_t>(package_offset_)] & 0x1F;
  const int bytes = (digits + 1) / 2;
  if (!Inside(package_offset_ + 1, bytes)) {
    ReportInvalidFile();
    return text;
  }
  // At most 31 digits (16 bytes): made on the stack, assigned once.
  char hex[32];
  for (int i = 0; i < bytes; ++i) {
    const std::uint8_t b = buffer_[static_cast<std::size_t>(package_offset_ + 1 + i)];
    hex[2 * i] = kHexDigits[b >> 4];
    hex[2 * i + 1] = kHexDigits[b & 0x0F];
  }
  text.assign(hex, static_cast<std::size_t>(digits));
  package_offset_ += 1 + bytes;
  return text;
}

std::string EwsdDecoder::ReadText6(int offset) const {
  std::string text(6, ' ');
  for (int i = 0; i < 6; ++i)
    text[static_cast<std::size_t>(i)] =
        static_cast<char>(buffer_[static_cast<std::size_t>(offset + i)]);
  return text;
}

std::uint32_t EwsdDecoder::ReadUnsigned(int offset, int width) const {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = value << 8 | buffer_[static_cast<std::size_t>(offset + i)];
  return value;
}

void EwsdDecoder::DecodePackages() {
  while (package_offset_ + 1 < record_length_ && go_)
    DecodePackage(buffer_[static_cast<std::size_t>(package_offset_)]);
}

void EwsdDecoder::DecodePackage(std::uint8_t identifier) {
  const int p = package_offset_;
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
      char date[] = "20YY-MM-DD";
      PutTwoDigits(date + 2, buffer_[p + 1]);
      PutTwoDigits(date + 5, buffer_[p + 2]);
      PutTwoDigits(date + 8, buffer_[p + 3]);
      slots_[1].assign(date, 10);
      char time[] = "HH:MM:SS";
      PutTwoDigits(time, buffer_[p + 4]);
      PutTwoDigits(time + 3, buffer_[p + 5]);
      PutTwoDigits(time + 6, buffer_[p + 6]);
      slots_[2].assign(time, 8);
      slots_[5] = std::to_string(ReadUnsigned(p + 8, 3));
      package_offset_ = p + 11;
      return;
    }
    case 101: {
      package_offset_ = p + 1;
      std::string called = ReadDigitString();
      if (go_) slots_[4] = std::move(called);
      return;
    }
    case 102:
      if (!needs(2)) return;
      slots_[16] = std::to_string(buffer_[p + 1]);
      package_offset_ = p + 4;
      return;
    case 103:
      if (!needs(4)) return;
      slots_[6] = std::to_string(ReadUnsigned(p + 1, 3));
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
      slots_[11] = std::to_string(ReadUnsigned(p + 2, 4));
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
      slots_[14] = std::to_string(buffer_[p + 1]);
      package_offset_ = p + 2;
      return;
    case 122:
      if (!needs(3)) return;
      slots_[12] = std::to_string(ReadUnsigned(p + 1, 2));
      package_offset_ = p + 3;
      return;
    case 130:
      if (!needs(4)) return;
      slots_[15] = std::to_string(ReadUnsigned(p + 2, 2));
      package_offset_ = p + 5;
      return;
    case 135:
      if (!needs(4)) return;
      slots_[13] = std::to_string(ReadUnsigned(p + 2, 2));
      package_offset_ = p + 5;
      return;
    case 142:
    case 170:
      return DecodeCallingBytes();
    case 146:
      return DecodeThirdParty();
    case 151:
      if (!needs(5)) return;
      slots_[17] = std::to_string(ReadUnsigned(p + 2, 3));
      package_offset_ = p + 5;
      return;
    case 168: {
      package_offset_ = p + 4;
      std::string called = ReadDigitString();
      if (go_ && slots_[4].empty()) slots_[4] = std::move(called);
      return;
    }
    default:
      if (identifier >= 100 && identifier <= 200) return ReportUnsupported(identifier);
      return ReportInvalidFile();
  }
}

void EwsdDecoder::DecodeTrunk(int slot_text, int slot_number, bool with_port) {
  const int p = package_offset_;
  if (!Inside(p, with_port ? 10 : 9)) return ReportInvalidFile();
  slots_[static_cast<std::size_t>(slot_text)] = ReadText6(p + 1);
  std::string& number = slots_[static_cast<std::size_t>(slot_number)];
  number = std::to_string(ReadUnsigned(p + 7, 2));
  if (with_port) {
    number += '-';
    number += std::to_string(buffer_[static_cast<std::size_t>(p + 9)]);
  }
  package_offset_ = p + (with_port ? 10 : 9);
}

void EwsdDecoder::HexInto(std::string& out, int from, int count, bool leading_zero) const {
  out.clear();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t b = buffer_[static_cast<std::size_t>(from + i)];
    if (leading_zero || b >> 4) out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
}

void EwsdDecoder::DecodeCallingBytes() {
  const int p = package_offset_;
  if (!Inside(p, 2)) return ReportInvalidFile();
  const int length = buffer_[static_cast<std::size_t>(p + 1)];
  // A length of 0 would hold the record's walk at this package for ever.
  if (length == 0) return ReportInvalidFile();
  if (length < 6) {
    slots_[3].clear();
  } else {
    if (!Inside(p + 5, length - 5)) return ReportInvalidFile();
    HexInto(slots_[3], p + 5, length - 5, true);
  }
  package_offset_ = p + length;
}

void EwsdDecoder::DecodeThirdParty() {
  const int p = package_offset_;
  if (!Inside(p, 7)) return ReportInvalidFile();
  const int count = buffer_[static_cast<std::size_t>(p + 6)];
  const int bytes = (count + 1) / 2;
  if (!Inside(p + 7, bytes)) return ReportInvalidFile();
  HexInto(slots_[19], p + 7, bytes, false);
  package_offset_ = p + 7 + bytes;
}

void EwsdDecoder::ReportUnsupported(int identifier) {
  go_ = false;
  condition_ = DecoderCondition::kUnsupportedPackage;
  host_.ShowMessage({"Pack Message " + std::to_string(identifier) +
                         " Received. This Feature is not Enabled at Present. Cann't Proceed.",
                     "Contact The Programmer", MessageIcon::kError, MessageButtons::kOk});
  reader_.Close();
}

void EwsdDecoder::ReportInvalidFile() {
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
  reader_.Close();
}

}  // namespace vantor
