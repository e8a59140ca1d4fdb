#include "formats/axe/calls.h"

#include <algorithm>

#include "formats/axe/identify.h"
#include "formats/axe/records.h"
#include "platform/open_file.h"

namespace formats::axe {

namespace {

constexpr const Reading& kReading = kExtractorReading;

std::string_view Cut(std::string_view record, std::size_t offset, std::size_t width) {
  if (offset >= record.size()) return {};
  return record.substr(offset, width);
}

int TwoDigits(std::string_view text) {
  if (text.size() != 2) return -1;
  const auto d0 = static_cast<unsigned>(static_cast<unsigned char>(text[0]) - '0');
  const auto d1 = static_cast<unsigned>(static_cast<unsigned char>(text[1]) - '0');
  return d0 <= 9 && d1 <= 9 ? static_cast<int>(d0 * 10 + d1) : -1;
}

double Counter(std::string_view text) {
  // Nearly always plain digits: their value without the general reading.
  std::uint64_t value = 0;
  bool digits_only = !text.empty();
  for (const char c : text) {
    digits_only = digits_only && c >= '0' && c <= '9';
    value = value * 10 + static_cast<unsigned char>(c - '0');
  }
  return digits_only ? static_cast<double>(value) : NumberValue(text, kReading.numbers);
}

}  // namespace

bool CallReader::Open(const std::string& path, std::string* error) {
  if (error != nullptr) error->clear();
  block_ = {};
  block_offset_ = 0;
  start_ = 0;
  started_ = false;
  layout_chosen_ = false;
  shifted_ = false;
  if (!reader_.Open(platform::PathOf(path), error)) return false;
  if (!IsAxeFile(reader_)) {
    reader_.Close();
    return false;
  }
  reader_.MapFile();
  return true;
}

bool CallReader::NextBlock() {
  if (started_) block_offset_ += kBlockSize;
  started_ = true;
  start_ = 0;
  if (block_offset_ >= reader_.Length()) return false;
  const std::size_t valid = static_cast<std::size_t>(
      std::min<std::uint64_t>(reader_.Length() - block_offset_, kBlockSize));
  const auto* data = reinterpret_cast<const char*>(reader_.View(block_offset_, kBlockSize));
  if (reader_.ReadFailed()) {
    copy_.assign(kBlockSize, '\0');
    const std::size_t read = reader_.Read(block_offset_, copy_.data(), kBlockSize);
    block_ = std::string_view(copy_.data(), read);
    return true;
  }
  block_ = std::string_view(data, valid);
  return true;
}

bool CallReader::Next(CallKey& call) {
  for (;;) {
    if (!started_ || start_ >= kLastRecordStart || start_ >= block_.size()) {
      if (!NextBlock()) return false;
      continue;
    }
    const std::string_view rest = block_.substr(start_);
    const std::size_t size = RecordLength(rest.substr(0, kLength.width), kReading);
    if (size == 0) {
      start_ = kBlockSize;  // the block's records have ended
      continue;
    }
    const std::string_view record = rest.substr(0, std::min(size, rest.size()));
    start_ += size;
    if (!layout_chosen_) {
      shifted_ = ChoosesShiftedLayout(record);
      layout_chosen_ = true;
    }
    auto field = [&](Field f) { return Cut(record, Offset(f, shifted_), f.width); };

    std::string_view a = field(kANumber);
    while (!a.empty() && a.front() == ' ') a.remove_prefix(1);
    while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
    call.calling = a;
    std::size_t n = 0;
    for (const char c : field(kBNumber))
      if (c != ' ') called_[n++] = c;
    if (n > 0 && called_[n - 1] == kBNumberFiller) --n;
    call.called = std::string_view(called_, n);

    const int year = TwoDigits(field(kYear));
    call.start = {year < 0 ? -1 : 2000 + year, TwoDigits(field(kMonth)),
                  TwoDigits(field(kDay)),      TwoDigits(field(kHour)),
                  TwoDigits(field(kMinute)),   TwoDigits(field(kSecond))};
    call.duration = Counter(field(kFirstCounter));
    return true;
  }
}

}  // namespace formats::axe
