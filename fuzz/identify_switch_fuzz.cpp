// IdentifySwitch over any bytes: a code from the table, never a crash.
#include <cstddef>
#include <cstdint>

#include "engine/identify.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  std::string error;
  const lomtra::SwitchType type = lomtra::IdentifySwitch(file.Path(), &error);
  const int code = static_cast<int>(type);
  if (code < 0 || code > 8) __builtin_trap();
  return 0;
}
