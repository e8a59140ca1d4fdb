#include "engine/detectors.h"
#include "engine/engine_state.h"
#include "engine/host.h"

namespace lomtra {

bool PumpAndCheckStop(AnalyserContext& context) {
  context.host.PumpEvents();
  if (!context.state.stop_requested) return false;
  if (context.host.AskStop()) return true;
  context.state.stop_requested = false;
  return false;
}

}  // namespace lomtra
