// The pass over every call of a series: duplicate calls and quiet stretches.
//
// Duplicates: each call's whole key, packed into four words, goes with its
// file and call number into a run of fixed size; a full run is sorted and,
// when the memory budget would be passed, written to the temporary folder;
// the runs are merged, and equal keys meet there. A key that does not pack
// carries a 64-bit fingerprint instead; calls whose fingerprints meet are
// read again and compared whole, so a collision never makes a duplicate.
// Quiet stretches: one bit per minute from a file's first call to its last.
#include "engine/call_checks.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <queue>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/findings.h"
#include "formats/axe/calls.h"
#include "formats/cdot/calls.h"
#include "formats/ewsd/calls.h"
#include "formats/ocb/calls.h"
#include "platform/calendar.h"
#include "platform/open_file.h"

namespace lomtra {

namespace {

// Calls read between two looks at stop_requested.
constexpr std::uint64_t kCallsPerStopQuestion = 1 << 16;
// A file's quiet-stretch bitmap covers at most this many minutes (about 127
// years): a damaged date further out is left out of it.
constexpr std::int64_t kMostMinutes = std::int64_t{1} << 26;

using Call = CallValues;

// The moment of a call's start parts, or kNoMoment where the extractor's
// call_start is left empty (no real date or time).
template <class Start>
Moment MomentOf(const Start& s) {
  if (s.year < 0 || s.year > 9999 || s.month < 1 || s.month > 12 || s.day < 1 ||
      s.day > platform::DaysInMonth(s.month, s.year))
    return kNoMoment;
  if (s.hour < 0 || s.hour > 23 || s.minute < 0 || s.minute > 59 || s.second < 0 || s.second > 59)
    return kNoMoment;
  return platform::DaysFromCivil(s.year, s.month, s.day) * 86400 + s.hour * 3600 + s.minute * 60 +
         s.second;
}

enum class ReadEnd { kDone, kNotOpened, kStopped };

// Every call of the file in order, numbered from 0, handed to `on_call`
// (which returns false to stop).
template <class Reader, class Key, class OnCall>
ReadEnd ReadWith(const std::string& path, const OnCall& on_call) {
  Reader reader;
  if (!reader.Open(path, nullptr)) return ReadEnd::kNotOpened;
  Key key;
  Call call;
  for (std::uint64_t n = 0; reader.Next(key); ++n) {
    call.calling = key.calling;
    call.called = key.called;
    call.start = MomentOf(key.start);
    call.duration = static_cast<double>(key.duration);
    if (!on_call(n, call)) return ReadEnd::kStopped;
  }
  return ReadEnd::kDone;
}

bool IsDecoded(SwitchType type) {
  return type == SwitchType::kOcb || type == SwitchType::kEwsd || type == SwitchType::kCdot ||
         type == SwitchType::kAxe;
}

template <class OnCall>
ReadEnd ReadCalls(const SeriesFile& file, const OnCall& on_call) {
  switch (file.type) {
    case SwitchType::kOcb:
      return ReadWith<formats::ocb::CallReader, formats::ocb::CallKey>(file.path, on_call);
    case SwitchType::kEwsd:
      return ReadWith<formats::ewsd::CallReader, formats::ewsd::CallKey>(file.path, on_call);
    case SwitchType::kCdot:
      return ReadWith<formats::cdot::CallReader, formats::cdot::CallKey>(file.path, on_call);
    case SwitchType::kAxe:
      return ReadWith<formats::axe::CallReader, formats::axe::CallKey>(file.path, on_call);
    default:
      return ReadEnd::kNotOpened;
  }
}

// The exact key of a call: both numbers, the start and the duration.
void PutKey(const Call& call, std::string& out) {
  out.append(call.calling);
  out.push_back('\0');
  out.append(call.called);
  out.push_back('\0');
  char fixed[2 * sizeof(std::uint64_t)];
  const auto start = static_cast<std::uint64_t>(call.start);
  std::memcpy(fixed, &start, sizeof start);
  // 0.0 and -0.0 are one duration.
  const double duration = call.duration == 0 ? 0.0 : call.duration;
  std::memcpy(fixed + sizeof start, &duration, sizeof duration);
  out.append(fixed, sizeof fixed);
}

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

std::uint64_t Fingerprint(const Call& call) {
  // FNV-1a over the numbers, then the start and duration mixed in.
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (const char c : call.calling) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  h = (h ^ 0xFFu) * 0x100000001b3ULL;  // no byte of a number: keeps "12"+"3" from "1"+"23"
  for (const char c : call.called) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  h = Mix(h ^ static_cast<std::uint64_t>(call.start));
  const double duration = call.duration == 0 ? 0.0 : call.duration;
  std::uint64_t bits;
  std::memcpy(&bits, &duration, sizeof bits);
  return Mix(h ^ (bits * 0x9E3779B97F4A7C15ULL));
}

// A call's key and where it is. The key is exact (the flag bit clear): the
// start, the duration, both numbers' lengths and their characters, four bits
// each; or, for a call it cannot hold, the flag bit and the fingerprint.
// Sorting brings equal keys together, each group in file and call order.
struct Entry {
  std::uint64_t key[4];
  std::uint32_t file;
  std::uint32_t call;
  bool SameKey(const Entry& other) const {
    return key[0] == other.key[0] && key[1] == other.key[1] && key[2] == other.key[2] &&
           key[3] == other.key[3];
  }
  bool operator<(const Entry& other) const {
    for (int i = 0; i < 4; ++i)
      if (key[i] != other.key[i]) return key[i] < other.key[i];
    if (file != other.file) return file < other.file;
    return call < other.call;
  }
};

constexpr std::uint64_t kFingerprinted = std::uint64_t{1} << 63;
constexpr int kStartBits = 40;
// Years 0 to 9999 (all MomentOf gives) lie within 2^38 seconds of 1970.
constexpr Moment kStartBias = Moment{1} << 38;
constexpr int kDurationBits = 40;
constexpr int kLengthBits = 5;

// The characters a number may hold in a packed key, as four bits; -1 for any
// other (the call is then fingerprinted). Numbers are decimal or upper-case
// hexadecimal digits.
constexpr std::array<std::int8_t, 256> kNibbleOf = [] {
  std::array<std::int8_t, 256> table{};
  for (auto& n : table) n = -1;
  for (int c = 0; c < 10; ++c) table['0' + c] = static_cast<std::int8_t>(c);
  for (int c = 0; c < 6; ++c) table['A' + c] = static_cast<std::int8_t>(10 + c);
  return table;
}();

// Fills a key's 256 bits from the top.
class KeyBits {
 public:
  explicit KeyBits(std::uint64_t* words) : words_(words) {
    for (int i = 0; i < 4; ++i) words_[i] = 0;
  }
  // `value` below 2^bits, 0 < bits <= 64, within the 256 bits.
  void Put(std::uint64_t value, int bits) {
    const int w = used_ / 64, free = 64 - used_ % 64;
    if (bits <= free) {
      words_[w] |= value << (free - bits);
    } else {
      words_[w] |= value >> (bits - free);
      words_[w + 1] |= value << (64 - (bits - free));
    }
    used_ += bits;
  }
  // The number's characters; false when one has no four bits.
  bool PutNumber(std::string_view number) {
    std::uint64_t nibbles = 0;
    int held = 0;
    for (const char c : number) {
      const int nibble = kNibbleOf[static_cast<unsigned char>(c)];
      if (nibble < 0) return false;
      nibbles = nibbles << 4 | static_cast<unsigned>(nibble);
      if (++held == 16) {
        Put(nibbles, 64);
        nibbles = 0;
        held = 0;
      }
    }
    if (held > 0) Put(nibbles, 4 * held);
    return true;
  }

