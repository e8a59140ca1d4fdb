#include "platform/table_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Moment(std::string_view date, std::string_view time) {
  char room[platform::kIsoMomentLength];
  return std::string(room, platform::PutIsoMoment(room, date, time));
}

TEST(TableWriter, KeysAndMoments) {
  EXPECT_EQ(platform::SnakeCaseKey("O/G Trunk Group Name"), "o_g_trunk_group_name");
  EXPECT_EQ(platform::SnakeCaseKey("3rd Party Digit"), "3rd_party_digit");
  EXPECT_EQ(platform::SnakeCaseKey(" Chargable Duration "), "chargable_duration");
  EXPECT_EQ(platform::SnakeCaseKey("CHB"), "chb");

  // Both date forms of the programs give one moment.
  EXPECT_EQ(Moment("2006-01-01", "00:00:00"), "2006-01-01T00:00:00");
  EXPECT_EQ(Moment("2005/03/06", "23:59:59"), "2005-03-06T23:59:59");
  EXPECT_EQ(Moment("2004/02/29", "12:00:00"), "2004-02-29T12:00:00");
  // Damaged dates and times are missing, never guessed.
  EXPECT_EQ(Moment("2005/02/29", "12:00:00"), "");
  EXPECT_EQ(Moment("2006-13-01", "00:00:00"), "");
  EXPECT_EQ(Moment("2006-12-00", "00:00:00"), "");
  EXPECT_EQ(Moment("2006-12-01", "24:00:00"), "");
  EXPECT_EQ(Moment("2006-12-01", "12:60:00"), "");
  EXPECT_EQ(Moment("20//", "::"), "");
  EXPECT_EQ(Moment("2006-1 -01", "00:00:00"), "");
  EXPECT_EQ(Moment("2006-01/01", "00:00:00"), "");
  EXPECT_EQ(Moment("2006-01-01", "0A:00:00"), "");
}

// Writes `rows` in `format` the way a run does (a header, then rows made in
// a LineBatch's room) and returns the file's bytes.
std::string WriteTable(platform::TableFormat format, const std::vector<platform::Column>& columns,
                       const std::vector<std::array<std::string_view, 5>>& rows,
                       const fs::path& path) {
  platform::TableWriter table(format, columns);
  platform::TextWriter writer;
  EXPECT_TRUE(writer.Open(path));
  EXPECT_TRUE(table.WriteHeader(writer));
  platform::LineBatch batch;
  for (const auto& row : rows) {
    char* at = batch.Room(writer, table.RowRoom(row.data()));
    EXPECT_NE(at, nullptr);
    batch.Add(table.PutRow(at, row.data()));
  }
  EXPECT_TRUE(batch.Commit());
  EXPECT_TRUE(writer.Close());
  return Slurp(path);
}

// Python's own csv and json modules read both files back; what they read is
// printed as ASCII-only JSON to compare.
std::string ReadBack(const fs::path& csv, const fs::path& jsonl, const fs::path& out) {
  const fs::path script = out.parent_path() / "read_back.py";
  std::ofstream(script) << "import csv, json, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                           "    rows = list(csv.reader(f, strict=True))\n"
                           "with open(sys.argv[2], encoding='utf-8') as f:\n"
                           "    objects = [json.loads(line) for line in f]\n"
                           "with open(sys.argv[3], 'w') as f:\n"
                           "    json.dump({'csv': rows, 'jsonl': objects}, f)\n";
  const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + csv.string() +
                              "' '" + jsonl.string() + "' '" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Slurp(out);
}

// A file name from the system is UTF-8 already: read as Latin-1 record
// bytes it would come out encoded twice ("cafÃ©").
TEST(TableWriter, FileNamesStayUtf8) {
  std::vector<platform::Column> columns;
  platform::AddCallKeyColumns(&columns);
  const std::string_view cells[] = {"", "/data/caf\xC3\xA9, \xD0\x96.dat", "7"};
  for (const auto format : {platform::TableFormat::kCsv, platform::TableFormat::kJsonl}) {
    const platform::TableWriter table(format, columns);
    std::string row(table.RowRoom(cells), '\0');
    row.resize(static_cast<std::size_t>(table.PutRow(row.data(), cells) - row.data()));
    EXPECT_EQ(row, format == platform::TableFormat::kCsv
                       ? ",\"/data/caf\xC3\xA9, \xD0\x96.dat\",7\r\n"
                       : "{\"call_start\":null,\"source_file\":\"/data/caf\xC3\xA9, "
                         "\xD0\x96.dat\",\"record_no\":7}\n");
    // Fixed once a file, the name comes out the same.
    platform::TableWriter fixed(format, columns);
    fixed.FixCell(1, cells[1]);
    const std::string_view others[] = {"", "ignored", "7"};
    std::string fixed_row(fixed.RowRoom(others), '\0');
    fixed_row.resize(
        static_cast<std::size_t>(fixed.PutRow(fixed_row.data(), others) - fixed_row.data()));
    EXPECT_EQ(fixed_row, row);
  }
}

