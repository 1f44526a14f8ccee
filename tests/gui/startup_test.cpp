// The window as start-up leaves it: caption, labels, menus, the log, and the stored choices read
// at start-up and written back at close.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "tests/gui/window_fixture.h"

namespace {

TEST_F(WindowTest, StartUpNamesTheWindowAfterTheBuildsDevice) {
  TfrmMain& w = Open();
  EXPECT_EQ(w.windowTitle(), "Vapora MTQ Firmware Updater");
  EXPECT_EQ(QCoreApplication::applicationName(), "Vapora MTQ Updater");
  EXPECT_EQ(Control<QLabel>(w, "userText1")->text(), "This utility updates Vapora MTQ firmware to");
  EXPECT_EQ(Control<QLabel>(w, "userText2")->text(), "MTQ 3.61");
  EXPECT_EQ(Control<QLabel>(w, "lblConnect")->text(), "Connect Vapora MTQ to computer comm port.");
  EXPECT_EQ(Control<QLabel>(w, "commLabel")->text(), "Connect to Vapora MTQ with Comm Port");
  EXPECT_EQ(Control<QLabel>(w, "Label1")->text(), "Status:");
  EXPECT_FALSE(Control<QLabel>(w, "statusText")->isVisible());
  EXPECT_FALSE(Control<QLabel>(w, "newSN")->isVisible());
  EXPECT_FALSE(Control<QLineEdit>(w, "newSNstr")->isVisible());
  EXPECT_EQ(Control<QLineEdit>(w, "newSNstr")->maxLength(), 15);
  EXPECT_EQ(Control<QComboBox>(w, "cbCommPort")->toolTip(), "Pick your comm port from this list.");
  auto* bar = Control<QProgressBar>(w, "statusBar");
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_TRUE(Control<QPushButton>(w, "btnStart")->isDefault());
  EXPECT_TRUE(Control<QPushButton>(w, "btnClose")->isEnabled());
  EXPECT_FALSE(w.timerStart->isActive());
  EXPECT_FALSE(w.timerConstructorErrors->isActive());
  EXPECT_TRUE(shown.empty());

  const UpdaterState& s = w.state();
  EXPECT_EQ(s.deviceName, "Vapora MTQ");
  EXPECT_EQ(s.firmwareVersion, 361u);
  EXPECT_EQ(s.progressMode, 1);
  EXPECT_EQ(s.progressStep, 35328.0f / 62406.0f);
  EXPECT_EQ(s.dataFolder, DataFolder());
  EXPECT_EQ(s.logFileName, DataFolder() + "/Vapora MTQ Firmware Updater.errors.txt");
  EXPECT_EQ(s.log->level, 30u);
}

TEST_F(WindowTest, MenusCarryTheirShortcutsAndStartUpStates) {
  TfrmMain& w = Open();
  struct Item {
    const char* name;
    const char* text;
    const char* shortcut;
    bool enabled, visible, checked;
  };
  const Item items[] = {
      {"OpenFirmwareFile1", "&Open Firmware File...", "Ctrl+O", true, true, false},
      {"UpdateFirmware1", "&Update Firmware", "Ctrl+F", true, true, false},
      {"DumpFirmwareImage1", "&Dump Firmware Image...", "Ctrl+Alt+D", true, true, false},
      {"Exit1", "&Exit", "Ctrl+Q", true, true, false},
      {"VerboseErrorFile1", "&Verbose Error File", "", false, true, true},
      {"ForceFindAllCommPorts1", "Force Find All &Comm Ports", "", true, true, false},
      {"DontEraseData1", "&Don't Erase Data", "", true, true, false},
      {"PromptforSerialNumber1", "&Replace Serial Number", "", true, true, false},
      {"Help2", "&Help", "F1", true, true, false},
      // No web form was given: the two web commands stay disabled.
      {"SendFeedbacktoQuillon1", "Send Feedback to Quillon...", "", false, true, false},
      {"CheckforUpdates1", "Check for Newer Firmware Version", "", false, true, false},
      {"About1", "About Vapora MTQ Firmware Updater", "", true, true, false},
  };
  for (const Item& item : items) {
    SCOPED_TRACE(item.name);
    auto* action = Control<QAction>(w, item.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), item.text);
    EXPECT_EQ(action->shortcut(), QKeySequence(item.shortcut));
    EXPECT_EQ(action->isEnabled(), item.enabled);
    EXPECT_EQ(action->isVisible(), item.visible);
    EXPECT_EQ(action->isChecked(), item.checked);
  }
  // The menus in order; the dump has no entry, but its action belongs to the window.
  auto* bar = Control<QMenuBar>(w, "MainMenu1");
  QStringList menus;
  for (QAction* a : bar->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Settings", "&Help"}));
  auto names = [](QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << a->objectName();
    return out;
  };
  EXPECT_EQ(names(Control<QMenu>(w, "File1")),
            (QStringList{"OpenFirmwareFile1", "UpdateFirmware1", "N1", "Exit1"}));
  EXPECT_EQ(names(Control<QMenu>(w, "Edit1")),
            (QStringList{"VerboseErrorFile1", "ForceFindAllCommPorts1", "DontEraseData1",
                         "PromptforSerialNumber1"}));
  EXPECT_EQ(names(Control<QMenu>(w, "Help1")),
            (QStringList{"Help2", "SendFeedbacktoQuillon1", "CheckforUpdates1", "N2", "About1"}));
  EXPECT_TRUE(w.actions().contains(Control<QAction>(w, "DumpFirmwareImage1")));
}

TEST_F(WindowTest, StoredChoicesAreReadAtStartUpAndWrittenAtClose) {
  AddSysfsPort("ttyUSB0");
  AddSysfsPort("ttyUSB1");
  struct Case {
    const char* stored;  // the settings file as an earlier run (or a hand) left it
    bool expectFindAll;
    bool expectPortStored;
    const char* expectPort;  // commPortName after start-up
  };
  const Case cases[] = {
      {"", false, false, "ttyUSB0"},
      {"[General]\nFindAllComms=true\nCommPort=ttyUSB1\n", true, true, "ttyUSB1"},
      {"[General]\nFindAllComms=false\nCommPort=ttyUSB1\nVerboseLog=false\n", false, true,
       "ttyUSB1"},
      // Values of the wrong type count as missing, and start-up goes on past them.
      {"[General]\nFindAllComms=yes\n", false, false, "ttyUSB0"},
      {"[General]\nFindAllComms=1\n", false, false, "ttyUSB0"},
      {"[General]\nCommPort=ttyUSB1, ttyUSB0\n", false, false, "ttyUSB0"},
      {"[General]\nCommPort=@ByteArray(ttyUSB1)\n", false, false, "ttyUSB0"},
      // A stored empty name is a stored name that matches no port.
      {"[General]\nCommPort=\n", false, true, "ttyUSB0"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    // A folder of its own per case: the settings are read from disk, not from a cache.
    const std::string config = dir.File("config-" + std::to_string(++n));
    const std::string file = config + "/Quillon Devices, Inc/QuilBSL.conf";
    std::filesystem::create_directories(config + "/Quillon Devices, Inc");
    std::ofstream(file) << c.stored;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(config));

    TfrmMain& w = Open();
    EXPECT_EQ(w.findAllComms, c.expectFindAll);
    EXPECT_EQ(Control<QAction>(w, "ForceFindAllCommPorts1")->isChecked(), c.expectFindAll);
    EXPECT_EQ(w.storedPortExists, c.expectPortStored);
    EXPECT_EQ(w.state().commPortName, c.expectPort);
    EXPECT_EQ(Control<QLabel>(w, "userText2")->text(), "MTQ 3.61");  // start-up went on
    EXPECT_TRUE(w.close());
    const std::string written = ReadWholeFile(file);
    EXPECT_NE(written.find(std::string("FindAllComms=") + (c.expectFindAll ? "true" : "false")),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("VerboseLog=true"), std::string::npos) << written;
    EXPECT_NE(written.find(std::string("CommPort=") + c.expectPort + "\n"), std::string::npos)
        << written;
    window.reset();
  }
}

TEST_F(WindowTest, ChoicesMadeInTheWindowAreStoredAtClose) {
  AddSysfsPort("ttyUSB0");
  AddSysfsPort("ttyUSB1");
  TfrmMain& w = Open();
  Control<QAction>(w, "ForceFindAllCommPorts1")->trigger();
  EXPECT_TRUE(w.findAllComms);
  auto* box = Control<QComboBox>(w, "cbCommPort");
  box->setCurrentIndex(1);
  emit box->activated(1);
  EXPECT_TRUE(w.close());

  // The next run finds them.
  window.reset();
  TfrmMain& again = Open();
  EXPECT_TRUE(again.findAllComms);
  EXPECT_TRUE(again.storedPortExists);
  EXPECT_EQ(again.state().commPortName, "ttyUSB1");
  EXPECT_EQ(again.selectedPort, 1);
  EXPECT_EQ(Control<QComboBox>(again, "cbCommPort")->currentIndex(), 1);
}

TEST_F(WindowTest, AFailedBootloaderHostIsReportedAndEndsTheProgram) {
  TfrmMain& w = Open();
  ASSERT_TRUE(w.isVisible());
  w.state().host->constructStatus = -101;
  w.timerConstructorErrorsTimer();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Application Launch Error");
  EXPECT_EQ(shown[0].kind, MessageKind::Error);
  EXPECT_EQ(shown[0].text,
            "The internal firware file for this Vapora MTQ Firmware Updater is corrupt.\n\n"
            "Please restart this application and try again.");
  EXPECT_FALSE(w.isVisible());
  const std::string log = Log();
  EXPECT_NE(log.find("ErrorOK Told User:: The internal firware file"), std::string::npos);
  EXPECT_NE(log.find("QuilBSL frmMain: HostBSL class got an constructor error (-101)\r\n"),
            std::string::npos);
}

}  // namespace

namespace {

TEST_F(WindowTest, ReturnPressesStartAndEscapePressesClose) {
  AddSysfsPort("ttyUSB0");
  TfrmMain& w = Open();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  auto* start = Control<QPushButton>(w, "btnStart");
  auto* close = Control<QPushButton>(w, "btnClose");

  QSignalSpy started(start, &QPushButton::clicked);
  QTest::keyClick(&w, Qt::Key_Return);
  ASSERT_TRUE(started.wait(5000));
  EXPECT_TRUE(w.timerStart->isActive());  // the update is on its way
  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(close->isEnabled());
  w.timerStart->stop();
  // Close is disabled: Escape does nothing now.
  QTest::keyClick(&w, Qt::Key_Escape);
  QTest::qWait(300);
  EXPECT_TRUE(w.isVisible());

  close->setEnabled(true);
  QSignalSpy closed(close, &QPushButton::clicked);
  QTest::keyClick(&w, Qt::Key_Escape);
  ASSERT_TRUE(closed.wait(5000));
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
