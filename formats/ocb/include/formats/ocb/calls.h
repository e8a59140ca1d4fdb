#pragma once
// Every call of an OCB-283 file with the four values that identify it: the
// calling and called numbers, the start and the chargeable duration. Read as
// ostrel reads them (kExtractorReading): its values are the ones billed.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ocb/blocks.h"
#include "platform/binary_reader.h"

namespace formats::ocb {

// A call's start as its parts; -1 for a part whose digits are damaged.
// Whether the parts make a real moment is the reader's user's to judge.
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
  // False when the file cannot be opened (the system's reason in *error) or
  // is no OCB data file (error empty).
  bool Open(const std::string& path, std::string* error);
  // The next call of the current data, in file order; false at the end.
  bool Next(CallKey& call);
  bool ReadFailed() const { return reader_.ReadFailed(); }

 private:
  platform::BinaryReader reader_;
  Layout layout_ = Layout::kPlain;
  BlockCount blocks_;
  std::uint64_t block_ = 0;
  int record_ = kRecordsPerBlock;
  const std::uint8_t* bytes_ = nullptr;
  char calling_[2 * 5];
  char called_[kCalledDigits];
};

}  // namespace formats::ocb
