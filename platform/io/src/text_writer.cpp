#include "platform/text_writer.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "platform/binary_reader.h"
#include "platform/open_file.h"

namespace platform {
namespace {

// An unnamed file that goes when it is closed. The Windows C library's
// tmpfile() makes it in the root of the current drive, where a user may not
// write: there it is made in the user's temporary folder instead.
std::FILE* UnnamedTemporaryFile() {
#if defined(_WIN32)
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"nrv", 0, name) == 0) {
    errno = EACCES;
    return nullptr;
  }
  const HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DeleteFileW(name);
    errno = EACCES;
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "w+b");
  if (file == nullptr) _close(descriptor);
  return file;
#else
  return std::tmpfile();
#endif
}

}  // namespace

TextWriter::~TextWriter() {
  Abandon();
}

bool TextWriter::Open(const std::filesystem::path& path, Mode mode) {
  Abandon();
  path_ = path;
  error_.clear();
  reason_.clear();
  bytes_written_ = 0;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    reason_ = "it is a folder, not a file";
    error_ = path.string() + ": " + reason_;
    return false;
  }
  errno = 0;
  file_ = OpenCFile(path, mode == Mode::kCreate ? "wb" : "ab");
  if (file_ == nullptr) {
    Fail(errno != 0 ? errno : EIO);
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);  // we buffer ourselves
  if (buffer_.size() < kBufferSize) buffer_.resize(kBufferSize);
  used_ = 0;
  return true;
}

bool TextWriter::OpenStandardOutput() {
  Abandon();
  path_ = "standard output";
  error_.clear();
  reason_.clear();
  bytes_written_ = 0;
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // CR LF as written, not doubled
#endif
  file_ = stdout;
  standard_output_ = true;
  if (buffer_.size() < kBufferSize) buffer_.resize(kBufferSize);
  used_ = 0;
  return true;
}

bool TextWriter::OpenTemporary() {
  Abandon();
  path_ = "a temporary file";
  error_.clear();
  reason_.clear();
  bytes_written_ = 0;
  temporary_ = true;
  if (buffer_.size() < kBufferSize) buffer_.resize(kBufferSize);
  used_ = 0;
  return true;
}

bool TextWriter::ReadBack(const std::function<bool(std::string_view)>& take) {
  if (!error_.empty()) return false;
  if (file_ != nullptr) {
    // Spilled: the buffer goes to the file, which is read from its start.
    if (!Flush()) return false;
    std::rewind(file_);
    std::vector<char> chunk(kBufferSize);
    for (;;) {
      errno = 0;
      const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file_);
      if (got > 0 && !take(std::string_view(chunk.data(), got))) return false;
      if (got < chunk.size()) {
        if (std::ferror(file_)) {
          Fail(errno != 0 ? errno : EIO);
          return false;
        }
        break;
      }
    }
    std::fclose(file_);
    file_ = nullptr;
  } else if (used_ > 0 && !take(std::string_view(buffer_.data(), used_))) {
    return false;
  }
  used_ = 0;
  bytes_written_ = 0;
  return true;
}

void TextWriter::Fail(int error_number) {
  if (!error_.empty()) return;
  reason_ = SystemErrorText(error_number);
  error_ = path_.string() + ": " + reason_;
}

bool TextWriter::Write(std::string_view bytes) {
  if (!IsOpen()) {
    if (error_.empty()) {
      reason_ = "the file is not open";
      error_ = path_.string() + ": " + reason_;
    }
    return false;
  }
  if (!error_.empty()) return false;
  char* room = Reserve(bytes.size());
  if (!bytes.empty()) std::memcpy(room, bytes.data(), bytes.size());
  return Commit(bytes.size());
}

char* TextWriter::Reserve(std::size_t count) {
  if (used_ + count > buffer_.size()) {
    if (used_ > 0) Flush();
    if (count > buffer_.size()) buffer_.resize(count);
  }
  return buffer_.data() + used_;
}

bool TextWriter::Commit(std::size_t count) {
  if (!IsOpen() || !error_.empty()) {
    if (error_.empty()) {
      reason_ = "the file is not open";
      error_ = path_.string() + ": " + reason_;
    }
    return false;
  }
  used_ += count;
  bytes_written_ += count;
  if (used_ >= kBufferSize) return Flush();
  return true;
}

bool TextWriter::WriteLine(std::string_view line) {
  if (!Write(line)) return false;
  return Write("\r\n");
}

bool TextWriter::Flush() {
  if (file_ == nullptr && temporary_ && used_ > 0 && error_.empty()) {
    errno = 0;
    file_ = UnnamedTemporaryFile();
    if (file_ == nullptr) Fail(errno != 0 ? errno : EIO);
  }
  if (file_ == nullptr) {
    used_ = 0;
    return error_.empty();
  }
  if (used_ > 0 && error_.empty()) {
    errno = 0;
    const std::size_t written = std::fwrite(buffer_.data(), 1, used_, file_);
    if (written != used_) Fail(errno != 0 ? errno : EIO);
  }
  used_ = 0;
  if (error_.empty() && std::fflush(file_) != 0) Fail(errno != 0 ? errno : EIO);
  return error_.empty();
}

bool TextWriter::Close() {
  if (temporary_) {
    Abandon();
    return error_.empty();
  }
  if (file_ == nullptr) return error_.empty();
  Flush();
  errno = 0;
  if (standard_output_) {
    standard_output_ = false;
  } else if (std::fclose(file_) != 0) {
    Fail(errno != 0 ? errno : EIO);
  }
  file_ = nullptr;
  ReleaseBuffer();
  return error_.empty();
}

void TextWriter::ReleaseBuffer() {
  // A closed writer may wait long for its Commit (one per day of a run):
  // it should not hold a buffer meanwhile.
  std::vector<char>().swap(buffer_);
  used_ = 0;
}

void TextWriter::Abandon() {
  if (temporary_) {
    temporary_ = false;
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    ReleaseBuffer();
    return;
  }
  if (file_ == nullptr) return;
  Flush();
  if (!standard_output_) std::fclose(file_);
  standard_output_ = false;
  file_ = nullptr;
  ReleaseBuffer();
}

char* LineBatch::NewRoom(TextWriter& writer, std::size_t max_line) {
  if (!Commit()) return nullptr;
  const std::size_t size = max_line * 4 > kBatchBytes ? max_line * 4 : kBatchBytes;
  writer_ = &writer;
  begin_ = next_ = writer.Reserve(size);
  end_ = begin_ + size;
  return next_;
}

}  // namespace platform
