#pragma once
// Every call of an AXE file with the four values that identify it: the A and
// B numbers, the start and the first counter (the call's duration). Read as
// pardel reads them (kExtractorReading), its values being the ones billed,
// with the layout chosen by the file's own first record, as a run over this
// file alone chooses it.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/axe/layout.h"
#include "platform/binary_reader.h"

namespace formats::axe {

// A call's start as its parts; -1 for a part that is no two-digit number.
struct CallStart {
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

struct CallKey {
  std::string_view calling;  // valid until the next call of Next
  std::string_view called;
  CallStart start;
  double duration = 0;  // the first counter's number, fractions and signs kept
};

class CallReader {
 public:
  // False when the file cannot be opened (the system's reason in *error) or
  // fails pardel's file test (error empty).
  bool Open(const std::string& path, std::string* error);
  bool Next(CallKey& call);
  bool ReadFailed() const { return reader_.ReadFailed(); }

 private:
  bool NextBlock();

  platform::BinaryReader reader_;
  std::string copy_;  // a block read where it cannot be viewed
  std::string_view block_;
  std::uint64_t block_offset_ = 0;
  std::size_t start_ = 0;
  bool started_ = false;
  bool layout_chosen_ = false;
  bool shifted_ = false;
  char called_[kBNumber.width];
};

}  // namespace formats::axe
