#include "engine/series_checks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "engine/analysis_run.h"
#include "engine/data_file.h"
#include "engine/decoders.h"
#include "engine/file_list.h"
#include "engine/host.h"
#include "engine/moments.h"
#include "formats/e10b/layout.h"
#include "formats/ocb/blocks.h"
#include "platform/binary_reader.h"
#include "platform/calendar.h"
#include "platform/open_file.h"

namespace lomtra {
namespace {

namespace e10b = formats::e10b;
namespace ocb = formats::ocb;

// The analysis run's messages, seen on their way to the real host: errors
// met inside a file (an unsupported EWSD package) mean that file was not
// read to its end. The run's closing notes and totals belong to `analyse`
// and are dropped; questions, errors, status and progress pass on.
class WatchingHost : public Host {
 public:
  explicit WatchingHost(Host& inner) : inner_(inner) {}

  MessageAnswer ShowMessage(const Message& message) override {
    if (message.buttons == MessageButtons::kOk && message.icon != MessageIcon::kError)
      return MessageAnswer::kOk;
    if (message.icon == MessageIcon::kError && row_ < troubled.size()) troubled[row_] = true;
    return inner_.ShowMessage(message);
  }
  void SetProgress(int value) override { inner_.SetProgress(value); }
  void PumpEvents() override { inner_.PumpEvents(); }
  bool StopRequested() override { return inner_.StopRequested(); }
  void SetMessageFile(const std::string& path, const std::string& reason) override {
    inner_.SetMessageFile(path, reason);
  }
  int ProgressValue() const override { return inner_.ProgressValue(); }
  int ProgressMaximum() const override { return inner_.ProgressMaximum(); }
  void SetStatusPanel(StatusPanel panel, const std::string& text) override {
    if (panel == StatusPanel::kStatusText) inner_.SetStatusPanel(panel, text);
  }
  void RowStarted(std::size_t row, std::size_t k, std::size_t n) override {
    row_ = row;
    inner_.RowStarted(row, k, n);
  }
  bool AskStop() override { return inner_.AskStop(); }

  std::vector<bool> troubled;  // by row

