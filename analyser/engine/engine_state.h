#pragma once
// What the analyser keeps while it runs: the two program-wide flags and the
// detectors' memory that carries over from one file to the next.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "formats/ocb/layout.h"

namespace lomtra {

class Host;

// The OCB layout of the last OCB file seen; a file in which neither block
// marker is found keeps it.
struct OcbMemory {
  std::uint64_t header_offset = formats::ocb::kPlainFirstHeader;
  std::uint64_t stride = formats::ocb::kPlainStride;
  // Set where the files before are not known (a worker): the layout above is
  // only the fresh one. A file that finds its own layout clears it.
  bool guessed = false;
};

// EWSD slots 1 to 4 and the record buffer are never cleared between records
// or files: a record without a date package shows the date decoded before it.
struct EwsdSlots {
  std::string date;
  std::string time;
  std::string calling;
  std::string called;
};

// The parts of EwsdMemory a file may set, as bits of EwsdMemory::unknown.
enum EwsdPart : unsigned {
  kEwsdDateTime = 1,  // slots 1 and 2, always set together
  kEwsdCalling = 2,
  kEwsdCalled = 4,
  kEwsdRecord = 8,  // the record buffer and its L
  kEwsdEverything = 15,
};

struct EwsdMemory {
  EwsdSlots slot_values;             // not "slots": Qt takes that word
  std::vector<std::uint8_t> record;  // the last record found, L + 1 bytes
  int length = 0;                    // its L

  // Where the files before are not known (a worker), `unknown` holds the
  // parts this file has not set itself yet, and `read_unknown` tells that a
  // result was made from one of them: the run then makes the file again with
  // the true memory. Both stay clear in a run's own state.
  unsigned unknown = 0;
  bool read_unknown = false;
  void Set(unsigned parts) { unknown &= ~parts; }
  void Read(unsigned parts) {
    if ((unknown & parts) != 0) read_unknown = true;
  }
};

struct EngineState {
  bool analyser_running = false;  // AnalyserRunning
  bool stop_requested = false;    // StopRequested
  OcbMemory ocb;
  EwsdMemory ewsd;
};

// What a detector or the run needs besides the file.
struct AnalyserContext {
  Host& host;
  const Clock& clock;
  EngineState& state;
};

// PumpEvents, then the stop question when Stop was given. True when the user
// confirmed the stop (the flag stays set so that the run ends after this
// file); on No the flag is cleared.
bool PumpAndCheckStop(AnalyserContext& context);

}  // namespace lomtra
