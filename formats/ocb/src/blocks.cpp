#include "formats/ocb/blocks.h"

#include <optional>

#include "formats/ocb/dates.h"
#include "formats/ocb/digits.h"

namespace formats::ocb {

namespace {

// Sequence number of block `block`, or nothing when its header is not
// wholly inside the file.
std::optional<std::uint32_t> SequenceNumber(platform::BinaryReader& reader, Layout layout,
                                            std::uint64_t block) {
  const std::uint64_t header = HeaderOffset(layout, block);
  if (header + kHeaderSize > reader.Length()) return std::nullopt;
  std::array<std::uint8_t, kSequenceSize> bytes{};
  reader.Read(header + kSequenceAt, bytes.data(), bytes.size());
  return BcdValue(bytes.data(), bytes.size());
}

std::uint32_t NextNumber(std::uint32_t number) {
  return (number + 1) % kSequenceModulus;
}

}  // namespace

BlockHeader ParseBlockHeader(const std::uint8_t* bytes) {
  BlockHeader header;
  header.has_marker = HasMarker(bytes + kMarkerAt);
  header.sequence = BcdValue(bytes + kSequenceAt, kSequenceSize);
  header.year = static_cast<int>(BcdValue(bytes + kYearAt, kYearSize));
  header.day = static_cast<int>(BcdValue(bytes + kDayAt, kDaySize));
  header.time = {bytes[kTimeAt], bytes[kTimeAt + 1], bytes[kTimeAt + 2]};
  return header;
}

bool CheckDataFile(platform::BinaryReader& reader, FileInfo& info) {
  info = FileInfo{};
  info.size = reader.Length();
  std::array<std::uint8_t, kLayoutBytes> head{};
  reader.Read(0, head.data(), head.size());
  if (!FindLayout(head.data(), info.layout)) return false;
  std::array<std::uint8_t, kHeaderBytesRead> bytes{};
  reader.Read(HeaderOffset(info.layout, 0), bytes.data(), bytes.size());
  const BlockHeader header = ParseBlockHeader(bytes.data());
  info.header_year = header.year;
  info.header_day = header.day;
  CallDateInto(header.day, header.time.data(), header.year, header.day, info.header_date,
               info.header_time);
  return true;
}

BlockCount CountBlocks(platform::BinaryReader& reader, Layout layout) {
  BlockCount result;
  std::array<std::uint8_t, kHeaderBytesRead> bytes{};
  reader.Read(HeaderOffset(layout, 0), bytes.data(), bytes.size());
  const BlockHeader first = ParseBlockHeader(bytes.data());
  result.first_number = first.sequence;
  result.last_number = first.sequence;
  result.header_year = first.year;
  result.header_day = first.day;

  auto in_sequence = [&](std::uint64_t block) {
    const auto number = SequenceNumber(reader, layout, block);
    return number && *number == (first.sequence + block) % kSequenceModulus;
  };

  // Half the number of blocks the file could hold.
  std::uint64_t p = reader.Length() / (2 * kBlockSize);
  std::uint64_t step = p;
  while (step >= 1) {
    const bool ok = in_sequence(p);
    step /= 2;
    p = ok ? p + step : p - step;
  }

  constexpr std::uint64_t kScanReach = 10;
  const std::uint64_t begin = p >= kScanReach ? p - kScanReach : 0;
  std::optional<std::uint32_t> previous;
  for (std::uint64_t r = begin; r <= p + kScanReach; ++r) {
    const auto number = SequenceNumber(reader, layout, r);
    const bool accepted = number && (!previous || *number == NextNumber(*previous));
    if (!accepted) {
      result.count = r;
      if (previous) {
        result.last_number = *previous;
      } else if (r > 0) {
        // The scan's first block itself failed: the run ends just before it.
        result.last_number = SequenceNumber(reader, layout, r - 1).value_or(first.sequence);
      }
      return result;
    }
    previous = number;
  }
  result.count = p + kScanReach + 1;
  result.last_number = *previous;
  return result;
}

}  // namespace formats::ocb