 private:
  Host& inner_;
  std::size_t row_ = 0;
};

// What the checks know of one file besides its SeriesFile.
struct FileFacts {
  SeriesFile file;
  std::size_t series = 0;
  std::uint64_t size = 0;
  bool unreadable = false;
  bool copy = false;  // the same bytes as a file before it: left out of the series
  // The format's own numbering: OCB-283 block numbers of the current data,
  // E10B record numbers.
  bool numbered = false;
  std::uint32_t first_number = 0;
  std::uint32_t last_number = 0;
  std::uint64_t stale_blocks = 0;
};

std::string FolderOf(const std::string& path) {
  const std::string folder = platform::PathOf(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

std::string NameOf(const std::string& path) {
  return platform::PathOf(path).filename().string();
}

// Two files of a finding: their names, or whole paths when their folders differ.
std::string Between(const std::string& a, const std::string& b) {
  if (FolderOf(a) == FolderOf(b)) return NameOf(a) + " / " + NameOf(b);
  return a + " / " + b;
}

// The current blocks' numbers and the stale blocks behind them. False when
// the file could not be read.
bool ReadOcbNumbers(FileFacts& facts) {
  platform::BinaryReader reader;
  if (!reader.Open(platform::PathOf(facts.file.path))) return false;
  reader.MapFile();
  ocb::FileInfo info;
  if (!ocb::CheckDataFile(reader, info)) return !reader.ReadFailed();
  const ocb::BlockCount count = ocb::CountBlocks(reader, info.layout);
  facts.numbered = count.count > 0;
  facts.first_number = count.first_number;
  facts.last_number = count.last_number;
  // Behind the current data an exchange leaves the blocks of its previous
  // round; blocks never written carry no marker or an empty day.
  std::array<std::uint8_t, ocb::kHeaderBytesRead> bytes{};
  for (std::uint64_t b = count.count;
       ocb::HeaderOffset(info.layout, b) + ocb::kHeaderSize <= reader.Length(); ++b) {
    reader.Read(ocb::HeaderOffset(info.layout, b), bytes.data(), bytes.size());
    const ocb::BlockHeader header = ocb::ParseBlockHeader(bytes.data());
    if (header.has_marker && !ocb::IsEmptyDay(header.day)) ++facts.stale_blocks;
  }
  return !reader.ReadFailed();
}

// The first and last record numbers of the walk the E10B detector makes; a
// walk that ends at a jump leaves records behind it unread.
bool ReadE10bNumbers(FileFacts& facts) {
  platform::BinaryReader reader;
  if (!reader.Open(platform::PathOf(facts.file.path))) return false;
  reader.MapFile();
  const std::uint64_t blocks = reader.Length() / e10b::kBlockSize;
  std::uint64_t count = 0;
  std::uint32_t previous = 0;
  for (std::uint64_t b = 0; b < blocks; ++b) {
    const std::uint8_t* block = reader.View(b * e10b::kBlockSize, e10b::kBlockSize);
    for (std::size_t r = 0; r < e10b::kRecordsPerBlock; ++r) {
      const std::uint32_t s = e10b::SequenceNumber(block + e10b::kRecordSize * r);
      if (s == e10b::kEmptySlot) continue;
      if (count > 0 && !e10b::RunsOn(s, previous)) {
        facts.unreadable = true;
        b = blocks;
        break;
      }
      if (count++ == 0) facts.first_number = s;
      previous = s;
    }
  }
  facts.numbered = count > 0;
  facts.last_number = previous;
  return !reader.ReadFailed();
}

// How many numbers lie between the last of one file and the first of the
// next, when they do not run on: those skipped, or those repeated when the
// numbering goes back.
std::uint64_t OcbBreak(std::uint32_t last, std::uint32_t first) {
  const std::uint32_t ahead =
      (first + 2 * ocb::kSequenceModulus - last - 1) % ocb::kSequenceModulus;
  if (ahead == 0) return 0;
  return ahead <= ocb::kSequenceModulus / 2 ? ahead : ocb::kSequenceModulus - ahead;
}

std::uint64_t E10bBreak(std::uint32_t last, std::uint32_t first) {
  if (e10b::RunsOn(first, last)) return 0;
  return first > last ? first - last - 1 : last - first + 1;
}

// Files of one size, in chunks: a hash of each, then the bytes of those with
// equal hashes compared.
constexpr std::size_t kChunk = std::size_t{1} << 20;

bool HashFile(const std::string& path, std::uint64_t& hash) {
  platform::BinaryReader reader;
  if (!reader.Open(platform::PathOf(path))) return false;
  std::vector<std::uint8_t> buffer(kChunk);
  hash = 1469598103934665603ULL;
  for (std::uint64_t at = 0; at < reader.Length(); at += kChunk) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, reader.Length() - at));
    reader.Read(at, buffer.data(), n);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, buffer.data() + i, 8);
      hash = (hash ^ word) * 1099511628211ULL;
    }
    for (; i < n; ++i) hash = (hash ^ buffer[i]) * 1099511628211ULL;
  }
  return !reader.ReadFailed();
}

bool SameBytes(const std::string& a, const std::string& b) {
  platform::BinaryReader ra;
  platform::BinaryReader rb;
  if (!ra.Open(platform::PathOf(a)) || !rb.Open(platform::PathOf(b)) || ra.Length() != rb.Length())
    return false;
  std::vector<std::uint8_t> ba(kChunk);
  std::vector<std::uint8_t> bb(kChunk);
  for (std::uint64_t at = 0; at < ra.Length(); at += kChunk) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, ra.Length() - at));
    ra.Read(at, ba.data(), n);
    rb.Read(at, bb.data(), n);
    if (std::memcmp(ba.data(), bb.data(), n) != 0) return false;
  }
  return !ra.ReadFailed() && !rb.ReadFailed();
}

// Marks every later copy of a file and reports it.
void FindDuplicateFiles(std::vector<FileFacts>& files, const std::vector<std::string>& series_names,
                        std::vector<std::vector<Finding>>& found) {
  std::map<std::uint64_t, std::vector<std::size_t>> by_size;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].unreadable && files[i].size > 0) by_size[files[i].size].push_back(i);
  }
  for (const auto& [size, same_size] : by_size) {
    if (same_size.size() < 2) continue;
    std::map<std::uint64_t, std::vector<std::size_t>> by_hash;
    for (std::size_t i : same_size) {
      std::uint64_t hash = 0;
      if (HashFile(files[i].file.path, hash)) by_hash[hash].push_back(i);
    }
    for (auto& [hash, candidates] : by_hash) {
      // Each file is compared with the first earlier file it may copy.
      std::vector<std::vector<std::size_t>> groups;
      for (std::size_t i : candidates) {
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) {
          return SameBytes(files[g.front()].file.path, files[i].file.path);
        });
        if (group == groups.end()) {
          groups.push_back({i});
        } else {
          group->push_back(i);
        }
      }
      for (const auto& group : groups) {
        for (std::size_t k = 1; k < group.size(); ++k) {
          FileFacts& copy = files[group[k]];
          copy.copy = true;
          found[copy.series].push_back({FindingKind::kDuplicateFile, series_names[copy.series],
                                        Between(files[group.front()].file.path, copy.file.path),
                                        copy.file.first_call, copy.file.last_call, group.size()});
        }
      }
    }
  }
}

