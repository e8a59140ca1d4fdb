#include "formats/cdot/calls.h"

#include "formats/cdot/digits.h"
#include "platform/open_file.h"

namespace formats::cdot {

namespace {

int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(text[i]) - '0');
    if (digit > 9) return -1;
    value = value * 10 + static_cast<int>(digit);
  }
  return value;
}

}  // namespace

bool CallReader::Open(const std::string& path, std::string* error) {
  if (error != nullptr) error->clear();
  if (!reader_.Open(platform::PathOf(path), error)) return false;
  if (!reader_.IsCdotFile()) {
    reader_.Close();
    return false;
  }
  return true;
}

bool CallReader::Next(CallKey& call) {
  for (;;) {
    const CdotSectionReader::Step step = reader_.Next();
    if (step == CdotSectionReader::Step::kFinished) return false;
    if (step == CdotSectionReader::Step::kSection) continue;
    const std::uint8_t* record = reader_.Record();
    call.calling = std::string_view(
        calling_,
        static_cast<std::size_t>(PutNumberField(calling_, record + kCallingOffset) - calling_));
    call.called = std::string_view(
        called_,
        static_cast<std::size_t>(PutNumberField(called_, record + kCalledOffset) - called_));
    call.duration = RoundedSeconds(Value32(record + kDurationOffset));
    // The date as "YYYY/MM/DD", or empty; the time's bytes as plain numbers.
    const std::string_view date = reader_.RecordDate();
    CallStart start;
    if (date.size() == 10) {
      start.year = Digits(date, 0, 4);
      start.month = Digits(date, 5, 2);
      start.day = Digits(date, 8, 2);
    }
    start.hour = record[kTimeOffset];
    start.minute = record[kTimeOffset + 1];
    start.second = record[kTimeOffset + 2];
    call.start = start;
    return true;
  }
}

}  // namespace formats::cdot
