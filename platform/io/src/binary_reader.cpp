#include "platform/binary_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace platform {
namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

std::string SystemErrorText(int error_number) {
  return std::generic_category().message(error_number);
}

BinaryReader::BinaryReader(std::size_t buffer_size) : buffer_(std::max<std::size_t>(buffer_size, 16)) {}

BinaryReader::~BinaryReader() { Close(); }

bool BinaryReader::Open(const std::filesystem::path& path, std::string* error) {
  Close();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (error) *error = "it is a folder, not a file";
    return false;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) {
    if (error) *error = SystemErrorText(errno != 0 ? errno : ENOENT);
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);  // our own buffer does the work
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    std::fclose(file);
    if (error) *error = ec.message();
    return false;
  }
  file_ = file;
  path_ = path;
  length_ = size;
  buffer_start_ = 0;
  buffer_used_ = 0;
  at_end_ = false;
  read_failed_ = false;
  return true;
}

void BinaryReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  buffer_used_ = 0;
  length_ = 0;
}

bool BinaryReader::Fill(std::uint64_t offset) {
  buffer_start_ = offset;
  buffer_used_ = 0;
  if (file_ == nullptr || offset >= length_) return false;
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), length_ - offset));
  if (!SeekTo(file_, offset)) {
    read_failed_ = true;
    return false;
  }
  buffer_used_ = std::fread(buffer_.data(), 1, want, file_);
  if (buffer_used_ < want) read_failed_ = true;
  return buffer_used_ > 0;
}

std::size_t BinaryReader::Read(std::uint64_t offset, void* dest, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(dest);
  at_end_ = count > 0 && (offset >= length_ || count > length_ - offset);
  std::size_t done = 0;
  while (done < count) {
    const std::uint64_t pos = offset + done;
    if (pos >= length_) break;
    if (pos < buffer_start_ || pos >= buffer_start_ + buffer_used_) {
      const std::size_t remaining = count - done;
      if (remaining >= buffer_.size() && file_ != nullptr) {
        // A large read goes straight into the caller's memory.
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, length_ - pos));
        std::size_t got = 0;
        if (SeekTo(file_, pos)) got = std::fread(out + done, 1, want, file_);
        if (got < want) read_failed_ = true;
        done += got;
        if (got < want) break;
        continue;
      }
      if (!Fill(pos)) break;
    }
    const std::size_t in_buffer = static_cast<std::size_t>(pos - buffer_start_);
    const std::size_t take = std::min(count - done, buffer_used_ - in_buffer);
    std::memcpy(out + done, buffer_.data() + in_buffer, take);
    done += take;
  }
  if (done < count) std::memset(out + done, 0, count - done);
  return done;
}

std::uint8_t BinaryReader::Byte(std::uint64_t offset) {
  if (offset >= buffer_start_ && offset < buffer_start_ + buffer_used_) {
    at_end_ = false;
    return buffer_[static_cast<std::size_t>(offset - buffer_start_)];
  }
  std::uint8_t value = 0;
  Read(offset, &value, 1);
  return value;
}

const std::uint8_t* BinaryReader::View(std::uint64_t offset, std::size_t count) {
  const bool in_buffer = offset >= buffer_start_ && offset - buffer_start_ <= buffer_used_ &&
                         count <= buffer_used_ - static_cast<std::size_t>(offset - buffer_start_);
  if (in_buffer) {
    at_end_ = count > 0 && (offset >= length_ || count > length_ - offset);
    return buffer_.data() + (offset - buffer_start_);
  }
  if (count > buffer_.size()) {
    scratch_.resize(count);
    Read(offset, scratch_.data(), count);
    return scratch_.data();
  }
  at_end_ = count > 0 && (offset >= length_ || count > length_ - offset);
  Fill(offset);
  // Past the end of the file the view shows zeros; they stay outside the
  // bytes the buffer holds, so later reads still go to the file.
  if (buffer_used_ < count) std::memset(buffer_.data() + buffer_used_, 0, count - buffer_used_);
  return buffer_.data();
}

std::string BinaryReader::ReadText(std::uint64_t offset, std::size_t count) {
  std::string text(count, '\0');
  Read(offset, text.data(), count);
  return text;
}

}  // namespace platform
