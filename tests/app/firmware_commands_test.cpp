// Opening a firmware file replaces the image an update loads and, for a known type, the device
// the updater expects; dumping writes the image out.

#include <bit>

#include "app/firmware_commands.h"
#include "tests/app/app_fixture.h"
#include "tests/e2e/firmware_files.h"

namespace {

float StepFor(uint32_t length) { return 35328.0f / static_cast<float>(length); }

TEST_F(AppTest, OpeningTheBuildsOwnFileChangesNoNames) {
  const std::string path = std::string(QUILBSL_SOURCE_DIR) + "/firmware/MTQ 3-61.txt";
  ASSERT_EQ(OpenFirmwareFile(app, path), 1);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(app.deviceName, "Vapora MTQ");
  EXPECT_EQ(app.firmwareVersion, 361u);
  EXPECT_EQ(app.host->modelText, "MTQ 3.61");
  EXPECT_EQ(app.progressStep, StepFor(app.host->imageLength));
  EXPECT_EQ(app.settingsFileName, dir.path() + "/Vapora MTQ.settings.txt");
}

TEST_F(AppTest, OpeningAnotherTypesFileExpectsThatDevice) {
  const std::string path = testfw::WriteFile(dir.File("KT30-1-12.txt"), testfw::TiText("KT30 1.12"));
  ASSERT_EQ(OpenFirmwareFile(app, path), 1);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(app.deviceName, "Kt30");
  EXPECT_EQ(app.firmwareVersion, 112u);
  EXPECT_EQ(app.host->imageType, DT_KT30);
  EXPECT_EQ(app.settingsFileName, dir.path() + "/Kt30.settings.txt");
  // The caption and the log keep the build's name.
  EXPECT_EQ(app.caption, "Vapora MTQ Firmware Updater");
  EXPECT_EQ(app.logFileName, dir.path() + "/Vapora MTQ Firmware Updater.errors.txt");
  EXPECT_EQ(app.progressStep, StepFor(app.host->imageLength));
}

TEST_F(AppTest, AFileNameWithoutTypeAssumesTheBuildsType) {
  const std::string path = testfw::WriteFile(dir.File("firmware.txt"), testfw::TiText("KT30 1.12"));
  ASSERT_EQ(OpenFirmwareFile(app, path), 1);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "File Name Error");
  EXPECT_EQ(ui.shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(ui.shown[0].text,
            "The Vapora MTQ Firmware Updater could not detirmine the instrument type\nfrom the file "
            "name \"firmware.txt\".\n\nInstrument type set to the default (for this build): "
            "\"Vapora MTQ\".");
  EXPECT_EQ(app.host->imageType, DT_MTQ);
  EXPECT_EQ(app.deviceName, "Vapora MTQ");
  EXPECT_EQ(app.firmwareVersion, 361u);
  EXPECT_EQ(app.progressStep, StepFor(app.host->imageLength));
  EXPECT_NE(app.host->imageLength, 62406u);
}

TEST_F(AppTest, FilesThatCannotBeOpenedChangeNothing) {
  struct Case {
    const char* name;
    const char* content;  // null: no such file
    int32_t result;
    const char* text;
  };
  const Case cases[] = {
      {"bad.txt", "q\n", -100,
       "The file \"bad.txt\" is not a valid firmware file.\nPlease choose a new firmware file to "
       "open."},
      {"missing.txt", nullptr, -2,
       "The Vapora MTQ Firmware Updater could not opening \"missing.txt\".\nPlease try again.\n"
       "Error -2"},
  };
  for (const Case& c : cases) {
    ui.shown.clear();
    if (c.content != nullptr) testfw::WriteFile(dir.File(c.name), c.content);
    EXPECT_EQ(OpenFirmwareFile(app, dir.File(c.name)), c.result);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].title, "File Error");
    EXPECT_EQ(ui.shown[0].text, c.text);
    EXPECT_EQ(app.host->imageLength, 62406u);
    EXPECT_EQ(app.host->modelText, "MTQ 3.61");
    EXPECT_EQ(std::bit_cast<uint32_t>(app.progressStep), 0x3F10EBE4u);
  }
  EXPECT_EQ(ui.beeps, 0);
}

TEST_F(AppTest, DumpWritesTheImageOrSaysWhyNot) {
  ASSERT_EQ(DumpFirmwareImage(app, dir.File("dump.txt")), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("dump.txt")).rfind("@", 0), 0u);
  EXPECT_TRUE(ui.shown.empty());

  EXPECT_EQ(DumpFirmwareImage(app, dir.File("no/such/folder/dump.txt")), -2);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Error");
  EXPECT_EQ(ui.shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(ui.shown[0].text, "Error saving firmware image: -2");
}

}  // namespace
