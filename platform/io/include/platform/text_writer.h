#pragma once
// Output files of the programs: bytes written as given, lines ended by CR LF,
// large buffered writes, and every failed open or write kept as a reason
// instead of being lost.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class TextWriter {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  TextWriter() = default;
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  enum class Mode { kCreate, kAppend };
  // Creates (empties) or appends to the file. On failure returns false; Error()
  // then names the file and the system's reason.
  bool Open(const std::filesystem::path& path, Mode mode = Mode::kCreate);
  // Writes to the standard output stream ("-" on a command line); closing
  // it only flushes.
  bool OpenStandardOutput();
  // Keeps what is written for a later AppendTo: in memory up to the buffer's
  // size, beyond it in an unnamed temporary file that goes when the writer
  // closes. A worker writes its piece of a run here.
  bool OpenTemporary();
  // Writes everything written here so far into `out` and empties this
  // writer (still open). Returns false when either failed; Error() of the
  // one that failed says why.
  bool AppendTo(TextWriter& out) {
    return ReadBack([&out](std::string_view chunk) { return out.Write(chunk); });
  }
  // Hands everything written here so far to `take`, in order, in chunks of
  // any size, and empties this writer (still open). Returns false when
  // reading it back failed (Error() says why) or `take` returned false.
  bool ReadBack(const std::function<bool(std::string_view)>& take);
  bool IsOpen() const { return file_ != nullptr || temporary_; }
  const std::filesystem::path& Path() const { return path_; }

  // Writes bytes as given. Returns false once anything has failed.
  bool Write(std::string_view bytes);
  bool WriteLine(std::string_view line);  // line + CR LF
  // Room for up to `count` bytes in the output buffer, for formatters that
  // write a line in place; Commit(n) then takes the first n of them. Writing
  // into the room is always safe, also after a failure (Commit then says so).
  char* Reserve(std::size_t count);
  bool Commit(std::size_t count);
  bool Flush();
  // Flushes and closes; returns false when anything failed since Open.
  bool Close();
  // Closes without caring about the result (used when a run is abandoned).
  void Abandon();

  bool Ok() const { return error_.empty(); }
  // "<path>: <reason>" of the first failure, empty while all is well.
  const std::string& Error() const { return error_; }
  // The system's reason alone ("No space left on device").
  const std::string& Reason() const { return reason_; }
  std::uint64_t BytesWritten() const { return bytes_written_; }

 private:
  void Fail(int error_number);
  void ReleaseBuffer();

  std::FILE* file_ = nullptr;
  bool standard_output_ = false;  // file_ is stdout: flushed, never closed
  bool temporary_ = false;        // OpenTemporary: file_ made at the first flush
  std::filesystem::path path_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;  // bytes of buffer_ waiting to be written
  std::string error_;
  std::string reason_;
  std::uint64_t bytes_written_ = 0;
};

// Lines made in place in a writer's buffer, a batch at a time: a formatter
// asks for room for one line, writes the line there, and the lines of a
// batch go to the writer together, one Commit for many lines.
class LineBatch {
 public:
  static constexpr std::size_t kBatchBytes = 64 * 1024;

  // Where a line of up to `max_line` bytes goes next in `writer`'s buffer;
  // nullptr when the lines before could not be handed over.
  char* Room(TextWriter& writer, std::size_t max_line) {
    if (static_cast<std::size_t>(end_ - next_) >= max_line) return next_;
    return NewRoom(writer, max_line);
  }
  // The line just made in the room ends at `end`.
  void Add(char* end) {
    next_ = end;
    ++lines_;
  }
  // Lines handed to a writer so far, by every Commit that succeeded.
  std::uint64_t LinesCommitted() const { return committed_; }
  // Hands the batch's lines to the writer its room came from; false when
  // the writer has failed. Needed before that writer changes or closes.
  bool Commit() {
    if (begin_ == nullptr) return true;
    const bool written = writer_->Commit(static_cast<std::size_t>(next_ - begin_));
    if (written) committed_ += lines_;
    Drop();
    return written;
  }
  // Forgets the batch's lines (a failed run: they lay in the writer's buffer).
  void Drop() {
    begin_ = next_ = end_ = nullptr;
    lines_ = 0;
  }

 private:
  // Out of line: taken once a batch, it stays out of the formatters' loops.
  char* NewRoom(TextWriter& writer, std::size_t max_line);

  TextWriter* writer_ = nullptr;
  char* begin_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
  std::uint64_t lines_ = 0;
  std::uint64_t committed_ = 0;
};

}  // namespace platform
