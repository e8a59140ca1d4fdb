#include "cdrgen/ewsd_builder.h"

#include <stdexcept>

namespace cdrgen {

namespace {

void AppendText6(Bytes& out, std::string_view text) {
  Append(out, Field(text, 6));
}

}  // namespace

Bytes EwsdDigitString(std::string_view digits) {
  Bytes out{static_cast<std::uint8_t>(digits.size() & 0x1F)};
  Append(out, PackBcd(digits));
  return out;
}

EwsdRecord& EwsdRecord::Owner(std::string_view digits) {
  has_owner_ = true;
  owner_ = EwsdDigitString(digits);
  return *this;
}

EwsdRecord& EwsdRecord::OwnerRaw(std::uint8_t count_byte, const Bytes& digit_bytes) {
  has_owner_ = true;
  owner_ = Bytes{count_byte};
  Append(owner_, digit_bytes);
  return *this;
}

EwsdRecord& EwsdRecord::DateTime(int year, int month, int day, int hour, int minute, int second,
                                 std::uint32_t duration) {
  for (int v : {100, year, month, day, hour, minute, second, 0})
    packages_.push_back(static_cast<std::uint8_t>(v));
  AppendLittleEndian(packages_, duration, 3);
  return *this;
}

EwsdRecord& EwsdRecord::Called(std::string_view digits) {
  packages_.push_back(101);
  Append(packages_, EwsdDigitString(digits));
  return *this;
}

EwsdRecord& EwsdRecord::ServiceIndicator(std::uint8_t value) {
  Append(packages_, Bytes{102, value, 0, 0});
  return *this;
}

EwsdRecord& EwsdRecord::Units(std::uint32_t units) {
  packages_.push_back(103);
  AppendLittleEndian(packages_, units, 3);
  return *this;
}

EwsdRecord& EwsdRecord::IncomingTrunk(std::string_view group, std::uint16_t trunk) {
  packages_.push_back(105);
  AppendText6(packages_, group);
  AppendLittleEndian(packages_, trunk, 2);
  return *this;
}

EwsdRecord& EwsdRecord::OutgoingTrunk(std::string_view group, std::uint16_t trunk) {
  packages_.push_back(106);
  AppendText6(packages_, group);
  AppendLittleEndian(packages_, trunk, 2);
  return *this;
}

EwsdRecord& EwsdRecord::IncomingTrunkPort(std::string_view group, std::uint16_t trunk,
                                          std::uint8_t port) {
  packages_.push_back(107);
  AppendText6(packages_, group);
  AppendLittleEndian(packages_, trunk, 2);
  packages_.push_back(port);
  return *this;
}

EwsdRecord& EwsdRecord::OutgoingTrunkPort(std::string_view group, std::uint16_t trunk,
                                          std::uint8_t port) {
  packages_.push_back(108);
  AppendText6(packages_, group);
  AppendLittleEndian(packages_, trunk, 2);
  packages_.push_back(port);
  return *this;
}

EwsdRecord& EwsdRecord::ConnectionId(std::uint32_t id) {
  Append(packages_, Bytes{110, 0});
  AppendLittleEndian(packages_, id, 4);
  return *this;
}

EwsdRecord& EwsdRecord::SelfSized(std::uint8_t id) {
  packages_.push_back(id);
  packages_.insert(packages_.end(), id - 1u, 0x11);
  return *this;
}

EwsdRecord& EwsdRecord::Package116() {
  Append(packages_, Bytes{116, 0, 0, 0, 0, 0, 0, 0});
  return *this;
}

EwsdRecord& EwsdRecord::CallingCategory(std::uint8_t value) {
  Append(packages_, Bytes{120, value});
  return *this;
}

EwsdRecord& EwsdRecord::Zone(std::uint16_t zone) {
  packages_.push_back(122);
  AppendLittleEndian(packages_, zone, 2);
  return *this;
}

EwsdRecord& EwsdRecord::TrafficCause(std::uint16_t value) {
  Append(packages_, Bytes{130, 0});
  AppendLittleEndian(packages_, value, 2);
  packages_.push_back(0);
  return *this;
}

EwsdRecord& EwsdRecord::Chb(std::uint16_t value) {
  Append(packages_, Bytes{135, 0});
  AppendLittleEndian(packages_, value, 2);
  packages_.push_back(0);
  return *this;
}

EwsdRecord& EwsdRecord::CallingBytes(std::uint8_t id, const Bytes& data) {
  Append(packages_, Bytes{id, static_cast<std::uint8_t>(data.size() + 5), 0, 0, 0});
  Append(packages_, data);
  return *this;
}

EwsdRecord& EwsdRecord::ThirdParty(std::uint8_t count, const Bytes& data) {
  Append(packages_, Bytes{146, 0, 0, 0, 0, 0, count});
  Append(packages_, data);
  return *this;
}

EwsdRecord& EwsdRecord::BGroup(std::uint32_t id) {
  Append(packages_, Bytes{151, 0});
  AppendLittleEndian(packages_, id, 3);
  return *this;
}

EwsdRecord& EwsdRecord::CalledAlternative(std::string_view digits) {
  Append(packages_, Bytes{168, 0, 0, 0});
  Append(packages_, EwsdDigitString(digits));
  return *this;
}

EwsdRecord& EwsdRecord::Raw(const Bytes& bytes) {
  Append(packages_, bytes);
  return *this;
}

std::size_t EwsdRecord::Size() const {
  return (has_owner_ ? 7 + owner_.size() : 8) + packages_.size();
}

Bytes EwsdRecord::Build() const {
  if (Size() > 255) throw std::length_error("EWSD record longer than 255 bytes");
  return Build(static_cast<std::uint8_t>(Size()));
}

Bytes EwsdRecord::Build(std::uint8_t length_override) const {
  Bytes out{
      type_, length_override, 0x00, static_cast<std::uint8_t>(has_owner_ ? 0x00 : 0x80), 0x00, 0x00,
      0x00};
  if (has_owner_) {
    Append(out, owner_);
  } else {
    out.push_back(0x00);  // offset 7 is unused when there is no owner number
  }
  Append(out, packages_);
  return out;
}

Bytes EwsdFillerByte() {
  return Bytes{0x80};
}

Bytes EwsdBlock(std::uint16_t length) {
  Bytes out{0x81};
  AppendLittleEndian(out, length, 2);
  if (length > 3) out.insert(out.end(), length - 3u, 0x55);
  return out;
}

Bytes EwsdEmptyUnit() {
  return Bytes(32, 0x00);
}

Bytes EwsdUnit64(std::uint8_t lead) {
  Bytes out(64, 0x20);
  out[0] = lead;
  return out;
}

Bytes EwsdUnit32(std::uint8_t lead) {
  Bytes out(32, 0x20);
  out[0] = lead;
  return out;
}

namespace {

EwsdRecord SampleRecord(Random& random, std::size_t index) {
  EwsdRecord record;
  const bool owner_in_header = random.Between(0, 3) != 0;
  if (owner_in_header) record.Owner("0" + random.DigitString(random.Between(7, 10)));
  const auto day_second = static_cast<int>((index * 37) % 86400);
  record.DateTime(6, static_cast<int>(1 + index / 28000 % 12),
                  static_cast<int>(1 + index / 1000 % 28), day_second / 3600, day_second / 60 % 60,
                  day_second % 60, static_cast<std::uint32_t>(random.Between(0, 3600)));
  record.Called(random.DigitString(random.Between(4, 12)));
  record.Units(static_cast<std::uint32_t>(random.Between(0, 200)));
  // One draw per statement: the order of draws must not depend on the
  // compiler's order of evaluating arguments.
  if (random.Between(0, 1)) {
    const auto number = static_cast<std::uint16_t>(random.Between(0, 999));
    const std::uint64_t name = random.Between(0, 9999);
    record.OutgoingTrunk("OG" + Digits(name, 4), number);
  } else {
    const auto port = static_cast<std::uint8_t>(random.Between(0, 31));
    const auto number = static_cast<std::uint16_t>(random.Between(0, 999));
    const std::uint64_t name = random.Between(0, 999);
    record.OutgoingTrunkPort("OGP" + Digits(name, 3), number, port);
  }
  if (random.Between(0, 1)) {
    const auto number = static_cast<std::uint16_t>(random.Between(0, 999));
    const std::uint64_t name = random.Between(0, 9999);
    record.IncomingTrunk("IC" + Digits(name, 4), number);
  }
  record.ConnectionId(static_cast<std::uint32_t>(random.Next()));
  if (random.Between(0, 2) == 0)
    record.CallingCategory(static_cast<std::uint8_t>(random.Between(1, 15)));
  if (random.Between(0, 2) == 0) record.Zone(static_cast<std::uint16_t>(random.Between(0, 500)));
  if (random.Between(0, 4) == 0) record.Package116();
  if (!owner_in_header) record.CallingBytes(142, PackBcd(random.DigitString(10)));
  return record;
}

Bytes SampleFiller(Random& random) {
  switch (random.Between(0, 7)) {
    case 0:
      return EwsdFillerByte();
    case 1:
      return EwsdBlock(static_cast<std::uint16_t>(random.Between(3, 120)));
    case 2:
      return EwsdEmptyUnit();
    case 3:
      return EwsdUnit32(static_cast<std::uint8_t>(random.Between(1, 3)));
    case 4:
      return EwsdUnit64(static_cast<std::uint8_t>(random.Between(122, 124)));
    default:
      return Bytes{};
  }
}

}  // namespace

void EwsdSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed,
                      std::size_t* records) {
  Random random(seed);
  std::size_t count = 0;
  while (out.Size() < size) {
    out.Put(SampleFiller(random));
    out.Put(SampleRecord(random, count).Build());
    out.Spill();
    ++count;
  }
  if (records) *records = count;
}

Bytes EwsdSampleFile(std::uint64_t size, std::uint64_t seed, std::size_t* records) {
  ByteStream out;
  EwsdSampleStream(out, size, seed, records);
  return out.Take();
}

}  // namespace cdrgen