 private:
  std::uint64_t* words_;
  int used_ = 0;
};

constexpr std::size_t kMostLength = (1u << kLengthBits) - 1;

// The call's exact key into `words`; false when it does not fit.
bool PackKey(const Call& call, std::uint64_t* words) {
  KeyBits bits(words);
  const std::size_t digits = call.calling.size() + call.called.size();
  if (call.calling.size() > kMostLength || call.called.size() > kMostLength ||
      4 * digits > static_cast<std::size_t>(256 - 1 - kStartBits - kDurationBits - 2 * kLengthBits))
    return false;
  const Moment start = call.start + kStartBias;
  if (start < 0 || start >= Moment{1} << kStartBits) return false;
  // Whole seconds only; a fraction or a sign (AXE counters) is fingerprinted.
  // 0.0 and -0.0 are one duration.
  const double duration = call.duration;
  if (!(duration >= 0 && duration < static_cast<double>(std::uint64_t{1} << kDurationBits)))
    return false;
  const auto whole = static_cast<std::uint64_t>(duration);
  if (static_cast<double>(whole) != duration) return false;
  bits.Put(static_cast<std::uint64_t>(start), 1 + kStartBits);  // the flag bit clear
  bits.Put(whole, kDurationBits);
  bits.Put(call.calling.size(), kLengthBits);
  bits.Put(call.called.size(), kLengthBits);
  return bits.PutNumber(call.calling) && bits.PutNumber(call.called);
}

Moment StartOf(const Entry& entry) {
  return static_cast<Moment>(entry.key[0] >> (64 - 1 - kStartBits)) - kStartBias;
}

// A call whose key is fingerprinted, and where it is.
struct Candidate {
  std::uint64_t hash;
  std::uint32_t file;
  std::uint32_t call;
};

// A file of sorted entries in the temporary folder, removed with it.
class SortedRun {
 public:
  explicit SortedRun(std::filesystem::path path) : path_(std::move(path)) {}
  ~SortedRun() {
    Close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  SortedRun(const SortedRun&) = delete;
  SortedRun& operator=(const SortedRun&) = delete;

  bool Write(const std::vector<Entry>& entries, std::string* error) {
    file_ = platform::OpenCFile(path_, "wb");
    bool ok = file_ != nullptr;
    if (ok)
      ok = std::fwrite(entries.data(), sizeof(Entry), entries.size(), file_) == entries.size();
    if (ok) ok = std::fflush(file_) == 0;
    const int reason = errno;
    Close();
    if (!ok && error != nullptr)
      *error = "Cannot write the temporary file " + path_.string() + ": " + std::strerror(reason);
    return ok;
  }
  bool OpenForReading(std::string* error) {
    file_ = platform::OpenCFile(path_, "rb");
    if (file_ == nullptr && error != nullptr)
      *error = "Cannot read the temporary file " + path_.string() + ": " + std::strerror(errno);
    buffer_.resize(kBufferEntries);
    return file_ != nullptr;
  }
  // The next entry; false at the end (or when a read fails: Failed tells).
  bool Next(Entry& entry) {
    if (at_ == filled_) {
      filled_ = std::fread(buffer_.data(), sizeof(Entry), buffer_.size(), file_);
      at_ = 0;
      if (filled_ == 0) {
        failed_ = std::ferror(file_) != 0;
        return false;
      }
    }
    entry = buffer_[at_++];
    return true;
  }
  bool Failed() const { return failed_; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  // 64 KiB a run, whatever the entry.
  static constexpr std::size_t kBufferEntries = (std::size_t{64} << 10) / sizeof(Entry);
  void Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  std::vector<Entry> buffer_;
  std::size_t at_ = 0, filled_ = 0;
  bool failed_ = false;
};

// The minutes of a file in which a call starts.
class MinuteMap {
 public:
  void Add(Moment start) {
    const std::int64_t minute = FloorMinute(start);
    if (bits_.empty()) {
      first_ = minute - Remainder(minute);
      bits_.assign(1, 0);
    }
    if (minute < first_) {
      // Room before it, at least as much as there is: a file read backwards
      // in time moves the words only now and then.
      const std::int64_t needed = (first_ - minute + 63) / 64;
      const std::int64_t words = std::max<std::int64_t>(needed, Span() / 64);
      if (Span() + needed * 64 > kMostMinutes) return;
      const std::int64_t added = std::min(words, (kMostMinutes - Span()) / 64);
      bits_.insert(bits_.begin(), static_cast<std::size_t>(added), 0);
      first_ -= added * 64;
    } else if (minute >= first_ + Span()) {
      const std::int64_t needed = (minute - first_) / 64 + 1;
      if (needed * 64 > kMostMinutes) return;
      const std::int64_t words =
          std::min(std::max<std::int64_t>(needed, Span() / 64 * 2), kMostMinutes / 64);
      bits_.resize(static_cast<std::size_t>(words), 0);
    }
    const std::int64_t at = minute - first_;
    bits_[static_cast<std::size_t>(at / 64)] |= std::uint64_t{1} << (at % 64);
  }
  // The longest run of minutes between two minutes with a call: the two
  // minutes themselves. False with fewer than two such minutes.
  bool Longest(std::int64_t& from_minute, std::int64_t& to_minute) const {
    std::int64_t previous = -1, best = 0;
    for (std::size_t w = 0; w < bits_.size(); ++w) {
      for (std::uint64_t word = bits_[w]; word != 0; word &= word - 1) {
        const std::int64_t minute = static_cast<std::int64_t>(w) * 64 + __builtin_ctzll(word);
        if (previous >= 0 && minute - previous > best) {
          best = minute - previous;
          from_minute = first_ + previous;
          to_minute = first_ + minute;
        }
        previous = minute;
      }
    }
    return best > 0;
  }

 private:
  static std::int64_t Remainder(std::int64_t minute) { return ((minute % 64) + 64) % 64; }
  static std::int64_t FloorMinute(Moment start) {
    return start >= 0 ? start / 60 : -((-start + 59) / 60);
  }
  std::int64_t Span() const { return static_cast<std::int64_t>(bits_.size()) * 64; }
  std::int64_t first_ = 0;
  std::vector<std::uint64_t> bits_;
};

std::string FileName(const std::string& path) {
  return platform::PathOf(path).filename().string();
}

// Where a call is: its file and its number in the file.
struct Place {
  std::uint32_t file;
  std::uint32_t call;
};

// A fingerprinted call found more than once, confirmed by its whole key.
struct Copy {
  std::uint64_t hash;
  Moment start;
  std::uint32_t key_at, key_size;  // in the chunk's keys, well under 4 GiB
  std::uint32_t file, call;
};

// Lists at most this many places or files in a finding's `where`.
constexpr std::size_t kMostListed = 5;

class CallPass {
 public:
  CallPass(const std::string& series, const std::vector<SeriesFile>& files,
           const CallCheckOptions& options, std::vector<Finding>& findings, std::string* error)
      : series_(series), files_(files), options_(options), findings_(findings), error_(error) {
    // Three quarters of the budget for the run being filled, the rest for
    // the readers, the bitmaps and the merge's buffers.
    run_capacity_ = std::max<std::size_t>(options.memory_budget / 4 * 3 / sizeof(Entry), 1024);
    // A fingerprinted candidate being confirmed takes its entry, its copy and
    // its key (about 40 bytes): most of the budget once the runs are on disk.
    chunk_capacity_ = std::max<std::size_t>(
        options.memory_budget / 5 * 4 / (sizeof(Candidate) + sizeof(Copy) + 40), 1024);
  }

  bool Run() {
    if (!ReadEveryCall() || !MergeAndConfirm()) return false;
    Report();
    return true;
  }

 private:
  bool Stopped() {
    if (options_.stop_requested && options_.stop_requested()) {
      if (error_ != nullptr) *error_ = "The check was stopped";
      return true;
    }
    return false;
  }

  bool ReadEveryCall() {
    // The whole run at once: pages count only once written, and growing it
    // would hold the old and the new copy together.
    entries_.reserve(run_capacity_);
    for (std::size_t f = 0; f < files_.size(); ++f) {
      const SeriesFile& file = files_[f];
      if (!IsDecoded(file.type)) continue;
      if (Stopped()) return false;
      MinuteMap minutes;
      bool failed = false;
      auto on_call = [&](std::uint64_t n, const Call& call) {
        if (call.start == kNoMoment) return true;  // no real start: neither check can use it
        minutes.Add(call.start);
        if (entries_.size() == run_capacity_ && !Spill()) {
          failed = true;
          return false;
        }
        Entry& entry = entries_.emplace_back();
        if (!PackKey(call, entry.key)) {
          entry.key[0] = kFingerprinted;
          entry.key[1] = Fingerprint(call);
          entry.key[2] = entry.key[3] = 0;
        }
        entry.file = static_cast<std::uint32_t>(f);
        entry.call = static_cast<std::uint32_t>(n);
        if ((n + 1) % kCallsPerStopQuestion == 0 && Stopped()) {
          failed = true;
          return false;
        }
        return true;
      };
      ReadCalls(file, on_call);
      if (failed) return false;
      std::int64_t from = 0, to = 0;
      if (minutes.Longest(from, to) && to - from > options_.quiet_minutes) {
        findings_.push_back(
            {FindingKind::kQuietStretch, series_, FileName(file.path), from * 60, to * 60, 0});
      }
    }
    return true;
  }

  std::filesystem::path TempFolder() const {
    if (!options_.temp_folder.empty()) return platform::PathOf(options_.temp_folder);
    std::error_code ignored;
    return std::filesystem::temp_directory_path(ignored);
  }

  bool Spill() {
    std::sort(entries_.begin(), entries_.end());
    auto name = "lomtra-calls-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
                std::to_string(runs_.size()) + ".run";
    runs_.push_back(std::make_unique<SortedRun>(TempFolder() / name));
    if (!runs_.back()->Write(entries_, error_)) return false;
    entries_.clear();
    return true;
  }

  // Merges the runs: entries of equal exact keys are a group of copies at
  // once; those whose fingerprint another shares are confirmed a chunk at a
  // time, so that many fingerprinted copies never need more memory than the
  // budget (each chunk reads the files again).
  bool MergeAndConfirm() {
    if (!runs_.empty()) {
      // The last run joins the others on disk, so that the merge needs only
      // their buffers and the chunk may take half the budget.
      if (!entries_.empty() && !Spill()) return false;
      std::vector<Entry>().swap(entries_);
    } else {
      // Everything fits: the chunk shares the budget with the entries.
      chunk_capacity_ = std::max<std::size_t>(chunk_capacity_ / 4, 1024);
    }
    std::sort(entries_.begin(), entries_.end());
    // The group of equal keys being merged: its first entry, its size, its
    // files, and its places (the first few of an exact key, which is all a
    // finding names; all of a fingerprint, to be confirmed).
    Entry first{};
    std::uint64_t size = 0;
    std::vector<std::uint32_t>& files = group_files_;
    std::vector<Place>& places = places_;
    std::vector<Candidate> chunk;
    bool ok = true;
    auto flush_group = [&] {
      if (size > 1) {
        if ((first.key[0] & kFingerprinted) == 0) {
          AddGroup(StartOf(first), files, places, size);
        } else {
          if (chunk.empty()) chunk.reserve(chunk_capacity_ + 64);  // no doubling past the budget
          for (const Place& place : places) chunk.push_back({first.key[1], place.file, place.call});
        }
      }
      size = 0;
      files.clear();
      places.clear();
      if (chunk.size() >= chunk_capacity_) {
        ok = Confirm(chunk);
        chunk.clear();
      }
    };
    auto take = [&](const Entry& entry) {
      if (size == 0 || !first.SameKey(entry)) {
        flush_group();
        first = entry;
      }
      ++size;
      if (files.empty() || files.back() != entry.file) files.push_back(entry.file);
      if (places.size() < kMostListed || (entry.key[0] & kFingerprinted) != 0)
        places.push_back({entry.file, entry.call});
      return ok;
    };
    if (runs_.empty()) {
      for (const Entry& entry : entries_)
        if (!take(entry)) return false;
    } else {
      // The run in memory is merged with those on disk.
      struct Head {
        Entry entry;
        std::size_t source;
        bool operator>(const Head& other) const { return other.entry < entry; }
      };
      std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
      for (std::size_t r = 0; r < runs_.size(); ++r) {
        if (!runs_[r]->OpenForReading(error_)) return false;
        Entry entry;
        if (runs_[r]->Next(entry)) heads.push({entry, r});
      }
      std::size_t in_memory = 0;
      if (!entries_.empty()) heads.push({entries_[in_memory++], runs_.size()});
      std::uint64_t merged = 0;
      while (!heads.empty()) {
        const Head head = heads.top();
        heads.pop();
        if (!take(head.entry)) return false;
        Entry next;
        if (head.source == runs_.size()) {
          if (in_memory < entries_.size()) heads.push({entries_[in_memory++], head.source});
        } else if (runs_[head.source]->Next(next)) {
          heads.push({next, head.source});
        } else if (runs_[head.source]->Failed()) {
          if (error_ != nullptr)
            *error_ = "Cannot read the temporary file " + runs_[head.source]->Path().string();
          return false;
        }
        if (++merged % kCallsPerStopQuestion == 0 && Stopped()) return false;
      }
    }
    flush_group();
    if (ok && !chunk.empty()) ok = Confirm(chunk);
    runs_.clear();
    std::vector<Entry>().swap(entries_);
    return ok;
  }

  // Reads the candidates again and adds those whose whole key another
  // shares to the sets of files reported.
  bool Confirm(std::vector<Candidate>& candidates) {
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
      return a.file != b.file ? a.file < b.file : a.call < b.call;
    });
    std::string keys;
    keys.reserve(candidates.size() * 40);
    std::vector<Copy> copies;
    copies.reserve(candidates.size());
    std::size_t next = 0;
    while (next < candidates.size()) {
      if (Stopped()) return false;
      const std::uint32_t f = candidates[next].file;
      auto on_call = [&](std::uint64_t n, const Call& call) {
        while (next < candidates.size() && candidates[next].file == f && candidates[next].call < n)
          ++next;  // the file changed under the check: that call is gone
        if (next == candidates.size() || candidates[next].file != f) return false;
        if (candidates[next].call != n) return true;
        const std::size_t at = keys.size();
        PutKey(call, keys);
        copies.push_back({candidates[next].hash, call.start, static_cast<std::uint32_t>(at),
                          static_cast<std::uint32_t>(keys.size() - at), f,
                          static_cast<std::uint32_t>(n)});
        ++next;
        return true;
      };
      ReadCalls(files_[f], on_call);
      while (next < candidates.size() && candidates[next].file == f) ++next;
    }
    auto key = [&](const Copy& c) { return std::string_view(keys).substr(c.key_at, c.key_size); };
    std::sort(copies.begin(), copies.end(), [&](const Copy& a, const Copy& b) {
      if (a.hash != b.hash) return a.hash < b.hash;
      const int order = key(a).compare(key(b));
      if (order != 0) return order < 0;
      return a.file != b.file ? a.file < b.file : a.call < b.call;
    });
    for (std::size_t i = 0; i < copies.size();) {
      std::size_t j = i + 1;
      while (j < copies.size() && copies[j].hash == copies[i].hash &&
             key(copies[j]) == key(copies[i]))
        ++j;
      if (j - i > 1) {
        std::vector<std::uint32_t> files;
        std::vector<Place> places;
        for (std::size_t k = i; k < j; ++k) {
          if (files.empty() || files.back() != copies[k].file) files.push_back(copies[k].file);
          if (places.size() < kMostListed) places.push_back({copies[k].file, copies[k].call});
        }
        AddGroup(copies[i].start, files, places, j - i);
      }
      i = j;
    }
    return true;
  }

