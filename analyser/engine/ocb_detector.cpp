// OCB: the block count comes from the block headers alone; the first record
// of block 0 gives the start, the last valid record of the last data block
// the end, and every block before the last is taken as full.
#include <algorithm>
#include <array>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"

namespace lomtra {
namespace {

constexpr std::uint64_t kHeaderSize = 32;
constexpr std::uint64_t kRecordSize = 42;
constexpr int kRecordsPerBlock = 48;
using RecordBuffer = std::array<std::uint8_t, 43>;

struct OcbHeader {
  int year = 0;
  int day = 0;
};

struct OcbRecordMoment {
  std::string date;
  std::string time;
  int day = 0;   // day of the year
  int year = 0;  // the adjusted year the date was made with
  bool valid = false;
};

std::string OcbDate(int day, int year) {
  const MonthDay md = DateFromDayOfYear(day, year);
  // Header year 0 with a record from the year before: 1999, not "20-1".
  const std::string year_text =
      year >= 0 ? "20" + TwoDigits(year % 100) : std::to_string(2000 + year);
  return year_text + "-" + TwoDigits(md.month) + "-" + TwoDigits(md.day);
}

void FindOcbLayout(const std::filesystem::path& path, OcbMemory& memory) {
  DataFile file;
  if (!file.OpenData(path)) return;
  RecordBuffer buffer{};
  file.ReadBytes(0, buffer.data(), buffer.size());
  if (buffer[0] == 0xC6 && buffer[1] == 0xC4) {
    memory = {0, 2048};
    return;
  }
  file.ReadBytes(928, buffer.data(), buffer.size());
  if (buffer[0] == 0xC6 && buffer[1] == 0xC4) memory = {928, 2052};
}

// BcdNumber of a header's two day bytes, without a call for clean BCD: the
// walk reads one for every block of the file.
inline int BcdDay(const std::uint8_t* bytes) {
  const int a = bytes[0] >> 4, b = bytes[0] & 0x0F, c = bytes[1] >> 4, d = bytes[1] & 0x0F;
  if (a <= 9 && b <= 9 && c <= 9 && d <= 9) {
    return ((a * 10 + b) * 10 + c) * 10 + d;
  }
  return BcdNumber(bytes, 0, 2);
}

std::uint64_t CountOcbBlocks(const std::filesystem::path& path, const OcbMemory& memory,
                             OcbHeader& header, Host& host) {
  DataFile file;
  host.SetProgress(0);
  std::uint64_t b = 0;
  if (file.OpenData(path)) {
    int progress = 0;
    for (;;) {
      // Byte k is block header byte k + 2.
      const std::uint8_t* buffer =
          file.View(memory.header_offset + b * memory.stride + 2, sizeof(RecordBuffer));
      const int day = BcdDay(buffer + 4);
      if (b == 0) {
        header.year = BcdNumber(buffer, 3, 1);
        header.day = day;
      }
      if (day == 0 || day == 4040) break;
      ++b;
      const int value = static_cast<int>(std::min<std::uint64_t>(b * 100 / 32768, 100));
      if (value != progress) {
        progress = value;
        host.SetProgress(value);
      }
      if (file.AtEnd()) break;
    }
  }
  host.SetProgress(100);
  return b;
}

OcbRecordMoment DecodeOcbRecord(const RecordBuffer& r, const OcbHeader& header) {
  OcbRecordMoment m;
  m.day = BcdNumber(r.data(), 3, 2);
  m.year = m.day > header.day ? header.year - 1 : header.year;
  m.date = OcbDate(m.day, m.year);
  const std::string t = HexText(r.data(), 5, 3);
  m.time = t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2);
  std::string called = HexText(r.data(), 18, 9);
  called.erase(std::remove(called.begin(), called.end(), 'F'), called.end());
  m.valid = !called.empty() && called.size() != 18;
  return m;
}

OcbRecordMoment ReadRecord(DataFile& file, std::uint64_t offset, const OcbHeader& header) {
  RecordBuffer buffer{};
  file.ReadBytes(offset, buffer.data(), buffer.size());
  return DecodeOcbRecord(buffer, header);
}

}  // namespace

std::string AnalyseOcb(const std::filesystem::path& path, AnalyserContext& context) {
  OcbMemory& memory = context.state.ocb;
  FindOcbLayout(path, memory);
  OcbHeader header;
  const std::uint64_t blocks = CountOcbBlocks(path, memory, header, context.host);

  DataFile file;
  file.OpenData(path);
  std::string start;
  std::string end;
  std::uint64_t count = 0;
  if (blocks > 0) {
    const OcbRecordMoment first = ReadRecord(file, memory.header_offset + kHeaderSize, header);
    start = MomentText(first.date, first.time);
    const std::uint64_t last_block =
        memory.header_offset + memory.stride * (blocks - 1) + kHeaderSize;
    int i = kRecordsPerBlock - 1;
    OcbRecordMoment last;
    for (; i >= 0; --i) {
      last = ReadRecord(file, last_block + kRecordSize * static_cast<std::uint64_t>(i), header);
      if (last.valid) break;
    }
    count = kRecordsPerBlock * (blocks - 1) + static_cast<std::uint64_t>(i + 1);
    if (i < 0 && blocks > 1) {
      // No valid record in the last block: the end is the last record of the
      // block before, the last one counted.
      last = ReadRecord(file, last_block - memory.stride + kRecordSize * (kRecordsPerBlock - 1),
                        header);
    }
    if (count == 0) {
      // Not one valid record: the first "record" is padding, so no moments.
      start.clear();
    } else {
      if (last.year < first.year) {
        // The end cannot lie before the start: it was dated against block 0's
        // header as if from the year before, so it belongs to the start's year.
        last.date = OcbDate(last.day, first.year);
      }
      end = MomentText(last.date, last.time);
    }
  }
  context.host.SetProgress(0);
  return ResultText(start, end, count);
}

}  // namespace lomtra
