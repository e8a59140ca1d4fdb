#include "platform/parallel.h"

#include <charconv>

namespace platform {

unsigned DefaultWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : std::min(cores, 256u);
}

std::string ReadWorkers(const std::string& value, unsigned* workers) {
  unsigned number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error != std::errc() || stop != end || number < 1 || number > 256)
    return "-j needs a number of workers from 1 to 256, not \"" + value + "\"";
  *workers = number;
  return {};
}

}  // namespace platform
