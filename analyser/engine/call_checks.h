#pragma once
// The calls of one decoded file as the call checks read them (CheckCalls in
// findings.h runs the checks).
#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/findings.h"

namespace lomtra {

// One call: the values the extractor of its format writes and bills.
struct CallValues {
  std::string_view calling;  // valid during the call of `on_call` only
  std::string_view called;
  Moment start = kNoMoment;  // kNoMoment: the extractor leaves call_start empty
  double duration = 0;       // seconds; an AXE counter may hold a fraction
};

// Hands every call of `file` (EWSD, OCB-283, C-DOT or AXE) to `on_call` in
// file order, numbered from 0; `on_call` returns false to stop. False when
// the file cannot be opened or is not of a decoded type.
bool ForEachCall(const SeriesFile& file,
                 const std::function<bool(std::uint64_t, const CallValues&)>& on_call);

}  // namespace lomtra
