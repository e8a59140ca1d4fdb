// The EWSD extractor's decoder walk over any bytes: every record found is
// decoded; the walk ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "vantor/ewsd_decoder.h"

namespace {

class SilentHost : public vantor::Host {
 public:
  vantor::MessageAnswer ShowMessage(const vantor::Message& message) override {
    return message.buttons == vantor::MessageButtons::kOk ? vantor::MessageAnswer::kOk
                                                          : vantor::MessageAnswer::kYes;
  }
  void SetStatusText(const std::string&) override {}
  void SetProgress(int) override {}
  void SetAnalysisProgress(int) override {}
  void SetAnalysisLabels(const vantor::AnalysisLabels&) override {}
  void PumpEvents() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::InputFile file(data, size);
  SilentHost host;
  vantor::EwsdDecoder decoder(host);
  if (!decoder.BeginFile(file.Text(), vantor::PassKind::kSeveralFiles, nullptr)) __builtin_trap();
  std::int64_t previous = -1;
  for (;;) {
    decoder.FindNextRecord();
    if (!decoder.Go()) break;
    decoder.CountRecord();
    decoder.ReadRecordHeader();
    decoder.DecodePackages();
    if (!decoder.Go()) break;
    if (decoder.RecordReachedEnd()) break;
    // Each record moves the walk forward, or it would never end.
    if (decoder.FileOffset() <= previous) __builtin_trap();
    previous = decoder.FileOffset();
  }
  decoder.Close();
  return 0;
}
