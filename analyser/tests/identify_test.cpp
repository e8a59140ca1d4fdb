#include "engine/identify.h"

#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "cdrgen/cdot_builder.h"
#include "test_support.h"

namespace lomtra {
namespace {

using testing::TempFolder;

SwitchType Identify(const TempFolder& folder, const cdrgen::Bytes& bytes) {
  return IdentifySwitch(folder.Write("f.dat", bytes));
}

TEST(IdentifySwitch, ZeroFileIsCdotButNotOneShorterThanARecord) {
  TempFolder folder;
  EXPECT_EQ(Identify(folder, cdrgen::Bytes(1001, 0)), SwitchType::kCdot);
  EXPECT_EQ(Identify(folder, cdrgen::Bytes(48, 0)), SwitchType::kCdot);
  EXPECT_EQ(Identify(folder, {}), SwitchType::kUnknown);
  EXPECT_EQ(Identify(folder, cdrgen::Bytes(1, 0)), SwitchType::kUnknown);
  EXPECT_EQ(Identify(folder, cdrgen::Bytes(47, 0)), SwitchType::kUnknown);
  const std::string text = "a short note\n";
  EXPECT_EQ(Identify(folder, cdrgen::Bytes(text.begin(), text.end())), SwitchType::kUnknown);
}

TEST(IdentifySwitch, MissingFileOrFolderIsNotReadable) {
  TempFolder folder;
  std::string error;
  EXPECT_EQ(IdentifySwitch(folder.Path() / "missing.dat", &error), SwitchType::kNotReadable);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(IdentifySwitch(folder.Path()), SwitchType::kNotReadable);
}

TEST(IdentifySwitch, E10bSequenceSkipsZeroSlots) {
  TempFolder folder;
  std::vector<cdrgen::E10bRecord> records;
  for (int s : {4, 5, 6, 0, 7, 8, 9, 10, 11, 12, 13})
    records.push_back({static_cast<std::uint16_t>(s)});
  EXPECT_EQ(Identify(folder, cdrgen::E10bFile(records)), SwitchType::kE10b);
  // A gap fails the test.
  records[4].sequence = 9;
  EXPECT_NE(Identify(folder, cdrgen::E10bFile(records)), SwitchType::kE10b);
  // Record 10 must be non-zero.
  std::vector<cdrgen::E10bRecord> short_run;
  for (int s = 1; s <= 10; ++s) short_run.push_back({static_cast<std::uint16_t>(s)});
  short_run.push_back({0});
  EXPECT_NE(Identify(folder, cdrgen::E10bFile(short_run)), SwitchType::kE10b);
}

TEST(IdentifySwitch, EwsdLeadAndLengthByte) {
  TempFolder folder;
  cdrgen::Bytes zero_length = {0x84, 0x00};
  EXPECT_EQ(Identify(folder, zero_length), SwitchType::kEwsd);
  EXPECT_EQ(Identify(folder, cdrgen::EwsdAnalyserSample(20, 3)), SwitchType::kEwsd);
  cdrgen::Bytes wrong = {0x84, 0x03, 0x00, 0x85};
  EXPECT_NE(Identify(folder, wrong), SwitchType::kEwsd);
}

TEST(IdentifySwitch, EwsdBeginningWithFiller) {
  TempFolder folder;
  cdrgen::Bytes bytes =
      cdrgen::EwsdFileBuilder().Filler80(3).Filler81(20, 20).Unit(122, 64).Build();
  const cdrgen::Bytes records = cdrgen::EwsdAnalyserSample(20, 3);
  bytes.insert(bytes.end(), records.begin(), records.end());
  EXPECT_EQ(Identify(folder, bytes), SwitchType::kEwsd);
  // Filler before a record that no record follows is not enough.
  bytes[87 + records[1]] = 0x85;
  EXPECT_NE(Identify(folder, bytes), SwitchType::kEwsd);
}

TEST(IdentifySwitch, FiveEssNeedsElevenSevens) {
  TempFolder folder;
  std::vector<cdrgen::FiveEssRecord> records(11);
  EXPECT_EQ(Identify(folder, cdrgen::FiveEssFile(records)), SwitchType::kFiveEss);
  records.pop_back();
  EXPECT_NE(Identify(folder, cdrgen::FiveEssFile(records)), SwitchType::kFiveEss);
}

TEST(IdentifySwitch, OcbMarkerAtEitherPlace) {
  TempFolder folder;
  cdrgen::OcbSampleBlock block;
  block.records.resize(48);
  EXPECT_EQ(Identify(folder, cdrgen::OcbAnalyserFile({block})), SwitchType::kOcb);
  EXPECT_EQ(Identify(folder, cdrgen::OcbAnalyserFile({block}, true)), SwitchType::kOcb);
}

TEST(IdentifySwitch, CdotRecordsAndOrder) {
  TempFolder folder;
  EXPECT_EQ(Identify(folder, cdrgen::CdotAnalyserSample(30, 1)), SwitchType::kCdot);
  std::vector<cdrgen::CdotSampleRecord> records(30);
  records[19].byte27 = 3;  // the twentieth record fails the test
  EXPECT_EQ(Identify(folder, cdrgen::CdotAnalyserFile(records)), SwitchType::kUnknown);
}

TEST(IdentifySwitch, CdotFileThatBeginsWithASectionHeader) {
  TempFolder folder;
  EXPECT_EQ(Identify(folder, cdrgen::CdotSampleFile(20000, 3)), SwitchType::kCdot);
  cdrgen::Bytes one = cdrgen::CdotSectionHeader(std::string("070305"));
  cdrgen::Append(one, cdrgen::CdotAnalyserFile({cdrgen::CdotSampleRecord{}}));
  EXPECT_EQ(Identify(folder, one), SwitchType::kCdot);
  // A header alone, a date that is not six digits, or records that fail the test.
  one.resize(91 + 47);
  EXPECT_EQ(Identify(folder, one), SwitchType::kUnknown);
  cdrgen::Bytes undated = cdrgen::CdotSectionHeader(std::string("07O305"));
  cdrgen::Append(undated, cdrgen::CdotAnalyserFile(std::vector<cdrgen::CdotSampleRecord>(30)));
  EXPECT_EQ(Identify(folder, undated), SwitchType::kUnknown);
  std::vector<cdrgen::CdotSampleRecord> records(30);
  records[19].byte27 = 3;
  cdrgen::Bytes failing = cdrgen::CdotSectionHeader(std::string("070305"));
  cdrgen::Append(failing, cdrgen::CdotAnalyserFile(records));
  EXPECT_EQ(Identify(folder, failing), SwitchType::kUnknown);
}

TEST(IdentifySwitch, AxeBlocks) {
  TempFolder folder;
  EXPECT_EQ(Identify(folder, cdrgen::AxeSampleFile(11, 1)), SwitchType::kAxe);
  // Shorter than 2048 bytes: the characters at 2048 read as zeros.
  cdrgen::AxeFileBuilder one;
  one.Add(cdrgen::AxeRecord{});
  EXPECT_EQ(Identify(folder, one.Build()), SwitchType::kUnknown);
  // Values up to 200 pass, 201 fails.
  auto with_length = [](int length) {
    cdrgen::AxeFileBuilder b;
    for (int k = 0; k < 11; ++k) {
      cdrgen::AxeRecord r;
      r.length = length;
      b.NewBlock().Add(r);
    }
    return b.Build();
  };
  EXPECT_EQ(Identify(folder, with_length(200)), SwitchType::kAxe);
  EXPECT_EQ(Identify(folder, with_length(80)), SwitchType::kAxe);
  EXPECT_EQ(Identify(folder, with_length(201)), SwitchType::kUnknown);
  EXPECT_EQ(Identify(folder, with_length(79)), SwitchType::kUnknown);
}

TEST(IdentifySwitch, AxeBlockStartWithASignIsNoLength) {
  TempFolder folder;
  auto starting = [](const std::string& head) {
    cdrgen::AxeFileBuilder b;
    b.NewBlock().Add(cdrgen::AxeRecord{});
    for (int k = 1; k < 11; ++k) b.NewBlock().AddText(head + std::string(92, ' '));
    return b.Build();
  };
  EXPECT_EQ(Identify(folder, starting("095")), SwitchType::kAxe);
  EXPECT_EQ(Identify(folder, starting("+95")), SwitchType::kUnknown);
}

TEST(IdentifySwitch, FileShorterThanOneRecordIsUnknown) {
  TempFolder folder;
  auto cut = [](cdrgen::Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
  };
  // An OCB file's first record ends 32 + 42 bytes after its block marker.
  cdrgen::OcbSampleBlock block;
  block.records.resize(48);
  const cdrgen::Bytes plain = cdrgen::OcbAnalyserFile({block});
  EXPECT_EQ(Identify(folder, cut(plain, 74)), SwitchType::kOcb);
  for (std::size_t size : {2, 47, 73}) {
    EXPECT_EQ(Identify(folder, cut(plain, size)), SwitchType::kUnknown) << size;
  }
  EXPECT_EQ(Identify(folder, cut(cdrgen::OcbAnalyserFile({block}, true), 928 + 73)),
            SwitchType::kUnknown);
  // An EWSD lead byte without the record's length byte.
  EXPECT_EQ(Identify(folder, {0x84}), SwitchType::kUnknown);
  // The other types' tests reach past their first record anyway.
  const std::pair<cdrgen::Bytes, std::size_t> others[] = {{cdrgen::E10bSampleFile(2, 1), 26},
                                                          {cdrgen::FiveEssSampleFile(30, 1), 122},
                                                          {cdrgen::CdotAnalyserSample(30, 1), 48},
                                                          {cdrgen::AxeSampleFile(11, 1), 98}};
  for (const auto& [bytes, record] : others) {
    EXPECT_EQ(Identify(folder, cut(bytes, record - 1)), SwitchType::kUnknown) << record;
  }
}

TEST(IdentifySwitch, CdotWinsOverAxe) {
  TempFolder folder;
  // 30000 bytes whose block boundaries satisfy the AXE rule and whose bytes
  // at 27 + 48k are all at most 2.
  cdrgen::Bytes bytes(30000, 0x00);
  for (std::size_t k = 1; k <= 10; ++k) {
    bytes[2048 * k] = '1';
    bytes[2048 * k + 1] = '0';
    bytes[2048 * k + 2] = '0';
  }
  EXPECT_EQ(Identify(folder, bytes), SwitchType::kCdot);
  for (std::size_t k = 0; k < 20; ++k) bytes[27 + 48 * k] = 0x02;
  EXPECT_EQ(Identify(folder, bytes), SwitchType::kCdot);
  bytes[27] = 0x03;
  EXPECT_EQ(Identify(folder, bytes), SwitchType::kAxe);
}

TEST(IdentifySwitch, SampleFilesOfEveryFormat) {
  TempFolder folder;
  EXPECT_EQ(Identify(folder, cdrgen::OcbAnalyserSample(3, 1)), SwitchType::kOcb);
  EXPECT_EQ(Identify(folder, cdrgen::E10bSampleFile(2, 1)), SwitchType::kE10b);
  EXPECT_EQ(Identify(folder, cdrgen::FiveEssSampleFile(30, 1)), SwitchType::kFiveEss);
  cdrgen::Bytes text;
  cdrgen::Append(text, std::string(3000, 'x'));
  EXPECT_EQ(Identify(folder, text), SwitchType::kUnknown);
}

}  // namespace
}  // namespace lomtra
