// Stands in for the pass over every call until it is built.
#include "engine/findings.h"

namespace lomtra {

bool CheckCalls(const std::string&, const std::vector<SeriesFile>&, const CallCheckOptions&,
                std::vector<Finding>&, std::string*) {
  return true;
}

}  // namespace lomtra
