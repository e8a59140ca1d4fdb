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
  // The latest record found; its bytes are read only when it is decoded.
  std::uint64_t record_offset = 0;
  bool record_found = false;
};

// Bytes of the record buffer; anything past it reads as 0x00 so that a
// header or package reaching past the record cannot read wild memory.
std::uint8_t At(const EwsdMemory& m, std::uint64_t i) {
  return i < m.record.size() ? m.record[static_cast<std::size_t>(i)] : 0;
}

// What one step of the walk found at a lead byte.
enum class Step { kMoved, kRecord, kDamaged };

// One step from the lead byte and the byte after it. A zero record length
// or 0x81 block length would never advance, so it ends the scan as damaged.
inline Step StepOver(std::uint8_t lead, std::uint8_t next, std::uint64_t& offset) {
  if (lead == 0x80) {
    offset += 1;
  } else if (lead == 0x81) {
    // Only the byte at +1 counts here (not the little-endian 16 bits).
    if (next == 0) return Step::kDamaged;
    offset += next;
  } else if (lead <= 3) {
    offset += 32;
  } else if (lead >= 122 && lead <= 124) {
    offset += 64;
  } else {
    return next == 0 ? Step::kDamaged : Step::kRecord;
  }
  return Step::kMoved;
}

// Scans filler up to the next record start and notes where the record lies
// (its bytes are read only when it is decoded).
void FindNextRecord(EwsdScan& scan, EwsdMemory& memory) {
  constexpr std::size_t kWindow = 64 * 1024;
  std::uint64_t offset = scan.offset;
  Step step = Step::kMoved;
  while (step == Step::kMoved) {
    if (offset >= scan.length) {
      scan.offset = offset;
      scan.go = false;
      return;
    }
    // The filler is walked inside a window of the reader's buffer; a lead
    // byte that is the last of the window is read on its own.
    const auto window = static_cast<std::size_t>(std::min<std::uint64_t>(scan.length - offset, kWindow));
    const std::uint8_t* bytes = scan.file.View(offset, window);
    std::uint64_t i = 0;
    while (i + 1 < window && step == Step::kMoved) {
      const std::uint64_t at = i;
      step = StepOver(bytes[at], bytes[at + 1], i);
      if (step != Step::kMoved) i = at;
    }
    offset += i;
    if (step == Step::kMoved && i + 1 == window) {
      const std::uint8_t lead = scan.file.Byte(offset);
      const std::uint64_t at = offset;
      step = StepOver(lead, scan.file.Byte(offset + 1), offset);
      if (step != Step::kMoved) offset = at;
    }
  }
  scan.offset = offset;
  if (step == Step::kDamaged) {
    scan.go = false;
    return;
  }
  const std::uint8_t length = scan.file.Byte(offset + 1);
  memory.length = length;
  scan.record_offset = offset;
  scan.record_found = true;
  scan.offset += length;
}

// After the first record only the records' count and places are wanted:
// walks on record by record inside one window of the file. Returns true
// when it stops at a record that wants the run's checks (it passes the
// progress step or reaches the end of the file), false at the window's end
// or at anything else, which FindNextRecord then takes as before.
bool WalkRecords(EwsdScan& scan, EwsdMemory& memory, std::uint64_t next_step_end,
                 std::uint64_t& count) {
  constexpr std::size_t kWindow = 64 * 1024;
  const std::uint64_t offset = scan.offset;
  if (offset >= scan.length) return false;
  const auto window = static_cast<std::size_t>(std::min<std::uint64_t>(scan.length - offset, kWindow));
  const std::uint8_t* bytes = scan.file.View(offset, window);
  std::uint64_t i = 0;
  while (i + 1 < window) {
    const std::uint64_t at = i;
    const Step step = StepOver(bytes[at], bytes[at + 1], i);
    if (step == Step::kMoved) continue;
    if (step == Step::kDamaged) {
      i = at;
      break;
    }
    const std::uint8_t length = bytes[at + 1];
    memory.length = length;
    scan.record_offset = offset + at;
    scan.record_found = true;
    scan.offset = offset + at + length;
    ++count;
    if (scan.offset >= next_step_end || scan.record_offset + length + 1 > scan.length) return true;
    i = at + length;
  }
  scan.offset = offset + i;
  return false;
}

// Reads the latest record found (L + 1 bytes) into the record buffer.
void LoadRecord(EwsdScan& scan, EwsdMemory& memory) {
  memory.record.resize(static_cast<std::size_t>(memory.length) + 1);
  scan.file.ReadBytes(scan.record_offset, memory.record.data(), memory.record.size());
}

// True when the latest record reached past the end of the file.
bool RecordReachesEnd(const EwsdScan& scan, const EwsdMemory& memory) {
  return scan.record_offset + static_cast<std::uint64_t>(memory.length) + 1 > scan.length;
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
  // Progress moves on once the offset passes the next step.
  std::uint64_t next_step_end = step - 1;
  for (;;) {
    if (count == 0 || !WalkRecords(scan, memory, next_step_end, count)) {
      FindNextRecord(scan, memory);
      if (!scan.go) break;
      if (count == 0) {
        LoadRecord(scan, memory);
        DecodeRecord(scan, memory, host);
        first = memory.slot_values;
      }
      ++count;
      if (scan.unsupported) break;
    }
    if (scan.offset >= next_step_end) {
      const std::uint64_t p = (scan.offset + 1) / step;
      next_step_end = (p + 1) * step - 1;
      if (p > previous_p && p <= static_cast<std::uint64_t>(maximum)) {
        previous_p = p;
        host.SetProgress(static_cast<int>(p));
        if (PumpAndCheckStop(context)) {
          host.SetProgress(0);
          return kStoppedResult;
        }
      }
    }
    if (RecordReachesEnd(scan, memory)) break;
  }
  host.SetProgress(0);
  if (!scan.unsupported) {
    // The last record found is decoded; with none in this file, what the
    // record buffer still holds.
    if (scan.record_found && count > 1) LoadRecord(scan, memory);
    scan.go = true;
    DecodeRecord(scan, memory, host);
  }
  // After an unsupported package the slots hold what was decoded before it.
  last = memory.slot_values;
  host.SetProgress(0);
  return ResultText(MomentText(first.date, first.time), MomentText(last.date, last.time), count);
}

}  // namespace lomtra
