#include "ocb_file.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ostrel {

namespace {

bool HasMarker(platform::BinaryReader& reader, std::uint64_t offset) {
  return reader.Byte(offset) == kMarker0 && reader.Byte(offset + 1) == kMarker1;
}

// Sequence number of block `block`, or nothing when its header is not
// wholly inside the file.
std::optional<std::uint32_t> SequenceNumber(platform::BinaryReader& reader, OcbLayout layout,
                                            std::uint64_t block) {
  const std::uint64_t header = HeaderOffset(layout, block);
  if (header + kHeaderSize > reader.Length()) return std::nullopt;
  std::array<std::uint8_t, 3> bytes{};
  reader.Read(header + 2, bytes.data(), bytes.size());
  return BcdValue(bytes.data(), bytes.size());
}

std::uint32_t NextNumber(std::uint32_t number) {
  return (number + 1) % kSequenceModulus;
}

}  // namespace

bool CheckDataFile(platform::BinaryReader& reader, OcbFileInfo& info) {
  info = OcbFileInfo{};
  info.size = reader.Length();
  if (HasMarker(reader, 0)) {
    info.layout = OcbLayout::kPlain;
  } else if (HasMarker(reader, kPrefixedFirstHeader)) {
    info.layout = OcbLayout::kPrefixed;
  } else {
    return false;
  }
  std::array<std::uint8_t, 11> bytes{};
  reader.Read(HeaderOffset(info.layout, 0), bytes.data(), bytes.size());
  const OcbBlockHeader header = ParseBlockHeader(bytes.data());
  info.header_year = header.year;
  info.header_day = header.day;
  CallDateInto(header.day, header.time.data(), header.year, header.day, info.header_date,
               info.header_time);
  return true;
}

BlockCount CountBlocks(platform::BinaryReader& reader, OcbLayout layout) {
  BlockCount result;
  std::array<std::uint8_t, 11> bytes{};
  reader.Read(HeaderOffset(layout, 0), bytes.data(), bytes.size());
  const OcbBlockHeader first = ParseBlockHeader(bytes.data());
  result.first_number = first.sequence;
  result.last_number = first.sequence;
  result.header_year = first.year;
  result.header_day = first.day;

  auto in_sequence = [&](std::uint64_t block) {
    const auto number = SequenceNumber(reader, layout, block);
    return number && *number == (first.sequence + block) % kSequenceModulus;
  };

  std::uint64_t p = reader.Length() / (2 * kBlockSize);
  std::uint64_t step = p;
  while (step >= 1) {
    const bool ok = in_sequence(p);
    step /= 2;
    p = ok ? p + step : p - step;
  }

  const std::uint64_t begin = p >= 10 ? p - 10 : 0;
  std::optional<std::uint32_t> previous;
  for (std::uint64_t r = begin; r <= p + 10; ++r) {
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
  result.count = p + 11;
  result.last_number = *previous;
  return result;
}

std::string NotValidReport(const std::string& path) {
  return path + " is not a valid OCB Data File.  Please Verify";
}

}  // namespace ostrel
