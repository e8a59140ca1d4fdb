#include "formats/cdot/section_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "formats/cdot/digits.h"
#include "formats/cdot/identify.h"

namespace formats::cdot {

namespace {

// A quick look at the called number's first byte: a section end's text
// begins with 3, so only a byte giving no digit or a 3 first needs the full
// test.
bool MayBeSectionEnd(const std::uint8_t* record) {
  const std::uint8_t first = record[kCalledOffset];
  const DigitPair& pair = kDigitPairs[first];
  return first != 0xFF && (pair.size == 0 || pair.text[0] == '3');
}

bool IsSectionEndRecord(const std::uint8_t* record) {
  char called[kMaxDigits];
  const char* end = PutNumberField(called, record + kCalledOffset);
  return formats::cdot::IsSectionEnd(called, static_cast<std::size_t>(end - called));
}

bool AllDigits(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool CdotSectionReader::Open(const std::filesystem::path& path, std::string* error) {
  state_ = State::kDone;
  if (!reader_.Open(path, error)) return false;
  reader_.MapFile();  // records straight from the file cache, not copied
  name_digits_ = NameDigits(path.filename().string());
  ForgetChunk();
  section_start_ = 0;
  records_ = 0;
  first_section_ = true;
  state_ = State::kSectionStart;
  return true;
}

void CdotSectionReader::Close() {
  reader_.Close();
  ForgetChunk();
  state_ = State::kDone;
}

bool CdotSectionReader::IsCdotFile() {
  std::array<std::uint8_t, kIdentifyBytes> first{};
  reader_.Read(0, first.data(), first.size());
  ForgetChunk();  // the read may have moved the reader's buffer
  return formats::cdot::IsCdotFile(first.data(), reader_.Length());
}

CdotSectionReader::Step CdotSectionReader::StartSection() {
  const std::string header_digits =
      reader_.ReadText(section_start_ + kHeaderDateOffset, kDateDigits);
  ForgetChunk();  // the read may have moved the reader's buffer
  has_header_ = AllDigits(header_digits);
  if (has_header_) {
    digits_ = header_digits;
    next_record_ = section_start_ + kHeaderSize;
  } else {
    digits_ = name_digits_;
    // Only the file's first section may be a bare run from offset 0; a later
    // one without a date goes on after its header, so nothing is read twice.
    next_record_ = first_section_ ? section_start_ : section_start_ + kHeaderSize;
  }
  first_section_ = false;
  record_date_ = {};  // it viewed the dates Start replaces
  dated_ = has_header_ || IsRealDate(digits_);
  if (dated_) {
    dating_.Start(digits_);
  } else {
    dating_.StartUndated();
  }
  state_ = State::kRecords;
  return Step::kSection;
}

CdotSectionReader::Step CdotSectionReader::NextRecord() {
  const std::uint64_t length = reader_.Length();
  // A record cut short by the end of the file is dropped: its missing bytes
  // would decode as made-up numbers and times.
  if (next_record_ + kRecordSize > length) {
    state_ = State::kDone;
    return Step::kFinished;
  }
  // Records are looked at where they lie in the reader's buffer, a run of
  // them at a time; nothing reads the file again before the next step, so
  // Record() and Fields() can use them there without a copy.
  record_ = chunk_.Find(next_record_, kRecordSize);
  if (record_ == nullptr) {
    const std::uint64_t size = std::min<std::uint64_t>(kChunkSize, length - next_record_);
    record_ = chunk_.Move(reader_, next_record_, static_cast<std::size_t>(size));
  }
  record_offset_ = next_record_;
  if (MayBeSectionEnd(record_) && IsSectionEndRecord(record_)) {
    if (length < record_offset_ + kTrailingBytes + 1) {
      state_ = State::kDone;
      return Step::kFinished;
    }
    section_start_ = record_offset_;
    return StartSection();
  }
  record_date_ = dating_.DateOfHour(record_[kTimeOffset]);
  fields_ready_ = false;
  next_record_ += kRecordSize;
  ++records_;
  return Step::kRecord;
}

void CdotSectionReader::Resume(const WalkPoint& point) {
  ForgetChunk();
  record_date_ = {};
  records_ = point.records;
  first_section_ = false;
  if (point.finished) {
    state_ = State::kDone;
    return;
  }
  digits_ = point.digits;
  has_header_ = point.has_header;
  dated_ = point.dated;
  if (dated_) {
    dating_.Start(digits_);
  } else {
    dating_.StartUndated();
  }
  dating_.SetEveningSeen(point.evening_seen);
  next_record_ = point.offset;
  state_ = State::kRecords;
}

WalkPoint CdotSectionReader::Point() const {
  WalkPoint point;
  point.records = records_;
  if (state_ != State::kRecords) {
    // Finished; or not begun, which no stretch needs: the first starts the
    // file afresh.
    point.finished = true;
    return point;
  }
  point.offset = next_record_;
  point.digits = digits_;
  point.has_header = has_header_;
  point.dated = dated_;
  point.evening_seen = dating_.EveningSeen();
  return point;
}

const CdotFields& CdotSectionReader::Fields() const {
  if (!fields_ready_) {
    DecodeCalled(record_, fields_);
    DecodeRest(record_, fields_);
    fields_.date.assign(record_date_);
    fields_ready_ = true;
  }
  return fields_;
}

}  // namespace formats::cdot
