#include "vantor/call_table.h"

#include <array>

#include "vantor/ewsd_decoder.h"

namespace vantor {

namespace {

// Slots the decoder fills with a plain decimal number and nothing else. The
// trunk numbers (9, 10) are not among them: with a port they read "12-3".
constexpr std::array<bool, 20> kNumberSlots = {true,  false, false, false, false, true, true,
                                               false, false, false, false, true,  true, true,
                                               true,  true,  true,  true,  false, false};

}  // namespace

std::vector<platform::Column> CallColumns(const std::vector<int>& slots) {
  std::vector<platform::Column> columns;
  std::array<bool, 20> taken{};
  for (const int slot : slots) {
    const auto index = static_cast<std::size_t>(slot);
    if (taken[index]) continue;
    taken[index] = true;
    // A number slot's digits need no look; they are written without
    // leading zeros all the same.
    columns.push_back(
        {kSlotCaptions[index], "",
         kNumberSlots[index] ? platform::ColumnType::kInteger : platform::ColumnType::kText, false,
         kNumberSlots[index]});
  }
  platform::AddCallKeyColumns(&columns);
  return columns;
}

platform::CallTableShape CallShape() {
  platform::CallTableShape shape;
  shape.name = "ewsd_calls";
  std::vector<int> slots(kSlotCaptions.size());
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<int>(i);
  shape.columns = CallColumns(slots);
  shape.columns.resize(kSlotCaptions.size());  // call_start and the file are the table's own
  shape.indexed_keys = {platform::SnakeCaseKey(kSlotCaptions[formats::ewsd::kCallingSlot]),
                        platform::SnakeCaseKey(kSlotCaptions[formats::ewsd::kCalledSlot])};
  return shape;
}

}  // namespace vantor
