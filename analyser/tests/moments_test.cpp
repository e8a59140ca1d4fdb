#include "engine/moments.h"

#include <gtest/gtest.h>

namespace lomtra {
namespace {

TEST(MomentOfText, ReadsTheListsMomentsAndRefusesTheRest) {
  EXPECT_EQ(MomentOfText("1970-01-01   00:00:00"), 0);
  EXPECT_EQ(MomentOfText("2005-02-03   14:05:09"), 1107439509);
  EXPECT_EQ(MomentOfText("2004-03-01   00:00:00") - MomentOfText("2004-02-28   00:00:00"),
            2 * 86400);
  EXPECT_EQ(MomentOfText("2100-03-01   00:00:00") - MomentOfText("2100-02-28   00:00:00"), 86400);
  for (const char* text :
       {"", "To be  Analysed", "Invalid  File", "unknown   14:05:09", "2005-02-29   00:00:00",
        "2005-13-01   00:00:00", "2005-02-03   24:00:00", "2005-02-03 14:05:09",
        "2005-02-03   14:05:9x"}) {
    EXPECT_EQ(MomentOfText(text), kNoMoment) << text;
  }
}

}  // namespace
}  // namespace lomtra
