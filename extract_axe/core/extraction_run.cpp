#include "extraction_run.h"

#include <algorithm>
#include <filesystem>

#include "platform/text_writer.h"

namespace pardel {

std::string CompletionText(std::uint64_t lines, int files) {
  return std::to_string(lines) + " Records Written from " + std::to_string(files) + " Files";
}

void ExtractionRun::ShowError(const std::string& text) {
  host_.ShowMessage({text, "", Icon::kError, Buttons::kOk});
}

RunResult ExtractionRun::Run(const RunRequest& request) {
  result_ = {};
  layout_ = {};
  bool sample = request.sample;
  const int n = static_cast<int>(request.files.size());
  if (n == 0) {
    ShowError("Please Select input Files in the List Box");
    result_.outcome = RunOutcome::kNoFiles;
    return result_;
  }
  // Creating the output empties it: never let that be one of the inputs.
  for (const auto& path : request.files) {
    std::error_code same_error;
    if (std::filesystem::equivalent(request.output, path, same_error)) {
      ShowError("Cannot create the output file " + request.output.string() +
                ": it is one of the input files");
      result_.outcome = RunOutcome::kFailed;
      return result_;
    }
  }
  platform::TextWriter out;
  if (!out.Open(request.output)) {
    ShowError("Cannot create the output file " + out.Error());
    result_.outcome = RunOutcome::kFailed;
    return result_;
  }
  platform::BinaryReader file;
  for (const auto& path : request.files) {
    std::string reason;
    if (!file.Open(path, &reason)) {
      out.Close();
      ShowError("Cannot open the input file " + path.string() + ": " + reason);
      result_.outcome = RunOutcome::kFailed;
      return result_;
    }
    file.MapFile();  // blocks straight from the file cache, not copied
    ++result_.files_opened;
    host_.SetStatus(std::to_string(result_.files_opened) + "/" + std::to_string(n),
                    "Processing " + path.filename().string());
    if (!IsAxeFile(file)) {
      file.Close();
      const Answer answer = host_.ShowMessage(
          {"The Input File Selected is not AXE Data File. Do you want to continue with other Files?",
           "", Icon::kQuestion, Buttons::kYesNo});
      if (answer == Answer::kYes) {
        ++result_.files_skipped;
        continue;
      }
      out.Close();
      result_.outcome = RunOutcome::kStopped;
      return result_;
    }
    host_.SetProgress(0);
    const FileEnd end = DecodeFile(file, out, sample);
    // A file that shrank or a disk that failed under the run reads as zeros:
    // the lines so far are kept, but the run must not be taken for complete.
    const bool read_failed = file.ReadFailed();
    file.Close();
    if (read_failed && end != FileEnd::kWriteFailed) {
      const bool written = out.Close();
      host_.SetStatus("", "");
      host_.SetProgress(0);
      ShowError(written ? "Cannot read the input file " + path.string() +
                              ": the file could not be read to its end"
                        : "Cannot write the output file " + out.Error());
      result_.outcome = RunOutcome::kFailed;
      return result_;
    }
    if (end == FileEnd::kWriteFailed) {
      out.Abandon();
      host_.SetStatus("", "");
      host_.SetProgress(0);
      ShowError("Cannot write the output file " + out.Error());
      result_.outcome = RunOutcome::kFailed;
      return result_;
    }
    if (end == FileEnd::kSampleFull) {
      const bool written = out.Close();
      host_.SetStatus("", "");
      host_.SetProgress(0);
      if (!written) {
        ShowError("Cannot write the output file " + out.Error());
        result_.outcome = RunOutcome::kFailed;
        return result_;
      }
      host_.OpenInTextViewer(request.output);
      result_.outcome = RunOutcome::kSampleShown;
      return result_;
    }
  }
  if (!out.Close()) {
    host_.SetStatus("", "");
    host_.SetProgress(0);
    ShowError("Cannot write the output file " + out.Error());
    result_.outcome = RunOutcome::kFailed;
    return result_;
  }
  host_.ShowMessage({CompletionText(result_.lines_written, result_.files_opened), "",
                     Icon::kInformation, Buttons::kOk});
  host_.SetStatus("", "");
  host_.SetProgress(0);
  return result_;
}

bool ExtractionRun::WriteLine(std::string_view record, platform::TextWriter& out) {
  // The line goes straight into the writer's buffer; only unusual records
  // take the general way through a string.
  char* room = out.Reserve(kWholeLineRoom);
  if (char* end = FormatWholeRecord(record, layout_, room)) {
    return out.Commit(static_cast<std::size_t>(end - room));
  }
  line_.clear();
  FormatRecord(record, layout_, line_);
  return out.WriteLine(line_);
}

ExtractionRun::FileEnd ExtractionRun::DecodeFile(platform::BinaryReader& file,
                                                 platform::TextWriter& out, bool& sample) {
  // Files under 100 bytes have no progress step and show no progress.
  const std::uint64_t step = file.Length() / 100;
  int progress = 0;
  AxeBlock copy;
  for (std::uint64_t offset = 0; offset < file.Length(); offset += kBlockSize) {
    bool past_end = false;
    const BlockBytes block = ViewBlock(file, offset, copy, past_end);
    std::size_t start = 0;
    for (;;) {
      const AxeRecord record = NextRecord(block, start);
      if (record.length == 0) break;
      if (!WriteLine(record.text, out)) return FileEnd::kWriteFailed;
      ++result_.lines_written;
      if (sample && result_.lines_written >= kSampleLines) {
        sample = false;
        return FileEnd::kSampleFull;
      }
      start += record.length;
    }
    if (step > 0 && progress < 100) {
      progress = static_cast<int>(std::min<std::uint64_t>(100, (offset + kBlockSize + 1) / step));
      host_.SetProgress(progress);
    }
    if (past_end) break;
  }
  host_.SetProgress(100);
  return FileEnd::kDone;
}

}  // namespace pardel