  // One group of `size` equal calls added to the set of the files they lie
  // in (in order, each once); `places` are its first calls in file and call
  // order.
  void AddGroup(Moment start, const std::vector<std::uint32_t>& files,
                const std::vector<Place>& places, std::uint64_t size) {
    auto set =
        std::find_if(sets_.begin(), sets_.end(), [&](const Set& s) { return s.files == files; });
    if (set == sets_.end()) {
      sets_.push_back({files, 0, 0, kNoMoment, kNoMoment, {}, 0});
      set = sets_.end() - 1;
      // The places of its first group: all a finding names when it stays
      // the set's only group.
      set->places_total = static_cast<std::size_t>(size);
      for (const Place& place : places) {
        if (set->places.size() == kMostListed) break;
        set->places.push_back({place.file, place.call});
      }
    }
    ++set->groups;
    set->count += size - 1;
    if (set->from == kNoMoment || start < set->from) set->from = start;
    if (set->to == kNoMoment || start > set->to) set->to = start;
  }

  // One finding for every set of files the same calls lie in: a single call
  // names each copy's file and call number (its line in the extractor's
  // output of that file); many name the files, and the count says how many
  // copies beyond the first there are. A whole file loaded twice is then one
  // finding, not a million.
  void Report() {
    std::sort(sets_.begin(), sets_.end(), [](const Set& a, const Set& b) {
      return a.from != b.from ? a.from < b.from : a.files < b.files;
    });
    for (const Set& set : sets_) {
      std::string where;
      std::size_t listed = 0, total = 0;
      auto add = [&](const std::string& text) {
        if (!where.empty()) where += ", ";
        where += text;
        ++listed;
      };
      if (set.groups == 1) {
        for (const auto& [file, call] : set.places)
          add(FileName(files_[file].path) + " call " + std::to_string(call + 1));
        total = set.places_total;
      } else {
        for (const std::uint32_t f : set.files)
          if (listed < kMostListed) add(FileName(files_[f].path));
        total = set.files.size();
      }
      if (total > listed) where += " and " + std::to_string(total - listed) + " more";
      findings_.push_back(
          {FindingKind::kDuplicateCall, series_, where, set.from, set.to, set.count});
    }
  }

