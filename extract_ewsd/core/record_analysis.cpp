#include "vantor/record_analysis.h"

#include "platform/numbers.h"
#include "vantor/ewsd_decoder.h"

namespace vantor {

namespace {

struct RecordTexts {
  std::string date, time, calling, called;
};

RecordTexts TakeTexts(const Slots& slots) {
  using namespace formats::ewsd;
  return {slots[kDateSlot].Text(), slots[kTimeSlot].Text(), slots[kCallingSlot].Text(),
          slots[kCalledSlot].Text()};
}

std::string Part(const std::string& text, std::size_t from, std::size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

AnalysisResult Emptied(Host& host, AnalysisStatus status) {
  AnalysisResult result;
  result.status = status;
  host.SetAnalysisProgress(0);
  host.SetAnalysisLabels(result.labels);
  return result;
}

bool DecodeCurrent(EwsdDecoder& decoder) {
  decoder.ReadRecordHeader();
  decoder.DecodePackages();
  return decoder.Go();
}

}  // namespace

std::string DayFirstDate(const std::string& date) {
  const std::string last_two = date.size() >= 2 ? date.substr(date.size() - 2) : date;
  return last_two + "-" + Part(date, 5, 2) + "-" + Part(date, 0, 4);
}

std::string MegabyteText(std::int64_t bytes) {
  return platform::ShortestDecimal(static_cast<double>(bytes) / 1048576.0, 2) + " MB";
}

namespace {

AnalysisResult Analyse(Host& host, const std::string& path);

}  // namespace

AnalysisResult AnalyseFile(Host& host, const std::string& path) {
  if (path.empty()) {
    host.ShowMessage({"Please Enter A Valid Input File Name", "ERROR", MessageIcon::kError,
                      MessageButtons::kOk});
    return {AnalysisStatus::kMissingPath, {}};
  }
  host.SetMessageFile(path);
  AnalysisResult result = Analyse(host, path);
  host.SetMessageFile("");
  return result;
}

namespace {

AnalysisResult Unreadable(Host& host, const std::string& path, const std::string& reason) {
  host.SetMessageFile(path, reason);
  host.ShowMessage({"Invalid Data File", "ERROR", MessageIcon::kError, MessageButtons::kOk});
  return Emptied(host, AnalysisStatus::kUnreadable);
}

AnalysisResult Analyse(Host& host, const std::string& path) {
  EwsdDecoder decoder(host);
  std::string reason;
  if (!decoder.BeginFile(path, PassKind::kSingle, &reason)) return Unreadable(host, path, reason);
  const std::int64_t step = decoder.FileLength() / 300;
  AnalysisLabels waiting;
  waiting.fill("           Wait ! ");
  host.SetAnalysisLabels(waiting);

  RecordTexts first;
  std::int64_t last_progress = 0;
  for (;;) {
    decoder.FindNextRecord();
    if (!decoder.Go()) break;
    if (decoder.RecordsFound() == 0) {
      if (!DecodeCurrent(decoder)) return Emptied(host, AnalysisStatus::kInvalidData);
      first = TakeTexts(decoder.Slot());
    }
    decoder.CountRecord();
    if (step > 0) {
      const std::int64_t value = (decoder.FileOffset() + 1) / step;
      if (value > last_progress && value <= 300) {
        host.SetAnalysisProgress(static_cast<int>(value));
        last_progress = value;
      }
    }
    host.PumpEvents();  // the window keeps drawing (it takes no input meanwhile)
    if (decoder.RecordReachedEnd()) break;
  }
  host.SetAnalysisProgress(0);
  // A zero-length record or block met while scanning is an invalid file too.
  if (decoder.Condition() != DecoderCondition::kNone)
    return Emptied(host, AnalysisStatus::kInvalidData);

  RecordTexts last;
  if (decoder.RecordsFound() > 0) {
    // The scan may have ended on trailing filler, which clears the go flag;
    // the last record found is still whole in the buffer.
    decoder.SetGo(true);
    if (!DecodeCurrent(decoder)) return Emptied(host, AnalysisStatus::kInvalidData);
    last = TakeTexts(decoder.Slot());
  }
  if (decoder.ReadFailed()) return Unreadable(host, path, "the file could not be read to its end");

  AnalysisResult result;
  result.status = AnalysisStatus::kDone;
  const std::string values[10] = {DayFirstDate(first.date),
                                  first.time,
                                  first.calling,
                                  first.called,
                                  DayFirstDate(last.date),
                                  last.time,
                                  last.calling,
                                  last.called,
                                  std::to_string(decoder.RecordsFound()),
                                  MegabyteText(decoder.FileLength())};
  for (std::size_t i = 0; i < 10; ++i) result.labels[i] = "   " + values[i];
  host.SetAnalysisLabels(result.labels);
  host.SetAnalysisProgress(0);
  decoder.Close();
  return result;
}

}  // namespace

}  // namespace vantor
