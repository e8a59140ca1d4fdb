#include "ostrel/file_analysis.h"

#include <array>

#include "formats/ocb/blocks.h"
#include "ostrel/ocb_decoder.h"
#include "platform/binary_reader.h"
#include "platform/numbers.h"
#include "platform/open_file.h"

namespace ostrel {

namespace {

RecordSummary Summarise(const OcbFields& fields) {
  return {fields.Text(4), fields.Text(5), fields.Text(6), fields.Text(8)};
}

// Decodes the record at `offset`; true when it is a call.
bool DecodeAt(platform::BinaryReader& reader, std::uint64_t offset, const ocb::BlockCount& blocks,
              bool last_block, OcbFields& fields) {
  std::array<std::uint8_t, ocb::kRecordSize> record{};
  reader.Read(offset, record.data(), record.size());
  fields.Reset();
  return DecodeRecord(record.data(), blocks.header_year, blocks.header_day, last_block, fields);
}

}  // namespace

std::string BlocksAcknowledgedText(std::uint64_t records, std::uint64_t block_count) {
  const std::int64_t blocks =
      platform::RoundHalfEvenToInt(static_cast<double>(records + 185) / 371.0);
  return std::to_string(blocks) + "      [" + std::to_string(block_count) + "] ";
}

std::string UsefulPercentText(std::uint64_t useful, std::uint64_t size) {
  const double percent =
      size == 0 ? 0.0 : static_cast<double>(useful) * 100.0 / static_cast<double>(size);
  return platform::ShortestDecimal(percent, 2) + " %";
}

std::optional<FileDetails> AnalyseFile(const std::string& path, Host& host) {
  platform::BinaryReader reader;
  std::string reason;
  if (path.empty()) {
    host.ShowMessage({"No Input Binary File chosen. Please choose one with >>", kProgramTitle,
                      MessageIcon::kError, MessageButtons::kOk});
    return std::nullopt;
  }
  if (!reader.Open(platform::PathOf(path), &reason)) {
    host.ShowMessage({"Cannot open the input file " + path + ": " + reason, kProgramTitle,
                      MessageIcon::kError, MessageButtons::kOk});
    return std::nullopt;
  }
  ocb::FileInfo info;
  if (!ocb::CheckDataFile(reader, info)) {
    host.ShowMessage(
        {NotValidReport(path), kProgramTitle, MessageIcon::kError, MessageButtons::kOk});
    return std::nullopt;
  }
  FileDetails details;
  details.copied_date = info.header_date;
  details.copied_time = info.header_time;
  details.data_type = "FDTIL";
  details.size = info.size;

  const ocb::BlockCount blocks = ocb::CountBlocks(reader, info.layout);
  const std::uint64_t n = blocks.count;
  details.block_count = n;
  details.first_block = blocks.first_number;
  details.last_block = blocks.last_number;

  OcbFields fields;
  if (n > 0) {
    DecodeAt(reader, RecordOffset(info.layout, 0, 0), blocks, n == 1, fields);
    details.first = Summarise(fields);
    for (int i = ocb::kRecordsPerBlock; i >= 1; --i) {
      if (DecodeAt(reader, ocb::RecordOffset(info.layout, n - 1, i - 1), blocks, true, fields)) {
        details.last_calls = i;
        details.last = Summarise(fields);
        break;
      }
    }
    const auto k = static_cast<std::uint64_t>(details.last_calls);
    details.useful = ocb::RecordOffset(info.layout, n - 1, 0) + ocb::kRecordSize * k;
    details.records = (n - 1) * ocb::kRecordsPerBlock + k;
    // With no call in the last block the last call is the 48th record of the
    // block before it, not the bytes that end at the last block's header.
    if (k == 0 && n > 1) {
      DecodeAt(reader, ocb::RecordOffset(info.layout, n - 2, ocb::kRecordsPerBlock - 1), blocks,
               false, fields);
      details.last = Summarise(fields);
    }
  }
  details.useful_percent = UsefulPercentText(details.useful, details.size);
  details.blocks_acknowledged = BlocksAcknowledgedText(details.records, n);
  return details;
}

std::string NotValidReport(const std::string& path) {
  return path + " is not a valid OCB Data File.  Please Verify";
}

std::vector<std::pair<std::string, std::string>> DetailLines(const FileDetails& d) {
  return {
      {"Data Copied Date", d.copied_date},
      {"Data Copied Time", d.copied_time},
      {"Data Type", d.data_type},
      {"Data File Size", std::to_string(d.size)},
      {"Number of Records", std::to_string(d.records)},
      {"Useful Data", std::to_string(d.useful)},
      {"% of Useful Data", d.useful_percent},
      {"Blocks Acknowledged", d.blocks_acknowledged},
      {"First Block Number", std::to_string(d.first_block)},
      {"Last Block Number", std::to_string(d.last_block)},
      {"First Date", d.first.date},
      {"First Time", d.first.time},
      {"First Calling Number", d.first.calling},
      {"First Called Number", d.first.called},
      {"Last Date", d.last.date},
      {"Last Time", d.last.time},
      {"Last Calling Number", d.last.calling},
      {"Last Called Number", d.last.called},
  };
}

}  // namespace ostrel
