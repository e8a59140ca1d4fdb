#pragma once
// Whether a file is an AXE file: each program has its own test (Reading::FileTest).
#include <cstddef>
#include <cstdint>

#include "formats/axe/layout.h"
#include "platform/binary_reader.h"

namespace formats::axe {

// pardel's test: the first three characters of each of the kTestedBlockStarts
// blocks at 0, 2048, ..., 20480 read as a number from kLowestFirstLength to
// kHighestFirstLength. A block start past the end of the file counts as out
// of range.
bool IsAxeFile(platform::BinaryReader& file);

// lomtra's test of the boundary before block k (k = 1 to kTestedBoundaries):
// `around` holds the kBoundaryBytes bytes from offset BoundaryOffset(k) on
// (zeros past the end of the file). The block before must end in
// kBlockFiller; the next block's length, its decimal text cut to three
// characters and read again, must lie from kLowestFirstLength to
// kHighestBoundaryLength.
inline constexpr std::size_t kBoundaryBytes = 1 + kLength.width;
constexpr std::uint64_t BoundaryOffset(int k) {
  return static_cast<std::uint64_t>(k) * kBlockSize - 1;
}
bool PassesBoundary(const std::uint8_t* around);

}  // namespace formats::axe
