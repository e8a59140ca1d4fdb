// The call readers against the extractors: each extractor writes the calls
// of samples of its format as CSV rows, and every row's calling number,
// called number, duration and call_start must be the reader's, call by call.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cdrgen/large_files.h"
#include "engine/call_checks.h"
#include "platform/numbers.h"
#include "test_support.h"

namespace lomtra {
namespace {

struct Extractor {
  const char* format;  // cdrgen's
  SwitchType type;
  const char* program;
  const char* options;
  // Where the calling number, the called number, the duration and call_start
  // stand in a row.
  int calling, called, duration, start;
};
const Extractor kExtractors[] = {
    {"ewsd", SwitchType::kEwsd, VANTOR_EXE, "--columns 3,4,5", 0, 1, 2, 3},
    {"ocb", SwitchType::kOcb, OSTREL_EXE, "--fields 6,8,12", 0, 1, 2, 3},
    {"cdot", SwitchType::kCdot, KELVAN_EXE, "--fields 3,4,5", 0, 1, 2, 3},
    {"axe", SwitchType::kAxe, PARDEL_EXE, "", 2, 3, 4, 8},
};

// The rows of a CSV text and their fields: a quoted field may hold commas,
// line ends and doubled quotes.
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      row.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      row.back() += c;
    } else if (c == ',') {
      row.emplace_back();
    } else if (c == '\n') {
      rows.push_back(std::move(row));
      row.assign(1, std::string());
    } else if (c != '\r') {
      row.back() += c;
    }
  }
  return rows;
}

std::string MomentText(Moment moment) {
  if (moment == kNoMoment) return "none";
  const std::time_t t = moment;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

// call_start ("YYYY-MM-DDTHH:MM:SS", or empty) as MomentText writes it.
std::string CallStartText(const std::string& text) {
  if (text.empty()) return MomentText(kNoMoment);
  std::tm tm{};
  const char* end = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &tm);
  if (end == nullptr || *end != '\0') return "unreadable " + text;
  return MomentText(timegm(&tm));
}

// A number's characters as the rows hold them: every byte a character of
// Latin-1, written in UTF-8.
std::string Utf8(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | byte >> 6);
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

// The calls the extractor writes, and those the reader reads, as texts;
// false when the extractor refused or failed the file.
bool BothReadings(const Extractor& x, const std::string& path, const std::string& out,
                  std::vector<std::string>& expected, std::vector<std::string>& read) {
  std::filesystem::remove(out);
  const std::string command = std::string(x.program) + " extract --format csv --quiet -o '" + out +
                              "' " + x.options + " '" + path + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  std::ifstream in(out, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::vector<std::vector<std::string>> rows = CsvRows(text);
  // The first row names the columns.
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string>& f = rows[r];
    if (f.size() <= static_cast<std::size_t>(x.start)) {
      ADD_FAILURE() << "row " << r << " has " << f.size() << " fields";
      return false;
    }
    expected.push_back(f[x.calling] + "|" + f[x.called] + "|" + CallStartText(f[x.start]) + "|" +
                       f[x.duration]);
  }
  ForEachCall({path, x.type}, [&](std::uint64_t, const CallValues& call) {
    read.push_back(Utf8(call.calling) + "|" + Utf8(call.called) + "|" + MomentText(call.start) +
                   "|" + platform::ShortestDecimal(call.duration, 6));
    return true;
  });
  return true;
}

class CallReadersTest : public ::testing::TestWithParam<Extractor> {};

// Clean samples, and the same with bytes changed at random: damaged digits,
// dates, lengths and packages read as the extractor reads them.
TEST_P(CallReadersTest, EveryCallAsTheExtractorWritesIt) {
  const Extractor& x = GetParam();
  testing::TempFolder folder;
  const std::string path = (folder.Path() / "sample.dat").string();
  const std::string out = (folder.Path() / "calls.csv").string();
  int damaged_compared = 0;
  for (const std::uint64_t size : {3000u, 70000u, 2000000u}) {
    for (const std::uint64_t seed : {1u, 2u}) {
      ASSERT_TRUE(cdrgen::WriteSampleFile(x.format, path, size, seed));
      const cdrgen::Bytes clean = [&] {
        std::ifstream in(path, std::ios::binary);
        return cdrgen::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      }();
      std::mt19937 random(static_cast<unsigned>(seed));
      for (int variant = 0; variant < (size == 2000000u ? 1 : 8); ++variant) {
        SCOPED_TRACE(std::string(x.format) + " size " + std::to_string(size) + " seed " +
                     std::to_string(seed) + " variant " + std::to_string(variant));
        cdrgen::Bytes bytes = clean;
        for (int change = 0; change < 4 * variant; ++change)
          bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        folder.Write("sample.dat", bytes);
        std::vector<std::string> expected, read;
        if (!BothReadings(x, path, out, expected, read)) {
          ASSERT_NE(variant, 0) << "the extractor refused a clean sample";
          continue;
        }
        damaged_compared += variant != 0;
        if (variant == 0) {
          ASSERT_GT(expected.size(), 0u);
        }
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i)
          ASSERT_EQ(read[i], expected[i]) << "call " << i + 1;
      }
    }
  }
  EXPECT_GT(damaged_compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Extractors, CallReadersTest, ::testing::ValuesIn(kExtractors),
                         [](const auto& info) { return std::string(info.param.format); });

}  // namespace
}  // namespace lomtra