  struct Set {
    std::vector<std::uint32_t> files;
    std::uint64_t groups = 0;
    std::uint64_t count = 0;
    Moment from = kNoMoment, to = kNoMoment;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> places;
    std::size_t places_total = 0;
  };

  const std::string& series_;
  const std::vector<SeriesFile>& files_;
  const CallCheckOptions& options_;
  std::vector<Finding>& findings_;
  std::string* error_;
  std::size_t run_capacity_ = 0;
  std::vector<Entry> entries_;
  std::vector<std::unique_ptr<SortedRun>> runs_;
  std::size_t chunk_capacity_ = 0;
  std::vector<Set> sets_;
  std::vector<std::uint32_t> group_files_;
  std::vector<Place> places_;
};

}  // namespace

bool ForEachCall(const SeriesFile& file,
                 const std::function<bool(std::uint64_t, const CallValues&)>& on_call) {
  return ReadCalls(file, on_call) != ReadEnd::kNotOpened;
}

bool CheckCalls(const std::string& series, const std::vector<SeriesFile>& files,
                const CallCheckOptions& options, std::vector<Finding>& findings,
                std::string* error) {
  if (error != nullptr) error->clear();
  if (files.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  CallPass pass(series, files, options, findings, error);
  return pass.Run();
}

}  // namespace lomtra
