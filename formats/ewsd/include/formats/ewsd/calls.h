#pragma once
// Every call of an EWSD file with the four values that identify it: the
// calling and called numbers, the start and the duration. The walk is
// vantor's (kExtractorWalk), its values being the ones billed: a record
// without a time is no call and leaves its numbers to the next record, and
// damage ends the file where vantor would refuse it.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ewsd/layout.h"
#include "platform/binary_reader.h"

namespace formats::ewsd {

// A call's start as its parts, each byte's right two digits.
struct CallStart {
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

struct CallKey {
  std::string_view calling;  // valid until the next call of Next
  std::string_view called;
  CallStart start;
  std::uint64_t duration = 0;
};

class CallReader {
 public:
  // False when the file cannot be opened (the system's reason in *error).
  bool Open(const std::string& path, std::string* error);
  // The next call; false at the end of the file or where vantor would stop
  // reading it (Damaged() tells).
  bool Next(CallKey& call);
  bool Damaged() const { return damaged_; }
  bool ReadFailed() const { return reader_.ReadFailed(); }

 private:
  // A digit string at package_: its text into `into` when given.
  bool DigitString(std::string* into);
  bool Inside(int offset, int count) const {
    return offset >= 0 && count >= 0 && offset + count <= length_ + 1;
  }
  bool DecodePackages();

  platform::BinaryReader reader_;
  std::uint64_t offset_ = 0;
  std::uint64_t file_length_ = 0;
  const std::uint8_t* record_ = nullptr;
  int length_ = 0;
  int package_ = 0;
  bool damaged_ = false;
  bool done_ = false;
  bool emitted_ = false;
  // What the record's packages have set so far; a record without a time
  // hands them to the next.
  std::string calling_, called_;
  std::uint64_t duration_ = 0;
  bool has_time_ = false;
  CallStart start_;
};

}  // namespace formats::ewsd
