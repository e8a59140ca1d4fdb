// EWSD: records have variable length, so the whole file is scanned record by
// record; only the first and the last record have their packages decoded.
#include <algorithm>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"

namespace lomtra {
namespace {

struct EwsdScan {
  DataFile file;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool go = true;
  bool unsupported = false;  // an unsupported package was met (message shown)
};

// Bytes of the record buffer; anything past it reads as 0x00 so that a
// header or package reaching past the record cannot read wild memory.
std::uint8_t At(const EwsdMemory& m, std::uint64_t i) {
  return i < m.record.size() ? m.record[static_cast<std::size_t>(i)] : 0;
}

// Scans filler up to the next record start and reads the record into the
// buffer. A zero record length or 0x81 block length would never advance, so
// it ends the scan as damaged data.
void FindNextRecord(EwsdScan& scan, EwsdMemory& memory) {
  for (;;) {
    if (scan.offset >= scan.length) {
      scan.go = false;
      return;
    }
    const std::uint8_t lead = scan.file.Byte(scan.offset);
    if (lead == 0x80) {
      scan.offset += 1;
    } else if (lead == 0x81) {
      // Only the byte at +1 counts here (not the little-endian 16 bits).
      const std::uint8_t step = scan.file.Byte(scan.offset + 1);
      if (step == 0) {
        scan.go = false;
        return;
      }
      scan.offset += step;
    } else if (lead == 0x00 || (lead >= 1 && lead <= 3)) {
      scan.offset += 32;
    } else if (lead >= 122 && lead <= 124) {
      scan.offset += 64;
    } else {
      const std::uint8_t length = scan.file.Byte(scan.offset + 1);
      if (length == 0) {
        scan.go = false;
        return;
      }
      memory.length = length;
      memory.record.resize(static_cast<std::size_t>(length) + 1);
      scan.file.ReadBytes(scan.offset, memory.record.data(), memory.record.size());
      scan.offset += length;
      return;
    }
  }
}

// Digit string: count byte (low five bits = digits), packed digits after it.
std::string ReadDigitString(const EwsdMemory& m, std::uint64_t& p) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const int n = At(m, p) & 0x1F;
  const int bytes = (n + 1) / 2;
  std::string text;
  for (int i = 0; i < bytes; ++i) {
    const std::uint8_t b = At(m, p + 1 + static_cast<std::uint64_t>(i));
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
  }
  text.resize(static_cast<std::size_t>(n));
  p += 1 + static_cast<std::uint64_t>(bytes);
  return text;
}

std::uint64_t ReadRecordHeader(EwsdMemory& m) {
  if (At(m, 3) & 0x80) return 8;
  std::uint64_t p = 7;
  m.slot_values.calling = ReadDigitString(m, p);
  return p;
}

// Steps over one package (storing only slots 1 to 4). Returns false on an
// identifier the analyser has no handler for.
bool DecodePackage(EwsdMemory& m, std::uint64_t& p) {
  const std::uint8_t id = At(m, p);
  switch (id) {
    case 100:
      m.slot_values.date = "20" + TwoDigits(At(m, p + 1)) + "-" + TwoDigits(At(m, p + 2)) + "-" +
                           TwoDigits(At(m, p + 3));
      m.slot_values.time =
          TwoDigits(At(m, p + 4)) + ":" + TwoDigits(At(m, p + 5)) + ":" + TwoDigits(At(m, p + 6));
      p += 11;
      return true;
    case 101: {
      std::uint64_t q = p + 1;
      m.slot_values.called = ReadDigitString(m, q);
      p = q;
      return true;
    }
    case 102:
    case 103:
      p += 4;
      return true;
    case 105:
    case 106:
      p += 9;
      return true;
    case 107:
    case 108:
      p += 10;
      return true;
    case 110:
      p += 6;
      return true;
    case 112:
    case 113:
    case 119:
    case 134:
    case 154:
    case 172:
      p += id;
      return true;
    case 116:
      p += 8;
      return true;
    case 120:
      p += 2;
      return true;
    case 122:
      p += 3;
      return true;
    case 130:
    case 135:
    case 151:
      p += 5;
      return true;
    case 142:
    case 170: {
      const std::uint8_t length = At(m, p + 1);
      std::string text;
      for (std::uint64_t k = 5; k + 1 <= length; ++k) {
        const std::uint8_t b = At(m, p + k);
        text += HexText(&b, 0, 1);
      }
      m.slot_values.calling = text;
      // A package length of 0 would never advance: end the record's packages.
      p = length == 0 ? static_cast<std::uint64_t>(m.length) : p + length;
      return true;
    }
    case 146: {
      const int n = At(m, p + 6);
      p += 7 + static_cast<std::uint64_t>((n + 1) / 2);
      return true;
    }
    case 168: {
      std::uint64_t q = p + 4;
      const std::string digits = ReadDigitString(m, q);
      if (m.slot_values.called.empty()) m.slot_values.called = digits;
      p = q;
      return true;
    }
    default:
      return false;
  }
}

void ShowUnsupported(Host& host, int id) {
  host.ShowMessage({"Pack Message " + std::to_string(id) +
                        " Received. This Feature is not Enabled at Present. Cann't Proceed.",
                    "Contact The Programmer", MessageIcon::kError, MessageButtons::kOk});
}

// Decodes the packages from offset p while the go flag holds.
void DecodePackages(EwsdScan& scan, EwsdMemory& m, Host& host, std::uint64_t p) {
  while (p + 1 < static_cast<std::uint64_t>(m.length) && scan.go) {
    if (!DecodePackage(m, p)) {
      ShowUnsupported(host, At(m, p));
      scan.go = false;
      scan.unsupported = true;
      scan.file.Close();
    }
  }
}

// The record in the buffer: ReadRecordHeader, then DecodePackages.
void DecodeRecord(EwsdScan& scan, EwsdMemory& m, Host& host) {
  DecodePackages(scan, m, host, ReadRecordHeader(m));
}

}  // namespace

std::string AnalyseEwsd(const std::filesystem::path& path, AnalyserContext& context) {
  Host& host = context.host;
  EwsdMemory& memory = context.state.ewsd;
  EwsdScan scan;
  EwsdSlots first;
  EwsdSlots last;
  std::uint64_t count = 0;
  const int maximum = host.ProgressMaximum();
  scan.file.OpenData(path);
  scan.length = scan.file.Length();
  // A file shorter than the progress maximum would give a step of 0.
  const std::uint64_t step =
      std::max<std::uint64_t>(scan.length / static_cast<std::uint64_t>(std::max(maximum, 1)), 1);
  std::uint64_t previous_p = 0;
  for (;;) {
    FindNextRecord(scan, memory);
    if (!scan.go) break;
    if (count == 0) {
      DecodeRecord(scan, memory, host);
      first = memory.slot_values;
    }
    ++count;
    if (scan.unsupported) break;
    const std::uint64_t p = (scan.offset + 1) / step;
    if (p > previous_p && p <= static_cast<std::uint64_t>(maximum)) {
      previous_p = p;
      host.SetProgress(static_cast<int>(p));
      if (PumpAndCheckStop(context)) {
        host.SetProgress(0);
        return kStoppedResult;
      }
    }
    if (scan.file.AtEnd()) break;
  }
  host.SetProgress(0);
  if (!scan.unsupported) {
    scan.go = true;
    DecodeRecord(scan, memory, host);
  }
  // After an unsupported package the slots hold what was decoded before it.
  last = memory.slot_values;
  host.SetProgress(0);
  return ResultText(MomentText(first.date, first.time), MomentText(last.date, last.time), count);
}

}  // namespace lomtra
