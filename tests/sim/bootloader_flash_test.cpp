// The device's own reading of its memory and of the frames it receives, on plain bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/bootloader_frame.h"
#include "sim/flash_code.h"
#include "sim/flash_layout.h"
#include "sim/flash_memory.h"

namespace {

SimOptions Device(const char* type, const char* version) {
  SimOptions o;
  o.type = type;
  o.version = version;
  return o;
}

TEST(BootFrame, SumCheckIsTakenModulo0xFFFF) {
  struct Case {
    std::string line;
    FrameStatus status;
    char command;
    const char* payload;
  };
  // 'W' + '.' = 133; 256 bytes of 0xFF and a 'z' bring the sum to exactly 0xFFFF, which is 0.
  std::string wrap = "W" + std::string(256, '\xFF') + "z.";
  const Case cases[] = {
      {"g.0095", FrameStatus::Ok, 'g', ""},
      {"X1100.0148", FrameStatus::Ok, 'X', "1100"},
      {"@01100.0160", FrameStatus::Ok, '@', "01100"},
      {"x1100.0168", FrameStatus::Ok, 'x', "1100"},
      {"X1100.0149", FrameStatus::BadChecksum, 0, ""},
      {wrap + "0000", FrameStatus::Ok, 'W', nullptr},
      {wrap + "FFFF", FrameStatus::BadChecksum, 0, ""},
      {"g.095", FrameStatus::Malformed, 0, ""},
      {"g0095", FrameStatus::Malformed, 0, ""},
      {"g.00G5", FrameStatus::Malformed, 0, ""},
      {".0095", FrameStatus::Malformed, 0, ""},
      {"W" + std::string(513, '0') + ".0000", FrameStatus::Malformed, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 16));
    BootFrame frame;
    ASSERT_EQ(ReadBootFrame(c.line, &frame), c.status);
    if (c.status != FrameStatus::Ok) continue;
    EXPECT_EQ(frame.command, c.command);
    if (c.payload) {
      EXPECT_EQ(frame.payload, c.payload);
    }
  }
  // 512 characters are the most a frame carries.
  std::string full = "W" + std::string(512, '0') + ".";
  unsigned sum = 0;
  for (unsigned char ch : full) sum += ch;
  char check[8];
  std::snprintf(check, sizeof check, "%04X", sum % 0xFFFF);
  BootFrame frame;
  EXPECT_EQ(ReadBootFrame(full + check, &frame), FrameStatus::Ok);
  EXPECT_EQ(frame.payload.size(), 512u);
}

