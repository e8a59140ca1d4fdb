#include "cdrgen/ocb_builder.h"

#include <algorithm>

namespace cdrgen {

namespace {

constexpr std::size_t kBlockSize = 2048;
constexpr std::size_t kRecordSize = 42;
constexpr std::size_t kPrefixSize = 924;
constexpr std::size_t kBlockPrefixSize = 4;

// Digits packed as BCD into exactly `width` bytes, F-padded or cut.
void AppendNibbles(Bytes& out, const std::string& digits, std::size_t width) {
  Bytes packed = PackBcd(digits, 0xF);
  packed.resize(width, 0xFF);
  Append(out, packed);
}

}  // namespace

Bytes OcbRecordBytes(const OcbRecordValues& r) {
  if (r.raw) {
    Bytes raw = *r.raw;
    raw.resize(kRecordSize, 0xFF);
    return raw;
  }
  Bytes out;
  out.push_back(r.function_type);
  out.push_back(r.entity_type);
  out.push_back(r.category);
  AppendNibbles(out, Digits(0, 4 - std::min<std::size_t>(4, r.day.size())) + r.day, 2);
  AppendNibbles(out, r.time, 3);
  const bool swapped = r.function_type == 0x30 || r.function_type == 0x10;
  AppendNibbles(out, swapped ? r.ic_trunk : r.calling, 5);
  AppendNibbles(out, swapped ? r.calling : r.ic_trunk, 5);
  AppendNibbles(out, r.called, 9);
  out.push_back(r.traffic);
  out.push_back(r.service);
  out.push_back(r.bearer);
  AppendBigEndian(out, r.duration, 2);
  AppendBigEndian(out, r.units & 0xFFFFFF, 3);
  AppendNibbles(out, r.og_trunk, 2);
  out.push_back(r.accesses);
  out.push_back(r.reserved);
  AppendNibbles(out, r.operator_id, 2);
  out.push_back(r.service_class);
  return out;
}

OcbRecordValues OcbPaddingRecord(std::uint8_t value) {
  OcbRecordValues record;
  record.raw = Bytes(kRecordSize, value);
  return record;
}

Bytes OcbBlockBytes(const OcbBlockValues& b) {
  Bytes out;
  if (b.marker) {
    out.push_back(0xC6);
    out.push_back(0xC4);
  } else {
    out.push_back(0x00);
    out.push_back(0x00);
  }
  AppendNibbles(out, Digits(b.sequence % 1000000, 6), 3);
  AppendNibbles(out, b.year, 1);
  AppendNibbles(out, Digits(0, 4 - std::min<std::size_t>(4, b.day.size())) + b.day, 2);
  AppendNibbles(out, b.time, 3);
  out.resize(32, 0x00);
  for (std::size_t i = 0; i < 48; ++i) {
    if (i < b.records.size()) {
      Append(out, OcbRecordBytes(b.records[i]));
    } else {
      out.insert(out.end(), kRecordSize, b.fill);
    }
  }
  return out;
}

OcbFileBuilder& OcbFileBuilder::Add(const OcbBlockValues& block) {
  blocks_.push_back(OcbBlockBytes(block));
  return *this;
}

OcbFileBuilder& OcbFileBuilder::AddSequence(const OcbBlockValues& model, std::uint32_t first,
                                            std::size_t count) {
  OcbBlockValues block = model;
  for (std::size_t i = 0; i < count; ++i) {
    block.sequence = static_cast<std::uint32_t>((first + i) % 1000000);
    Add(block);
  }
  return *this;
}

OcbFileBuilder& OcbFileBuilder::AddRaw(const Bytes& block) {
  Bytes copy = block;
  copy.resize(kBlockSize, 0x00);
  blocks_.push_back(std::move(copy));
  return *this;
}

Bytes OcbFileBuilder::Build() const {
  Bytes out;
  const bool prefixed = layout_ == OcbFileLayout::kPrefixed;
  if (prefixed) out.insert(out.end(), kPrefixSize, 0x00);
  for (const Bytes& block : blocks_) {
    if (prefixed) out.insert(out.end(), kBlockPrefixSize, 0x00);
    Append(out, block);
  }
  return out;
}

std::uint64_t OcbHeaderOffset(OcbFileLayout layout, std::uint64_t block) {
  return layout == OcbFileLayout::kPlain ? block * kBlockSize : 928 + block * 2052;
}

std::uint64_t OcbRecordOffset(OcbFileLayout layout, std::uint64_t block, int record) {
  return OcbHeaderOffset(layout, block) + 32 + static_cast<std::uint64_t>(record) * kRecordSize;
}

void OcbSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed, OcbFileLayout layout,
                     std::size_t* calls) {
  Random random(seed);
  const std::size_t total = static_cast<std::size_t>(std::max<std::uint64_t>(size / kBlockSize, 4));
  const std::size_t current = std::max<std::size_t>(1, total * 3 / 4);
  const std::uint32_t first = static_cast<std::uint32_t>(random.Between(0, 999999));
  const int header_year = static_cast<int>(random.Between(1, 9));
  const int header_day = static_cast<int>(random.Between(1, 360));
  const std::size_t last_calls = static_cast<std::size_t>(random.Between(1, 47));

  const bool prefixed = layout == OcbFileLayout::kPrefixed;
  if (prefixed) out.Buffer().insert(out.Buffer().end(), kPrefixSize, 0x00);
  auto put_block = [&](const OcbBlockValues& block) {
    if (prefixed) out.Buffer().insert(out.Buffer().end(), kBlockPrefixSize, 0x00);
    out.Put(OcbBlockBytes(block));
    out.Spill();
  };
  std::size_t written = 0;
  // Calls of the last ten days before the copy; early in the year some of
  // them fall into the year before.
  int day = header_day > 10 ? header_day - 10 : header_day + 355;
  std::uint64_t seconds = random.Between(0, 80000);
  auto make_block = [&](std::uint32_t sequence, std::size_t records, int block_day) {
    OcbBlockValues block;
    block.sequence = sequence;
    block.year = Digits(static_cast<std::uint64_t>(header_year), 2);
    block.day = Digits(static_cast<std::uint64_t>(block_day), 3);
    block.time =
        Digits(seconds / 3600 % 24, 2) + Digits(seconds / 60 % 60, 2) + Digits(seconds % 60, 2);
    for (std::size_t i = 0; i < records; ++i) {
      OcbRecordValues r;
      const std::uint64_t kind = random.Between(0, 3);
      r.function_type = kind == 0 ? 0x30 : (kind == 1 ? 0x10 : 0x20);
      r.category = static_cast<std::uint8_t>(random.Between(0, 15));
      seconds += random.Between(1, 40);
      if (seconds >= 86400) {
        seconds -= 86400;
        if (day != header_day) day = day >= 365 ? 1 : day + 1;
      }
      r.day = Digits(static_cast<std::uint64_t>(day), 3);
      r.time = Digits(seconds / 3600, 2) + Digits(seconds / 60 % 60, 2) + Digits(seconds % 60, 2);
      r.calling = random.DigitString(static_cast<std::size_t>(random.Between(5, 10)));
      r.ic_trunk = random.DigitString(static_cast<std::size_t>(random.Between(1, 4)));
      r.called = random.DigitString(static_cast<std::size_t>(random.Between(3, 14)));
      r.duration = static_cast<std::uint16_t>(random.Between(0, 3600));
      r.units = static_cast<std::uint32_t>(random.Between(0, 400));
      r.og_trunk = random.DigitString(static_cast<std::size_t>(random.Between(1, 4)));
      r.traffic = static_cast<std::uint8_t>(random.Between(0, 9));
      r.service_class = static_cast<std::uint8_t>(random.Between(0, 9));
      block.records.push_back(r);
    }
    block.fill = random.Between(0, 1) == 0 ? 0xFF : 0x40;
    return block;
  };
  for (std::size_t i = 0; i < current; ++i) {
    const bool last = i + 1 == current;
    put_block(make_block(static_cast<std::uint32_t>((first + i) % 1000000), last ? last_calls : 48,
                         header_day));
    written += last ? last_calls : 48;
  }
  // Blocks left over from the previous cycle: numbers that do not run on.
  const std::uint32_t stale_first = static_cast<std::uint32_t>((first + 500000) % 1000000);
  day = header_day > 40 ? header_day - 40 : header_day + 325;
  for (std::size_t i = current; i < total; ++i) {
    put_block(make_block(static_cast<std::uint32_t>((stale_first + i) % 1000000), 48, header_day));
  }
  if (calls) *calls = written;
}

Bytes OcbSampleFile(std::uint64_t size, std::uint64_t seed, OcbFileLayout layout,
                    std::size_t* calls) {
  ByteStream out;
  OcbSampleStream(out, size, seed, layout, calls);
  return out.Take();
}

}  // namespace cdrgen
