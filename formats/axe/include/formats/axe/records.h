#pragma once
// How a block's records are found: the length at each record's start.
#include <cstddef>
#include <string_view>

#include "formats/axe/layout.h"

namespace formats::axe {

// A number text as `numbers` reads it.
double NumberValue(std::string_view text, Reading::Numbers numbers);

// The length that lengths other than three digits give, as `reading` says.
std::size_t UnusualRecordLength(std::string_view head, const Reading& reading);

// The length the characters at a record's start give (`head`: kLength.width
// of them, fewer where the block or the file ends first), at most a block;
// 0 when they end the block's records. Inline: it runs once for every record.
inline std::size_t RecordLength(std::string_view head, const Reading& reading) {
  if (head.size() == kLength.width) {
    const auto d0 = static_cast<unsigned>(static_cast<unsigned char>(head[0]) - '0');
    const auto d1 = static_cast<unsigned>(static_cast<unsigned char>(head[1]) - '0');
    const auto d2 = static_cast<unsigned>(static_cast<unsigned char>(head[2]) - '0');
    // Three digits, as nearly every length is: at most 999, within the block.
    if (d0 <= 9 && d1 <= 9 && d2 <= 9) return d0 * 100 + d1 * 10 + d2;
  }
  return UnusualRecordLength(head, reading);
}

}  // namespace formats::axe
