#pragma once
// Adding files to the analyser's list: identification, the new row's texts,
// duplicates and the row numbers.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data_file_entry.h"
#include "engine/host.h"

namespace lomtra {

// File length in KiB rounded half to even, + " KB" (1536 bytes -> "2 KB").
std::string SizeText(std::uint64_t bytes);

// Writes 1..N into the No column.
void RenumberRows(std::vector<DataFileEntry>& rows);

// Appends a row for the file unless it cannot be read (then returns false
// with the reason in *error). Renumbers the rows.
bool AddDataFile(std::vector<DataFileEntry>& rows, const std::string& path,
                 std::string* error = nullptr);

struct AddFilesOutcome {
  std::size_t added = 0;
  std::vector<std::string> duplicates;
  std::vector<std::string> unreadable;  // "path: reason"
};

// Adds every path not in the list yet (exact, case-sensitive comparison)
// and lists the others in the "Already Exists" message; then clears the
// status bar.
// The add-files dialog's texts: the position in a field of seven characters
// ("      1"), and the size with 0.5 KB added before rounding (1 byte -> "1 KB").
std::string DialogNumberText(std::size_t position);
std::string DialogSizeText(std::uint64_t bytes);
// folder + separator + name, without doubling a separator the folder ends in
// (a root folder such as "C:\\" or "/"). Both separators count.
std::string JoinFolderPath(const std::string& folder, const std::string& name, char separator);

AddFilesOutcome AddFiles(std::vector<DataFileEntry>& rows, const std::vector<std::string>& paths,
                         Host& host);

}  // namespace lomtra
