#include "ostrel/record_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdrgen/ocb_builder.h"
#include "formats/ocb/digits.h"
#include "ostrel/extraction_run.h"

namespace ostrel {
namespace {

// The line as the decoder and FormatLine make it, CR LF included.
std::string SlowLine(const std::uint8_t* record, const std::vector<int>& selection, int year,
                     int day) {
  OcbFields fields;
  DecodeRecord(record, year, day, false, fields);
  std::string line;
  FormatLine(fields, selection, line);
  return line + "\r\n";
}

// Formats into a buffer full of marks and checks that nothing was written
// past the room the formatter asked for.
std::string FastLine(RecordLineFormatter& formatter, const std::uint8_t* record) {
  std::vector<char> room(formatter.MaxLineBytes() + 64, '\x7F');
  const char* end = formatter.Format(record, room.data());
  for (std::size_t i = formatter.MaxLineBytes(); i < room.size(); ++i) {
    EXPECT_EQ(room[i], '\x7F') << "byte " << i << " written past the room";
  }
  return std::string(static_cast<const char*>(room.data()), end);
}

// Bytes with many filler and damaged nibbles, not only plain digits.
cdrgen::Bytes MixedRecord(cdrgen::Random& random) {
  cdrgen::Bytes record(ocb::kRecordSize);
  for (auto& byte : record) {
    const auto pick = random.Between(0, 9);
    if (pick < 3) {
      byte = 0xFF;
    } else if (pick < 5) {
      byte = static_cast<std::uint8_t>(random.Between(0, 9) << 4 | 0x0F);
    } else if (pick < 8) {
      byte = static_cast<std::uint8_t>(random.Between(0, 9) << 4 | random.Between(0, 9));
    } else {
      byte = static_cast<std::uint8_t>(random.Between(0, 255));
    }
  }
  if (random.Between(0, 3) == 0) record[0] = random.Between(0, 1) == 0 ? 0x30 : 0x10;
  return record;
}

std::vector<std::vector<int>> Selections() {
  std::vector<std::vector<int>> selections = {
      DefaultFieldSelection(),
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
      {18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1},
      {4, 4, 5, 5},  // a date twice in one line
      {},
  };
  for (int field = 1; field <= ocb::kFieldCount; ++field) selections.push_back({field});
  return selections;
}

TEST(RecordLine, SameTextAsTheDecoderForAnyBytesAndSelection) {
  cdrgen::Random random(7);
  const int header_years[] = {0, 5, 99, 165};
  const int header_days[] = {0, 1, 60, 366, 16665};
  for (const std::vector<int>& selection : Selections()) {
    for (int year : header_years) {
      for (int day : header_days) {
        RecordLineFormatter formatter(selection, year, day);
        for (int n = 0; n < 60; ++n) {
          const cdrgen::Bytes record = MixedRecord(random);
          ASSERT_EQ(FastLine(formatter, record.data()),
                    SlowLine(record.data(), selection, year, day))
              << "record " << n << " year " << year << " day " << day;
        }
      }
    }
  }
}

TEST(RecordLine, EdgeValuesOfEveryField) {
  cdrgen::OcbRecordValues values;
  values.function_type = 0x30;
  values.entity_type = 0;
  values.category = 255;
  values.day = "366";
  values.time = "235959";
  values.calling = "2456789";
  values.ic_trunk = "12";
  values.called = "0115551234";
  values.traffic = 0;
  values.service = 9;
  values.bearer = 10;
  values.duration = 65535;
  values.units = 0xFFFFFF;
  values.og_trunk = "4";
  values.accesses = 100;
  values.reserved = 99;
  values.operator_id = "0FA1";
  values.service_class = 10;
  const cdrgen::Bytes record = cdrgen::OcbRecordBytes(values);
  const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  RecordLineFormatter formatter(all, 5, 10);
  EXPECT_EQ(FastLine(formatter, record.data()),
            "48,0,255,2004-12-31,23:59:59,2456789,100,0115551234,0,9,10,65535,16777215,4,12,99,"
            "0FA1, 10 \r\n");
  // Duration and units at every digit count, written the same as the decoder.
  for (std::uint32_t value : {0u, 9u, 10u, 99u, 100u, 255u, 256u, 999u, 1000u, 9999u, 10000u,
                              65535u, 99999u, 100000u, 999999u, 1000000u, 9999999u, 10000000u}) {
    values.duration = static_cast<std::uint16_t>(value > 65535 ? 65535 : value);
    values.units = value;
    const cdrgen::Bytes bytes = cdrgen::OcbRecordBytes(values);
    RecordLineFormatter numbers({12, 13}, 5, 10);
    EXPECT_EQ(FastLine(numbers, bytes.data()), SlowLine(bytes.data(), {12, 13}, 5, 10)) << value;
  }
}

TEST(RecordLine, NumbersOfEveryLengthAndFillersAnywhere) {
  const std::vector<int> numbers = {6, 8, 14, 15};
  RecordLineFormatter formatter(numbers, 5, 10);
  cdrgen::OcbRecordValues values;
  const std::string digits = "123456789012345678";
  for (std::size_t length = 0; length <= 18; ++length) {
    values.called = digits.substr(0, length);
    values.calling = digits.substr(0, length % 11);
    values.ic_trunk = digits.substr(8, length % 11);
    const cdrgen::Bytes record = cdrgen::OcbRecordBytes(values);
    EXPECT_EQ(FastLine(formatter, record.data()), SlowLine(record.data(), numbers, 5, 10))
        << length;
  }
  // A filler inside a number, or digits after the fillers: every F goes.
  cdrgen::Bytes record = cdrgen::OcbRecordBytes(values);
  for (std::size_t at = 8; at < 27; ++at) {
    for (std::uint8_t byte :
         {std::uint8_t{0xF1}, std::uint8_t{0x1F}, std::uint8_t{0xFF}, std::uint8_t{0xAB}}) {
      cdrgen::Bytes damaged = record;
      damaged[at] = byte;
      EXPECT_EQ(FastLine(formatter, damaged.data()), SlowLine(damaged.data(), numbers, 5, 10))
          << "byte " << at;
    }
  }
  EXPECT_EQ(FastLine(formatter, record.data()), "1234567,123456789012345678,45,9012345\r\n");
}

TEST(RecordLine, DateFollowsEveryChangeOfTheRecordDay) {
  // The date text is kept while the day repeats: it must change with it,
  // also back to a day seen before.
  RecordLineFormatter formatter({4}, 5, 100);
  cdrgen::OcbRecordValues values;
  for (const char* day : {"067", "067", "068", "067", "0A1", "101", "001"}) {
    values.day = day;
    const cdrgen::Bytes record = cdrgen::OcbRecordBytes(values);
    EXPECT_EQ(FastLine(formatter, record.data()), SlowLine(record.data(), {4}, 5, 100)) << day;
  }
  values.day = "067";
  EXPECT_EQ(FastLine(formatter, cdrgen::OcbRecordBytes(values).data()), "2005-03-08\r\n");
  values.day = "101";  // after the header day: the year before
  EXPECT_EQ(FastLine(formatter, cdrgen::OcbRecordBytes(values).data()), "2004-04-10\r\n");
}

// The slot test counts nibbles; the decoded called number must agree.
TEST(RecordLine, UnusedSlotsAreThoseWithEmptyOrFullCalledNumbers) {
  cdrgen::Random random(11);
  for (int n = 0; n < 3000; ++n) {
    cdrgen::Bytes record = MixedRecord(random);
    if (n % 3 == 0) std::fill(record.begin() + 18, record.begin() + 27, 0xFF);
    OcbFields fields;
    const bool call = DecodeRecord(record.data(), 5, 100, true, fields);
    const std::size_t digits = fields.Text(ocb::kCalledField).size();
    EXPECT_EQ(ocb::IsUnusedSlot(record.data()), digits == 0 || digits == 18) << "record " << n;
    EXPECT_EQ(call, !ocb::IsUnusedSlot(record.data())) << "record " << n;
  }
  for (std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0x40}, std::uint8_t{0xFF}}) {
    EXPECT_TRUE(ocb::IsUnusedSlot(cdrgen::OcbRecordBytes(cdrgen::OcbPaddingRecord(fill)).data()));
  }
  cdrgen::OcbRecordValues call;
  call.called = "12345678901234567";  // 17 digits: a call
  EXPECT_FALSE(ocb::IsUnusedSlot(cdrgen::OcbRecordBytes(call).data()));
}

}  // namespace
}  // namespace ostrel
