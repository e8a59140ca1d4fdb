#pragma once
// The E10B billing file: 2048-byte blocks, each of 78 records of 26 bytes
// from its start (the block's last 20 bytes are not read). Every record holds
// a running sequence number, a day of the year and a time of day; the file
// holds no year. Numbers are big-endian, BCD digits two a byte, high nibble
// first. Only the analyser reads the format.
#include <cstddef>
#include <cstdint>
#include <string>

namespace formats::e10b {

inline constexpr std::size_t kBlockSize = 2048;
inline constexpr std::size_t kRecordSize = 26;
inline constexpr std::size_t kRecordsPerBlock = 78;
static_assert(kRecordsPerBlock * kRecordSize <= kBlockSize);

// ---- Record fields

inline constexpr std::size_t kSequenceAt = 0;  // big-endian, 1 to 32767
inline constexpr std::size_t kSequenceSize = 2;
inline constexpr std::size_t kDayAt = 8;  // BCD, day of the year (1 = 1 January)
inline constexpr std::size_t kDaySize = 2;
inline constexpr std::size_t kTimeAt = 10;  // BCD HHMM: no seconds are recorded
inline constexpr std::size_t kTimeSize = 2;

inline std::uint32_t SequenceNumber(const std::uint8_t* record) {
  return static_cast<std::uint32_t>(record[kSequenceAt] << 8 | record[kSequenceAt + 1]);
}

// ---- The sequence

// A record slot never written.
inline constexpr std::uint32_t kEmptySlot = 0;
// A record continues the data when its number follows the one before, or is
// 1 (the counter starts again); any other jump ends the data.
constexpr bool RunsOn(std::uint32_t sequence, std::uint32_t previous) {
  return sequence == 1 || sequence == previous + 1;
}

// ---- Identification

// The low byte of the sequence numbers of records 1 to kTestedRecords, skipping
// zeros, must run on from record 0's one by one, and record kTestedRecords's
// must not be zero. `first` holds the file's first kIdentifyBytes bytes
// (zeros past its end).
inline constexpr int kTestedRecords = 10;
inline constexpr std::size_t kSequenceLowByte = kSequenceAt + kSequenceSize - 1;
inline constexpr std::size_t kIdentifyBytes = kSequenceLowByte + kRecordSize * kTestedRecords + 1;
bool IsE10bFile(const std::uint8_t* first);

// ---- Time of day

// HH:MM:00 from the record's BCD time, the digits as they stand.
std::string TimeText(const std::uint8_t* record);

}  // namespace formats::e10b
