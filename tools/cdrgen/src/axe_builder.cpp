#include "cdrgen/axe_builder.h"

#include <algorithm>

namespace cdrgen {
namespace {

void Put(std::string& text, std::size_t offset, const std::string& value, std::size_t width) {
  const std::string field = Field(value, width);
  for (std::size_t i = 0; i < width && offset + i < text.size(); ++i) text[offset + i] = field[i];
}

}  // namespace

std::string AxeRecordText(const AxeRecord& r) {
  const std::size_t length = static_cast<std::size_t>(std::max(r.length, 3));
  std::string text(std::max<std::size_t>(length, 98), ' ');
  const std::size_t s = r.shifted ? 1 : 0;
  Put(text, 0, Digits(static_cast<std::uint64_t>(std::clamp(r.length, 0, 999)), 3), 3);
  Put(text, 18 - s, r.a_number, 15);
  // The character between the A and B numbers: a blank in the normal layout;
  // in the shifted one a digit, so that a full A number leaves no blank.
  if (r.shifted) text[32] = '0';
  Put(text, 34 - s, r.b_number, 15);
  Put(text, 50 - s, r.hour, 2);
  Put(text, 52 - s, r.minute, 2);
  Put(text, 54 - s, r.second, 2);
  Put(text, 56 - s, r.counter1, 6);
  Put(text, 62 - s, r.counter2, 6);
  Put(text, 71 - s, r.year, 2);
  Put(text, 73 - s, r.month, 2);
  Put(text, 75 - s, r.day, 2);
  Put(text, 84 - s, r.code1, 7);
  Put(text, 91 - s, r.code2, 7);
  text.resize(length);
  return text;
}

AxeFileBuilder& AxeFileBuilder::NewBlock() {
  blocks_.emplace_back();
  return *this;
}

AxeFileBuilder& AxeFileBuilder::Add(const AxeRecord& record) {
  return AddText(AxeRecordText(record));
}

AxeFileBuilder& AxeFileBuilder::AddText(const std::string& record_text) {
  if (blocks_.empty()) NewBlock();
  Append(blocks_.back(), record_text);
  return *this;
}

AxeFileBuilder& AxeFileBuilder::AddRawBlock(const Bytes& block) {
  blocks_.push_back(block);
  blocks_.back().resize(kBlockSize, filler_);
  blocks_.emplace_back();  // later records start a block of their own
  return *this;
}

AxeFileBuilder& AxeFileBuilder::Filler(std::uint8_t filler) {
  filler_ = filler;
  return *this;
}

AxeFileBuilder& AxeFileBuilder::ShortLastBlock(std::size_t bytes) {
  last_block_bytes_ = std::min(bytes, kBlockSize);
  return *this;
}

Bytes AxeFileBuilder::Build() const {
  std::vector<const Bytes*> blocks;
  for (const auto& b : blocks_) {
    if (&b == &blocks_.back() && b.empty() && blocks_.size() > 1) continue;
    blocks.push_back(&b);
  }
  Bytes out;
  out.reserve(blocks.size() * kBlockSize);
  for (const Bytes* block : blocks) {
    Bytes copy = *block;
    copy.resize(kBlockSize, filler_);
    Append(out, copy);
  }
  if (!blocks.empty() && last_block_bytes_ < kBlockSize)
    out.resize(out.size() - kBlockSize + last_block_bytes_);
  return out;
}

void AxeSampleStream(ByteStream& out, std::size_t blocks, std::uint64_t seed,
                     std::size_t* records) {
  Random random(seed);
  std::size_t count = 0;
  std::uint64_t seconds = 6 * 3600;
  int day = 1;
  AxeRecord r;
  r.year = "24";
  r.month = "03";
  for (std::size_t b = 0; b < blocks; ++b) {
    Bytes& bytes = out.Buffer();
    const std::size_t block_start = bytes.size();
    std::size_t used = 0;
    for (;;) {
      r.length = static_cast<int>(random.Between(98, 140));
      if (used + static_cast<std::size_t>(r.length) > AxeFileBuilder::kBlockSize - 3) break;
      seconds += random.Between(1, 90);
      if (seconds >= 86400) {
        seconds -= 86400;
        day = day % 28 + 1;
      }
      r.hour = Digits(seconds / 3600, 2);
      r.minute = Digits(seconds / 60 % 60, 2);
      r.second = Digits(seconds % 60, 2);
      r.day = Digits(static_cast<std::uint64_t>(day), 2);
      r.a_number = "55" + random.DigitString(random.Between(4, 8));
      // One draw per statement: the order of draws must not depend on the
      // compiler's order of evaluating operands.
      const bool b_filler = random.Between(0, 3) == 0;
      const std::string b_digits = random.DigitString(random.Between(5, 10));
      r.b_number = "0" + b_digits + (b_filler ? "F" : "");
      r.counter1 = Digits(random.Between(0, 999999), 6);
      r.counter2 = Digits(random.Between(0, 999), 6);
      r.code1 = "RT" + random.DigitString(3);
      r.code2 = "RT" + random.DigitString(3);
      Append(bytes, AxeRecordText(r));
      used += static_cast<std::size_t>(r.length);
      ++count;
    }
    bytes.resize(block_start + AxeFileBuilder::kBlockSize, 0x00);
    out.Spill();
  }
  if (records) *records = count;
}

Bytes AxeSampleFile(std::size_t blocks, std::uint64_t seed, std::size_t* records) {
  ByteStream out;
  AxeSampleStream(out, blocks, seed, records);
  return out.Take();
}

}  // namespace cdrgen
