#include "cdrgen/byte_stream.h"

#include <stdexcept>

namespace cdrgen {

ByteStream::ByteStream(const std::filesystem::path& path) : path_(path.string()) {
  file_ = std::fopen(path_.c_str(), "wb");
  if (file_ == nullptr) throw std::runtime_error("cannot create " + path_);
  buffer_.reserve(kChunk + 64 * 1024);
}

ByteStream::~ByteStream() {
  if (file_ != nullptr) std::fclose(file_);
}

void ByteStream::WriteBuffer() {
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    failed_ = true;
  written_ += buffer_.size();
  buffer_.clear();
}

void ByteStream::Finish() {
  if (file_ == nullptr) return;
  WriteBuffer();
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed_ || !closed) throw std::runtime_error("cannot write " + path_);
}

}  // namespace cdrgen
