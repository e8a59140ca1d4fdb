// A large file scanned in stretches on several workers gives what the scan
// from start to end gives: result, messages and the memory carried to the
// next file, for samples and for damaged files.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/byte_stream.h"
#include "cdrgen/cdot_builder.h"
#include "engine/detectors.h"
#include "engine/stretches.h"
#include "test_support.h"

namespace lomtra {
namespace {

using Detector = DetectorResult (*)(const std::filesystem::path&, AnalyserContext&);
using testing::Rig;
using testing::TempFolder;

// All that one scan shows or leaves behind.
struct Seen {
  std::string result;
  std::string state;
  std::vector<std::string> messages;
  std::string memory;

  bool operator==(const Seen&) const = default;
};

std::string MemoryText(const EwsdMemory& m) {
  return m.slot_values.date + "|" + m.slot_values.time + "|" + m.slot_values.calling + "|" +
         m.slot_values.called + "|" + std::to_string(m.length) + "|" +
         std::string(m.record.begin(), m.record.end());
}

// The file analysed twice in a row with the same state, so that what the
// first scan leaves is what the second starts from.
Seen Scan(Detector detector, const std::string& path, const StretchOptions& options) {
  ScopedStretchOptions scoped(options);
  Rig rig;
  auto context = rig.Context();
  Seen seen;
  for (int round = 0; round < 2; ++round) {
    const DetectorResult result = detector(path, context);
    seen.result += testing::ResultText(result) + ";";
    seen.state += std::to_string(static_cast<int>(result.state));
  }
  for (const Message& m : rig.host.messages) seen.messages.push_back(m.text);
  seen.memory = MemoryText(rig.state.ewsd);
  return seen;
}

// Whole, then cut at small and odd thresholds on two and three workers.
void ExpectSameInStretches(Detector detector, const std::string& path,
                           const std::vector<std::uint64_t>& thresholds = {4096, 1000, 333}) {
  const Seen whole = Scan(detector, path, {1, StretchOptions{}.threshold});
  for (unsigned workers : {2u, 3u}) {
    for (std::uint64_t threshold : thresholds) {
      EXPECT_EQ(Scan(detector, path, {workers, threshold}), whole)
          << path << " on " << workers << " workers, cut past " << threshold;
    }
  }
}

cdrgen::Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return cdrgen::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Stored fuzz inputs of a detector, then copies cut short and with bytes
// changed, as the fuzz replay damages them.
void ExpectSameOnCorpus(Detector detector, const std::string& corpus) {
  TempFolder folder;
  std::mt19937 random(18);
  int n = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(LOMTRA_FUZZ_CORPUS) / corpus)) {
    const cdrgen::Bytes bytes = ReadBytes(entry.path());
    std::vector<cdrgen::Bytes> copies{bytes};
    for (std::size_t cut : {bytes.size() / 2 + 1, bytes.size() * 3 / 4 + 7}) {
      if (cut < bytes.size()) copies.emplace_back(bytes.begin(), bytes.begin() + cut);
    }
    for (int k = 0; k < 8 && !bytes.empty(); ++k) {
      cdrgen::Bytes changed = bytes;
      for (int j = 0; j < 3; ++j) {
        const std::size_t at = random() % changed.size();
        changed[at] = static_cast<std::uint8_t>(changed[at] ^ (1u + random() % 255u));
      }
      copies.push_back(changed);
    }
    for (const cdrgen::Bytes& copy : copies) {
      // C-DOT files take their date from the name.
      ExpectSameInStretches(detector, folder.Write("TG150606." + std::to_string(++n), copy));
    }
  }
}

TEST(ParallelDetectors, EwsdSamplesAndDamagedFiles) {
  TempFolder folder;
  ExpectSameInStretches(AnalyseEwsd, folder.Write("a.ama", cdrgen::EwsdAnalyserSample(900, 1)));
  ExpectSameInStretches(AnalyseEwsd, folder.Write("b.ama", cdrgen::EwsdAnalyserSample(700, 2)));
  ExpectSameOnCorpus(AnalyseEwsd, "detect_ewsd");
}