// Cells are looked at eight bytes at a time, in overlapping words: a byte
// that needs quoting or escaping is found at every place of every length.
TEST(TableWriter, SpecialBytesFoundAnywhereInACell) {
  const std::vector<platform::Column> columns = {{"A", "a", platform::ColumnType::kText}};
  const platform::TableWriter csv(platform::TableFormat::kCsv, columns);
  const platform::TableWriter jsonl(platform::TableFormat::kJsonl, columns);
  const auto row = [](const platform::TableWriter& table, std::string_view cell) {
    std::string text(table.RowRoom(&cell), '\0');
    text.resize(static_cast<std::size_t>(table.PutRow(text.data(), &cell) - text.data()));
    return text;
  };
  for (std::size_t size = 1; size <= 24; ++size) {
    for (std::size_t at = 0; at < size; ++at) {
      for (const char special : {',', '"', '\r', '\n', '\\', '\x01', '\x80'}) {
        std::string text(size, 'x');
        text[at] = special;
        const std::string_view quoted = ",\"\r\n\x80";
        const std::string_view escaped = "\"\\\r\n\x01\x80";
        EXPECT_EQ(row(csv, text) != text + "\r\n", quoted.find(special) != quoted.npos)
            << size << " " << at << " " << int{special};
        EXPECT_EQ(row(jsonl, text) != "{\"a\":\"" + text + "\"}\n",
                  escaped.find(special) != escaped.npos)
            << size << " " << at << " " << int{special};
      }
    }
  }
}

TEST(TableWriter, ToolsReadBackEveryCellAsWritten) {
#if defined(_WIN32)
  GTEST_SKIP() << "reads back with the system's python3";
#endif
  const fs::path dir = fs::temp_directory_path() / "platform_table_writer";
  fs::remove_all(dir);
  fs::create_directories(dir);
  using platform::ColumnType;
  const std::vector<platform::Column> columns = {
      {"Serial Number", "", ColumnType::kInteger}, {"Calling ID", "", ColumnType::kText},
      {"O/G Tgp", "", ColumnType::kText},          {"call_start", "", ColumnType::kMoment},
      {"Duration", "", ColumnType::kInteger},
  };
  // Plain values; every character that needs quoting or escaping; Latin-1
  // bytes of a damaged record; missing values; a number field holding no
  // number.
  const std::vector<std::array<std::string_view, 5>> rows = {
      {"1", "0123456789", "ROUT01", "2006-01-01T00:00:00", "0042"},
      {"2", "a,b \"q\"", "x\r\ny\\z", "", ""},
      {"3", "\xE9\xFF", std::string_view("\x01\t\x00", 3), "", "000"},
      {"4", "", " lead", "", "12A"},
  };
  const std::string csv = WriteTable(platform::TableFormat::kCsv, columns, rows, dir / "t.csv");
  const std::string jsonl =
      WriteTable(platform::TableFormat::kJsonl, columns, rows, dir / "t.jsonl");

  // The bytes that matter to other tools: CR LF, quotes only where needed,
  // numbers unpadded.
  EXPECT_EQ(csv.substr(0, csv.find('\n', 60) + 1),
            "Serial Number,Calling ID,O/G Tgp,call_start,Duration\r\n"
            "1,0123456789,ROUT01,2006-01-01T00:00:00,42\r\n");
  EXPECT_EQ(jsonl.substr(0, jsonl.find('\n') + 1),
            "{\"serial_number\":1,\"calling_id\":\"0123456789\",\"o_g_tgp\":\"ROUT01\","
            "\"call_start\":\"2006-01-01T00:00:00\",\"duration\":42}\n");

  EXPECT_EQ(ReadBack(dir / "t.csv", dir / "t.jsonl", dir / "read.json"),
            "{\"csv\": ["
            "[\"Serial Number\", \"Calling ID\", \"O/G Tgp\", \"call_start\", \"Duration\"], "
            "[\"1\", \"0123456789\", \"ROUT01\", \"2006-01-01T00:00:00\", \"42\"], "
            "[\"2\", \"a,b \\\"q\\\"\", \"x\\r\\ny\\\\z\", \"\", \"\"], "
            "[\"3\", \"\\u00e9\\u00ff\", \"\\u0001\\t\\u0000\", \"\", \"0\"], "
            "[\"4\", \"\", \" lead\", \"\", \"12A\"]], "
            "\"jsonl\": ["
            "{\"serial_number\": 1, \"calling_id\": \"0123456789\", \"o_g_tgp\": \"ROUT01\", "
            "\"call_start\": \"2006-01-01T00:00:00\", \"duration\": 42}, "
            "{\"serial_number\": 2, \"calling_id\": \"a,b \\\"q\\\"\", "
            "\"o_g_tgp\": \"x\\r\\ny\\\\z\", \"call_start\": null, \"duration\": null}, "
            "{\"serial_number\": 3, \"calling_id\": \"\\u00e9\\u00ff\", "
            "\"o_g_tgp\": \"\\u0001\\t\\u0000\", \"call_start\": null, \"duration\": 0}, "
            "{\"serial_number\": 4, \"calling_id\": \"\", \"o_g_tgp\": \" lead\", "
            "\"call_start\": null, \"duration\": \"12A\"}]}");
  fs::remove_all(dir);
}

}  // namespace

