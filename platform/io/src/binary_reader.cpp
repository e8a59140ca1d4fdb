#include "platform/binary_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "platform/open_file.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>
#endif

namespace platform {
namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::uintptr_t g_page_size = 4096;

#if !defined(_WIN32)
// A mapped page the system cannot supply (the file shrank, the medium is
// gone, a disk error) raises SIGBUS when touched. The handler puts a page of
// zeros in its place and notes the failure, so the read goes on and the
// reader reports it, instead of the program ending.
struct MapSlot {
  std::atomic<bool> taken{false};
  std::atomic<std::uintptr_t> start{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> failed{false};
};
std::array<MapSlot, 64> g_map_slots;
struct sigaction g_previous_bus_action {};

void OnBusError(int signal_number, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (MapSlot& slot : g_map_slots) {
    const std::uintptr_t start = slot.start.load();
    if (start == 0 || address < start || address >= slot.end.load()) continue;
    void* page = reinterpret_cast<void*>(address & ~(g_page_size - 1));
    if (mmap(page, g_page_size, PROT_READ, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) !=
        MAP_FAILED) {
      slot.failed.store(true);
      return;
    }
  }
  // Not one of our windows: what was there before decides.
  if ((g_previous_bus_action.sa_flags & SA_SIGINFO) != 0) {
    if (g_previous_bus_action.sa_sigaction != nullptr) {
      g_previous_bus_action.sa_sigaction(signal_number, info, context);
      return;
    }
  } else if (g_previous_bus_action.sa_handler != SIG_DFL &&
             g_previous_bus_action.sa_handler != SIG_IGN) {
    g_previous_bus_action.sa_handler(signal_number);
    return;
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void InstallBusHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) g_page_size = static_cast<std::uintptr_t>(page);
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous_bus_action);
  });
}

int TakeMapSlot() {
  for (std::size_t i = 0; i < g_map_slots.size(); ++i) {
    bool expected = false;
    if (g_map_slots[i].taken.compare_exchange_strong(expected, true)) {
      g_map_slots[i].failed.store(false);
      return static_cast<int>(i);
    }
  }
  return -1;
}
#endif

}  // namespace