// Gaps, overlaps and breaks in the numbering of the files of one series,
// ordered by their first call.
void CheckContinuity(const std::vector<const FileFacts*>& ordered, const std::string& series,
                     std::int64_t gap_seconds, std::vector<Finding>& found) {
  const FileFacts* cover = nullptr;  // the file whose last call is the latest so far
  const FileFacts* numbered = nullptr;
  for (const FileFacts* f : ordered) {
    const SeriesFile& file = f->file;
    if (cover != nullptr) {
      const SeriesFile& before = cover->file;
      if (file.first_call - before.last_call > gap_seconds) {
        found.push_back({FindingKind::kGap, series, Between(before.path, file.path),
                         before.last_call, file.first_call, 0});
      } else if (file.first_call < before.last_call) {
        found.push_back({FindingKind::kOverlap, series, Between(before.path, file.path),
                         file.first_call, std::min(file.last_call, before.last_call), 0});
      }
    }
    if (cover == nullptr || file.last_call > cover->file.last_call) cover = f;
    if (!f->numbered) continue;
    if (numbered != nullptr) {
      const std::uint64_t missing = file.type == SwitchType::kOcb
                                        ? OcbBreak(numbered->last_number, f->first_number)
                                        : E10bBreak(numbered->last_number, f->first_number);
      if (missing > 0) {
        found.push_back({FindingKind::kSequenceBreak, series,
                         Between(numbered->file.path, file.path), numbered->file.last_call,
                         file.first_call, missing});
      }
    }
    numbered = f;
  }
}

}  // namespace

std::string_view FindingName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kGap:
      return "Gap";
    case FindingKind::kOverlap:
      return "Overlap";
    case FindingKind::kSequenceBreak:
      return "Sequence break";
    case FindingKind::kQuietStretch:
      return "Quiet stretch";
    case FindingKind::kDuplicateFile:
      return "Duplicate file";
    case FindingKind::kDuplicateCall:
      return "Duplicate call";
    case FindingKind::kUnreadable:
      return "Unreadable";
    case FindingKind::kStaleData:
      return "Stale data";
  }
  return {};
}

bool MeansMissingOrDuplicated(FindingKind kind) {
  // An overlap alone bills nothing twice (duplicate calls say when it
  // does), a quiet night inside a file is no loss, and stale blocks lie
  // behind data that is whole.
  return kind != FindingKind::kOverlap && kind != FindingKind::kQuietStretch &&
         kind != FindingKind::kStaleData;
}

