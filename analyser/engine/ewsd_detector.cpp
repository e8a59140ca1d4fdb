// EWSD: records have variable length, so the whole file is scanned record by
// record; only the first and the last record have their packages decoded.
#include <algorithm>
#include <array>
#include <limits>
#include <set>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "engine/stretches.h"
#include "formats/ewsd/layout.h"
#include "formats/ewsd/packages.h"
#include "formats/ewsd/text.h"
#include "platform/digits.h"

namespace lomtra {
namespace {

namespace ewsd = formats::ewsd;
// The walk below is the analyser's reading of the format.
constexpr const ewsd::WalkPolicy& kWalk = ewsd::kAnalyserWalk;
static_assert(!kWalk.refuses_damage,
              "bytes past the record read as 0x00, zero lengths end quietly");

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

// Both a filler block's and a record's length stand in the byte after the
// lead byte, which the walk reads with it.
static_assert(ewsd::kFillerBlockLengthOffset == 1 && ewsd::kLengthOffset == 1);

// One step from the lead byte and the byte after it. A zero record length
// or 0x81 block length would never advance, so it ends the scan as damaged.
inline Step StepOver(std::uint8_t lead, std::uint8_t next, std::uint64_t& offset) {
  if (lead == ewsd::kFillerByte) {
    offset += 1;
  } else if (lead == ewsd::kFillerBlock) {
    // Only the byte at +1 counts here, so the byte at +2 is not read.
    static_assert(!kWalk.block_length_two_bytes);
    const int length = ewsd::FillerBlockLength(kWalk, next, 0);
    if (length == 0) return Step::kDamaged;
    offset += static_cast<std::uint64_t>(length);
  } else if (ewsd::IsShortUnit(lead)) {
    offset += ewsd::kShortUnitSize;
  } else if (ewsd::IsLongUnit(lead)) {
    offset += ewsd::kLongUnitSize;
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
    const auto window =
        static_cast<std::size_t>(std::min<std::uint64_t>(scan.length - offset, kWindow));
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
  const std::uint8_t length = scan.file.Byte(offset + ewsd::kLengthOffset);
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
  const auto window =
      static_cast<std::size_t>(std::min<std::uint64_t>(scan.length - offset, kWindow));
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
    const std::uint8_t length = bytes[at + ewsd::kLengthOffset];
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
  memory.Set(kEwsdRecord);
}

// True when the latest record reached past the end of the file.
bool RecordReachesEnd(const EwsdScan& scan, const EwsdMemory& memory) {
  return scan.record_offset + static_cast<std::uint64_t>(memory.length) + 1 > scan.length;
}

// `count` bytes of the record buffer from `p`, zeros past it.
template <std::size_t N>
std::array<std::uint8_t, N> BytesAt(const EwsdMemory& m, std::uint64_t p) {
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) bytes[i] = At(m, p + i);
  return bytes;
}

std::string ReadDigitString(const EwsdMemory& m, std::uint64_t& p) {
  const int digits = ewsd::DigitCount(At(m, p));
  // At most 31 digits in 16 bytes.
  const auto packed = BytesAt<16>(m, p + 1);
  p += 1 + static_cast<std::uint64_t>(ewsd::DigitBytes(digits));
  return ewsd::DigitText(packed.data(), digits);
}

std::uint64_t ReadRecordHeader(EwsdMemory& m) {
  if (!ewsd::HasOwner(At(m, ewsd::kFlagsOffset))) return ewsd::kPackagesWithoutOwner;
  std::uint64_t p = ewsd::kOwnerOffset;
  m.slot_values.calling = ReadDigitString(m, p);
  m.Set(kEwsdCalling);
  return p;
}

// Steps over one package (storing only slots 1 to 4). Returns false on an
// identifier the analyser has no handler for.
bool DecodePackage(EwsdMemory& m, std::uint64_t& p) {
  const ewsd::Package* package = ewsd::FindPackage(At(m, p), kWalk);
  if (package == nullptr) return false;
  switch (package->kind) {
    case ewsd::PackageKind::kDateTime: {
      const auto bytes = BytesAt<ewsd::kSecondAt + 1>(m, p);
      m.slot_values.date = ewsd::DateText(bytes.data());
      m.slot_values.time = ewsd::TimeText(bytes.data());
      m.Set(kEwsdDateTime);
      break;
    }
    case ewsd::PackageKind::kDigits: {
      std::uint64_t q = p + package->value_at;
      m.slot_values.called = ReadDigitString(m, q);
      m.Set(kEwsdCalled);
      p = q;
      return true;
    }
    case ewsd::PackageKind::kAlternativeDigits: {
      std::uint64_t q = p + package->value_at;
      const std::string digits = ReadDigitString(m, q);
      m.Read(kEwsdCalled);
      if (m.slot_values.called.empty()) {
        m.slot_values.called = digits;
        m.Set(kEwsdCalled);
      }
      p = q;
      return true;
    }
    case ewsd::PackageKind::kCallingBytes: {
      const std::uint8_t length = At(m, p + package->value_at);
      std::string text;
      for (std::uint64_t k = ewsd::kCallingBytesFrom; k + 1 <= length; ++k) {
        const std::uint8_t b = At(m, p + k);
        text += platform::HexText(&b, 1);
      }
      m.slot_values.calling = text;
      m.Set(kEwsdCalling);
      // A package length of 0 would never advance: end the record's packages.
      p = length == 0 ? static_cast<std::uint64_t>(m.length) : p + length;
      return true;
    }
    case ewsd::PackageKind::kThirdParty: {
      const int n = At(m, p + package->value_at);
      p += ewsd::kThirdPartyDigitsAt + static_cast<std::uint64_t>(ewsd::DigitBytes(n));
      return true;
    }
    case ewsd::PackageKind::kNumber:
    case ewsd::PackageKind::kTrunk:
    case ewsd::PackageKind::kTrunkWithPort:
    case ewsd::PackageKind::kOwnLength:
    case ewsd::PackageKind::kSkip:
      // Values of other slots are not kept.
      break;
  }
  p += package->length;
  return true;
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

// --- Large files: the walk in stretches --------------------------------------

// What the walk found over a stretch of the file: the records it met and
// where it left the stretch.
struct EwsdStretch : StretchBase {
  std::uint64_t start = 0;  // where the walk was started
  std::uint64_t next = 0;   // where it left: the first place at or past the stretch's end
  bool ended = false;       // the walk ended inside it
  std::uint64_t count = 0;
  bool record_found = false;
  std::uint64_t record_offset = 0;  // its last record
  int length = 0;                   // that record's L
};

// The walk of FindNextRecord and WalkRecords over the places in [from, to),
// ending as they end: at the file's end, at damage, or at a record that
// reaches the end.
void WalkEwsdStretch(DataFile& file, std::uint64_t file_length, std::uint64_t from,
                     std::uint64_t to, EwsdStretch& stretch) {
  constexpr std::size_t kWindow = 64 * 1024;
  stretch.start = from;
  std::uint64_t x = from;
  while (x < to && x < file_length && !stretch.ended) {
    const auto window = static_cast<std::size_t>(std::min<std::uint64_t>(file_length - x, kWindow));
    // One byte more: the length after the window's last lead (0x00 past the end).
    const std::uint8_t* bytes = file.View(x, window + 1);
    std::uint64_t i = 0;
    while (i < window && x + i < to) {
      const std::uint64_t at = i;
      const Step step = StepOver(bytes[at], bytes[at + 1], i);
      if (step == Step::kMoved) continue;
      if (step == Step::kDamaged) {
        i = at;
        stretch.ended = true;
        break;
      }
      const std::uint8_t length = bytes[at + ewsd::kLengthOffset];
      ++stretch.count;
      stretch.record_found = true;
      stretch.record_offset = x + at;
      stretch.length = length;
      i = at + length;
      if (stretch.record_offset + length + 1 > file_length) {
        stretch.ended = true;
        break;
      }
    }
    x += i;
  }
  if (x >= file_length) stretch.ended = true;
  stretch.next = x;
}

// No step of the walk is longer than a byte's length.
constexpr std::uint64_t kLongestStep = 255;
static_assert(ewsd::kLongUnitSize <= kLongestStep && ewsd::kLongestRecord <= kLongestStep);

// A place at or after x that the walk from the start passes whenever it
// passes x: its steps are at most kLongestStep long, so it lands somewhere in
// [x, x + kLongestStep), and the walks from every place there are followed
// until they meet. A walk that ends is let go: had the walk from the start
// come that way, it would have ended before the place. x itself when the
// walks do not meet soon.
std::uint64_t MeetingPlace(DataFile& file, std::uint64_t file_length, std::uint64_t x) {
  constexpr std::uint64_t kFarthest = 64 * 1024;
  std::set<std::uint64_t> places;
  for (std::uint64_t k = 0; k < kLongestStep; ++k) places.insert(x + k);
  while (places.size() > 1) {
    const std::uint64_t at = *places.begin();
    if (at - x > kFarthest) return x;
    places.erase(places.begin());
    if (at >= file_length) continue;
    std::uint64_t next = at;
    const Step step = StepOver(file.Byte(at), file.Byte(at + 1), next);
    if (step == Step::kDamaged) continue;
    if (step == Step::kRecord) {
      next = at + file.Byte(at + ewsd::kLengthOffset);
      if (next + 1 > file_length) continue;
    }
    places.insert(next);
  }
  return places.empty() ? x : *places.begin();
}

// The walk on from scan.offset (past the first record) in stretches, joined
// as the walk from the start would have gone; `moved` moves the progress on
// and says whether the user stopped.
bool WalkInStretches(const std::filesystem::path& path, EwsdScan& scan, EwsdMemory& memory,
                     std::uint64_t& count, Host& host, StretchPlan plan,
                     const std::function<bool()>& moved) {
  plan.bounds.front() = scan.offset;
  for (std::size_t i = 1; i + 1 < plan.bounds.size(); ++i) {
    plan.bounds[i] =
        std::max(plan.bounds[i - 1], MeetingPlace(scan.file, scan.length, plan.bounds[i]));
  }
  plan.bounds.back() = std::numeric_limits<std::uint64_t>::max();
  bool stopped = false;
  RunStretches<EwsdStretch>(
      plan, host,
      [&](std::size_t i, EwsdStretch& stretch) {
        DataFile own;
        if (!own.OpenData(path)) NoteReadFailure();
        WalkEwsdStretch(own, scan.length, plan.bounds[i], plan.bounds[i + 1], stretch);
      },
      [&](std::size_t i, EwsdStretch& stretch) {
        // A start the walk did not reach (one found by no meeting): again
        // from where the walk really is.
        if (stretch.start != scan.offset) {
          stretch = EwsdStretch{};
          WalkEwsdStretch(scan.file, scan.length, scan.offset, plan.bounds[i + 1], stretch);
        }
        scan.offset = stretch.next;
        count += stretch.count;
        if (stretch.record_found) {
          scan.record_found = true;
          scan.record_offset = stretch.record_offset;
          memory.length = stretch.length;
        }
        stopped = moved();
        return !stopped && !stretch.ended;
      });
  return stopped;
}

}  // namespace

DetectorResult AnalyseEwsd(const std::filesystem::path& path, AnalyserContext& context) {
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
        // The start shows slots 1 and 2 whoever set them; the end shows none
        // that was not set by then or after.
        memory.Read(kEwsdDateTime);
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
          return DetectorResult::Stopped();
        }
      }
    }
    if (RecordReachesEnd(scan, memory)) break;
    if (count == 1) {
      const StretchPlan plan = PlanStretches(scan.length, scan.offset, scan.length, 1);
      if (plan.Count() > 0) {
        // Progress as the loop above moves it.
        auto moved = [&] {
          if (scan.offset < next_step_end) return false;
          const std::uint64_t p = (scan.offset + 1) / step;
          next_step_end = (p + 1) * step - 1;
          if (p <= previous_p || p > static_cast<std::uint64_t>(maximum)) return false;
          previous_p = p;
          host.SetProgress(static_cast<int>(p));
          return PumpAndCheckStop(context);
        };
        if (WalkInStretches(path, scan, memory, count, host, plan, moved)) {
          host.SetProgress(0);
          return DetectorResult::Stopped();
        }
        break;
      }
    }
  }
  host.SetProgress(0);
  if (count == 0) memory.Read(kEwsdRecord);  // the end comes from the files before
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
  // A decoded record's moment is its date, three spaces and its time, also
  // when no record so far had a date package; only a file without a record,
  // after no EWSD file with one, has an empty moment.
  auto moment = [](const EwsdSlots& slots) { return slots.date + "   " + slots.time; };
  return {count > 0 ? moment(first) : std::string(),
          memory.record.empty() ? std::string() : moment(last), count};
}

}  // namespace lomtra
