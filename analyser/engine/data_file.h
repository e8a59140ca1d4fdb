#pragma once
// How the analyser reads a data file: random access by 0-based offset, bytes
// past the end reading as 0x00, and an end flag set by the latest read that
// asked for at least one byte past the end.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/binary_reader.h"

namespace lomtra {

class DataFile {
 public:
  DataFile() = default;
  ~DataFile() { Close(); }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;

  // Opens the file; on failure returns false and keeps the reason. The
  // detectors read straight from the system's file cache where the system
  // allows it: a scan copies nothing, a walk over headers touches only
  // their pages.
  bool OpenData(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return reader_.IsOpen(); }
  const std::string& Error() const { return error_; }

  // Copies `count` bytes at `offset` into `dest` (zeros past the end).
  void ReadBytes(std::uint64_t offset, std::uint8_t* dest, std::size_t count) {
    reader_.Read(offset, dest, count);
  }
  std::uint8_t Byte(std::uint64_t offset) { return reader_.Byte(offset); }
  // The bytes where they lie, valid until the next read (zeros past the end).
  const std::uint8_t* View(std::uint64_t offset, std::size_t count) {
    return reader_.View(offset, count);
  }

  std::string ReadText(std::uint64_t offset, std::size_t count) {
    return reader_.ReadText(offset, count);
  }
  bool AtEnd() const { return reader_.AtEnd(); }
  std::uint64_t Length() const { return reader_.Length(); }

 private:
  platform::BinaryReader reader_;
  std::string error_;
};

// Whether a data file closed on this thread since ForgetReadFailures could
// not be read to its end (it shrank, or the disk failed): its bytes read as
// zeros, so what a detector made of them is no result.
void ForgetReadFailures();
bool AnyReadFailed();
// For a detector that reads a file through a format's own reader.
void NoteReadFailure();

// Length of a file in bytes, or nothing when it cannot be found.
std::optional<std::uint64_t> FileLength(const std::filesystem::path& path);

}  // namespace lomtra
