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
};

// EWSD slots 1 to 4 and the record buffer are never cleared between records
// or files: a record without a date package shows the date decoded before it.
struct EwsdSlots {
  std::string date;
  std::string time;
  std::string calling;
  std::string called;
};

struct EwsdMemory {
  EwsdSlots slot_values;             // not "slots": Qt takes that word
  std::vector<std::uint8_t> record;  // the last record found, L + 1 bytes
  int length = 0;                    // its L
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
