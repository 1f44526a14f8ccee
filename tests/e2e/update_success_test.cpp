// Whole updates against the simulated device: the device ends up running the new firmware with
// its settings, whatever way the update had to go.

#include <algorithm>
#include <fstream>

#include "app/firmware_commands.h"
#include "tests/e2e/firmware_files.h"
#include "tests/e2e/update_fixture.h"

namespace {

using Strings = std::vector<std::string>;

std::string Success(uint32_t seconds) {
  return "Successfully updated firmware in " + std::to_string(seconds) + " seconds.";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(UpdateTest, MtqIsUpdatedWithItsSettings) {
  ASSERT_TRUE(StartDevice(MakeTestOptions("MTQ", "3.50")));
  const Strings before = DeviceValues(port, {"get -ver", "get -sn", "get -config"});
  ASSERT_EQ(before, (Strings{"MTQ 3.50", "MTQ104826", "4 1 0 300 2"}));

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  EXPECT_EQ(ui.statuses, (Strings{"Connecting to Vapora MTQ...",
                                  "Saving settings for this Vapora MTQ...",
                                  "Starting the firmware loader...", "Erasing firmware memory...",
                                  "Uploading new firmware code...",
                                  "Restarting the Vapora MTQ, please wait...",
                                  "Checking new firmware...", "Restoring settings...",
                                  Success(out.seconds)}));
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().text;
  EXPECT_EQ(ui.instructions, (Strings{"Do NOT disconnect Vapora MTQ until finished.",
                                      "You may disconnect your Vapora MTQ now."}));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(ui.phases, (std::vector<bool>{true, false}));
  EXPECT_TRUE(Logged(FinishedLine(out.seconds)));
  EXPECT_FALSE(Exists(SettingsFile()));
  EXPECT_FALSE(app.updateRunning);

  // The bar only moves forward: 21 when the upload starts, 91 after the 123 ticks of a 62406
  // character image, 92 after the restart, 100 at the end.
  EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
  for (int mark : {21, 91, 92}) {
    EXPECT_NE(std::find(ui.progress.begin(), ui.progress.end(), mark), ui.progress.end()) << mark;
  }
  EXPECT_EQ(std::count(ui.progress.begin(), ui.progress.end(), 93), 0);
  EXPECT_EQ(ui.progress.back(), 100);

  // The device runs the new firmware, and the settings that the update erased are back.
  EXPECT_EQ(DeviceValues(port, {"get -ver", "post", "get -sn", "get -config"}),
            (Strings{"MTQ 3.61", "Code Good!", "MTQ104826", "4 1 0 300 2"}));
}

// A device left in its bootloader by an interrupted update: no checks and no saving; the
// settings come back from the interrupted run's settings file.
TEST_F(UpdateTest, BootloaderListeningRestoresFromTheSettingsFile) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.bootloader = "waiting";
  ASSERT_TRUE(StartDevice(options));
  std::ofstream(SettingsFile(), std::ios::binary)
      << "***** Auto-Generated Settings File -- DO NOT EDIT *****\r\n\r\n"
      << "type=\"MTQ\"\r\nname=\"\"\r\nsn=\"MTQ777\"\r\nconfig=\"4 1 0 600 2\"\r\n";

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  EXPECT_EQ(ui.statuses, (Strings{"Connecting to Vapora MTQ...", "Starting the firmware loader...",
                                  "Erasing firmware memory...", "Uploading new firmware code...",
                                  "Restarting the Vapora MTQ, please wait...",
                                  "Checking new firmware...", "Restoring settings...",
                                  Success(out.seconds)}));
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().text;
  EXPECT_FALSE(Exists(SettingsFile()));
  EXPECT_EQ(DeviceValues(port, {"get -ver", "get -sn", "get -config"}),
            (Strings{"MTQ 3.61", "MTQ777", "4 1 0 600 2"}));
}

// Without that file the user hears of it twice, and the update still succeeds.
TEST_F(UpdateTest, BootloaderListeningWithoutSettingsFileStillSucceeds) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.bootloader = "waiting";
  ASSERT_TRUE(StartDevice(options));

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[0].title, "Settings Error");
  EXPECT_EQ(ui.shown[0].text,
            "The Vapora MTQ Firmware Updater couldn't find the settings file for your Vapora MTQ."
            "\n\nPlease try again or contact Quillon for help.");
  EXPECT_EQ(ui.shown[1].title, "Settings Error");
  EXPECT_EQ(ui.shown[1].text,
            "The Vapora MTQ Firmware Updater failed to restore the settings for your Vapora MTQ."
            "\n\nPlease try again.\n\n[Error -102]");
  EXPECT_TRUE(Logged("ErrorOK Told User:: The Vapora MTQ Firmware Updater couldn't find the "
                     "settings file for your Vapora MTQ."));
  EXPECT_TRUE(Logged(FinishedLine(out.seconds)));
  EXPECT_EQ(DeviceValue(port, "get -ver"), "MTQ 3.61");
}

