#include "formats/ocb/calls.h"

#include "formats/ocb/dates.h"
#include "formats/ocb/digits.h"
#include "platform/calendar.h"
#include "platform/open_file.h"

namespace formats::ocb {

namespace {

// The hexadecimal digits of the bytes without their filler nibbles.
std::string_view NumberText(const std::uint8_t* bytes, std::size_t count, char* out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned high = bytes[i] >> 4, low = bytes[i] & 0x0Fu;
    if (high != kFillerNibble) out[n++] = kDigits[high];
    if (low != kFillerNibble) out[n++] = kDigits[low];
  }
  return {out, n};
}

// A BCD byte shown as its two digits; -1 when one is no digit.
int TwoDigits(std::uint8_t byte) {
  const int high = byte >> 4, low = byte & 0x0F;
  return high > 9 || low > 9 ? -1 : high * 10 + low;
}

}  // namespace

bool CallReader::Open(const std::string& path, std::string* error) {
  if (error != nullptr) error->clear();
  block_ = 0;
  record_ = kRecordsPerBlock;
  bytes_ = nullptr;
  if (!reader_.Open(platform::PathOf(path), error)) return false;
  FileInfo info;
  if (!CheckDataFile(reader_, info)) {
    reader_.Close();
    return false;
  }
  layout_ = info.layout;
  reader_.MapFile();
  blocks_ = CountBlocks(reader_, layout_);
  return true;
}

bool CallReader::Next(CallKey& call) {
  for (;;) {
    if (record_ == kRecordsPerBlock) {
      if (bytes_ != nullptr) ++block_;
      if (block_ >= blocks_.count) return false;
      bytes_ = reader_.View(HeaderOffset(layout_, block_), kBlockSize);
      record_ = 0;
    }
    const std::uint8_t* record =
        bytes_ + kHeaderSize + static_cast<std::size_t>(record_) * kRecordSize;
    ++record_;
    if (block_ + 1 == blocks_.count && IsUnusedSlot(record)) continue;

    const Field& called = FieldAt(kCalledField);
    call.calling =
        NumberText(record + CallingOffset(record), FieldAt(kCallingField).size, calling_);
    call.called = NumberText(record + called.offset, called.size, called_);
    const Field& duration = FieldAt(kDurationField);
    call.duration = ByteValue(record, duration.offset, duration.size);

    const Field& date = FieldAt(kDateField);
    const int day = static_cast<int>(BcdValue(record + date.offset, date.size));
    const int year = CallYear(day, blocks_.header_year, blocks_.header_day);
    // As PutDate writes it: 1999 before year 00, the century always 20.
    const int full_year = year < 0 ? 1999 : 2000 + year;
    const platform::MonthDay md =
        platform::DateFromDayOfYear(day, year < 0 ? 1999 : 2000 + year % 100);
    const std::uint8_t* time = record + FieldAt(kTimeField).offset;
    call.start = {full_year,          md.month,           md.day,
                  TwoDigits(time[0]), TwoDigits(time[1]), TwoDigits(time[2])};
    return true;
  }
}

}  // namespace formats::ocb
