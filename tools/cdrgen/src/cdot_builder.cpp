#include "cdrgen/cdot_builder.h"

#include <algorithm>

#include "platform/calendar.h"

namespace cdrgen {

namespace {

constexpr std::size_t kNumberBytes = 10;
constexpr std::size_t kHeaderBytes = 91;

void AppendOrFf(Bytes& out, std::uint64_t value, int width, bool ff) {
  if (ff) {
    out.insert(out.end(), static_cast<std::size_t>(width), 0xFF);
  } else {
    AppendBigEndian(out, value, width);
  }
}

std::string TwoDigits(int value) {
  return Digits(static_cast<std::uint64_t>(value), 2);
}

// DDMMYY of the day after, for the sample's consecutive sections.
std::string NextDay(int& day, int& month, int& year) {
  if (++day > platform::DaysInMonth(month, year)) {
    day = 1;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return TwoDigits(day) + TwoDigits(month) + TwoDigits(year % 100);
}

}  // namespace

Bytes CdotDigits(std::string_view digits) {
  std::string nibbles(digits.substr(0, 2 * kNumberBytes));
  std::replace(nibbles.begin(), nibbles.end(), '0', 'A');
  Bytes out = PackBcd(nibbles, 0xF);
  out.resize(kNumberBytes, 0xFF);
  return out;
}

Bytes CdotRecordBytes(const CdotRecord& r) {
  Bytes out;
  out.reserve(48);
  Append(out, CdotDigits(r.called));
  Append(out, CdotDigits(r.calling));
  AppendOrFf(out, r.duration_ms, 4, r.duration_ff);
  out.push_back(static_cast<std::uint8_t>(r.hour));
  out.push_back(static_cast<std::uint8_t>(r.minute));
  out.push_back(static_cast<std::uint8_t>(r.second));
  out.push_back(r.byte27);
  AppendOrFf(out, r.incoming_group, 2, r.incoming_ff);
  AppendBigEndian(out, 0, 4);
  AppendOrFf(out, r.units, 4, r.units_ff);
  AppendOrFf(out, r.outgoing_group, 2, r.outgoing_ff);
  AppendBigEndian(out, 0, 4);
  AppendOrFf(out, r.units_copy, 4, r.units_copy_ff);
  return out;
}

Bytes CdotSectionHeader(std::string_view date) {
  std::string text = "0707TGCBR SECTION";
  text = Field(text, 80) + Field(date, 6);
  Bytes out;
  Append(out, Field(text, kHeaderBytes));
  return out;
}

CdotFileBuilder& CdotFileBuilder::Section(std::string_view ddmmyy) {
  Append(bytes_, CdotSectionHeader(ddmmyy));
  return *this;
}

CdotFileBuilder& CdotFileBuilder::Add(const CdotRecord& record) {
  Append(bytes_, CdotRecordBytes(record));
  return *this;
}

CdotFileBuilder& CdotFileBuilder::AddRaw(const Bytes& bytes) {
  Append(bytes_, bytes);
  return *this;
}

void CdotSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed,
                      std::size_t* records) {
  Random random(seed);
  std::size_t count = 0;
  int day = 6, month = 3, year = 2005;
  const std::uint64_t per_section = std::max<std::uint64_t>(size / 4, 48 * 20);
  do {
    out.Put(CdotSectionHeader(NextDay(day, month, year)));
    const std::uint64_t section_end = out.Size() + per_section;
    int hour = 20 + static_cast<int>(random.Between(0, 3));  // evening calls of the day before
    bool evening_over = false;
    while (out.Size() < section_end) {
      CdotRecord r;
      r.called = random.DigitString(static_cast<std::size_t>(random.Between(6, 12)));
      r.calling = random.DigitString(static_cast<std::size_t>(random.Between(5, 8)));
      r.duration_ms = random.Between(0, 900000);
      r.hour = hour;
      r.minute = static_cast<int>(random.Between(0, 59));
      r.second = static_cast<int>(random.Between(0, 59));
      r.byte27 = static_cast<std::uint8_t>(random.Between(0, 2));
      r.incoming_group = random.Between(0, 40);
      r.outgoing_group = random.Between(0, 40);
      r.units = random.Between(0, 20);
      r.units_copy = r.units == 0 ? random.Between(0, 5) : r.units;
      r.duration_ff = random.Between(0, 50) == 0;
      r.incoming_ff = random.Between(0, 20) == 0;
      out.Put(CdotRecordBytes(r));
      out.Spill();
      ++count;
      // After the evening calls the day runs 00-23; hour 19 ends the evening.
      if (!evening_over && random.Between(0, 3) == 0) {
        evening_over = true;
        hour = 0;
      } else if (evening_over && hour < 23 && random.Between(0, 5) == 0) {
        ++hour;
      }
    }
  } while (out.Size() + 500 < size);
  if (records) *records = count;
}

Bytes CdotSampleFile(std::uint64_t size, std::uint64_t seed, std::size_t* records) {
  ByteStream out;
  CdotSampleStream(out, size, seed, records);
  return out.Take();
}

}  // namespace cdrgen