// The user cancels in the middle of programming; the next update finds the bootloader
// listening, programs the device and restores the settings saved by the cancelled run.
TEST_F(UpdateTest, CancelledUploadIsResumedByTheNextUpdate) {
  ASSERT_TRUE(StartDevice(MakeTestOptions("MTQ", "3.50")));
  int ticks = 0;
  ui.keepGoing = [&] { return ++ticks < 40; };  // erasing gives 13, so this is mid-upload

  const UpdateOutcome first = RunUpdate(app);

  ASSERT_EQ(first.result, -40);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Firmware Upload Error");
  EXPECT_EQ(ui.shown[0].text,
            "The Vapora MTQ Firmware Updater encountered an error working with your Vapora MTQ."
            "\n\nPlease try again.\n\n[Error -40]"
            "\n\nThe update was cancelled. Your Vapora MTQ waits in its firmware loader:"
            "\nrun the update again to resume it.");
  EXPECT_TRUE(ui.statusHidden);
  EXPECT_EQ(ui.progress.back(), 0);
  EXPECT_EQ(ui.instructions.back(), "Connect Vapora MTQ to computer comm port.");
  EXPECT_TRUE(Exists(SettingsFile()));

  ui = ScriptedUI{};
  ui.SetLog(app.log.get());
  const UpdateOutcome second = RunUpdate(app);

  ASSERT_EQ(second.result, 1);
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().text;
  EXPECT_EQ(std::count(ui.statuses.begin(), ui.statuses.end(),
                       "Saving settings for this Vapora MTQ..."), 0);
  EXPECT_FALSE(Exists(SettingsFile()));
  EXPECT_EQ(DeviceValues(port, {"get -ver", "get -sn"}), (Strings{"MTQ 3.61", "MTQ104826"}));
}

// The restarted device stays silent for two sessions: the third reconnection attempt works.
TEST_F(UpdateTest, ReconnectionSucceedsOnTheThirdAttempt) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"silent-sessions=2"};
  ASSERT_TRUE(StartDevice(options));

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().text;
  const std::string log = Log();
  EXPECT_EQ(Count(log, "Quil_protocol: QPConnect couldn't connect.\r\n"), 2u);
  EXPECT_EQ(Count(log, "Quil_protocol: QPConnect successfully connected to device\r\n"), 2u);
  EXPECT_EQ(DeviceValue(port, "get -sn"), "MTQ104826");
}

// "Don't Erase Data" skips the data erase of a device that otherwise has it (a Sorbra ZX,
// updated from a firmware file of its own type).
struct EraseCase {
  bool dontEraseData;
  bool erased;
};

class DontEraseDataTest : public UpdateTest, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(DontEraseDataTest, DataEraseFollowsTheOption) {
  const EraseCase c = GetParam();
  const std::string file = testfw::WriteFile(dir.File("HSRB 2-10.txt"), testfw::TiText("HSRB 2.10"));
  ASSERT_EQ(OpenFirmwareFile(app, file), 1);
  ASSERT_EQ(app.deviceName, "Sorbra ZX");
  ASSERT_TRUE(StartDevice(MakeTestOptions("HSRB", "2.00")));
  app.dontEraseData = c.dontEraseData;

  const UpdateOutcome out = RunUpdate(app);

  ASSERT_EQ(out.result, 1);
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().text;
  const bool statusShown =
      std::find(ui.statuses.begin(), ui.statuses.end(), "Erasing old data...") != ui.statuses.end();
  EXPECT_EQ(statusShown, c.erased);
  EXPECT_EQ(Logged("QPEraseData erased device data"), c.erased);
  EXPECT_EQ(DeviceValues(port, {"get -ver", "get -sn"}), (Strings{"HSRB 2.10", "HS0092351"}));
}

INSTANTIATE_TEST_SUITE_P(Options, DontEraseDataTest,
                         ::testing::Values(EraseCase{false, true}, EraseCase{true, false}),
                         [](const ::testing::TestParamInfo<EraseCase>& info) {
                           return info.param.dontEraseData ? "DontEraseData" : "EraseData";
                         });

}  // namespace
