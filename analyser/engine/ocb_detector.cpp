// OCB: the blocks of current data come from the block headers alone; the
// first record of block 0 gives the start, the last valid record of the last
// data block the end, and every block before the last is taken as full.
#include <algorithm>
#include <array>

#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/detectors.h"
#include "engine/host.h"
#include "formats/ocb/blocks.h"
#include "formats/ocb/dates.h"
#include "formats/ocb/digits.h"
#include "platform/binary_reader.h"

namespace lomtra {
namespace {

namespace ocb = formats::ocb;
// Where the analyser reads the bytes apart from the extractor.
constexpr const ocb::Reading& kReading = ocb::kAnalyserReading;
static_assert(kReading.run_end == ocb::Reading::RunEnd::kOutOfSequenceOrEmptyDay);

// A record's bytes and the one after it, as the detector reads a record.
using RecordBuffer = std::array<std::uint8_t, ocb::kRecordSize + 1>;

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
  char text[ocb::kMaxDateText];
  return std::string(text, ocb::PutDate(text, year, day, kReading.long_day));
}

ocb::Layout LayoutOf(const OcbMemory& memory) {
  return memory.header_offset == ocb::FirstHeader(ocb::Layout::kPrefixed) ? ocb::Layout::kPrefixed
                                                                          : ocb::Layout::kPlain;
}

void FindOcbLayout(const std::filesystem::path& path, OcbMemory& memory) {
  DataFile file;
  if (!file.OpenData(path)) return;
  std::array<std::uint8_t, ocb::kLayoutBytes> head{};
  file.ReadBytes(0, head.data(), head.size());
  ocb::Layout layout;
  if (ocb::FindLayout(head.data(), layout)) {
    memory = {ocb::FirstHeader(layout), ocb::Stride(layout)};
  }
}

// The leading blocks in sequence, as the extractor counts them: the stale
// blocks of an older cycle behind the current data are no data of this copy.
std::uint64_t BlocksInSequence(const std::filesystem::path& path, const OcbMemory& memory) {
  platform::BinaryReader reader;
  if (!reader.Open(path)) return 0;
  reader.MapFile();
  const std::uint64_t count = ocb::CountBlocks(reader, LayoutOf(memory)).count;
  if (reader.ReadFailed()) NoteReadFailure();
  return count;
}

int HeaderNumber(const std::uint8_t* header, std::size_t at, std::size_t size) {
  return ocb::BcdNumber(header + at, size, kReading.damaged_digits);
}

// The data blocks: those in sequence, up to the first whose header day is
// empty (never written, or filler).
std::uint64_t CountOcbBlocks(const std::filesystem::path& path, const OcbMemory& memory,
                             OcbHeader& header, Host& host) {
  DataFile file;
  host.SetProgress(0);
  std::uint64_t b = 0;
  if (file.OpenData(path)) {
    const std::uint64_t in_sequence = BlocksInSequence(path, memory);
    const std::uint8_t* first = file.View(memory.header_offset, ocb::kHeaderBytesRead);
    header.year = HeaderNumber(first, ocb::kYearAt, ocb::kYearSize);
    header.day = HeaderNumber(first, ocb::kDayAt, ocb::kDaySize);
    int progress = 0;
    while (b < in_sequence) {
      const std::uint8_t* bytes =
          file.View(memory.header_offset + b * memory.stride + ocb::kDayAt, ocb::kDaySize);
      if (ocb::IsEmptyDay(HeaderNumber(bytes, 0, ocb::kDaySize))) break;
      ++b;
      const int value = static_cast<int>(std::min<std::uint64_t>(b * 100 / 32768, 100));
      if (value != progress) {
        progress = value;
        host.SetProgress(value);
      }
    }
  }
  host.SetProgress(100);
  return b;
}

OcbRecordMoment DecodeOcbRecord(const RecordBuffer& r, const OcbHeader& header) {
  const ocb::Field& day = ocb::FieldAt(ocb::kDateField);
  OcbRecordMoment m;
  m.day = ocb::BcdNumber(r.data() + day.offset, day.size, kReading.damaged_digits);
  m.year = ocb::CallYear(m.day, header.year, header.day);
  m.date = OcbDate(m.day, m.year);
  char clock[8];
  m.time.assign(clock, ocb::PutCallTime(clock, r.data() + ocb::FieldAt(ocb::kTimeField).offset));
  m.valid = !ocb::IsUnusedSlot(r.data());
  return m;
}

OcbRecordMoment ReadRecord(DataFile& file, std::uint64_t offset, const OcbHeader& header) {
  RecordBuffer buffer{};
  file.ReadBytes(offset, buffer.data(), buffer.size());
  return DecodeOcbRecord(buffer, header);
}

}  // namespace

DetectorResult AnalyseOcb(const std::filesystem::path& path, AnalyserContext& context) {
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
    const OcbRecordMoment first = ReadRecord(file, memory.header_offset + ocb::kHeaderSize, header);
    start = MomentText(first.date, first.time);
    const std::uint64_t last_block =
        memory.header_offset + memory.stride * (blocks - 1) + ocb::kHeaderSize;
    int i = ocb::kRecordsPerBlock - 1;
    OcbRecordMoment last;
    for (; i >= 0; --i) {
      last =
          ReadRecord(file, last_block + ocb::kRecordSize * static_cast<std::uint64_t>(i), header);
      if (last.valid) break;
    }
    count = ocb::kRecordsPerBlock * (blocks - 1) + static_cast<std::uint64_t>(i + 1);
    if (i < 0 && blocks > 1) {
      // No valid record in the last block: the end is the last record of the
      // block before, the last one counted.
      last = ReadRecord(file,
                        last_block - memory.stride + ocb::kRecordSize * (ocb::kRecordsPerBlock - 1),
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
  return {start, end, count};
}

}  // namespace lomtra
