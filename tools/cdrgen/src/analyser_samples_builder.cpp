#include <algorithm>

#include "cdrgen/analyser_samples.h"

namespace cdrgen {
namespace {

Bytes OcbRecord(const OcbSampleRecord& r) {
  Bytes out;
  out.push_back(r.first_byte);
  out.push_back(0x01);
  out.push_back(0x02);
  Append(out, PackBcd(r.day));
  Append(out, PackBcd(r.time));
  Append(out, Bytes(10, 0xFF));  // calling number and trunk group: fillers
  Append(out, PackBcd(Field(r.called, 18, 'F')));
  out.resize(42, 0x00);
  return out;
}

Bytes OcbBlock(const OcbSampleBlock& b) {
  Bytes out = {0xC6, 0xC4};
  Append(out, PackBcd(Digits(b.sequence % 1000000, 6)));
  Append(out, PackBcd(b.year));
  Append(out, PackBcd(b.day));
  Append(out, PackBcd(b.time));
  out.resize(32, 0x00);
  for (std::size_t i = 0; i < 48; ++i) {
    if (i < b.records.size()) {
      Append(out, OcbRecord(b.records[i]));
    } else {
      Append(out, Bytes(42, b.padding));
    }
  }
  return out;
}

}  // namespace

Bytes OcbAnalyserFile(const std::vector<OcbSampleBlock>& blocks, bool prefixed) {
  Bytes out;
  if (prefixed) out.resize(924, 0x00);
  for (const auto& b : blocks) {
    if (prefixed) Append(out, Bytes(4, 0x00));
    Append(out, OcbBlock(b));
  }
  return out;
}

Bytes OcbAnalyserSample(std::size_t blocks, std::uint64_t seed) {
  Random random(seed);
  std::vector<OcbSampleBlock> list;
  std::uint64_t seconds = 8 * 3600;
  for (std::size_t i = 0; i < blocks; ++i) {
    OcbSampleBlock b;
    b.sequence = static_cast<std::uint32_t>(i + 1);
    b.year = "06";
    b.day = "0100";
    for (int r = 0; r < 48; ++r) {
      OcbSampleRecord rec;
      seconds = std::min<std::uint64_t>(seconds + random.Between(1, 30), 86399);
      rec.day = "0100";
      rec.time = Digits(seconds / 3600, 2) + Digits(seconds / 60 % 60, 2) + Digits(seconds % 60, 2);
      rec.called = "0" + random.DigitString(random.Between(6, 10));
      b.records.push_back(rec);
    }
    list.push_back(b);
  }
  return OcbAnalyserFile(list);
}

Bytes EwsdDatePackage(int year, int month, int day, int hour, int minute, int second,
                      std::uint32_t duration) {
  Bytes out = {100};
  for (int v : {year, month, day, hour, minute, second})
    out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(0x00);
  AppendLittleEndian(out, duration, 3);
  return out;
}

namespace {

Bytes DigitString(const std::string& digits) {
  Bytes out = {static_cast<std::uint8_t>(std::min<std::size_t>(digits.size(), 31))};
  Append(out, PackBcd(digits));
  return out;
}

}  // namespace

Bytes EwsdCalledPackage(const std::string& digits) {
  Bytes out = {101};
  Append(out, DigitString(digits));
  return out;
}

Bytes EwsdPlainPackage(std::uint8_t id, std::size_t size) {
  Bytes out(std::max<std::size_t>(size, 1), 0x00);
  out[0] = id;
  return out;
}

Bytes EwsdRecordBytes(const EwsdSampleRecord& r) {
  Bytes out = {r.type, 0x00, 0x00, static_cast<std::uint8_t>(r.no_owner ? 0x80 : 0x00), 0, 0, 0};
  if (r.no_owner) {
    out.push_back(0x00);
  } else {
    Append(out, DigitString(r.owner));
  }
  for (const auto& p : r.packages) Append(out, p);
  // One spare byte so that the last package never starts at the record's
  // last byte.
  out.push_back(0x00);
  out[1] = static_cast<std::uint8_t>(
      r.length_override >= 0 ? r.length_override
                             : static_cast<int>(std::min<std::size_t>(out.size(), 255)));
  return out;
}

EwsdFileBuilder& EwsdFileBuilder::Record(const EwsdSampleRecord& record) {
  Append(bytes_, EwsdRecordBytes(record));
  return *this;
}

EwsdFileBuilder& EwsdFileBuilder::Filler80(std::size_t count) {
  Append(bytes_, Bytes(count, 0x80));
  return *this;
}

EwsdFileBuilder& EwsdFileBuilder::Filler81(std::uint16_t length, std::size_t total) {
  Bytes block = {0x81};
  AppendLittleEndian(block, length, 2);
  block.resize(std::max<std::size_t>(total, 3), 0x80);
  Append(bytes_, block);
  return *this;
}

EwsdFileBuilder& EwsdFileBuilder::Unit(std::uint8_t lead, std::size_t size) {
  Bytes unit(size, 0x00);
  if (!unit.empty()) unit[0] = lead;
  Append(bytes_, unit);
  return *this;
}

EwsdFileBuilder& EwsdFileBuilder::Raw(const Bytes& bytes) {
  Append(bytes_, bytes);
  return *this;
}

Bytes EwsdAnalyserSample(std::size_t records, std::uint64_t seed) {
  Random random(seed);
  EwsdFileBuilder builder;
  std::uint64_t seconds = 7 * 3600;
  for (std::size_t i = 0; i < records; ++i) {
    seconds = std::min<std::uint64_t>(seconds + random.Between(1, 20), 86399);
    EwsdSampleRecord r;
    r.owner = "55" + random.DigitString(5);
    r.packages.push_back(EwsdDatePackage(
        6, 11, 30, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
        static_cast<int>(seconds % 60), static_cast<std::uint32_t>(random.Between(1, 3600))));
    r.packages.push_back(EwsdCalledPackage("0" + random.DigitString(random.Between(6, 10))));
    r.packages.push_back(EwsdPlainPackage(103, 4));
    builder.Record(r);
    if (i > 0 && random.Between(0, 4) == 0) builder.Filler80(random.Between(1, 3));
  }
  return builder.Build();
}

namespace {

// Digits coded as nibbles, 0 as A, F as the filler, ended by 0xFF bytes.
Bytes CdotDigits(const std::string& digits, std::size_t size) {
  std::string nibbles;
  for (char c : digits) nibbles.push_back(c == '0' ? 'A' : c);
  Bytes out = PackBcd(nibbles, 0xF);
  out.resize(size, 0xFF);
  return out;
}

}  // namespace

Bytes CdotRecordBytes(const CdotSampleRecord& r) {
  Bytes out = CdotDigits(r.called, 10);
  Append(out, CdotDigits(r.calling, 10));
  AppendBigEndian(out, 61000, 4);
  out.push_back(r.hour);
  out.push_back(r.minute);
  out.push_back(r.second);
  out.push_back(r.byte27);
  AppendBigEndian(out, 12, 2);
  Append(out, Bytes(4, 0x00));
  AppendBigEndian(out, 3, 4);
  AppendBigEndian(out, 14, 2);
  Append(out, Bytes(4, 0x00));
  AppendBigEndian(out, 3, 4);
  return out;
}

Bytes CdotSectionHeader(const std::string& ddmmyy) {
  std::string text = Field("TGCBR SECTION HEADER", 80) + Field(ddmmyy, 6);
  text = Field(text, 91);
  Bytes out;
  Append(out, text);
  return out;
}

Bytes CdotAnalyserFile(const std::vector<CdotSampleRecord>& records) {
  Bytes out;
  for (const auto& r : records) Append(out, CdotRecordBytes(r));
  return out;
}

Bytes CdotAnalyserSample(std::size_t records, std::uint64_t seed) {
  Random random(seed);
  std::vector<CdotSampleRecord> list;
  for (std::size_t i = 0; i < records; ++i) {
    CdotSampleRecord r;
    r.called = "0" + random.DigitString(random.Between(6, 10));
    r.calling = random.DigitString(7);
    r.hour = static_cast<std::uint8_t>(i * 24 / std::max<std::size_t>(records, 1));
    r.minute = static_cast<std::uint8_t>(random.Between(0, 59));
    r.second = static_cast<std::uint8_t>(random.Between(0, 59));
    r.byte27 = static_cast<std::uint8_t>(random.Between(0, 2));
    list.push_back(r);
  }
  return CdotAnalyserFile(list);
}

Bytes E10bFile(const std::vector<E10bRecord>& records, std::size_t min_blocks) {
  const std::size_t blocks = std::max(min_blocks, (records.size() + 77) / 78);
  Bytes out(blocks * 2048, 0x00);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::size_t at = (i / 78) * 2048 + (i % 78) * 26;
    Bytes record;
    AppendBigEndian(record, records[i].sequence, 2);
    record.resize(8, 0x11);
    Append(record, PackBcd(records[i].day));
    Append(record, PackBcd(records[i].hhmm));
    record.resize(26, 0x22);
    std::copy(record.begin(), record.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return out;
}

void E10bSampleStream(ByteStream& out, std::size_t blocks, std::uint64_t seed) {
  Random random(seed);
  std::vector<E10bRecord> list(78);
  std::uint64_t minutes = 6 * 60;
  std::size_t i = 0;
  for (std::size_t block = 0; block < blocks; ++block) {
    for (E10bRecord& r : list) {
      minutes = std::min<std::uint64_t>(minutes + random.Between(0, 2), 24 * 60 - 1);
      r.sequence = static_cast<std::uint16_t>(i % 32767 + 1);
      r.day = "0060";
      r.hhmm = Digits(minutes / 60, 2) + Digits(minutes % 60, 2);
      ++i;
    }
    out.Put(E10bFile(list, 1));
    out.Spill();
  }
}

Bytes E10bSampleFile(std::size_t blocks, std::uint64_t seed) {
  ByteStream out;
  E10bSampleStream(out, blocks, seed);
  return out.Take();
}

std::string FiveEssRecordText(const FiveEssRecord& r) {
  std::string text(122, ' ');
  for (std::size_t i = 0; i < 43; ++i) text[i] = static_cast<char>('A' + i % 26);
  const std::string date = Field(r.date, 6);
  const std::string time = Field(r.time, 6);
  std::copy(date.begin(), date.end(), text.begin() + 43);
  std::copy(time.begin(), time.end(), text.begin() + 49);
  text[74] = '7';
  return text;
}

Bytes FiveEssFile(const std::vector<FiveEssRecord>& records, const std::string& separator,
                  const std::string& leading) {
  Bytes out;
  Append(out, leading);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i > 0) Append(out, separator);
    Append(out, FiveEssRecordText(records[i]));
  }
  return out;
}

void FiveEssSampleStream(ByteStream& out, std::size_t records, std::uint64_t seed,
                         const std::string& separator) {
  Random random(seed);
  FiveEssRecord r;
  for (std::size_t i = 0; i < std::max<std::size_t>(records, 11); ++i) {
    r.date = "0503" + Digits(random.Between(1, 28), 2);
    // One draw per statement, whatever the compiler's order of operands.
    const std::uint64_t second = random.Between(0, 59);
    const std::uint64_t minute = random.Between(0, 59);
    const std::uint64_t hour = random.Between(0, 23);
    r.time = Digits(hour, 2) + Digits(minute, 2) + Digits(second, 2);
    if (i > 0) Append(out.Buffer(), separator);
    Append(out.Buffer(), FiveEssRecordText(r));
    out.Spill();
  }
}

Bytes FiveEssSampleFile(std::size_t records, std::uint64_t seed) {
  ByteStream out;
  FiveEssSampleStream(out, records, seed, "");
  return out.Take();
}

}  // namespace cdrgen
