#pragma once
// Random-access reads of a binary data file by 64-bit offset, served from an
// internal buffer so that reading a file byte by byte costs no system call per
// byte. Bytes past the end of the file read as 0x00.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

class BinaryReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

  explicit BinaryReader(std::size_t buffer_size = kDefaultBufferSize);
  ~BinaryReader();
  BinaryReader(const BinaryReader&) = delete;
  BinaryReader& operator=(const BinaryReader&) = delete;

  // Opens the file for reading. On failure returns false and puts the
  // system's reason into *error (when given).
  bool Open(const std::filesystem::path& path, std::string* error = nullptr);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // From now on the reads come from windows of the file mapped into memory,
  // straight out of the system's file cache: no copy of the bytes a walk
  // passes over, and a walk over block headers touches only their pages.
  // Bytes the system can no longer supply (a file shrunk, a medium removed)
  // read as 0x00 and count as a failed read. Returns false, and the reader
  // stays buffered, where mapping is not possible.
  bool MapFile();
  bool IsMapped() const { return mapped_; }
  const std::filesystem::path& Path() const { return path_; }

  // Length in bytes, as it was when the file was opened.
  std::uint64_t Length() const { return length_; }

  // Copies `count` bytes starting at `offset` into `dest`; bytes past the end
  // are 0x00. Returns how many bytes came from the file. Sets the end flag
  // when the read asked for at least one byte past the end.
  std::size_t Read(std::uint64_t offset, void* dest, std::size_t count);
  std::uint8_t Byte(std::uint64_t offset) {
    // Inline for byte-by-byte walks: most bytes are in the buffer already.
    if (offset >= buffer_start_ && offset - buffer_start_ < buffer_used_) {
      at_end_ = false;
      return data_[static_cast<std::size_t>(offset - buffer_start_)];
    }
    return ByteOutsideBuffer(offset);
  }
  // The `count` bytes at `offset` where they lie in the reader's buffer, for
  // decoders that look at a record without copying it. Bytes past the end are
  // 0x00 and the end flag is set as by Read. The pointer stays valid until the
  // next call on this reader.
  const std::uint8_t* View(std::uint64_t offset, std::size_t count);
  // The same bytes taken as single-byte characters.
  std::string ReadText(std::uint64_t offset, std::size_t count);

  // True when the latest read asked for at least one byte past the end (a
  // read ending exactly at the last byte leaves it false).
  bool AtEnd() const { return at_end_; }
  void ClearEnd() { at_end_ = false; }

  // True once the system failed a read of bytes that should exist (a file
  // shrunk or a disk error); such bytes read as 0x00.
  bool ReadFailed() const;

 private:
  bool Fill(std::uint64_t offset);
  bool FillMapped(std::uint64_t offset);
  std::uint8_t ByteOutsideBuffer(std::uint64_t offset);
  void UnmapWindow();

  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  std::uint64_t length_ = 0;
  std::vector<std::uint8_t> buffer_;
  std::vector<std::uint8_t> scratch_;  // views that cannot point into the data
  // The bytes from buffer_start_ on: the buffer, or the mapped window.
  const std::uint8_t* data_ = nullptr;
  std::uint64_t buffer_start_ = 0;
  std::size_t buffer_used_ = 0;
  bool mapped_ = false;
  void* window_ = nullptr;  // the mapped window, when mapped
  std::size_t window_size_ = 0;
  int map_slot_ = -1;  // where the bus-error handler finds the window
  bool at_end_ = false;
  bool read_failed_ = false;
};

// A run of a file's bytes seen where they lie in a reader's buffer, for a
// walk that looks at one item after another: one View serves many items.
// Any other use of the reader may move its buffer, so the walk forgets the
// window then.
class ReaderWindow {
 public:
  // The `count` bytes at `offset` when they lie inside the window, else nullptr.
  const std::uint8_t* Find(std::uint64_t offset, std::size_t count) const {
    if (offset >= start_ && offset + count <= end_) return data_ + (offset - start_);
    return nullptr;
  }
  // Views the `size` bytes at `offset` as the new window and returns them.
  const std::uint8_t* Move(BinaryReader& reader, std::uint64_t offset, std::size_t size) {
    data_ = reader.View(offset, size);
    start_ = offset;
    end_ = offset + size;
    return data_;
  }
  void Forget() { start_ = end_ = 0; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint64_t start_ = 0;
  std::uint64_t end_ = 0;
};

// The system's reason for the last failed call, as text.
std::string SystemErrorText(int error_number);

}  // namespace platform
