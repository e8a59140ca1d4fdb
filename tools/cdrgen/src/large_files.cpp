#include "cdrgen/large_files.h"

#include <algorithm>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/byte_stream.h"
#include "cdrgen/cdot_builder.h"
#include "cdrgen/ewsd_builder.h"
#include "cdrgen/ocb_builder.h"

namespace cdrgen {
namespace {

constexpr std::uint64_t kPatternSize = 4u << 20;
constexpr std::size_t kBlockSize = 2048;
constexpr std::size_t kE10bRecords = 78, kE10bRecordSize = 26;
constexpr std::size_t kFiveEssRecordSize = 122;

void PutRange(ByteStream& out, const Bytes& bytes, std::size_t from, std::size_t count) {
  out.Buffer().insert(out.Buffer().end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                      bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
  out.Spill();
}

// Whole copies of `pattern` while they fit below `size`, then its first
// bytes up to a multiple of `unit` (0: the copies only).
void RepeatPattern(ByteStream& out, const Bytes& pattern, std::uint64_t size, std::size_t unit) {
  while (out.Size() + pattern.size() <= size) PutRange(out, pattern, 0, pattern.size());
  if (unit == 0 || out.Size() >= size) return;
  const std::size_t rest = static_cast<std::size_t>(size - out.Size()) / unit * unit;
  PutRange(out, pattern, 0, std::min(rest, pattern.size()));
}

// Block sequence numbers of OCB: six BCD digits at bytes 2-4 of the header.
std::uint32_t ReadOcbSequence(const std::uint8_t* header) {
  std::uint32_t value = 0;
  for (int i = 2; i < 5; ++i) value = value * 100 + (header[i] >> 4) * 10u + (header[i] & 0xFu);
  return value;
}

void WriteOcbSequence(std::uint8_t* header, std::uint32_t value) {
  for (int i = 4; i >= 2; --i) {
    const std::uint32_t pair = value % 100;
    value /= 100;
    header[i] = static_cast<std::uint8_t>((pair / 10) << 4 | pair % 10);
  }
}

// The OCB layout of OcbSampleFile: three quarters current blocks in sequence,
// the last of them partly filled, then stale blocks of an older cycle.
void WriteLargeOcb(ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  const Bytes pattern = OcbSampleFile(kPatternSize, seed, OcbFileLayout::kPlain);
  const std::size_t pattern_blocks = pattern.size() / kBlockSize;
  const std::size_t pattern_current = pattern_blocks * 3 / 4;
  const std::size_t total = static_cast<std::size_t>(size / kBlockSize);
  const std::size_t current = total * 3 / 4;
  const std::uint32_t first = ReadOcbSequence(pattern.data());
  const std::uint32_t stale_first = (first + 500000) % 1000000;
  const bool prefixed = seed % 2 == 0;
  if (prefixed) out.Buffer().insert(out.Buffer().end(), 924, 0x00);
  Bytes block(kBlockSize);
  for (std::size_t i = 0; i < total; ++i) {
    std::size_t from;  // block of the pattern to copy
    std::uint32_t sequence;
    if (i + 1 < current) {
      from = i % (pattern_current - 1);
      sequence = static_cast<std::uint32_t>((first + i) % 1000000);
    } else if (i + 1 == current) {
      from = pattern_current - 1;
      sequence = static_cast<std::uint32_t>((first + i) % 1000000);
    } else {
      from = pattern_current + (i - current) % (pattern_blocks - pattern_current);
      sequence = static_cast<std::uint32_t>((stale_first + i) % 1000000);
    }
    if (prefixed) out.Buffer().insert(out.Buffer().end(), 4, 0x00);
    std::copy_n(pattern.begin() + static_cast<std::ptrdiff_t>(from * kBlockSize), kBlockSize,
                block.begin());
    WriteOcbSequence(block.data(), sequence);
    out.Put(block);
    out.Spill();
  }
}

// E10B record sequence numbers run 1..32767 over the whole file.
void WriteLargeE10b(ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  const Bytes pattern = E10bSampleFile(kPatternSize / kBlockSize, seed);
  const std::size_t pattern_blocks = pattern.size() / kBlockSize;
  const std::size_t total = static_cast<std::size_t>(std::max<std::uint64_t>(size / kBlockSize, 1));
  Bytes block(kBlockSize);
  std::size_t record = 0;
  for (std::size_t b = 0; b < total; ++b) {
    std::copy_n(pattern.begin() + static_cast<std::ptrdiff_t>((b % pattern_blocks) * kBlockSize),
                kBlockSize, block.begin());
    for (std::size_t r = 0; r < kE10bRecords; ++r, ++record) {
      const std::size_t sequence = record % 32767 + 1;
      block[r * kE10bRecordSize] = static_cast<std::uint8_t>(sequence >> 8);
      block[r * kE10bRecordSize + 1] = static_cast<std::uint8_t>(sequence & 0xFF);
    }
    out.Put(block);
    out.Spill();
  }
}

// Four day sections as in CdotSampleFile, each filled with the records of
// the pattern's section of the same day.
void WriteLargeCdot(ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  const Bytes pattern = CdotSampleFile(kPatternSize, seed);
  constexpr std::size_t kHeader = 91, kRecord = 48;
  const std::size_t pattern_records = (kPatternSize / 4 + kRecord - 1) / kRecord;
  const std::size_t pattern_section = kHeader + pattern_records * kRecord;
  const std::uint64_t per_section = size / 4;
  for (std::size_t s = 0; s < 4; ++s) {
    const std::size_t header = s * pattern_section;
    PutRange(out, pattern, header, kHeader);
    const std::uint64_t section_end = out.Size() + per_section;
    std::size_t r = 0;
    while (out.Size() < section_end) {
      PutRange(out, pattern, header + kHeader + r * kRecord, kRecord);
      r = (r + 1) % pattern_records;
    }
  }
}

// C-DOT records without section headers, as the analyser reads them: the
// records of the pattern's first section over and over.
void WriteBareCdot(ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  const Bytes pattern = CdotSampleFile(kPatternSize, seed);
  constexpr std::size_t kHeader = 91, kRecord = 48;
  const std::size_t records = (kPatternSize / 4 + kRecord - 1) / kRecord;
  const std::uint64_t total = std::max<std::uint64_t>(size / kRecord, 1);
  for (std::uint64_t i = 0; i < total; ++i)
    PutRange(out, pattern, kHeader + static_cast<std::size_t>(i % records) * kRecord, kRecord);
}

// Files that exchanges write start with two records back to back, which is
// how the analyser knows them: the first record of the pattern comes twice.
void PutFirstEwsdRecord(ByteStream& out, const Bytes& pattern) {
  if (pattern.size() > 1 && pattern[0] == 0x84) PutRange(out, pattern, 0, pattern[1]);
}

void WriteLarge(std::string_view format, ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  if (format == "axe") {
    RepeatPattern(out, AxeSampleFile(kPatternSize / kBlockSize, seed), size, kBlockSize);
  } else if (format == "ewsd" || format == "ewsd-lomtra") {
    // The pattern ends with a whole record, so copies join cleanly.
    const Bytes pattern = EwsdSampleFile(kPatternSize, seed);
    PutFirstEwsdRecord(out, pattern);
    RepeatPattern(out, pattern, size, 0);
  } else if (format == "5ess") {
    RepeatPattern(out, FiveEssSampleFile(kPatternSize / kFiveEssRecordSize, seed), size,
                  kFiveEssRecordSize);
  } else if (format == "cdot-bare") {
    WriteBareCdot(out, size, seed);
  } else if (format == "ocb") {
    WriteLargeOcb(out, size, seed);
  } else if (format == "e10b") {
    WriteLargeE10b(out, size, seed);
  } else {
    WriteLargeCdot(out, size, seed);
  }
}

void WriteSmall(std::string_view format, ByteStream& out, std::uint64_t size, std::uint64_t seed) {
  if (format == "axe") {
    AxeSampleStream(out, static_cast<std::size_t>(std::max<std::uint64_t>(size / kBlockSize, 11)),
                    seed);
  } else if (format == "ewsd") {
    EwsdSampleStream(out, size, seed);
  } else if (format == "ewsd-lomtra") {
    const Bytes pattern = EwsdSampleFile(size, seed);
    PutFirstEwsdRecord(out, pattern);
    out.Put(pattern);
  } else if (format == "cdot") {
    CdotSampleStream(out, size, seed);
  } else if (format == "ocb") {
    OcbSampleStream(out, size, seed,
                    seed % 2 == 0 ? OcbFileLayout::kPrefixed : OcbFileLayout::kPlain);
  } else if (format == "e10b") {
    E10bSampleStream(out, static_cast<std::size_t>(std::max<std::uint64_t>(size / kBlockSize, 1)),
                     seed);
  } else if (format == "5ess") {
    FiveEssSampleStream(out, static_cast<std::size_t>(size / kFiveEssRecordSize), seed, "");
  } else {
    WriteBareCdot(out, size, seed);
  }
}

}  // namespace

bool WriteSampleFile(std::string_view format, const std::filesystem::path& path, std::uint64_t size,
                     std::uint64_t seed) {
  static constexpr std::string_view kFormats[] = {"axe",       "ewsd", "ewsd-lomtra", "cdot",
                                                  "cdot-bare", "ocb",  "e10b",        "5ess"};
  if (std::find(std::begin(kFormats), std::end(kFormats), format) == std::end(kFormats))
    return false;
  ByteStream out(path);
  if (size > kLargeFileThreshold) {
    WriteLarge(format, out, size, seed);
  } else {
    WriteSmall(format, out, size, seed);
  }
  out.Finish();
  return true;
}

}  // namespace cdrgen
