// TI-Text files read into the image, the file-name rule, the dump, and the embedded image.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>

#include "bsl/quil_bsl_host.h"
#include "bsl/titext.h"
#include "firmware/embedded_firmware.h"
#include "tests/support/sim_fixture.h"

namespace {

constexpr const char* kVectorLines =
    "@FFE0\n"
    "00 F0 02 F0 04 F0 06 F0 08 F0 0A F0 0C F0 0E F0\n"
    "10 F0 12 F0 14 F0 16 F0 18 F0 1A F0 1C F0 14 11\n";

std::array<uint32_t, 16> FileVectors() {
  std::array<uint32_t, 16> v{};
  for (uint32_t i = 0; i < 15; ++i) v[i] = 0xF000 + 2 * i;
  v[15] = 0x1114;
  return v;
}

std::array<uint32_t, 16> Unused() {
  std::array<uint32_t, 16> v{};
  v.fill(0xFFFF);
  return v;
}

TITextResult Parse(const std::string& file, TITextImage& image) { return ParseTIText(file, image); }

std::string Text(const std::string& file) {
  TITextImage image;
  EXPECT_EQ(Parse(file, image), TITextResult::Ok) << file;
  return image.imageText;
}

// ---- The reader, on byte strings ----

TEST(TIText, ExampleFileGivesWordsAndVectors) {
  TITextImage image;
  ASSERT_EQ(Parse(std::string("@1100\nB2 40 80 5A\n") + kVectorLines + "q\n", image),
            TITextResult::Ok);
  EXPECT_EQ(image.imageText, "@0110040B25A80");
  EXPECT_EQ(image.vectors, FileVectors());
}

struct DataCase {
  const char* name;
  const char* data;  // the data lines of a section at 0x1100
  const char* text;  // the image text
};

TEST(TIText, DataSectionWords) {
  const DataCase cases[] = {
      {"odd byte padded with FF", "B2 40 3F\n", "@0110040B2FF3F"},
      {"one stray digit", "B2 40 3\n", "@0110040B2FF3F"},
      {"three stray digits", "B2 40 ABC\n", "@0110040B2CFAB"},
      {"CR LF and lower case", "b2 40\r\n80 5a\r\n", "@0110040B25A80"},
      {"anything else skipped", "B2,40;\t80 zz 5A\n", "@0110040B25A80"},
      {"empty section", "", "@01100"},
  };
  for (const DataCase& c : cases) {
    EXPECT_EQ(Text(std::string("@1100\n") + c.data + kVectorLines + "q"), c.text) << c.name;
  }
}

TEST(TIText, CrLfFileReadsLikeLfFile) {
  const std::string lf = std::string("@1100\nb2 40 80 5a\n") + kVectorLines + "q\n";
  std::string crlf;
  for (char c : lf) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
  TITextImage a, b;
  ASSERT_EQ(Parse(lf, a), TITextResult::Ok);
  ASSERT_EQ(Parse(crlf, b), TITextResult::Ok);
  EXPECT_EQ(a.imageText, b.imageText);
  EXPECT_EQ(a.vectors, b.vectors);
}

TEST(TIText, ProtectedRangeSkippedAndNeighboursKept) {
  const std::string file = std::string("@F9FE\n11 22\n") + "@FA00\n33 44\n" + "@FC00\n55 66\n" +
                           "@FDFE\n77 88\n" + "@FE00\n99 AA\n" + "@10000\nBB CC\n" + kVectorLines +
                           "q\n";
  EXPECT_EQ(Text(file), "@0F9FE2211@0FE00AA99@10000CCBB");
}

TEST(TIText, OneVectorAtFFFE) {
  TITextImage image;
  ASSERT_EQ(Parse("@1100\n00 01\n@FFFE\n14 11\nq\n", image), TITextResult::Ok);
  auto expected = Unused();
  expected[15] = 0x1114;
  EXPECT_EQ(image.vectors, expected);
}

TEST(TIText, VectorSectionsFillFromTheirAddress) {
  TITextImage image;
  ASSERT_EQ(Parse("@FFE4\n01 00 02 00\n@FFF0\n03 00\nq", image), TITextResult::Ok);
  auto expected = Unused();
  expected[2] = 1;
  expected[3] = 2;
  expected[8] = 3;
  EXPECT_EQ(image.vectors, expected);
  EXPECT_EQ(image.imageText, "");
}

TEST(TIText, TextAfterQIsIgnored) {
  EXPECT_EQ(Text(std::string("@1100\n01 02\n") + kVectorLines + "q\n@2000\n03 04\n"), "@011000201");
}

struct BadCase {
  const char* name;
  const char* file;
  TITextResult result;
};

TEST(TIText, RefusedFiles) {
  const std::string v = kVectorLines;
  const BadCase cases[] = {
      {"no q", "@1100\n01 02\n@FFFE\n14 11\n", TITextResult::NotTIText},
      {"not starting with @", " @1100\n01 02\n@FFFE\n14 11\nq", TITextResult::NotTIText},
      {"empty", "", TITextResult::NotTIText},
      {"no vector section", "@1100\n01 02\nq\n", TITextResult::Invalid},
      {"partial vector word", "@FFFC\n14 11 22\nq\n", TITextResult::Invalid},
      {"vectors past FFFE", "@FFFC\n01 00 02 00 03 00\nq\n", TITextResult::Invalid},
      {"17 vectors", "@FFE0\n00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
                     "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00\nq\n",
       TITextResult::Invalid},
      {"address line without its end", "@FFFE 14 11 q", TITextResult::Invalid},
      {"no address", "@\n01 02\n@FFFE\n14 11\nq\n", TITextResult::Invalid},
      {"address beyond five digits", "@100000\n01 02\n@FFFE\n14 11\nq\n", TITextResult::Invalid},
      {"address lines run together", "@1100 @FFFE\n14 11\nq\n", TITextResult::Invalid},
  };
  for (const BadCase& c : cases) {
    TITextImage image;
    image.imageText = "untouched";
    EXPECT_EQ(Parse(c.file, image), c.result) << c.name;
    EXPECT_EQ(image.imageText, "untouched") << c.name;
  }
}

// ---- Loading files into the host ----

class ImageFileTest : public ::testing::Test {
 protected:
  ImageFileTest() : log(dir.File("bsl.errors.txt"), 40), host(&log) {}

  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Log() { return ReadWholeFile(log.fileName); }

