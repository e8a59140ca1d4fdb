#include "formats/cdot/section_date.h"

#include <gtest/gtest.h>

#include "formats/cdot/fields.h"

namespace formats::cdot {
namespace {

TEST(SectionDate, CenturyYearMonthDay) {
  EXPECT_EQ(SectionDate("070305"), "2005/03/07");
  EXPECT_EQ(SectionDate("311299"), "2099/12/31");
}

TEST(DayBefore, AcrossMonthYearAndLeapDayEnds) {
  EXPECT_EQ(DayBefore("2005/03/07"), "2005/03/06");
  EXPECT_EQ(DayBefore("2005/03/01"), "2005/02/28");
  EXPECT_EQ(DayBefore("2004/03/01"), "2004/02/29");
  EXPECT_EQ(DayBefore("2000/03/01"), "2000/02/29");
  EXPECT_EQ(DayBefore("2100/03/01"), "2100/02/28");
  EXPECT_EQ(DayBefore("2005/01/01"), "2004/12/31");
  EXPECT_EQ(DayBefore("2005/05/01"), "2005/04/30");
}

TEST(DayBefore, NoValidDateStaysAsItIs) {
  EXPECT_EQ(DayBefore("2005/13/01"), "2005/13/01");
  EXPECT_EQ(DayBefore("2005/02/30"), "2005/02/30");
  EXPECT_EQ(DayBefore("2005/03/00"), "2005/03/00");
  EXPECT_EQ(DayBefore("20.D/AT/1."), "20.D/AT/1.");
  EXPECT_EQ(DayBefore(""), "");
}

TEST(SectionDating, EveningCallsBelongToTheDayBeforeUntilHour19) {
  SectionDating dating;
  dating.Start("010305");
  EXPECT_EQ(dating.DateOf("21:10:00"), "2005/02/28");
  EXPECT_EQ(dating.DateOf("23:59:59"), "2005/02/28");
  EXPECT_EQ(dating.DateOf("00:00:01"), "2005/03/01");
  EXPECT_EQ(dating.DateOf("02:00:00"), "2005/03/01");  // "02" does not begin with 2
  EXPECT_EQ(dating.DateOf("20:00:00"), "2005/02/28");  // no 19 seen yet
  EXPECT_EQ(dating.DateOf("19:00:00"), "2005/03/01");
  EXPECT_TRUE(dating.EveningSeen());
  EXPECT_EQ(dating.DateOf("21:10:00"), "2005/03/01");

  dating.Start("020305");  // a new section forgets the evening
  EXPECT_FALSE(dating.EveningSeen());
  EXPECT_EQ(dating.DateOf("21:10:00"), "2005/03/01");
}

}  // namespace
}  // namespace formats::cdot

namespace formats::cdot {
namespace {

// The hour byte gives the date its time text would give, for every byte in
// every order that matters: before and after the evening flag is set.
TEST(SectionDating, HourByteAgreesWithTheTimeText) {
  for (int first = 0; first < 256; ++first) {
    for (int second : {0, 2, 19, 20, 21, 29, 30, 100, 190, 199, 200, 255, first}) {
      SectionDating by_text, by_hour;
      by_text.Start("010305");
      by_hour.Start("010305");
      for (int hour : {first, second, first}) {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(hour), 15, 30};
        std::string time;
        TimeText(bytes, time);
        ASSERT_EQ(by_hour.DateOfHour(bytes[0]), by_text.DateOf(time)) << time;
        ASSERT_EQ(by_hour.EveningSeen(), by_text.EveningSeen()) << time;
      }
    }
  }
}

}  // namespace
}  // namespace formats::cdot
