#pragma once
// EWSD billing files (the exchange's IA.ICAMA): call records made of a fixed
// header and packages, with filler units between them. Numbers little-endian.
#include <cstdint>
#include <string>
#include <string_view>

#include "cdrgen/byte_stream.h"
#include "cdrgen/bytes.h"

namespace cdrgen {

// Count byte (number of digits) followed by the digits packed two a byte,
// an odd count padded with 0xF.
Bytes EwsdDigitString(std::string_view digits);

class EwsdRecord {
 public:
  static constexpr std::uint8_t kRecordType = 0x84;

  explicit EwsdRecord(std::uint8_t type = kRecordType) : type_(type) {}

  // The owner number in the header (clears bit 7 of the flag byte); without
  // it the record has no owner number and its packages start at offset 8.
  EwsdRecord& Owner(std::string_view digits);
  // The owner digit string with a count byte of our own (bits 5-7 may be set).
  EwsdRecord& OwnerRaw(std::uint8_t count_byte, const Bytes& digit_bytes);

  EwsdRecord& DateTime(int year, int month, int day, int hour, int minute, int second,
                       std::uint32_t duration);                            // 100
  EwsdRecord& Called(std::string_view digits);                             // 101
  EwsdRecord& ServiceIndicator(std::uint8_t value);                        // 102
  EwsdRecord& Units(std::uint32_t units);                                  // 103
  EwsdRecord& IncomingTrunk(std::string_view group, std::uint16_t trunk);  // 105
  EwsdRecord& OutgoingTrunk(std::string_view group, std::uint16_t trunk);  // 106
  EwsdRecord& IncomingTrunkPort(std::string_view group, std::uint16_t trunk,
                                std::uint8_t port);  // 107
  EwsdRecord& OutgoingTrunkPort(std::string_view group, std::uint16_t trunk,
                                std::uint8_t port);  // 108
  EwsdRecord& ConnectionId(std::uint32_t id);        // 110
  // 112, 113, 119, 134, 140, 141, 154, 172: as many bytes as the identifier.
  EwsdRecord& SelfSized(std::uint8_t id);
  EwsdRecord& Package116();                         // 116
  EwsdRecord& CallingCategory(std::uint8_t value);  // 120
  EwsdRecord& Zone(std::uint16_t zone);             // 122
  EwsdRecord& TrafficCause(std::uint16_t value);    // 130
  EwsdRecord& Chb(std::uint16_t value);             // 135
  // 142 or 170: the calling number as raw bytes after a four-byte head.
  EwsdRecord& CallingBytes(std::uint8_t id, const Bytes& data);
  EwsdRecord& ThirdParty(std::uint8_t count, const Bytes& data);  // 146
  EwsdRecord& BGroup(std::uint32_t id);                           // 151
  EwsdRecord& CalledAlternative(std::string_view digits);         // 168
  // Any bytes, for identifiers without a handler or cut packages.
  EwsdRecord& Raw(const Bytes& bytes);

  // The record with its length byte; `length_override` writes another value
  // (0 or a length past the bytes given).
  Bytes Build() const;
  Bytes Build(std::uint8_t length_override) const;
  std::size_t Size() const;

 private:
  std::uint8_t type_;
  bool has_owner_ = false;
  Bytes owner_;
  Bytes packages_;
};

// Filler that the decoder steps over between records.
Bytes EwsdFillerByte();                     // 0x80
Bytes EwsdBlock(std::uint16_t length);      // 0x81 + LE16 length, `length` bytes in all
Bytes EwsdEmptyUnit();                      // 32 zero bytes
Bytes EwsdUnit64(std::uint8_t lead = 122);  // 122..124 + 63 bytes
Bytes EwsdUnit32(std::uint8_t lead = 1);    // 1..3 + 31 bytes

// A file of about `size` bytes: varied records with several packages each and
// filler of every kind between them; deterministic for a seed. `records`
// receives the number of records written.
Bytes EwsdSampleFile(std::uint64_t size, std::uint64_t seed, std::size_t* records = nullptr);
// The same bytes, written record by record into `out`.
void EwsdSampleStream(ByteStream& out, std::uint64_t size, std::uint64_t seed,
                      std::size_t* records = nullptr);

}  // namespace cdrgen