  TempDir dir;
  QuilLog log;
  QuilBSLHost host;
};

TEST_F(ImageFileTest, LoadReplacesImageAndAppliesTheName) {
  const std::string path =
      Write("KT30-1-12.txt", std::string("@1100\nB2 40 80 5A\n") + kVectorLines + "q\n");
  EXPECT_EQ(BSLLoadTIFile(host, path.c_str()), 1);
  EXPECT_EQ(host.imageText, "@0110040B25A80");
  EXPECT_EQ(host.imageLength, 14u);
  EXPECT_EQ(host.vectors, FileVectors());
  EXPECT_EQ(host.modelText, "KT30-1.12");
  EXPECT_EQ(host.imageType, DT_KT30);
  EXPECT_EQ(host.imageVersion, 112);
  EXPECT_NE(Log().find("QuilBSL: BSLLoadTIFile loaded file " + path + " ("), std::string::npos);
}

TEST_F(ImageFileTest, InvalidFileLeavesTheImageAndSaysSo) {
  const std::string before = host.imageText;
  const auto vectors = host.vectors;
  const std::string path = Write("RV 2-00.txt", "@1100\n01 02\nq\n");  // no vectors
  EXPECT_EQ(BSLLoadTIFile(host, path.c_str()), kBSLInvalidTIText);
  EXPECT_EQ(host.imageText, before);
  EXPECT_EQ(host.vectors, vectors);
  EXPECT_EQ(host.modelText, "MTQ 3.61");
  EXPECT_EQ(host.imageType, DT_MTQ);
  EXPECT_EQ(host.imageVersion, 0);
  EXPECT_NE(Log().find("BSLLoadTIFile: file " + path + " is not a valid TI-Text file ("),
            std::string::npos);
}

TEST_F(ImageFileTest, NotTITextIsRefusedWithoutALogLine) {
  for (const char* content : {"@1100\n01 02\n@FFFE\n14 11\n", "hello\nq\n"}) {
    const std::string path = Write("x.txt", content);
    EXPECT_EQ(BSLLoadTIFile(host, path.c_str()), kBSLInvalidTIText) << content;
  }
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(host.modelText, "MTQ 3.61");
}

TEST_F(ImageFileTest, MissingFileGivesTheNegatedErrorNumber) {
  const std::string path = dir.File("none.txt");
  EXPECT_EQ(BSLLoadTIFile(host, path.c_str()), -ENOENT);
  EXPECT_NE(Log().find("BSLLoadTIFile got error " + std::to_string(ENOENT) +
                       " trying to open datafile " + path + "\r\n"),
            std::string::npos);
}

struct NameCase {
  const char* path;
  const char* model;
  DeviceType type;
  int32_t version;
};

TEST_F(ImageFileTest, FileNameRule) {
  const NameCase cases[] = {
      {"MTQ 3-61.txt", "MTQ 3.61", DT_MTQ, 361},
      {"KT30-1-12.txt", "KT30-1.12", DT_KT30, 112},
      {"firmware.txt", "firmware", DT_UNKNOWN, 0},
      {"/home/u/fw/kt3b_2-05.txt", "kt3b_2.05", DT_KT3B, 5},  // digits after the first "-" only
      {"C:\\Firmware\\RV 1-00.txt", "RV 1.00", DT_RV, 100},
      {"V8X 2.02 beta.txt", "V8X 2.02 beta", DT_V8X, 202},
      {"TQ-1-5-rc2.txt", "TQ-1-5-rc2", DT_TQ, 152},     // the last "-" has no digit after it
      {"SOLIX-KA 3-61.txt", "SOLIX-KA 3.61", DT_UNKNOWN, 361},  // the code word ends at "-"
      {"END 1-00.txt", "END 1.00", DT_UNKNOWN, 100},    // END marks the table's end only
      {"MTQ 3-61", "MTQ 3.61", DT_MTQ, 361},
      {"MTQ 12345678901234.txt", "MTQ 12345678901234", DT_MTQ, 0},  // too big for a version
      {"MTQ 1234567890.txt", "MTQ 1234567890", DT_MTQ, 1234567890},
  };
  for (const NameCase& c : cases) {
    ApplyImageFileName(host, c.path);
    EXPECT_EQ(host.modelText, c.model) << c.path;
    EXPECT_EQ(host.imageType, c.type) << c.path;
    EXPECT_EQ(host.imageVersion, c.version) << c.path;
  }
}

TEST_F(ImageFileTest, FileNameLimits) {
  const std::string longName(80, 'A');
  ApplyImageFileName(host, (longName + ".txt").c_str());
  EXPECT_EQ(host.modelText, std::string(64, 'A'));  // ".txt" lies beyond the 64 characters
  ApplyImageFileName(host, (std::string(39, 'K') + " 1-00.txt").c_str());
  EXPECT_EQ(host.imageType, DT_UNKNOWN);
  EXPECT_EQ(host.imageVersion, 100);
  ApplyImageFileName(host, "mtq_3-61.txt");
  EXPECT_EQ(host.imageType, DT_MTQ);
}

// ---- The dump ----

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST_F(ImageFileTest, DumpOfTheEmbeddedImage) {
  const std::string path = dir.File("dump.txt");
  ASSERT_EQ(BSLWriteTIFile(host, path.c_str()), 1);
  const std::string dump = ReadWholeFile(path);
  ASSERT_FALSE(dump.empty());
  EXPECT_EQ(dump.back(), '\n');
  const std::vector<std::string> lines = Lines(dump);
  ASSERT_EQ(lines.size(), 1u + 1950u + 1u + 2u);
  EXPECT_EQ(lines.front(), "@01100");
  std::string data;
  for (size_t i = 1; i <= 1950; ++i) {
    ASSERT_EQ(lines[i].size(), 32u) << i;
    ASSERT_EQ(lines[i].find_first_not_of("0123456789ABCDEF"), std::string::npos) << i;
    data += lines[i];
  }
  EXPECT_EQ(data, host.imageText.substr(6));
  EXPECT_EQ(lines[1951], "@FFE0");
  EXPECT_EQ(lines[1952], "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(lines[1953], "FFFFFFFFFFFFFFFFFFFFFFFFFFFF1114");
  EXPECT_NE(Log().find("BSLWriteTIFile wrote file " + path + " ("), std::string::npos);
}

TEST_F(ImageFileTest, DumpOfSeveralSections) {
  host.imageText = "@01100" + std::string(36, '1') + "@0F9FE2211";
  host.imageLength = static_cast<uint32_t>(host.imageText.size());
  host.vectors = FileVectors();
  const std::string path = dir.File("dump.txt");
  ASSERT_EQ(BSLWriteTIFile(host, path.c_str()), 1);
  EXPECT_EQ(ReadWholeFile(path),
            "@01100\n" + std::string(32, '1') + "\n1111\n@0F9FE\n2211\n@FFE0\n"
            "F000F002F004F006F008F00AF00CF00E\nF010F012F014F016F018F01AF01C1114\n");
}

TEST_F(ImageFileTest, DumpIntoAMissingFolderFails) {
  const std::string path = dir.File("no/such/dump.txt");
  EXPECT_EQ(BSLWriteTIFile(host, path.c_str()), -ENOENT);
  EXPECT_NE(Log().find("BSLWriteTIFile got error " + std::to_string(ENOENT) +
                       " trying to open datafile " + path),
            std::string::npos);
}

// ---- The embedded image ----

uint16_t Crc16(const std::vector<uint8_t>& bytes) {
  uint16_t crc = 0xFFFF;
  for (uint8_t b : bytes) {
    crc ^= static_cast<uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
  }
  return crc;
}

// The bytes of a one-section image text, back in address order.
std::vector<uint8_t> SectionBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 6; i + 4 <= text.size(); i += 4) {
    const unsigned word = std::stoul(text.substr(i, 4), nullptr, 16);
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
  }
  return bytes;
}

