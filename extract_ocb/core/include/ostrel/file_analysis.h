#pragma once
// The Binary File Details of one file: how much of it is current data, and
// its first and last call.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/host.h"

namespace ostrel {

struct RecordSummary {
  std::string date, time, calling, called;  // fields 4, 5, 6, 8
};

struct FileDetails {
  std::string copied_date;          // txtDCD
  std::string copied_time;          // txtDCT
  std::string data_type;            // txtDT
  std::uint64_t size = 0;           // txtFS
  std::uint64_t records = 0;        // txtNOR: R = (N - 1) * 48 + k
  std::uint64_t useful = 0;         // txtUS: U
  std::string useful_percent;       // txtUDP
  std::string blocks_acknowledged;  // txtBLK
  std::uint32_t first_block = 0;    // lblFblk
  std::uint32_t last_block = 0;     // lblLblk
  std::uint64_t block_count = 0;    // N
  int last_calls = 0;               // k, 0-48
  RecordSummary first, last;
};

// "(R + 185) / 371 rounded, six spaces, [N], space"
std::string BlocksAcknowledgedText(std::uint64_t records, std::uint64_t block_count);
// "U * 100 / size rounded to 2 decimals, then ' %'"
std::string UsefulPercentText(std::uint64_t useful, std::uint64_t size);

// Analyses `path`; an invalid or unreadable file is reported through `host`
// and gives nothing.
std::optional<FileDetails> AnalyseFile(const std::string& path, Host& host);

// "PATH is not a valid OCB Data File.  Please Verify"
std::string NotValidReport(const std::string& path);

// The details as caption/value pairs in the order the window shows them.
std::vector<std::pair<std::string, std::string>> DetailLines(const FileDetails& details);

}  // namespace ostrel
