#pragma once
// Walks an EWSD billing file: steps over filler, finds each call record,
// reads its header and packages into 21 field slots.
#include <array>
#include <cstdint>
#include <string>

#include "formats/ewsd/layout.h"
#include "formats/ewsd/packages.h"
#include "platform/binary_reader.h"
#include "vantor/host.h"
#include "vantor/slot_text.h"

namespace vantor {

inline constexpr int kSlotCount = formats::ewsd::kSlotCount;
using Slots = std::array<SlotText, kSlotCount>;

// Column captions of slots 0 to 19 (slot 20 is never used).
extern const std::array<const char*, 20> kSlotCaptions;

enum class DecoderCondition { kNone, kInvalidFile, kUnsupportedPackage };

// What an invalid file asks: a question with several selected files, an
// error message otherwise.
enum class PassKind { kSingle, kSeveralFiles };

// What an invalid file says: a question with several files, an error else.
Message InvalidFileMessage(const std::string& path, PassKind kind);

class EwsdDecoder {
 public:
  explicit EwsdDecoder(Host& host) : host_(host) {}

  // Opens the file and starts a pass at offset 0. On failure returns false
  // with the system's reason in *error.
  bool BeginFile(const std::string& path, PassKind kind, std::string* error);
  void Close() {
    reader_.Close();
    ForgetWindow();
  }

  // Walks only [offset, stop) of the open file, with `records_before` found
  // ahead of it: offset and stop must be places the walk from the start
  // reaches (a stretch of a file cut where a record ends).
  void StartAt(std::int64_t offset, std::int64_t stop, std::int64_t records_before) {
    file_offset_ = offset;
    walk_end_ = stop < file_length_ ? stop : file_length_;
    records_found_ = records_before;
  }

  void FindNextRecord();
  void ReadRecordHeader();
  void DecodePackages();
  void DecodePackage(std::uint8_t identifier);
  // A file that holds records but no call: it is refused as an invalid file
  // is (the same question or message).
  void RefuseFile() { ReportInvalidFile(); }

  // Readers of the record. ReadDigitString checks its own bounds (a string
  // past the record makes the file invalid) and puts the digits into *into
  // when given; ReadUnsigned takes offsets that the package handlers have
  // checked.
  void ReadDigitString(SlotText* into);
  std::uint32_t ReadUnsigned(int offset, int width) const;

  bool Go() const { return go_; }
  void SetGo(bool go) { go_ = go; }
  // The answer to the invalid-file question of a pass over several files.
  MessageAnswer Answer() const { return answer_; }
  void ClearAnswer() { answer_ = MessageAnswer::kOk; }
  DecoderCondition Condition() const { return condition_; }

  // The slots whose text is wanted (bit i for slot i; all by default).
  // Others are still checked and stepped over but not formatted, and keep
  // stale text. The time (slot 2) is always decoded: it decides whether a
  // record is written.
  void SetWantedSlots(std::uint32_t mask) { wanted_ = mask | 1u << formats::ewsd::kTimeSlot; }
  std::uint32_t WantedSlots() const { return wanted_; }

  Slots& Slot() { return slots_; }
  const Slots& Slot() const { return slots_; }

  std::int64_t FileOffset() const { return file_offset_; }
  std::int64_t FileLength() const { return file_length_; }
  int RecordLength() const { return record_length_; }
  int PackageOffset() const { return package_offset_; }
  std::int64_t RecordsFound() const { return records_found_; }
  void CountRecord() { ++records_found_; }
  bool ReadFailed() const { return reader_.ReadFailed(); }
  // True when the byte after the current record lies at or past the end (of
  // the stretch being walked).
  bool RecordReachedEnd() const { return file_offset_ >= walk_end_; }

 private:
  // The bytes offset .. offset+count-1 lie inside the record buffer.
  bool Inside(int offset, int count) const;
  void ReportInvalidFile();
  void ReportUnsupported(int identifier);
  void DecodeTrunk(const formats::ewsd::Package& trunk);
  void DecodeCallingBytes();
  void DecodeThirdParty();
  // The walk's window over the file, and the most one item needs of it: the
  // longest record (255 bytes) with the byte after it, plus two to spare for
  // the length bytes of a block.
  static constexpr std::size_t kWindow = 4096;
  static constexpr std::size_t kLongestView = formats::ewsd::kLongestRecord + 3;
  void ForgetWindow() { window_.Forget(); }
  bool Wanted(int slot) const { return (wanted_ >> slot & 1u) != 0; }
  void PutNumber(int slot, std::uint32_t value);
  // `count` record bytes at `from` as hexadecimal pairs; up to six characters
  // past them may be written.
  void PutHexBytes(char* out, int from, int count) const;
  void HexInto(SlotText& out, int from, int count, bool leading_zero) const;

  Host& host_;
  platform::BinaryReader reader_;
  std::string path_;
  PassKind kind_ = PassKind::kSingle;
  std::int64_t file_offset_ = 0;
  std::int64_t file_length_ = 0;
  std::int64_t walk_end_ = 0;  // the file's length unless StartAt said less
  // The record plus the byte that follows it, where it lies in the reader's
  // buffer (valid until the reader is used again; ReadRecordHeader looks it
  // up afresh).
  const std::uint8_t* record_ = nullptr;
  bool record_in_view_ = false;
  // A run of the file in the reader's buffer, valid until the reader is
  // used again (every other use forgets the window).
  platform::ReaderWindow window_;
  std::uint64_t record_start_ = 0;
  int record_length_ = 0;
  int package_offset_ = 0;
  Slots slots_;
  std::uint32_t wanted_ = ~0u;
  bool go_ = false;
  MessageAnswer answer_ = MessageAnswer::kOk;
  DecoderCondition condition_ = DecoderCondition::kNone;
  std::int64_t records_found_ = 0;
};

}  // namespace vantor
