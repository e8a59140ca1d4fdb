#include "engine/file_list.h"

#include <algorithm>

#include "engine/data_file.h"
#include "engine/identify.h"
#include "platform/numbers.h"
#include "platform/open_file.h"

namespace lomtra {

std::string SizeText(std::uint64_t bytes) {
  return std::to_string(platform::RoundHalfEvenToInt(static_cast<double>(bytes) / 1024.0)) + " KB";
}

std::string DialogNumberText(std::size_t position) {
  const std::string padded = "      " + std::to_string(position);
  return padded.substr(padded.size() - 7);
}

std::string DialogSizeText(std::uint64_t bytes) {
  return std::to_string(platform::RoundHalfEvenToInt(static_cast<double>(bytes) / 1024.0 + 0.5)) +
         " KB";
}

std::string JoinFolderPath(const std::string& folder, const std::string& name, char separator) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + separator + name;
}

void RenumberRows(std::vector<DataFileEntry>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].no = std::to_string(i + 1);
}

bool AddDataFile(std::vector<DataFileEntry>& rows, const std::string& path, std::string* error) {
  const SwitchType type = IdentifySwitch(platform::PathOf(path), error);
  if (type == SwitchType::kNotReadable) return false;
  DataFileEntry row;
  row.binary_file = path;
  row.switch_name = SwitchName(type);
  row.image = static_cast<int>(type);
  row.size = SizeText(FileLength(platform::PathOf(path)).value_or(0));
  row.records = "0";
  row.state = RowState::kToBeAnalysed;
  rows.push_back(row);
  RenumberRows(rows);
  return true;
}

AddFilesOutcome AddFiles(std::vector<DataFileEntry>& rows, const std::vector<std::string>& paths,
                         Host& host) {
  AddFilesOutcome outcome;
  std::string duplicates;
  for (const std::string& path : paths) {
    const bool listed = std::any_of(rows.begin(), rows.end(), [&](const DataFileEntry& row) {
      return row.binary_file == path;
    });
    if (listed) {
      duplicates += "\r\n" + path;
      outcome.duplicates.push_back(path);
      continue;
    }
    std::string error;
    if (AddDataFile(rows, path, &error)) {
      ++outcome.added;
    } else {
      outcome.unreadable.push_back(path + ": " + error);
    }
  }
  if (!duplicates.empty()) {
    host.ShowMessage({"The Following files Already Exists \r\n" + duplicates, kProgramTitle,
                      MessageIcon::kInformation, MessageButtons::kOk});
  }
  host.ResetSB();
  return outcome;
}

}  // namespace lomtra