std::filesystem::path PathOf(std::string_view name) {
#if defined(_WIN32)
  // Text that is not UTF-8 was written in the ANSI code page (a report from
  // the older programs names its files so): it is read in that page.
  if (name.empty()) return {};
  const int size = static_cast<int>(name.size());
  UINT page = CP_UTF8;
  int length = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
  if (length == 0) {
    page = CP_ACP;
    length = MultiByteToWideChar(page, 0, name.data(), size, nullptr, 0);
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(page, 0, name.data(), size, wide.data(), length);
  return std::filesystem::path(std::move(wide));
#else
  return std::filesystem::path(name);
#endif
}

std::FILE* OpenCFile(const std::filesystem::path& path, const char* mode) {
#if defined(_WIN32)
  // By the wide name (the narrow one goes through the ANSI code page), and
  // shared as files are on Linux: another program may read, write, rename or
  // delete the file meanwhile, and a temporary output can be removed while
  // still open when the program ends on Ctrl-C.
  const bool reading = mode[0] == 'r';
  const bool appending = mode[0] == 'a';
  const HANDLE handle = CreateFileW(
      path.c_str(), reading ? GENERIC_READ : (appending ? FILE_APPEND_DATA : GENERIC_WRITE),
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      reading ? OPEN_EXISTING : (appending ? OPEN_ALWAYS : CREATE_ALWAYS), FILE_ATTRIBUTE_NORMAL,
      nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
            : error == ERROR_DISK_FULL                                     ? ENOSPC
                                                                           : EACCES;
    return nullptr;
  }
  const int flags =
      _O_BINARY | (reading ? _O_RDONLY : (appending ? _O_APPEND | _O_WRONLY : _O_WRONLY));
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (descriptor < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, mode);
  if (file == nullptr) _close(descriptor);
  return file;
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::string SystemErrorText(int error_number) {
  return std::generic_category().message(error_number);
}

BinaryReader::BinaryReader(std::size_t buffer_size)
    : buffer_(std::max<std::size_t>(buffer_size, 16)), data_(buffer_.data()) {}

BinaryReader::~BinaryReader() {
  Close();
}

bool BinaryReader::Open(const std::filesystem::path& path, std::string* error) {
  Close();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (error) *error = "it is a folder, not a file";
    return false;
  }
  errno = 0;
  std::FILE* file = OpenCFile(path, "rb");
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

bool BinaryReader::MapFile() {
#if defined(_WIN32)
  return false;
#else
  if (mapped_) return true;
  if (file_ == nullptr) return false;
  InstallBusHandler();
  map_slot_ = TakeMapSlot();
  if (map_slot_ < 0) return false;
  // Windows of 16 buffers (4 MiB by default): few system calls, and the
  // memory the file's pages occupy stays bounded whatever the file's size.
  const std::size_t page = static_cast<std::size_t>(g_page_size);
  window_size_ = std::max((buffer_.size() * 16 + page - 1) / page * page, 2 * page);
  mapped_ = true;
  buffer_start_ = 0;
  buffer_used_ = 0;
  return true;
#endif
}

bool BinaryReader::FillMapped(std::uint64_t offset) {
#if defined(_WIN32)
  (void)offset;
  return false;
#else
  UnmapWindow();
  buffer_start_ = offset;
  if (offset >= length_) return false;
  const std::uint64_t start = offset - offset % g_page_size;
  const auto size =
      static_cast<std::size_t>(std::min<std::uint64_t>(window_size_, length_ - start));
  void* window =
      mmap(nullptr, size, PROT_READ, MAP_SHARED, fileno(file_), static_cast<off_t>(start));
  if (window == MAP_FAILED) {
    // No address space or no mapping for this file after all: read on
    // through the buffer.
    g_map_slots[static_cast<std::size_t>(map_slot_)].taken.store(false);
    map_slot_ = -1;
    mapped_ = false;
    return Fill(offset);
  }
  window_ = window;
  MapSlot& slot = g_map_slots[static_cast<std::size_t>(map_slot_)];
  slot.end.store(reinterpret_cast<std::uintptr_t>(window) + size);
  slot.start.store(reinterpret_cast<std::uintptr_t>(window));
  data_ = static_cast<const std::uint8_t*>(window);
  buffer_start_ = start;
  buffer_used_ = size;
  return true;
#endif
}

void BinaryReader::UnmapWindow() {
#if !defined(_WIN32)
  if (window_ != nullptr) {
    MapSlot& slot = g_map_slots[static_cast<std::size_t>(map_slot_)];
    slot.start.store(0);
    munmap(window_, buffer_used_);
  }
#endif
  window_ = nullptr;
  data_ = buffer_.data();
  buffer_used_ = 0;
}

bool BinaryReader::ReadFailed() const {
#if !defined(_WIN32)
  if (map_slot_ >= 0 && g_map_slots[static_cast<std::size_t>(map_slot_)].failed.load()) return true;
#endif
  return read_failed_;
}

void BinaryReader::Close() {
  UnmapWindow();
#if !defined(_WIN32)
  if (map_slot_ >= 0) {
    // A failure seen through the window stays with this reader's state.
    if (g_map_slots[static_cast<std::size_t>(map_slot_)].failed.load()) read_failed_ = true;
    g_map_slots[static_cast<std::size_t>(map_slot_)].taken.store(false);
  }
#endif
  map_slot_ = -1;
  mapped_ = false;
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  length_ = 0;
}

bool BinaryReader::Fill(std::uint64_t offset) {
  if (mapped_) return FillMapped(offset);
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
      if (!mapped_ && remaining >= buffer_.size() && file_ != nullptr) {
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
    std::memcpy(out + done, data_ + in_buffer, take);
    done += take;
  }
  if (done < count) std::memset(out + done, 0, count - done);
  return done;
}

std::uint8_t BinaryReader::ByteOutsideBuffer(std::uint64_t offset) {
  std::uint8_t value = 0;
  Read(offset, &value, 1);
  return value;
}

const std::uint8_t* BinaryReader::View(std::uint64_t offset, std::size_t count) {
  const bool past_end = count > 0 && (offset >= length_ || count > length_ - offset);
  auto in_data = [&] {
    return offset >= buffer_start_ && offset - buffer_start_ <= buffer_used_ &&
           count <= buffer_used_ - static_cast<std::size_t>(offset - buffer_start_);
  };
  if (!in_data()) {
    // A mapped window starts up to a page before the offset.
    const std::size_t room =
        mapped_ ? window_size_ - static_cast<std::size_t>(g_page_size) : buffer_.size();
    if (count <= room && !(mapped_ && past_end)) Fill(offset);
    if (!in_data()) {
      if (!mapped_ && buffer_start_ == offset && count <= buffer_.size()) {
        // Past the end of the file the view shows zeros; they stay outside
        // the bytes the buffer holds, so later reads still go to the file.
        std::memset(buffer_.data() + buffer_used_, 0, count - buffer_used_);
        at_end_ = past_end;
        return buffer_.data();
      }
      scratch_.resize(count);
      Read(offset, scratch_.data(), count);
      return scratch_.data();
    }
  }
  at_end_ = past_end;
  return data_ + (offset - buffer_start_);
}

std::string BinaryReader::ReadText(std::uint64_t offset, std::size_t count) {
  std::string text(count, '\0');
  Read(offset, text.data(), count);
  return text;
}

}  // namespace platform