TEST(ParallelDetectors, AxeSamplesAndDamagedFiles) {
  TempFolder folder;
  ExpectSameInStretches(AnalyseAxe, folder.Write("a.axe", cdrgen::AxeSampleFile(40, 1)));
  cdrgen::Bytes short_end = cdrgen::AxeSampleFile(23, 2);
  short_end.resize(short_end.size() - 700);
  ExpectSameInStretches(AnalyseAxe, folder.Write("b.axe", short_end));
  ExpectSameOnCorpus(AnalyseAxe, "detect_axe");
}

TEST(ParallelDetectors, FiveEssSamplesAndDamagedFiles) {
  TempFolder folder;
  ExpectSameInStretches(Analyse5ess, folder.Write("a.5ess", cdrgen::FiveEssSampleFile(500, 1)));
  for (const std::string separator : {"\n", "\n\n\n"}) {
    cdrgen::ByteStream stream;
    cdrgen::FiveEssSampleStream(stream, 450, 2, separator);
    ExpectSameInStretches(Analyse5ess, folder.Write("b.5ess", stream.Take()));
  }
  ExpectSameOnCorpus(Analyse5ess, "detect_5ess");
}

TEST(ParallelDetectors, E10bSamplesAndDamagedFiles) {
  TempFolder folder;
  ExpectSameInStretches(AnalyseE10b, folder.Write("a.e10b", cdrgen::E10bSampleFile(30, 1)));
  ExpectSameOnCorpus(AnalyseE10b, "detect_e10b");
}

TEST(ParallelDetectors, CdotSamplesAndDamagedFiles) {
  TempFolder folder;
  // Day sections, some beginning with evening calls of the day before.
  ExpectSameInStretches(AnalyseCdot,
                        folder.Write("TG050307.DAT", cdrgen::CdotSampleFile(60000, 1)));
  ExpectSameInStretches(AnalyseCdot,
                        folder.Write("TG150606.DAT", cdrgen::CdotAnalyserSample(400, 2)));
  ExpectSameOnCorpus(AnalyseCdot, "detect_cdot");
}

// A call at 21 is dated the day before until a call at 19 has been seen in
// its section, which may lie stretches before it; the first call may be the
// first of a stretch after the header's.
TEST(ParallelDetectors, CdotEveningCallsAreDatedAcrossStretches) {
  TempFolder folder;
  // Some of these are the last call of a stretch, some not.
  for (std::size_t evening = 56; evening < 120; evening += evening < 63 ? 1 : 55) {
    std::vector<cdrgen::CdotSampleRecord> records(120);
    for (auto& record : records) record.hour = 21;
    records[evening].hour = 19;
    cdrgen::Bytes bytes = cdrgen::CdotSectionHeader(std::string("150606"));
    cdrgen::Append(bytes, cdrgen::CdotAnalyserFile(records));
    ExpectSameInStretches(AnalyseCdot, folder.Write("TG150606.DAT", bytes), {50, 333, 1000});
  }
}

// The stop question still comes while a file is walked in stretches: Yes
// stops the file, No lets it finish with the whole file's result.
TEST(ParallelDetectors, StopIsAskedBetweenStretches) {
  TempFolder folder;
  const std::vector<std::pair<Detector, std::string>> files = {
      {AnalyseEwsd, folder.Write("a.ama", cdrgen::EwsdAnalyserSample(900, 1))},
      {AnalyseE10b, folder.Write("a.e10b", cdrgen::E10bSampleFile(30, 1))},
      {Analyse5ess, folder.Write("a.5ess", cdrgen::FiveEssSampleFile(500, 1))}};
  for (const auto& [detector, path] : files) {
    const Seen whole = Scan(detector, path, {1, StretchOptions{}.threshold});
    const ScopedStretchOptions split({3, 1000});
    for (const MessageAnswer answer : {MessageAnswer::kYes, MessageAnswer::kNo}) {
      Rig rig;
      rig.host.stop_at_pump = 2;
      rig.host.answers.push_back(answer);
      auto context = rig.Context();
      const DetectorResult result = detector(path, context);
      ASSERT_EQ(rig.host.messages.size(), 1u) << path;
      if (answer == MessageAnswer::kYes) {
        EXPECT_EQ(testing::ResultText(result), testing::kStoppedResult) << path;
        EXPECT_EQ(rig.host.progress, 0);
      } else {
        EXPECT_EQ(testing::ResultText(result) + ";",
                  whole.result.substr(0, whole.result.find(';') + 1))
            << path;
      }
    }
  }
}

}  // namespace
}  // namespace lomtra
