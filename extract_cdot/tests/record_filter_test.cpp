#include "kelvan/record_filter.h"

#include <gtest/gtest.h>

namespace kelvan {
namespace {

TEST(PrefixAreaCode, OnlyFiveToSevenCharactersNotStartingWithZero) {
  EXPECT_EQ(PrefixAreaCode("612345", "4565"), "4565612345");
  EXPECT_EQ(PrefixAreaCode("12345", "4565"), "456512345");
  EXPECT_EQ(PrefixAreaCode("1234567", "4565"), "45651234567");
  EXPECT_EQ(PrefixAreaCode("1234", "4565"), "1234");
  EXPECT_EQ(PrefixAreaCode("12345678", "4565"), "12345678");
  EXPECT_EQ(PrefixAreaCode("012345", "4565"), "012345");
  EXPECT_EQ(PrefixAreaCode("", "4565"), "");
  EXPECT_EQ(PrefixAreaCode("612345", ""), "612345");
}

CdotFields Sample() {
  CdotFields f;
  f.calling = "612345";
  f.called = "22334455";
  f.outgoing_group = 34;
  f.incoming_group = 0;
  return f;
}

TEST(RecordFilter, ExactMatchOnEveryField) {
  const CdotFields f = Sample();
  EXPECT_TRUE(RecordFilter().Passes(f, "612345"));
  EXPECT_TRUE(RecordFilter(FilterField::kCallingNo, "612345").Passes(f, "612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kCallingNo, "61234").Passes(f, "612345"));
  // The calling number compared is the one written (with the area code).
  EXPECT_TRUE(RecordFilter(FilterField::kCallingNo, "4565612345").Passes(f, "4565612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kCallingNo, "612345").Passes(f, "4565612345"));
  EXPECT_TRUE(RecordFilter(FilterField::kCalledNo, "22334455").Passes(f, "612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kCalledNo, "223344550").Passes(f, "612345"));
  EXPECT_TRUE(RecordFilter(FilterField::kOTgpId, "34").Passes(f, "612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kOTgpId, "034").Passes(f, "612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kITgpId, "0").Passes(f, "612345"));
  EXPECT_TRUE(RecordFilter(FilterField::kITgpId, "").Passes(f, "612345"));
  EXPECT_FALSE(RecordFilter(FilterField::kOTgpId, "").Passes(f, "612345"));
}

}  // namespace
}  // namespace kelvan
