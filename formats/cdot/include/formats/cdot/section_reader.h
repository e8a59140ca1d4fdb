#pragma once
// Walks one C-DOT file section by section and record by record, as laid out
// in layout.h: sections, or one run of records from offset 0 dated from the
// file's name.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "formats/cdot/fields.h"
#include "formats/cdot/layout.h"
#include "formats/cdot/section_date.h"
#include "platform/binary_reader.h"

namespace formats::cdot {

// Where a walk through a file stands between two steps: all a walk taken up
// there needs to go on exactly as the walk from the file's start. Stretches
// of one file are read from such points and joined where the walk before
// ends at the very point the next one began.
struct WalkPoint {
  bool finished = false;      // no step is left
  std::uint64_t offset = 0;   // where the next step reads
  std::uint64_t records = 0;  // records read before it
  // The section the next record belongs to.
  std::string digits;
  bool has_header = false;
  bool dated = false;
  bool evening_seen = false;

  bool operator==(const WalkPoint&) const = default;
};

class CdotSectionReader {
 public:
  enum class Step { kSection, kRecord, kFinished };

  // On failure returns false and puts the system's reason into *error.
  bool Open(const std::filesystem::path& path, std::string* error = nullptr);
  void Close();
  // Whether the open file passes the C-DOT test (identify.h); asked before
  // the first Next().
  bool IsCdotFile();
  std::uint64_t Length() const { return reader_.Length(); }

  // Goes on from `point` (of this file's walk) instead of from the start;
  // right after Open, in place of the first Next().
  void Resume(const WalkPoint& point);
  // The point the walk has reached: what Resume needs to go on from here.
  WalkPoint Point() const;
  // Where the next step reads (the file's length once finished).
  std::uint64_t NextOffset() const {
    if (state_ == State::kRecords) return next_record_;
    return state_ == State::kSectionStart ? section_start_ : reader_.Length();
  }
  // Steps on, without looking at the records, until the next step reads at
  // or past `offset` or the file is finished.
  void WalkTo(std::uint64_t offset) {
    while (state_ != State::kDone && NextOffset() < offset) Next();
  }

  // The next section start, record, or the end of the file.
  Step Next() {
    if (state_ == State::kRecords) return NextRecord();
    return state_ == State::kSectionStart ? StartSection() : Step::kFinished;
  }

  // DDMMYY of the current section (from the file's name when it has no header).
  const std::string& SectionDigits() const { return digits_; }
  const std::string& SectionDateText() const { return dating_.Date(); }
  bool SectionHasHeader() const { return has_header_; }
  // False for a header-less file whose name gives no real date: its calls'
  // dates are empty.
  bool SectionDated() const { return dated_; }
  // The record of the latest kRecord step, decoded when first asked for.
  const CdotFields& Fields() const;
  // Its 48 bytes (valid until the next step) and its date, for formatting a
  // line without decoding.
  const std::uint8_t* Record() const { return record_; }
  std::string_view RecordDate() const { return record_date_; }
  std::uint64_t RecordOffset() const { return record_offset_; }
  // Where the next step looks for a record (after a section start, the
  // section's first record).
  std::uint64_t NextRecordOffset() const { return next_record_; }
  // The dates of the current section's calls, as they stand.
  const SectionDating& Dating() const { return dating_; }
  // True once the system failed to read bytes that should be there.
  bool ReadFailed() const { return reader_.ReadFailed(); }

 private:
  Step StartSection();
  Step NextRecord();
  void ForgetChunk() { chunk_.Forget(); }

  // Records viewed at a time: whole records, well within the reader's buffer.
  static constexpr std::uint64_t kChunkSize = 1365 * kRecordSize;
  static_assert(kChunkSize <= platform::BinaryReader::kDefaultBufferSize);

  platform::BinaryReader reader_;
  std::string name_digits_;
  std::string digits_;
  SectionDating dating_;
  platform::ReaderWindow chunk_;          // a run of records in the reader's buffer
  const std::uint8_t* record_ = nullptr;  // in the chunk, valid until the next step
  std::string_view record_date_;
  mutable CdotFields fields_;
  mutable bool fields_ready_ = false;
  std::uint64_t section_start_ = 0;
  std::uint64_t record_offset_ = 0;
  std::uint64_t next_record_ = 0;
  std::uint64_t records_ = 0;  // kRecord steps so far
  bool first_section_ = true;
  bool has_header_ = false;
  bool dated_ = false;
  enum class State { kSectionStart, kRecords, kDone } state_ = State::kDone;
};

}  // namespace formats::cdot
