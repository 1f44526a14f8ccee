// Updates that stop before programming, or that the user forces on: each says exactly what
// stopped it, leaves the window restored and the device running its old firmware.

#include <algorithm>

#include "tests/e2e/update_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const char kWrongDevice[] =
    "The Vapora MTQ Firmware Updater expected to find a Vapora MTQ;\nhowever, it found a Vapora 8."
    "\n\nThis updater can not update a Vapora 8.\n\n[Factory Mode Override: Click OK to load FW "
    "anyway]";
const char kVersionWindow[] =
    "The Vapora MTQ Firmware Updater doesn't support this Vapora MTQ\nrunning version 2.01.\n\n"
    "This updater only works with firmware version 2.02 (or newer).\n\n"
    "Click OK to force the update anyway.\nClick CANCEL to quit the updater.";
const char kNoLoader[] =
    "This Vapora MTQ does not have a working firmware loader.\n\nPlease contact Quillon for help.";
const char kBatteryLow[] =
    "The battery power is too low!\n\nPlease replace the batteries before running this updater.";

bool Has(const Strings& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

void ExpectRestoredAfterFailure(const ScriptedUI& ui) {
  EXPECT_TRUE(ui.statusHidden);
  EXPECT_EQ(ui.progress.back(), 0);
  EXPECT_EQ(ui.instructions.back(), "Connect Vapora MTQ to computer comm port.");
  EXPECT_EQ(ui.beeps, 0);
}

TEST_F(UpdateTest, DeviceWithoutBootloaderIsReported) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"no-bootloader"};
  ASSERT_TRUE(StartDevice(options));

  EXPECT_EQ(RunUpdate(app).result, -112);

  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Firmware Loader Error");
  EXPECT_EQ(ui.shown[0].text, kNoLoader);
  EXPECT_EQ(ui.statuses.back(), "Starting the firmware loader...");
  ExpectRestoredAfterFailure(ui);
  EXPECT_TRUE(Logged(std::string("ErrorOK Told User:: ") + kNoLoader + "\r\n"));
  EXPECT_FALSE(Logged("Finished updating device"));
  // The settings file stays until an update succeeds; the device still runs its firmware.
  EXPECT_TRUE(Exists(SettingsFile()));
  EXPECT_EQ(DeviceValue(port, "get -ver"), "MTQ 3.50");
}

// A Vapora 8 running 2.01 in front of this MTQ updater: "Wrong Device" first, then the version
// window 2.02 to 9.99; OK to both forces the update on (here up to a missing bootloader).
struct ForceCase {
  const char* name;
  std::map<std::string, bool> answers;
  bool noBootloader;
  int32_t result;
  Strings titles;
};

class ForceTest : public UpdateTest, public ::testing::WithParamInterface<ForceCase> {};

TEST_P(ForceTest, AnswersDecide) {
  const ForceCase& c = GetParam();
  SimOptions options = MakeTestOptions("V8X", "2.01");
  if (c.noBootloader) options.faults = {"no-bootloader"};
  ASSERT_TRUE(StartDevice(options));
  ui.answers = c.answers;

  EXPECT_EQ(RunUpdate(app).result, c.result);

  EXPECT_EQ(ui.Titles(), c.titles);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown[0].text, kWrongDevice);
  if (ui.shown.size() > 1) {
    EXPECT_EQ(ui.shown[1].text, kVersionWindow);
  }
  // Only a forced update gets as far as saving the settings.
  EXPECT_EQ(Has(ui.statuses, "Saving settings for this Vapora MTQ..."), c.result == -112);
  ExpectRestoredAfterFailure(ui);
  EXPECT_EQ(DeviceValue(port, "get -ver"), "V8X 2.01");
}

INSTANTIATE_TEST_SUITE_P(
    Questions, ForceTest,
    ::testing::Values(
        ForceCase{"WrongDeviceCancel", {{"Wrong Device", false}}, false, -121, {"Wrong Device"}},
        ForceCase{"VersionWindowCancel",
                  {{"Wrong Device", true}, {"Wrong Firmware Version", false}},
                  false,
                  -120,
                  {"Wrong Device", "Wrong Firmware Version"}},
        ForceCase{"BothOk",
                  {{"Wrong Device", true}, {"Wrong Firmware Version", true}},
                  true,
                  -112,
                  {"Wrong Device", "Wrong Firmware Version", "Firmware Loader Error"}}),
    [](const ::testing::TestParamInfo<ForceCase>& info) { return info.param.name; });

// A Tempra Q2 (battery checked; forced past "Wrong Device"): 9 per cent stops the update, 10
// lets it go on (here up to a missing bootloader).
struct BatteryCase {
  int percent;
  int32_t result;
  Strings titles;
};

class BatteryTest : public UpdateTest, public ::testing::WithParamInterface<BatteryCase> {};

TEST_P(BatteryTest, OnlyALowReadingStops) {
  const BatteryCase& c = GetParam();
  SimOptions options = MakeTestOptions("TQ", "3.10");
  options.faults = {"battery=" + std::to_string(c.percent), "no-bootloader"};
  ASSERT_TRUE(StartDevice(options));
  ui.answers = {{"Wrong Device", true}};

  EXPECT_EQ(RunUpdate(app).result, c.result);

  EXPECT_EQ(ui.Titles(), c.titles);
  EXPECT_TRUE(Has(ui.statuses, "Checking battery power..."));
  EXPECT_EQ(Has(ui.statuses, "Saving settings for this Vapora MTQ..."), c.result != -130);
  if (c.result == -130) {
    EXPECT_EQ(ui.shown.back().text, kBatteryLow);
  }
  ExpectRestoredAfterFailure(ui);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, BatteryTest,
    ::testing::Values(BatteryCase{9, -130, {"Wrong Device", "Batteries Too Low"}},
                      BatteryCase{10, -112, {"Wrong Device", "Firmware Loader Error"}}),
    [](const ::testing::TestParamInfo<BatteryCase>& info) {
      return "Percent" + std::to_string(info.param.percent);
    });

// Nothing on the port, and a port that does not exist: "Connection Error", -20.
struct PortCase {
  const char* name;
  bool silent;  // a device that never answers; else a port name that does not exist
  const char* text;
};

class ConnectionTest : public UpdateTest, public ::testing::WithParamInterface<PortCase> {};

TEST_P(ConnectionTest, FirstConnectionFailure) {
  const PortCase& c = GetParam();
  if (c.silent) {
    SimOptions options = MakeTestOptions("MTQ", "3.50");
    options.faults = {"silence"};
    ASSERT_TRUE(StartDevice(options));
  } else {
    app.commPortName = dir.File("no-such-port");
  }
  app.portDisplayText = "PORT";

  EXPECT_EQ(RunUpdate(app).result, -20);

  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Connection Error");
  EXPECT_EQ(ui.shown[0].text, c.text);
  ExpectRestoredAfterFailure(ui);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, ConnectionTest,
    ::testing::Values(
        PortCase{"Missing", false,
                 "Comm Port \"PORT\" isn't available.\nPlease choose a new Comm Port to use."},
        PortCase{"Silent", true,
                 "The Vapora MTQ Firmware Updater is unable to connect to your Vapora MTQ\n on Comm "
                 "Port \"PORT\".\n\nPlease check your serial cable and Comm Port choice."}),
    [](const ::testing::TestParamInfo<PortCase>& info) { return info.param.name; });

}  // namespace
