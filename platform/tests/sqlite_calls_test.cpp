#include "platform/sqlite_calls.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using platform::ColumnType;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path TempFolder(const std::string& name) {
  auto dir = fs::temp_directory_path() / ("platform_sqlite_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

platform::CallTableShape Shape() {
  return {"ewsd_calls",
          {{"Serial Number", "serial_number", ColumnType::kInteger},
           {"Calling ID", "calling_id", ColumnType::kText},
           {"3rd Party Digit", "3rd_party_digit", ColumnType::kText},
           {"Duration", "duration", ColumnType::kInteger}},
          {"calling_id"}};
}

platform::InputFile Input(const std::string& path) {
  return {path, 1234, "2006-01-02T03:04:05", "EWSD", "vantor"};
}

// What Python's own sqlite3 module reads from the database.
std::string ReadBack(const fs::path& db) {
  const fs::path script = db.parent_path() / "read_back.py";
  const fs::path out = db.parent_path() / "read.txt";
  std::ofstream(script)
      << "import sqlite3, sys\n"
         "c = sqlite3.connect(sys.argv[1])\n"
         "with open(sys.argv[2], 'w', encoding='ascii', errors='backslashreplace') as f:\n"
         "    print(c.execute('PRAGMA journal_mode').fetchone()[0], file=f)\n"
         "    for r in c.execute('SELECT path, exchange_type, program, records, first_call,"
         " last_call FROM files ORDER BY id'): print(r, file=f)\n"
         "    for r in c.execute('SELECT * FROM ewsd_calls ORDER BY file_id, record_no'):"
         " print(r, file=f)\n";
  const std::string command =
      "/usr/bin/python3 '" + script.string() + "' '" + db.string() + "' '" + out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Slurp(out);
}

bool AddCall(platform::SqliteCalls& db, std::int64_t record_no, std::string_view start,
             std::string_view serial, std::string_view calling, std::string_view third,
             std::string_view duration) {
  const std::string_view cells[] = {serial, calling, third, duration};
  return db.AddCall(record_no, start, cells);
}

TEST(SqliteCalls, LoadingAFileAgainReplacesItsCallsAndAStoppedFileLeavesNone) {
  const fs::path db_path = TempFolder("load") / "calls.db";
  platform::SqliteCalls db;
  ASSERT_TRUE(db.Open(db_path, Shape())) << db.Error();
  ASSERT_TRUE(db.BeginFile(Input("/data/A")));
  EXPECT_TRUE(AddCall(db, 1, "2006-01-01T00:00:01", "1", "0123", "\xE9", "007"));
  EXPECT_TRUE(AddCall(db, 3, "", "2", "", "", ""));
  ASSERT_TRUE(db.CommitFile()) << db.Error();
  // The same file again, now with one call: the two rows before are gone.
  ASSERT_TRUE(db.BeginFile(Input("/data/A")));
  EXPECT_TRUE(AddCall(db, 1, "2006-01-01T00:00:09", "1", "0456", "", "12A"));
  ASSERT_TRUE(db.CommitFile());
  // A file stopped halfway: no row, no files entry.
  ASSERT_TRUE(db.BeginFile(Input("/data/B")));
  EXPECT_TRUE(AddCall(db, 1, "2006-01-01T00:00:02", "2", "9", "", "1"));
  db.RollbackFile();
  // Reloading a file that is then stopped keeps its earlier load.
  ASSERT_TRUE(db.BeginFile(Input("/data/A")));
  db.RollbackFile();
  EXPECT_EQ(db.FilesCommitted(), 2);
  EXPECT_TRUE(db.Close());

  EXPECT_EQ(ReadBack(db_path),
            "wal\n"
            "('/data/A', 'EWSD', 'vantor', 1, '2006-01-01T00:00:09', '2006-01-01T00:00:09')\n"
            "(1, 1, '2006-01-01T00:00:09', 1, '0456', '', '12A')\n");

  // Latin-1 record bytes are kept as text, numbers as numbers, missing
  // values as NULL.
  platform::SqliteCalls again;
  ASSERT_TRUE(again.Open(db_path, Shape())) << again.Error();
  ASSERT_TRUE(again.BeginFile(Input("/data/C")));
  EXPECT_TRUE(AddCall(again, 1, "", "", "0123", "\xE9", "007"));
  ASSERT_TRUE(again.CommitFile());
  EXPECT_TRUE(again.Close());
  const std::string read = ReadBack(db_path);
  EXPECT_NE(read.find("(2, 1, None, None, '0123', '\\xe9', 7)\n"), std::string::npos) << read;
}

TEST(SqliteCalls, RefusesADatabaseItCannotUseAndLeavesItAsItWas) {
  const fs::path dir = TempFolder("refuse");
  auto refused = [&](const fs::path& path, const std::string& reason) {
    const std::string before = Slurp(path);
    platform::SqliteCalls db;
    EXPECT_FALSE(db.Open(path, Shape())) << path;
    EXPECT_EQ(db.Error(), path.string() + ": " + reason);
    db.Close();
    EXPECT_EQ(Slurp(path), before) << path;
  };

  const fs::path text = dir / "notes.txt";
  std::ofstream(text) << "2006-01-01,00:00:01,0123\r\n";
  refused(text, "not a SQLite database");

  const fs::path damaged = dir / "damaged.db";
  std::ofstream(damaged, std::ios::binary)
      << std::string("SQLite format 3\0", 16) << std::string(4080, '\x5A');
  {
    platform::SqliteCalls db;
    EXPECT_FALSE(db.Open(damaged, Shape()));
    EXPECT_EQ(db.Error().rfind(damaged.string() + ": ", 0), 0u) << db.Error();
  }

  // Another program's table of the same name.
  const fs::path foreign = dir / "foreign.db";
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(foreign.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE ewsd_calls (id INTEGER, number TEXT)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  refused(foreign, "the table ewsd_calls has other columns than this program writes");

  // A database of ours that another program is writing.
  const fs::path busy = dir / "busy.db";
  {
    platform::SqliteCalls db;
    ASSERT_TRUE(db.Open(busy, Shape()));
    ASSERT_TRUE(db.BeginFile(Input("/data/A")));
    ASSERT_TRUE(db.CommitFile());
  }
  ASSERT_EQ(sqlite3_open(busy.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  refused(busy, "database is locked");
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  // A database this run made and put nothing into goes again.
  const fs::path fresh = dir / "fresh.db";
  {
    platform::SqliteCalls db;
    ASSERT_TRUE(db.Open(fresh, Shape()));
    ASSERT_TRUE(db.BeginFile(Input("/data/A")));
    db.RollbackFile();
  }
  EXPECT_FALSE(fs::exists(fresh));
  fs::remove_all(dir);
}

}  // namespace
