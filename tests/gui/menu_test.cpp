// The menu commands through the window: firmware files with their labels and messages, the
// hidden dump reached by its shortcut, the options, help and about.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/window_texts.h"
#include "tests/e2e/firmware_files.h"
#include "tests/gui/window_fixture.h"

namespace {

struct Labels {
  QString userText1, userText2, lblConnect, commLabel;
  bool operator==(const Labels&) const = default;
};

void PrintTo(const Labels& l, std::ostream* os) {
  *os << "{" << l.userText1.toStdString() << " | " << l.userText2.toStdString() << " | "
      << l.lblConnect.toStdString() << " | " << l.commLabel.toStdString() << "}";
}

Labels LabelsOf(TfrmMain& w) {
  return {Control<QLabel>(w, "userText1")->text(), Control<QLabel>(w, "userText2")->text(),
          Control<QLabel>(w, "lblConnect")->text(), Control<QLabel>(w, "commLabel")->text()};
}

const Labels kBuildLabels{"This utility updates Vapora MTQ firmware to", "MTQ 3.61",
                          "Connect Vapora MTQ to computer comm port.",
                          "Connect to Vapora MTQ with Comm Port"};

TEST_F(WindowTest, OpenFirmwareFileShowsItsDialogAsSetUp) {
  TfrmMain& w = Open();
  chosenFile = "";  // Cancel
  Control<QAction>(w, "OpenFirmwareFile1")->trigger();
  ASSERT_EQ(dialogs.size(), 1u);
  QFileDialog* d = dialogs[0];
  EXPECT_EQ(d->objectName(), "OpenDialog1");
  EXPECT_EQ(d->windowTitle(), "Please select a firmware file");
  EXPECT_EQ(d->nameFilters(), (QStringList{"Firmware File (*.txt)", "Any File (*)"}));
  EXPECT_EQ(d->defaultSuffix(), "txt");
  EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(d->directory().absolutePath(), QDir::currentPath());
  // Cancelled: nothing changed, nothing said.
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(LabelsOf(w), kBuildLabels);
  EXPECT_EQ(w.state().host->imageLength, 62406u);
}

TEST_F(WindowTest, OpeningFirmwareFilesSetsTheDeviceTheUpdaterExpects) {
  struct Case {
    const char* file;
    std::string content;  // empty: the build's own file from firmware/
    Labels labels;
    const char* deviceName;
    uint32_t firmwareVersion;
    std::vector<std::string> titles;
  };
  const Case cases[] = {
      {"MTQ 3-61.txt", "", kBuildLabels, "Vapora MTQ", 361, {}},
      {"KT30-1-12.txt",
       testfw::TiText("KT30 1.12"),
       // The model text comes from the file's name.
       {"This utility updates Kt30 firmware to", "KT30-1.12", "Connect Kt30 to computer comm port.",
        "Connect to Kt30 with Comm Port"},
       "Kt30",
       112,
       {}},
      // A name that names no device: the build's type, with a warning; labels stay.
      {"firmware.txt",
       testfw::TiText("KT30 1.12"),
       kBuildLabels,
       "Vapora MTQ",
       361,
       {"File Name Error"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    shown.clear();
    TfrmMain& w = Open();
    // Start disabled (no port): opening a file enables it.
    ASSERT_FALSE(Control<QPushButton>(w, "btnStart")->isEnabled());
    chosenFile = c.content.empty() ? QString(QUILBSL_SOURCE_DIR) + "/firmware/" + c.file
                                   : Q(testfw::WriteFile(dir.File(c.file), c.content));
    Control<QAction>(w, "OpenFirmwareFile1")->trigger();

    EXPECT_EQ(Titles(), c.titles);
    EXPECT_EQ(LabelsOf(w), c.labels);
    const UpdaterState& s = w.state();
    EXPECT_EQ(w.windowTitle(), "Vapora MTQ Firmware Updater");
    EXPECT_EQ(Control<QAction>(w, "About1")->text(), "About Vapora MTQ Firmware Updater");
    EXPECT_EQ(s.deviceName, c.deviceName);
    EXPECT_EQ(s.firmwareVersion, c.firmwareVersion);
    EXPECT_EQ(s.settingsFileName, DataFolder() + "/" + c.deviceName + ".settings.txt");
    EXPECT_EQ(s.logFileName, DataFolder() + "/Vapora MTQ Firmware Updater.errors.txt");
    EXPECT_EQ(s.progressStep, 35328.0f / static_cast<float>(s.host->imageLength));
    EXPECT_TRUE(Control<QPushButton>(w, "btnStart")->isEnabled());
    EXPECT_TRUE(Control<QAction>(w, "UpdateFirmware1")->isEnabled());
    if (!c.titles.empty()) {
      EXPECT_EQ(shown[0].kind, MessageKind::Warning);
      EXPECT_EQ(shown[0].text,
                "The Vapora MTQ Firmware Updater could not detirmine the instrument type\nfrom the "
                "file name \"firmware.txt\".\n\nInstrument type set to the default (for this "
                "build): \"Vapora MTQ\".");
      EXPECT_NE(Log().find("ErrorOK Told User:: The Vapora MTQ Firmware Updater could not "
                           "detirmine"),
                std::string::npos);
    }
    window.reset();
  }
}

TEST_F(WindowTest, AFileThatIsNoFirmwareChangesNothing) {
  TfrmMain& w = Open();
  chosenFile = Q(testfw::WriteFile(dir.File("notes.txt"), "MTQ firmware notes\n"));
  Control<QAction>(w, "OpenFirmwareFile1")->trigger();
  ASSERT_EQ(Titles(), std::vector<std::string>{"File Error"});
  EXPECT_EQ(shown[0].kind, MessageKind::Error);
  EXPECT_EQ(shown[0].text,
            "The file \"notes.txt\" is not a valid firmware file.\nPlease choose a new firmware "
            "file to open.");
  EXPECT_EQ(LabelsOf(w), kBuildLabels);
  EXPECT_EQ(w.state().host->imageLength, 62406u);
  EXPECT_FALSE(Control<QPushButton>(w, "btnStart")->isEnabled());
}

TEST_F(WindowTest, CtrlAltDReachesTheDumpThatTheMenuDoesNotShow) {
  TfrmMain& w = Open();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  chosenFile = Q(dir.File("dump.txt"));
  QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0]->objectName(), "SaveDialog1");
  EXPECT_EQ(dialogs[0]->windowTitle(), "Save Firmware Image");
  EXPECT_EQ(dialogs[0]->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialogs[0]->defaultSuffix(), "txt");
  const std::string dump = ReadWholeFile(dir.File("dump.txt"));
  EXPECT_EQ(dump.rfind("@", 0), 0u) << dump.substr(0, 40);
  EXPECT_TRUE(shown.empty());

  // A dump that cannot be written is told with its code.
  chosenFile = Q(dir.File("no-such-folder/dump.txt"));
  QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
  EXPECT_EQ(shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(shown[0].text, "Error saving firmware image: -2");
}

TEST_F(WindowTest, ReplaceSerialNumberShowsTheEditWithTheFocus) {
  TfrmMain& w = Open();
  auto* item = Control<QAction>(w, "PromptforSerialNumber1");
  auto* label = Control<QLabel>(w, "newSN");
  auto* edit = Control<QLineEdit>(w, "newSNstr");
  item->trigger();
  EXPECT_TRUE(w.state().replaceSerialNumber);
  EXPECT_TRUE(label->isVisible());
  EXPECT_TRUE(edit->isVisible());
  EXPECT_EQ(w.focusWidget(), edit);
  QTest::keyClicks(edit, "SN-0123456789ABCDEF");
  EXPECT_EQ(edit->text(), "SN-0123456789AB");  // at most 15 characters
  EXPECT_EQ(w.state().newSerialNumber, "SN-0123456789AB");
  // Unchecked: hidden, the text kept.
  item->trigger();
  EXPECT_FALSE(w.state().replaceSerialNumber);
  EXPECT_FALSE(edit->isVisible());
  EXPECT_FALSE(label->isVisible());
  EXPECT_EQ(edit->text(), "SN-0123456789AB");

  Control<QAction>(w, "DontEraseData1")->trigger();
  EXPECT_TRUE(w.state().dontEraseData);
  Control<QAction>(w, "DontEraseData1")->trigger();
  EXPECT_FALSE(w.state().dontEraseData);
}

TEST_F(WindowTest, HelpAndAboutTellTheirTexts) {
  TfrmMain& w = Open();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(&w, Qt::Key_F1);
  Control<QAction>(w, "About1")->trigger();
  ASSERT_EQ(Titles(), (std::vector<std::string>{"Help", "About Vapora MTQ Firmware Updater"}));
  EXPECT_EQ(shown[0].kind, MessageKind::Custom);
  EXPECT_EQ(shown[1].kind, MessageKind::Information);
  const std::string help = shown[0].text.toStdString();
  EXPECT_EQ(help.rfind("The Vapora MTQ Firmware Updater replaces the firmware that operates your "
                       "Vapora MTQ.\nFollowing the simple steps will help ensure a successful "
                       "update.\n\n",
                       0),
            0u);
  EXPECT_EQ(help, HelpText("Vapora MTQ Firmware Updater", "Vapora MTQ",
                           DeviceTypeWarnsDataLoss(kBuildDeviceType)));
  EXPECT_NE(help.find("Step 3. Click the \"Start\" button. The updater shows progress in the "
                      "Status area.\n\n"),
            std::string::npos);
  EXPECT_NE(help.find("an authorized Quillon Distributor for help:\n\n" + ContactBlock()),
            std::string::npos);
  EXPECT_NE(shown[1].text.indexOf("Version 1.14.0.6"), -1) << shown[1].text.toStdString();
  // What the user was shown is in the log.
  EXPECT_NE(Log().find("ErrorOK Told User:: The Vapora MTQ Firmware Updater replaces"),
            std::string::npos);
}

TEST(WindowTexts, HelpWarnsOfDataLossOnlyForTypesThatLoseIt) {
  const std::string warning =
      "WARNING: Updating the firmware in your Kt30 will erase any stored measurement data.\n"
      "Please download any measurement data stored in your Kt30 that you want to save.\n\n";
  EXPECT_NE(HelpText("C", "Kt30", true).find("update.\n\n" + warning + "Before beginning"),
            std::string::npos);
  EXPECT_EQ(HelpText("C", "Kt30", false).find("WARNING: Updating"), std::string::npos);
}

}  // namespace