TEST(BootFrame, DataWordsPutTheirLowByteFirst) {
  // The TI-Text bytes B2 40 80 5A travel as the words 40B2 and 5A80.
  EXPECT_EQ(WordBytes("40B25A80"), (std::vector<uint8_t>{0xB2, 0x40, 0x80, 0x5A}));
  EXPECT_EQ(WordBytes("ff3f"), (std::vector<uint8_t>{0x3F, 0xFF}));
  EXPECT_EQ(WordBytes(""), std::vector<uint8_t>{});
  for (const char* bad : {"40B", "40B25", "40B2 5A8", "4G00"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(WordBytes(bad));
  }
}

TEST(FlashLayoutTable, SegmentsFollowEachTypesGrid) {
  struct Case {
    const char* type;
    const char* version;
    uint32_t address;
    uint32_t start, end;  // start == end: not erasable
  };
  const Case cases[] = {
      {"MTQ", "3.50", 0x1000, 0x1000, 0x1080},
      {"MTQ", "3.50", 0x10FF, 0x1080, 0x1100},
      {"MTQ", "3.50", 0x1100, 0x1100, 0x1300},
      {"MTQ", "3.50", 0x1234, 0x1100, 0x1300},
      {"MTQ", "3.50", 0xF900, 0xF900, 0xFA00},  // cut short below the bootloader
      {"MTQ", "3.50", 0xFA00, 0xFA00, 0xFA00},
      {"MTQ", "3.50", 0xFFFE, 0xFFFE, 0xFFFE},
      {"MTQ", "3.50", 0x0FFF, 0x0FFF, 0x0FFF},
      {"MTQ", "3.50", 0x10000, 0x10000, 0x10000},
      {"V8X", "2.02", 0x1040, 0x1040, 0x1080},
      {"V8X", "2.02", 0x10C0, 0x10C0, 0x10C0},
      {"V8X", "2.02", 0x2100, 0x2100, 0x2300},
      {"V8X", "2.02", 0xF900, 0xF900, 0xFA00},
      {"V8X", "2.02", 0x10000, 0x10000, 0x10200},
      {"V8X", "2.02", 0x1FE00, 0x1FE00, 0x20000},
      {"V8X", "2.02", 0x20000, 0x20000, 0x20000},
      {"QHM", "1.00", 0x1900, 0x1900, 0x1980},
      {"QHM", "1.00", 0x1000, 0x1000, 0x1000},
      {"QHM", "1.00", 0x5C00, 0x5C00, 0x5E00},
      {"QHM", "1.00", 0x3BE00, 0x3BE00, 0x3C000},
      {"SOLIX-KA", "3.61", 0x8000, 0x8000, 0x8200},
      {"SOLIX-KA", "3.61", 0x1100, 0x1100, 0x1100},
      {"SOLIX-KA", "2.49", 0x1100, 0x1100, 0x1300},
      {"SOLIX-KA", "2.5", 0x1100, 0x1100, 0x1100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " @" + std::to_string(c.address));
    AddressRange r = SegmentAt(FlashLayoutFor(Device(c.type, c.version)), c.address);
    EXPECT_EQ(r.start, c.start);
    EXPECT_EQ(r.end, c.end);
  }
  EXPECT_EQ(FlashLayoutFor(Device("V8X", "2.02")).bootBaud, 57600u);
  EXPECT_EQ(FlashLayoutFor(Device("mtq", "3.50")).bootBaud, 9600u);
}

TEST(FlashMemoryRules, ABlockIsProgrammedWholeOrNotAtAll) {
  FlashMemory flash(0x100);
  const std::vector<uint8_t> data{0x12, 0x34, 0x56};
  ASSERT_EQ(flash.Program(0x10, std::vector<uint8_t>{0x00}), FlashMemory::ProgramResult::Ok);
  // The last byte lands on 0x10, which holds 0x00: nothing of the block is written.
  EXPECT_EQ(flash.Program(0x0E, data), FlashMemory::ProgramResult::NotErased);
  EXPECT_EQ(flash.Word(0x0E), 0xFFFF);
  // Bits can only be cleared: 0x00 cannot become 0xFF without an erase.
  EXPECT_EQ(flash.Program(0x10, std::vector<uint8_t>{0xFF}), FlashMemory::ProgramResult::NotErased);
  EXPECT_EQ(flash.Program(0xFE, data), FlashMemory::ProgramResult::OutOfRange);
  EXPECT_EQ(flash.Read(0xFE, 3).size(), 2u);
  EXPECT_FALSE(flash.Erase(0xF0, 0x101));
  ASSERT_TRUE(flash.Erase(0x10, 0x11));
  EXPECT_EQ(flash.Program(0x0E, data), FlashMemory::ProgramResult::Ok);
  EXPECT_EQ(flash.Word(0x0E), 0x3412);
}

TEST(FlashCodeCheck, CrcIsTheCcittVariantWithoutReflection) {
  const char* text = "123456789";
  EXPECT_EQ(CodeCrc16({reinterpret_cast<const uint8_t*>(text), std::strlen(text)}), 0x29B1);
  EXPECT_EQ(CodeCrc16({}), 0xFFFF);
}

// A memory with a valid image of the given model text at the standard layout's flash start.
class FlashCodeFixture : public ::testing::Test {
 protected:
  FlashLayout layout = FlashLayoutFor(Device("MTQ", "3.50"));
  FlashMemory flash{MemorySize(layout)};

  void Install(const std::string& model, uint16_t length = 0x200) {
    std::vector<uint8_t> image(0x14 + length + 0x40, 0);
    std::memcpy(image.data(), model.data(), std::min<size_t>(model.size(), 16));
    for (size_t i = 0x14; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
    uint16_t crc = CodeCrc16({image.data() + 0x14, length});
    image[0x10] = static_cast<uint8_t>(crc);
    image[0x11] = static_cast<uint8_t>(crc >> 8);
    image[0x12] = static_cast<uint8_t>(length);
    image[0x13] = static_cast<uint8_t>(length >> 8);
    flash.Overwrite(layout.flashStart, image);
    const uint8_t reset[2] = {0x14, 0x11};
    flash.Overwrite(0xFFFE, reset);
  }
  void Poke(uint32_t address, uint8_t value) { flash.Overwrite(address, std::vector<uint8_t>{value}); }
};

TEST_F(FlashCodeFixture, ModelTextMustReadAsCodeAndVersion) {
  struct Case {
    const char* model;
    bool runnable;
    const char* code;
    const char* version;
  };
  const Case cases[] = {
      {"MTQ 3.61", true, "MTQ", "3.61"},
      {"SOLIX-KA 10.05", true, "SOLIX-KA", "10.05"},
      {"MTQ 3.6", false, "", ""},
      {"MTQ 3.611", false, "", ""},
      {"MTQ3.61", false, "", ""},
      {"MTQ  3.61", false, "", ""},
      {" MTQ 3.61", false, "", ""},
      {"MTQ 100.61", false, "", ""},
      {"MTQ 3,61", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    Install(c.model);
    FlashCode code = ReadFlashCode(flash, layout);
    EXPECT_EQ(code.runnable, c.runnable);
    EXPECT_EQ(code.code, c.code);
    EXPECT_EQ(code.version, c.version);
    EXPECT_EQ(code.good, c.runnable);
  }
}

TEST_F(FlashCodeFixture, EveryCheckedByteCountsAndNothingElse) {
  Install("MTQ 3.61", 0x200);
  ASSERT_TRUE(ReadFlashCode(flash, layout).good);

  Poke(0x1114 + 0x200, 0x55);  // padding after the code
  EXPECT_TRUE(ReadFlashCode(flash, layout).good);

  Poke(0x1114 + 0x1FF, 0xAA);  // the last code byte
  FlashCode code = ReadFlashCode(flash, layout);
  EXPECT_TRUE(code.runnable);
  EXPECT_FALSE(code.good);
}

TEST_F(FlashCodeFixture, CodeThatCannotStartIsNotRun) {
  struct Case {
    const char* name;
    uint32_t address;
    uint8_t value;
  };
  const Case cases[] = {
      {"reset vector elsewhere", 0xFFFE, 0x16},
      {"reset vector erased", 0xFFFF, 0xFF},
      {"text not NUL-padded", 0x110E, 'x'},
      {"length runs into the bootloader", 0x1113, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install("MTQ 3.61");
    Poke(c.address, c.value);
    EXPECT_FALSE(ReadFlashCode(flash, layout).runnable);
  }
}

TEST(FlashFactory, OldFirmwareRunsAndNothingReadsAsErased) {
  for (const char* type : {"MTQ", "V8X", "QHM"}) {
    SCOPED_TRACE(type);
    FlashLayout layout = FlashLayoutFor(Device(type, "1.23"));
    FlashMemory flash(MemorySize(layout));
    InstallFactoryFirmware(flash, layout, std::string(type) + " 1.23");
    FlashCode code = ReadFlashCode(flash, layout);
    EXPECT_TRUE(code.runnable && code.good);
    EXPECT_EQ(code.code, type);
    EXPECT_EQ(code.version, "1.23");
    auto info = flash.Read(layout.infoStart, InfoEnd(layout) - layout.infoStart);
    auto low = flash.Read(layout.flashStart + 0x14, kProtectedStart - layout.flashStart - 0x14);
    for (auto area : {info, low}) EXPECT_EQ(std::count(area.begin(), area.end(), 0xFF), 0);
  }
}

}  // namespace