// The ready-made row end gives what the general row writer gives for the
// same call, whatever came before it: dates that change, go bad and come
// back, times out of range, numbers that gain a digit or jump.
TEST(TableWriter, CsvCallEndIsTheRowWritersEnd) {
  std::vector<platform::Column> columns;
  platform::AddCallKeyColumns(&columns);
  struct Call {
    std::string_view date, time;
    std::uint64_t record_no;
  };
  const Call calls[] = {
      {"2006-01-01", "00:00:00", 1},   {"2006-01-01", "23:59:59", 2},
      {"2006-01-01", "24:00:00", 3},   {"2006/01/02", "12:60:00", 9},
      {"2006/01/02", "12:00:00", 10},  {"", "12:00:00", 11},
      {"2006/01/02", "12:00:01", 12},  {"2005/02/29", "12:00:00", 99},
      {"2006/01/02", "0A:00:00", 100}, {"2006-1 -01", "00:00:00", 7},
      {"2006/01/02", "12:00", 8},      {"2006/01/02", "01:02:03", 12345678901},
  };
  for (const std::string_view file : {"a.dat", "/data/caf\xC3\xA9, \"x\".dat"}) {
    platform::TableWriter table(platform::TableFormat::kCsv, columns);
    platform::CsvCallEnd end;
    end.SetFile(file);
    for (const Call& call : calls) {
      char moment[platform::kIsoMomentLength];
      const char* moment_end = platform::PutIsoMoment(moment, call.date, call.time);
      const std::string number = std::to_string(call.record_no);
      const std::string_view cells[] = {
          {moment, static_cast<std::size_t>(moment_end - moment)}, file, number};
      std::string expected(table.RowRoom(cells), '\0');
      expected.resize(
          static_cast<std::size_t>(table.PutRow(expected.data(), cells) - expected.data()));
      std::string row(1 + end.Room(), '\0');
      row[0] = 'x';  // stands for the program's cells
      row.resize(static_cast<std::size_t>(
          end.Put(row.data() + 1, call.date, call.time, call.record_no) - row.data()));
      EXPECT_EQ(row, "x," + expected) << file << " " << call.date << " " << call.time;
    }
  }
}

// The sixteen-byte look at a comma line sees every special byte and counts
// every comma, at every place and length, bytes past the end not counted.
TEST(TableWriter, PlainCsvLinesFoundAtEveryLength) {
  for (std::size_t size = 0; size <= 40; ++size) {
    for (std::size_t at = 0; at < size; ++at) {
      for (const char c : {',', '"', '\r', '\n', '\x80', '\xFF', 'x'}) {
        std::string text(size, '7');
        text[at] = c;
        text.append(16, ',');  // read past the end, never counted
        const bool plain = c == ',' || c == 'x';
        const unsigned commas = c == ',' ? 1 : 0;
        EXPECT_EQ(platform::IsPlainCsv(text.data(), size, commas), plain)
            << size << " " << at << " " << int{c};
        EXPECT_FALSE(platform::IsPlainCsv(text.data(), size, commas + 1));
        EXPECT_EQ(platform::IsPlainCsvText(text.data(), size, commas), plain);
      }
    }
  }
}
