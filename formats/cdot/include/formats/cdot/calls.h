#pragma once
// Every call of a C-DOT file with the four values that identify it: the
// calling and called numbers, the start and the duration in whole seconds,
// as kelvan reads them (its values are the ones billed).
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/cdot/section_reader.h"

namespace formats::cdot {

// A call's start as its parts; -1 for a part that is not there (a file
// whose name gives no date).
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
  // fails the C-DOT test (error empty).
  bool Open(const std::string& path, std::string* error);
  bool Next(CallKey& call);
  bool ReadFailed() const { return reader_.ReadFailed(); }

 private:
  CdotSectionReader reader_;
  // PutNumberField may store up to 20 bytes whatever the digits' count.
  char calling_[24];
  char called_[24];
};

}  // namespace formats::cdot
