#include "engine/series_checks.h"

#include <gtest/gtest.h>

namespace lomtra {
namespace {

TEST(SeriesChecks, MomentsOfDetectorTexts) {
  EXPECT_EQ(MomentOfText("1970-01-01   00:00:00"), 0);
  EXPECT_EQ(MomentOfText("2008-02-29   23:59:59") + 1, MomentOfText("2008-03-01   00:00:00"));
  EXPECT_EQ(MomentOfText("2000-02-29   12:00:00") + 86400, MomentOfText("2000-03-01   12:00:00"));
  EXPECT_EQ(MomentOfText("2024-12-31   23:59:59") + 1, MomentOfText("2025-01-01   00:00:00"));
  for (const char* text :
       {"1969-12-31   23:59:59", "2008-02-29   08:01:00", "2000-02-29   00:00:00",
        "2099-12-31   23:59:59", "1900-03-01   00:00:00"}) {
    EXPECT_EQ(MomentClockText(MomentOfText(text)),
              std::string(text, 10) + " " + std::string(text + 13))
        << text;
  }
  // No call, or a date copied unchecked from a damaged file: no moment.
  for (const char* text :
       {"", "2007-02-29   10:00:00", "1900-02-29   10:00:00", "2006-50-20   00:00:00",
        "2006-04-10   24:00:00", "2006-04-10   10:60:00", "2006-04-10   10:00:60",
        "2006-00-10   10:00:00", "2006-04-00   10:00:00", "2006-04-10 10:00:00",
        "20x6-04-10   10:00:00"}) {
    EXPECT_EQ(MomentOfText(text), kNoMoment) << text;
  }
  EXPECT_EQ(MomentClockText(kNoMoment), "");
}

}  // namespace
}  // namespace lomtra
