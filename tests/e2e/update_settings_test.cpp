// The device's settings around an update: saved, restored, replaced by a new serial number, or
// kept safe in a file of their own when they could not all be restored.

#include <filesystem>
#include <fstream>

#include "app/kept_settings_file.h"
#include "tests/e2e/update_fixture.h"

namespace {

namespace fs = std::filesystem;

// The settings file cannot be written (a folder stands in its place), so the settings count as
// not retrieved; the user goes on. A new serial number is then the only thing restored.
struct NotRetrievedCase {
  const char* name;
  const char* newSn;
  const char* snAfter;
};

class NotRetrievedTest : public UpdateTest,
                         public ::testing::WithParamInterface<NotRetrievedCase> {};

TEST_P(NotRetrievedTest, OnlyTheNewSerialNumberIsWritten) {
  const NotRetrievedCase& c = GetParam();
  ASSERT_TRUE(StartDevice(MakeTestOptions("MTQ", "3.50")));
  fs::create_directory(SettingsFile());
  app.replaceSerialNumber = true;
  app.newSerialNumber = c.newSn;
  ui.answers = {{"Settings Retrieve Error", true}};

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Settings Retrieve Error");
  EXPECT_EQ(ui.shown[0].text,
            "The Vapora MTQ Firmware Updater could not retrieve the settings from your Vapora MTQ."
            "\nThis can happen when an intrument is new or doesn't have a serial number set yet."
            "\n\nClick OK to continue loading new firmware.\nClick CANCEL to try retrieving the "
            "settings again.");
  // The configuration was not saved, so it stays as the update left it: erased.
  const std::vector<std::string> after = DeviceValues(port, {"get -sn", "get -config"});
  EXPECT_EQ(after[0], c.snAfter);
  EXPECT_NE(after[1], "4 1 0 300 2");
  EXPECT_TRUE(app.newSerialNumber.empty());
}

INSTANTIATE_TEST_SUITE_P(
    SerialNumbers, NotRetrievedTest,
    ::testing::Values(NotRetrievedCase{"NewSerialNumber", "12345", "12345"},
                      NotRetrievedCase{"NoSerialNumber", "", "<error -31>"}),
    [](const ::testing::TestParamInfo<NotRetrievedCase>& info) { return info.param.name; });

TEST_F(UpdateTest, CancelAtSettingsQuestionStopsBeforeTheBootloader) {
  ASSERT_TRUE(StartDevice(MakeTestOptions("MTQ", "3.50")));
  fs::create_directory(SettingsFile());
  ui.answers = {{"Settings Retrieve Error", false}};

  EXPECT_EQ(RunUpdate(app).result, -40);
  EXPECT_EQ(ui.statuses.back(), "Saving settings for this Vapora MTQ...");
  EXPECT_TRUE(ui.phases.empty() || ui.phases == std::vector<bool>{false});
  EXPECT_EQ(DeviceValue(port, "get -ver"), "MTQ 3.50");
}

// The device refuses the serial number on restore: some settings are not back. The settings
// file is the only complete copy now; it moves to a dated name and the message names it.
TEST_F(UpdateTest, FailedRestoreKeepsTheSettingsFile) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"reject-sn"};
  ASSERT_TRUE(StartDevice(options));

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  ASSERT_FALSE(app.keptSettingsFile.empty());
  const std::string kept = app.keptSettingsFile;
  EXPECT_EQ(fs::path(kept).parent_path(), fs::path(app.dataFolder));
  const std::string name = fs::path(kept).filename().string();
  EXPECT_EQ(name.rfind("Vapora MTQ 20", 0), 0u) << name;
  EXPECT_TRUE(name.ends_with(".settings.txt")) << name;

  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Settings Error");
  EXPECT_EQ(ui.shown[0].text,
            "The Vapora MTQ Firmware Updater failed to restore some of the settings for your "
            "Vapora MTQ.\n\nPlease check the settings after this updater is finished."
            "\n\nThe saved settings are kept in the file\n\"" + kept + "\".");
  EXPECT_TRUE(Logged(FinishedLine(out.seconds)));
  EXPECT_FALSE(Exists(SettingsFile()));
  EXPECT_NE(ReadWholeFile(kept).find("sn=\"MTQ104826\"\r\n"), std::string::npos);
}

// The dated name never replaces a file: a second keep in the same second gets its own name.
TEST(KeptSettingsFile, NeverOverwrites) {
  TempDir dir;
  const std::time_t when = 1700000000;
  std::vector<std::string> kept;
  for (int i = 0; i < 3; ++i) {
    std::ofstream(dir.File("Kt30.settings.txt")) << "run " << i;
    kept.push_back(KeepSettingsFile(dir.File("Kt30.settings.txt"), dir.path(), "Kt30", when));
  }
  const std::string first = DatedSettingsFileName(dir.path(), "Kt30", when);
  ASSERT_TRUE(first.ends_with(".settings.txt"));
  const std::string stem = first.substr(0, first.size() - 13);
  EXPECT_EQ(kept, (std::vector<std::string>{first, stem + " (2).settings.txt",
                                            stem + " (3).settings.txt"}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadWholeFile(kept[static_cast<size_t>(i)]), "run " + std::to_string(i));
  EXPECT_FALSE(fs::exists(dir.File("Kt30.settings.txt")));
  EXPECT_EQ(KeepSettingsFile(dir.File("Kt30.settings.txt"), dir.path(), "Kt30", when), "");
}

}  // namespace