SeriesCheckOutcome CheckSeries(const std::vector<std::string>& paths,
                               const SeriesCheckOptions& options, AnalyserContext& context) {
  SeriesCheckOutcome outcome;
  Host& host = context.host;

  // Identified and analysed as `lomtra analyse` does, each file once however
  // it was named ("a.dat" and "./a.dat" are no duplicate files).
  std::vector<DataFileEntry> rows;
  std::vector<std::string> unopened;
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    std::error_code ec;
    const std::filesystem::path canonical =
        std::filesystem::weakly_canonical(platform::PathOf(path), ec);
    if (!seen.insert(ec ? path : canonical.string()).second) continue;
    if (!AddDataFile(rows, path)) unopened.push_back(path);
  }
  WatchingHost watch(host);
  watch.troubled.assign(rows.size(), false);
  AnalyserContext run_context{watch, context.clock, context.state};
  const AnalysisOutcome analysis = AnalyseFiles(rows, false, run_context, options.workers);
  if (analysis.stopped) {
    outcome.stopped = true;
    return outcome;
  }

  // The series, in the order their first file was given.
  std::vector<std::string> series_names;
  std::map<std::pair<std::string, SwitchType>, std::size_t> series_of;
  auto series_index = [&](const std::string& path, SwitchType type) {
    const auto key = std::make_pair(FolderOf(path), type);
    const auto [it, added] = series_of.emplace(key, series_names.size());
    if (added) {
      // A file that could not be opened has no type: its folder alone.
      const std::string name = SwitchName(type);
      series_names.push_back(name.empty() ? key.first : key.first + " (" + name + ")");
    }
    return it->second;
  };

  std::vector<FileFacts> files;
  for (const std::string& path : unopened) {
    FileFacts facts;
    facts.file.path = path;
    facts.unreadable = true;
    facts.series = series_index(path, SwitchType::kNotReadable);
    files.push_back(facts);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DataFileEntry& row = rows[i];
    const SwitchType type = SwitchTypeNamed(row.switch_name);
    if (type == SwitchType::kUnknown || type == SwitchType::kCdot42) {
      ++outcome.passed_over;
      continue;
    }
    host.SetStatusText("Checking " + row.binary_file);
    host.SetProgress(static_cast<int>(i * 100 / rows.size()));
    FileFacts facts;
    facts.file = {row.binary_file, type, kNoMoment, kNoMoment, 0};
    facts.series = series_index(row.binary_file, type);
    facts.size = FileLength(platform::PathOf(row.binary_file)).value_or(0);
    facts.unreadable = row.state != RowState::kAnalysed || watch.troubled[i];
    if (row.state == RowState::kAnalysed) {
      facts.file.first_call = MomentOfText(row.start_time);
      facts.file.last_call = MomentOfText(row.end_time);
      facts.file.records = static_cast<std::uint64_t>(ValueOf(row.records));
      // A file whose one end is no real moment is dated by the other.
      if (facts.file.first_call == kNoMoment) facts.file.first_call = facts.file.last_call;
      if (facts.file.last_call == kNoMoment) facts.file.last_call = facts.file.first_call;
      const bool read = type == SwitchType::kOcb    ? ReadOcbNumbers(facts)
                        : type == SwitchType::kE10b ? ReadE10bNumbers(facts)
                                                    : true;
      if (!read) facts.unreadable = true;
    }
    files.push_back(std::move(facts));
    host.PumpEvents();
    if (context.state.stop_requested) {
      context.state.stop_requested = false;
      outcome.stopped = true;
      host.SetProgress(0);
      return outcome;
    }
  }
  host.SetProgress(0);
  outcome.files = files.size();
  outcome.series = series_names.size();

  std::vector<std::vector<Finding>> found(series_names.size());
  // A copy says nothing its first file does not.
  FindDuplicateFiles(files, series_names, found);
  for (const FileFacts& f : files) {
    if (f.copy) continue;
    if (f.unreadable)
      found[f.series].push_back({FindingKind::kUnreadable, series_names[f.series],
                                 NameOf(f.file.path), f.file.first_call, f.file.last_call, 0});
    if (f.stale_blocks > 0)
      found[f.series].push_back({FindingKind::kStaleData, series_names[f.series],
                                 NameOf(f.file.path), kNoMoment, kNoMoment, f.stale_blocks});
  }

  CallCheckOptions call_options;
  call_options.quiet_minutes = options.gap_minutes;
  call_options.temp_folder = options.temp_folder;
  if (call_options.temp_folder.empty()) {
    std::error_code ec;
    call_options.temp_folder = std::filesystem::temp_directory_path(ec).string();
  }
  call_options.stop_requested = [&context] {
    context.host.PumpEvents();
    return context.state.stop_requested;
  };
  for (std::size_t s = 0; s < series_names.size(); ++s) {
    std::vector<const FileFacts*> ordered;
    std::vector<SeriesFile> readable;
    for (const FileFacts& f : files) {
      if (f.series != s || f.copy || f.file.type == SwitchType::kNotReadable) continue;
      if (f.file.first_call != kNoMoment) ordered.push_back(&f);
      if (!f.unreadable || f.file.first_call != kNoMoment) readable.push_back(f.file);
    }
    // Files that begin at the same second go in name order, as they were
    // most likely written.
    std::stable_sort(ordered.begin(), ordered.end(), [](const FileFacts* a, const FileFacts* b) {
      if (a->file.first_call != b->file.first_call) return a->file.first_call < b->file.first_call;
      return NameOf(a->file.path) < NameOf(b->file.path);
    });
    CheckContinuity(ordered, series_names[s], options.gap_minutes * 60, found[s]);
    std::string error;
    if (!readable.empty() &&
        !CheckCalls(series_names[s], readable, call_options, found[s], &error)) {
      if (context.state.stop_requested) {
        context.state.stop_requested = false;
        outcome.stopped = true;
      } else {
        outcome.error = error;
      }
      return outcome;
    }
    std::stable_sort(found[s].begin(), found[s].end(),
                     [](const Finding& a, const Finding& b) { return a.from < b.from; });
    outcome.findings.insert(outcome.findings.end(), found[s].begin(), found[s].end());
  }
  return outcome;
}

}  // namespace lomtra
