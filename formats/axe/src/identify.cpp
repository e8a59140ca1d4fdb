#include "formats/axe/identify.h"

#include <string>
#include <string_view>

#include "formats/axe/records.h"

namespace formats::axe {

bool IsAxeFile(platform::BinaryReader& file) {
  for (int block = 0; block < kTestedBlockStarts; ++block) {
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * kBlockSize;
    if (offset >= file.Length()) return false;
    const double value =
        NumberValue(file.ReadText(offset, kLength.width), kExtractorReading.numbers);
    if (value < kLowestFirstLength || value > kHighestFirstLength) return false;
  }
  return true;
}

bool PassesBoundary(const std::uint8_t* around) {
  if (around[0] != kBlockFiller) return false;
  constexpr Reading::Numbers kNumbers = kAnalyserReading.numbers;
  const std::string_view head(reinterpret_cast<const char*>(around + 1), kLength.width);
  double v = NumberValue(head, kNumbers);
  // The number's decimal text is cut to three characters and read again.
  std::string digits = std::to_string(static_cast<long long>(v));
  if (v != static_cast<double>(static_cast<long long>(v))) digits = std::to_string(v);
  v = NumberValue(std::string_view(digits).substr(0, kLength.width), kNumbers);
  return !(v < kLowestFirstLength || v > kHighestBoundaryLength);
}

}  // namespace formats::axe
