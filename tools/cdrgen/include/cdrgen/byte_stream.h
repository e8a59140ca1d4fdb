#pragma once
// Where a sample generator puts its bytes: kept in memory for tests, or
// written to a file in chunks so that files of gigabytes never sit in memory.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cdrgen/bytes.h"

namespace cdrgen {

class ByteStream {
 public:
  // Keeps every byte in memory; Take() hands them over.
  ByteStream() = default;
  // Writes to `path` whenever the buffer passes a few megabytes; throws
  // std::runtime_error naming the file when it cannot be created.
  explicit ByteStream(const std::filesystem::path& path);
  ~ByteStream();
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;

  // Generators append here, then call Spill() after each record or block.
  Bytes& Buffer() { return buffer_; }
  void Put(const Bytes& bytes) { Append(buffer_, bytes); }
  // Bytes produced so far, written or not.
  std::uint64_t Size() const { return written_ + buffer_.size(); }
  void Spill() {
    if (file_ != nullptr && buffer_.size() >= kChunk) WriteBuffer();
  }
  // Writes what is left and closes the file; throws on any write failure.
  void Finish();
  Bytes Take() { return std::move(buffer_); }

 private:
  static constexpr std::size_t kChunk = 4u << 20;
  void WriteBuffer();

  Bytes buffer_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint64_t written_ = 0;
  bool failed_ = false;
};

}  // namespace cdrgen
