#include "vantor/slot_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

TEST(VantorSlotTextTest, HoldsTextUpToItsCapacity) {
  SlotText slot;
  EXPECT_TRUE(slot.empty());
  slot = "ICG 1 ";
  EXPECT_EQ(slot, "ICG 1 ");
  EXPECT_EQ(slot.Text(), "ICG 1 ");
  slot.clear();
  EXPECT_EQ(slot.size(), 0u);
  // Longer text is cut, never written past the slot.
  slot = std::string(SlotText::kCapacity + 100, '7');
  EXPECT_EQ(slot.size(), SlotText::kCapacity);
  slot.SetSize(SlotText::kCapacity + 1);
  EXPECT_EQ(slot.size(), SlotText::kCapacity);
}

}  // namespace
}  // namespace vantor