TEST_F(ImageFileTest, EmbeddedImageIsInstalledAndChecked) {
  EXPECT_EQ(host.constructStatus, 0);
  EXPECT_EQ(host.modelText, "MTQ 3.61");
  EXPECT_EQ(host.imageType, DT_MTQ);
  EXPECT_EQ(host.imageVersion, 0);
  EXPECT_EQ(host.imageLength, 62406u);
  ASSERT_EQ(host.imageText.size(), 62406u);
  EXPECT_EQ(host.imageText.substr(0, 6), "@01100");
  EXPECT_EQ(std::accumulate(host.imageText.begin(), host.imageText.end(), 0u,
                            [](unsigned s, char c) { return s + static_cast<unsigned char>(c); }),
            3397265u);
}

TEST_F(ImageFileTest, EmbeddedImageCarriesTheLayoutTheDeviceChecks) {
  const std::vector<uint8_t> bytes = SectionBytes(host.imageText);
  ASSERT_EQ(bytes.size(), 31200u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "MTQ 3.61");
  const uint32_t length = bytes[0x12] | bytes[0x13] << 8;
  ASSERT_LE(0x14 + length, bytes.size());
  const uint16_t crc = static_cast<uint16_t>(bytes[0x10] | bytes[0x11] << 8);
  EXPECT_EQ(Crc16(std::vector<uint8_t>(bytes.begin() + 0x14, bytes.begin() + 0x14 + length)), crc);
  EXPECT_EQ(host.vectors[15], 0x1100u + 0x14u);  // the reset vector enters the code
}

TEST_F(ImageFileTest, DamagedEmbeddedRecordIsReportedButInstalled) {
  std::string text = kEmbeddedFirmware.imageText;
  text[100] = static_cast<char>(text[100] == '0' ? '1' : '0');
  EmbeddedFirmware record = kEmbeddedFirmware;
  record.imageText = text.c_str();
  EXPECT_EQ(BSLInstallImage(host, record), kBSLImageDamaged);
  EXPECT_EQ(host.imageText, text);

  const std::string shorter = text.substr(0, 1000);
  record.imageText = shorter.c_str();
  EXPECT_EQ(BSLInstallImage(host, record), kBSLImageDamaged);
  EXPECT_EQ(host.imageLength, 1000u);  // what is there, never the constant

  record.imageText = nullptr;
  EXPECT_EQ(BSLInstallImage(host, record), kBSLImageDamaged);
  EXPECT_EQ(host.imageLength, 0u);

  EXPECT_EQ(BSLInstallImage(host, kEmbeddedFirmware), 0);
  EXPECT_EQ(host.imageLength, 62406u);
}

}  // namespace
