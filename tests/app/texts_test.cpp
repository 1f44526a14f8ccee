// What the user is told, byte for byte: people and tools know these lines from the logs.

#include <cstring>

#include "app/update_sequence.h"
#include "app/update_texts.h"
#include "tests/app/app_fixture.h"

namespace {

TEST_F(AppTest, StartupNamesEverythingAfterTheBuild) {
  EXPECT_EQ(app.deviceName, "Vapora MTQ");
  EXPECT_EQ(app.caption, "Vapora MTQ Firmware Updater");
  EXPECT_EQ(app.logFileName, dir.path() + "/Vapora MTQ Firmware Updater.errors.txt");
  EXPECT_EQ(app.settingsFileName, dir.path() + "/Vapora MTQ.settings.txt");
  EXPECT_EQ(app.firmwareVersion, 361u);
  EXPECT_EQ(app.host->modelText, "MTQ 3.61");
  EXPECT_EQ(app.log->level, 30u);
}

// Step 1's messages for each way the first connection fails.
TEST_F(AppTest, ConnectionFailureTexts) {
  app.portDisplayText = "ttyUSB0 Quillon USB";
  struct Case {
    int32_t r;
    int type;
    uint32_t version;
    const char* text;
  };
  const Case cases[] = {
      {-5, 0, 0,
       "Comm Port \"ttyUSB0 Quillon USB\" is already in use by another application.\n"
       "Please choose a new Comm Port to use or quit the application using this port."},
      {-2, 0, 0,
       "Comm Port \"ttyUSB0 Quillon USB\" isn't available.\nPlease choose a new Comm Port to use."},
      {-20, 0, 0,
       "The Vapora MTQ Firmware Updater is unable to connect to your Vapora MTQ\n on Comm Port "
       "\"ttyUSB0 Quillon USB\".\n\nPlease check your serial cable and Comm Port choice."},
      {-120, DT_KT30, 102,
       "The Vapora MTQ Firmware Updater does not support your Kt30\nrunning version 102."},
      {-120, 0, 0,
       "The Vapora MTQ Firmware Updater is unable to connect to your unknown device\n on Comm Port "
       "\"ttyUSB0 Quillon USB\".\n\nPlease check your serial cable and Comm Port choice.\n\n"
       "Please verify the device connected is a \"Vapora MTQ\" and has a version of\nfirmware "
       "that supports updates."},
      {-25, 0, 0,
       "The Vapora MTQ Firmware Updater is unable to log into to your Vapora MTQ\n on Comm Port "
       "\"ttyUSB0 Quillon USB\".\n\nPlease try again or contact your Quillon representative."},
  };
  for (const Case& c : cases) {
    FillDeviceInfo(c.type, c.version, 0, &app.targetInfo);
    if (c.type == 0) app.targetInfo = DeviceInfo{};
    UpdateText t = ConnectFailureText(app, c.r);
    EXPECT_EQ(t.title, "Connection Error");
    EXPECT_EQ(t.text, c.text) << c.r;
  }
}

TEST_F(AppTest, PermissionDeniedNamesTheGroup) {
  app.commPortName = "ttyUSB0";
  const std::string text = ConnectFailureText(app, -200).text;
  EXPECT_EQ(text, QSPermissionMessage("ttyUSB0"));
  EXPECT_NE(text.find("permission denied"), std::string::npos);
}

TEST_F(AppTest, MessagesOfTheLaterSteps) {
  struct Case {
    UpdateText got;
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {FirmwareTooOldText(app), "Firmware Too Old",
       "The firmware in the connected Vapora MTQ\nis too old.\n\nThis updater can not update this "
       "device."},
      {LoaderFailureText(app, -110), "Firmware Loader Error",
       "The Vapora MTQ Firmware Updater is unable to connect to the firmware loader in your "
       "Vapora MTQ.\n\nPlease try again."},
      {CorruptFirmwareText(app), "Firmware Error",
       "The new firmware for your Vapora MTQ is corrupt!\n\nPlease try again or contact Quillon."},
      {EraseDataFailureText(app, -65), "Data Erase Error",
       "The Vapora MTQ Firmware Updater was unable to erase the data in your Vapora MTQ because "
       "the data storage chip is reporting errors.\n\nPlease contact Quillon for help."},
      {EraseDataFailureText(app, -30), "Data Erase Error",
       "The Vapora MTQ Firmware Updater was unable to erase the data in your Vapora MTQ.\nPlease "
       "try again.\n[Error: -30]"},
      {{"", OperationFailureText(app, -21)}, "",
       "The Vapora MTQ Firmware Updater encountered an error working with your Vapora MTQ.\n\n"
       "Please try again.\n\n[Error -21]"},
      {{"", RestoreFileUnreadableText(app, -105)}, "",
       "The Vapora MTQ Firmware Updater failed to read the settings file for your Vapora MTQ.\n\n"
       "Please try again or contact Quillon for help.\n\nError: -105"},
      {{kQuitGuardTitle, QuitGuardText(app)}, "Don't Quit Now!",
       "The Vapora MTQ Firmware Updater is updating your Vapora MTQ!\nThis process should NOT be "
       "interrupted.\n\nYour Vapora MTQ may be unusable or have missing settings\nuntil you "
       "complete the firmware update process.\n\nClick OK to continue updating your Vapora MTQ.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.title, c.title);
    EXPECT_EQ(c.got.text, c.text);
  }
}

TEST_F(AppTest, ConstructionErrorReport) {
  EXPECT_EQ(ConstructionErrorText(app.caption, -60),
            "The Vapora MTQ Firmware Updater ran out of memory while allocating internal "
            "buffers.\n\nPlease restart this application and try again.");
  EXPECT_EQ(ConstructionErrorText(app.caption, -7),
            "The Vapora MTQ Firmware Updater got an unexpected error starting up.\n[Error: -7]\n\n"
            "Please restart this application and try again.");

  app.host->constructStatus = -101;
  ReportConstructionError(app);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Application Launch Error");
  EXPECT_EQ(ui.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(ui.shown[0].text,
            "The internal firware file for this Vapora MTQ Firmware Updater is corrupt.\n\n"
            "Please restart this application and try again.");
  const std::string log = Log();
  EXPECT_NE(log.find(" - ErrorOK Told User:: The internal firware file for this Vapora MTQ"),
            std::string::npos);
  EXPECT_NE(log.find(" - QuilBSL frmMain: HostBSL class got an constructor error (-101)\r\n"),
            std::string::npos);
}

// The version window of a Vapora 8 (2.02 to 9.99): inside it nothing is asked.
TEST_F(AppTest, FirmwareVersionWindow) {
  struct Case {
    uint32_t version;
    std::optional<bool> answer;  // none: no question may come
    bool result;
    const char* text;
  };
  const char* older =
      "The Vapora MTQ Firmware Updater doesn't support this Vapora MTQ\nrunning version 10.00.\n\n"
      "This updater only works with firmware version 9.99 (or older).\n\n"
      "Click OK to force the update anyway.\nClick CANCEL to quit the updater.";
  const char* newer =
      "The Vapora MTQ Firmware Updater doesn't support this Vapora MTQ\nrunning version 2.01.\n\n"
      "This updater only works with firmware version 2.02 (or newer).\n\n"
      "Click OK to force the update anyway.\nClick CANCEL to quit the updater.";
  const Case cases[] = {
      {202, std::nullopt, true, ""},   {999, std::nullopt, true, ""},
      {201, false, false, newer},      {201, true, true, newer},
      {1000, false, false, older},     {5, false, false, newer},
  };
  for (const Case& c : cases) {
    ui.shown.clear();
    ui.answers.clear();
    if (c.answer) ui.answers["Wrong Firmware Version"] = *c.answer;
    DeviceInfo info;
    FillDeviceInfo(DT_V8X, c.version, 0, &info);
    EXPECT_EQ(CheckFirmwareWindow(app, info), c.result) << c.version;
    if (!c.answer) {
      EXPECT_TRUE(ui.shown.empty()) << c.version;
    } else if (c.version == 5) {
      ASSERT_EQ(ui.shown.size(), 1u);
      EXPECT_NE(ui.shown[0].text.find("running version 0.05.\n"), std::string::npos);
    } else {
      ASSERT_EQ(ui.shown.size(), 1u);
      EXPECT_EQ(ui.shown[0].text, c.text);
    }
  }
  // A type without a window is never asked about.
  DeviceInfo mtq;
  FillDeviceInfo(DT_MTQ, 5, 0, &mtq);
  ui.shown.clear();
  EXPECT_TRUE(CheckFirmwareWindow(app, mtq));
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(AppTest, CalibrationNotices) {
  struct Case {
    int type;
    const char* title;  // "" for none
    const char* text;
  };
  const Case cases[] = {
      {DT_TQ, "Tempra Q2 Calibration",
       "The calibration of your Tempra Q2 is outdated or missing.\n\nPlease contact Quillon or "
       "your authorized Quillon representative\nto have your Tempra Q2 calibrated."},
      {DT_RD60, "Please Calibrate Your RD-60",
       "Updating the firmware in your Lumora RD-60 requires you to calibrate\nthe internal "
       "sensors using the external sensor as a reference.\n\nPlease see your RD-60 user manual "
       "for probe calibration instructions.\n\nPlease also reset the Daylight Savings setting in "
       "your Lumora RD-60."},
      {DT_SG, "Please Calibrate Your Stomagraph", nullptr},
      {DT_MTQ, "", nullptr},
      {DT_KT30, "", nullptr},
  };
  for (const Case& c : cases) {
    ui.shown.clear();
    ShowCalibrationNotice(app, c.type);
    if (c.title[0] == '\0') {
      EXPECT_TRUE(ui.shown.empty()) << c.type;
      continue;
    }
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].title, c.title);
    EXPECT_EQ(ui.shown[0].kind, MessageKind::Warning);
    if (c.text != nullptr) {
      EXPECT_EQ(ui.shown[0].text, c.text);
    }
  }
  const std::string sg = CalibrationNoticeText(DT_SG).text;
  EXPECT_EQ(sg.rfind("Updating the firmware in your Stomagraph requires you to calibrate\nthe the "
                     "sensor head using the Quillon-supplied calibration plate.\n\n",
                     0),
            0u);
  EXPECT_TRUE(sg.ends_with(std::string("available for download from:\n") + kLiteraturePage));
}

}  // namespace
