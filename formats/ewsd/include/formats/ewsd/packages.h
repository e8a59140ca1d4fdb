#pragma once
// The packages of an EWSD record: after the header, one package after another
// while a package can still begin (its offset P + 1 < L), each starting with a
// one-byte identifier. Offsets below count from the identifier.
#include <array>
#include <cstdint>

namespace formats::ewsd {

// The 21 field slots a record is decoded into (slot 20 is never written).
enum Slot : int {
  kSerialSlot = 0,
  kDateSlot = 1,
  kTimeSlot = 2,
  kCallingSlot = 3,
  kCalledSlot = 4,
  kDurationSlot = 5,
  kUnitsSlot = 6,
  kOutgoingGroupSlot = 7,
  kIncomingGroupSlot = 8,
  kOutgoingTrunkSlot = 9,
  kIncomingTrunkSlot = 10,
  kConnectionSlot = 11,
  kZoneSlot = 12,
  kChbSlot = 13,
  kCallingCategorySlot = 14,
  kTrafficCauseSlot = 15,
  kServiceSlot = 16,
  kBGroupSlot = 17,
  kAdditionalInfoSlot = 18,
  kThirdPartySlot = 19,
  kNoSlot = -1,
};
inline constexpr int kSlotCount = 21;

enum class PackageKind : std::uint8_t {
  kDateTime,           // date and time bytes, then the duration
  kDigits,             // a digit string right after the identifier
  kAlternativeDigits,  // a digit string at +4 that fills the slot only when it is empty
  kNumber,             // one little-endian number into one slot
  kTrunk,              // six characters of trunk group, the trunk number
  kTrunkWithPort,      // the same and a port byte
  kOwnLength,          // no length byte: as long as its own identifier
  kSkip,               // nothing read, a fixed length
  kCallingBytes,       // a length byte at +1, the calling number's bytes from +5
  kThirdParty,         // a digit count at +6, the digits from +7
};

struct Package {
  std::uint8_t id;
  PackageKind kind;
  // From the identifier to the next package; 0 when the package's bytes say.
  std::uint8_t length;
  // Where its value lies and how many bytes it takes (kNumber, kDateTime's
  // duration); the bytes a handler reads end at value_at + width.
  std::uint8_t value_at;
  std::uint8_t width;
  Slot slot;
  constexpr int Reads() const { return value_at + width; }
};

// Package 100: plain binary bytes, each shown as its right two decimal digits.
inline constexpr Package kDateTime{100, PackageKind::kDateTime, 11, 8, 3, kDurationSlot};
inline constexpr int kYearAt = 1;
inline constexpr int kMonthAt = 2;
inline constexpr int kDayAt = 3;
inline constexpr int kHourAt = 4;
inline constexpr int kMinuteAt = 5;
inline constexpr int kSecondAt = 6;

inline constexpr Package kCalled{101, PackageKind::kDigits, 0, 1, 1, kCalledSlot};
inline constexpr Package kService{102, PackageKind::kNumber, 4, 1, 1, kServiceSlot};
inline constexpr Package kUnits{103, PackageKind::kNumber, 4, 1, 3, kUnitsSlot};

// Trunk packages: the group's six characters at +1, the trunk number (LE16)
// at +7, with a port byte at +9; the number slot follows the group slot by 2.
inline constexpr Package kIncomingTrunk{105, PackageKind::kTrunk, 9, 1, 6, kIncomingGroupSlot};
inline constexpr Package kOutgoingTrunk{106, PackageKind::kTrunk, 9, 1, 6, kOutgoingGroupSlot};
inline constexpr Package kIncomingTrunkPort{107, PackageKind::kTrunkWithPort, 10, 1,
                                            6,   kIncomingGroupSlot};
inline constexpr Package kOutgoingTrunkPort{108, PackageKind::kTrunkWithPort, 10, 1,
                                            6,   kOutgoingGroupSlot};
inline constexpr int kTrunkNumberAt = 7;
inline constexpr int kTrunkNumberWidth = 2;
inline constexpr int kTrunkPortAt = 9;
constexpr Slot TrunkNumberSlot(const Package& trunk) {
  return static_cast<Slot>(trunk.slot + 2);
}

inline constexpr Package kConnection{110, PackageKind::kNumber, 6, 2, 4, kConnectionSlot};

// Packages the suite steps over without reading, each as long as its own
// identifier (P + 113 for 113), not by a length byte.
inline constexpr Package kOwnLength112{112, PackageKind::kOwnLength, 112, 0, 0, kNoSlot};
inline constexpr Package kOwnLength113{113, PackageKind::kOwnLength, 113, 0, 0, kNoSlot};
inline constexpr Package kOwnLength119{119, PackageKind::kOwnLength, 119, 0, 0, kNoSlot};
inline constexpr Package kOwnLength134{134, PackageKind::kOwnLength, 134, 0, 0, kNoSlot};
inline constexpr Package kOwnLength140{140, PackageKind::kOwnLength, 140, 0, 0, kNoSlot};
inline constexpr Package kOwnLength141{141, PackageKind::kOwnLength, 141, 0, 0, kNoSlot};
inline constexpr Package kOwnLength154{154, PackageKind::kOwnLength, 154, 0, 0, kNoSlot};
inline constexpr Package kOwnLength172{172, PackageKind::kOwnLength, 172, 0, 0, kNoSlot};
inline constexpr Package kSkip116{116, PackageKind::kSkip, 8, 0, 0, kNoSlot};

inline constexpr Package kCallingCategory{120, PackageKind::kNumber, 2, 1, 1, kCallingCategorySlot};
inline constexpr Package kZone{122, PackageKind::kNumber, 3, 1, 2, kZoneSlot};
inline constexpr Package kTrafficCause{130, PackageKind::kNumber, 5, 2, 2, kTrafficCauseSlot};
inline constexpr Package kChb{135, PackageKind::kNumber, 5, 2, 2, kChbSlot};

// Packages 142 and 170: the length M at +1; bytes +5 .. +(M - 1) are the
// calling number as hexadecimal pairs (empty when M < 6), and the next
// package is at P + M.
inline constexpr Package kCallingBytes142{142, PackageKind::kCallingBytes, 0, 1, 1, kCallingSlot};
inline constexpr Package kCallingBytes170{170, PackageKind::kCallingBytes, 0, 1, 1, kCallingSlot};
inline constexpr int kCallingBytesFrom = 5;

// Package 146: the digit count n (the whole byte) at +6, (n + 1) / 2 bytes
// from +7, written without a leading zero per byte.
inline constexpr Package kThirdParty{146, PackageKind::kThirdParty, 0, 6, 1, kThirdPartySlot};
inline constexpr int kThirdPartyDigitsAt = 7;

inline constexpr Package kBGroup{151, PackageKind::kNumber, 5, 2, 3, kBGroupSlot};
// Package 168: a digit string at +4 that fills the called number only when
// no earlier package did.
inline constexpr Package kAlternativeCalled{168,        PackageKind::kAlternativeDigits, 0, 4, 1,
                                            kCalledSlot};

inline constexpr std::array kPackages = {kDateTime,
                                         kCalled,
                                         kService,
                                         kUnits,
                                         kIncomingTrunk,
                                         kOutgoingTrunk,
                                         kIncomingTrunkPort,
                                         kOutgoingTrunkPort,
                                         kConnection,
                                         kOwnLength112,
                                         kOwnLength113,
                                         kSkip116,
                                         kOwnLength119,
                                         kCallingCategory,
                                         kZone,
                                         kTrafficCause,
                                         kOwnLength134,
                                         kChb,
                                         kOwnLength140,
                                         kOwnLength141,
                                         kCallingBytes142,
                                         kThirdParty,
                                         kBGroup,
                                         kOwnLength154,
                                         kAlternativeCalled,
                                         kCallingBytes170,
                                         kOwnLength172};

// Identifiers from 100 to 200 without a handler are packages this suite does
// not support; others are no package at all.
inline constexpr std::uint8_t kFirstPackageId = 100;
inline constexpr std::uint8_t kLastPackageId = 200;
constexpr bool InPackageRange(std::uint8_t id) {
  return id >= kFirstPackageId && id <= kLastPackageId;
}

// Where vantor and the analyser read the same bytes differently, on purpose.
//
// vantor (kExtractorWalk) takes the 0x81 block's length as the 16 bits at +1,
// steps over packages 140 and 141 by their own value, and refuses a file
// whose record would be read past its own end, or whose record, block or
// package 142/170 length is 0 (the walk would never advance): its lines must
// hold only bytes that are there. An identifier outside 100-200 makes the
// file invalid, one inside without a handler is unsupported.
//
// The analyser (kAnalyserWalk) keeps the reading its reports have always
// had, so that a report of the same file reads the same: only the byte at +1
// counts for a 0x81 block, packages 140 and 141 have no handler, every
// identifier without a handler is unsupported whatever its value, bytes past
// a record read as 0x00, and a zero record or block length ends the scan
// quietly (a zero 142/170 length ends that record's packages): it counts
// and dates files, and a damaged one must not stop the list.
struct WalkPolicy {
  bool block_length_two_bytes;
  bool steps_over_140_141;
  bool refuses_damage;
};
inline constexpr WalkPolicy kExtractorWalk{true, true, true};
inline constexpr WalkPolicy kAnalyserWalk{false, false, false};

// How far a 0x81 block moves the walk, from the bytes at +1 and +2.
constexpr int FillerBlockLength(const WalkPolicy& policy, std::uint8_t low, std::uint8_t high) {
  return policy.block_length_two_bytes ? low + 256 * high : low;
}

// The package with this identifier, or nullptr when the walk has no handler.
constexpr const Package* FindPackage(std::uint8_t id, const WalkPolicy& policy) {
  if (!policy.steps_over_140_141 && (id == kOwnLength140.id || id == kOwnLength141.id)) {
    return nullptr;
  }
  for (const Package& package : kPackages) {
    if (package.id == id) return &package;
  }
  return nullptr;
}

}  // namespace formats::ewsd
