// Whole updates started from the window against the simulated device: the window while the
// update runs (what is disabled, the quit guard, the deferred version check) and after it.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "app/update_texts.h"
#include "tests/gui/window_fixture.h"

namespace {

// The controls that an update disables, by component name, and whether each is enabled.
std::map<std::string, bool> Reachable(TfrmMain& w, TfrmWeb* web) {
  std::map<std::string, bool> out;
  for (const char* name : {"btnStart", "btnClose", "cbCommPort"}) {
    out[name] = Control<QWidget>(w, name)->isEnabled();
  }
  for (const char* name :
       {"UpdateFirmware1", "OpenFirmwareFile1", "DumpFirmwareImage1", "SendFeedbacktoQuillon1",
        "CheckforUpdates1", "Help2", "About1", "Exit1"}) {
    out[name] = Control<QAction>(w, name)->isEnabled();
  }
  if (web != nullptr) out["btnSend"] = Control<QPushButton>(*web, "btnSend")->isEnabled();
  return out;
}

std::map<std::string, bool> AllReachable(bool running) {
  std::map<std::string, bool> out;
  for (const char* name : {"btnStart", "btnClose", "cbCommPort", "UpdateFirmware1",
                           "OpenFirmwareFile1", "DumpFirmwareImage1", "SendFeedbacktoQuillon1",
                           "CheckforUpdates1", "Help2", "About1", "btnSend"}) {
    out[name] = !running;
  }
  out["Exit1"] = true;  // the quit guard answers it
  return out;
}

class WindowUpdateTest : public WindowWebTest {
 protected:
  // A simulated Vapora MTQ 3.50, announced where the window looks for ports.
  void StartDevice() {
    SimOptions o = MakeTestOptions("MTQ", "3.50");
    o.announce = true;
    o.announceDir = dir.File("ports");
    sim = StartSim(o);
    ASSERT_TRUE(sim);
  }
  std::unique_ptr<PtyServer> sim;
};

TEST_F(WindowUpdateTest, TheWindowUpdatesTheDeviceAndHoldsOffQuittingMeanwhile) {
  ASSERT_NO_FATAL_FAILURE(StartDevice());
  // The automatic version check comes due while the update runs; it must wait for its end.
  server.Route("GET", "/versionfinder/Mtq-Firmware.txt",
               TestRoute{false, 200, "3.61 http://www.example.com/files/MtqUpdater.exe\r\n"});
  bool checkedWhileRunning = false;
  server.onRequest = [&](const TestRequest&) {
    checkedWhileRunning = checkedWhileRunning || window->state().updateRunning;
  };

  TfrmMain& w = OpenWithWeb();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  ASSERT_EQ(w.state().commPortName, sim->announcePath());

  // In the upload: the close box, then Ctrl+Q. The guard's OK lets the update go on.
  std::vector<std::map<std::string, bool>> atGuard;
  onMessage = [&](const MessageRequest& m) {
    if (m.title == kQuitGuardTitle) atGuard.push_back(Reachable(w, web.get()));
  };
  auto* bar = Control<QProgressBar>(w, "statusBar");
  bool closed = false, quit = false;
  QObject::connect(bar, &QProgressBar::valueChanged, &w, [&](int value) {
    if (value >= 40 && !closed) {
      closed = true;
      QMetaObject::invokeMethod(
          &w, [&w] { w.close(); }, Qt::QueuedConnection);
    }
    if (value >= 60 && !quit) {
      quit = true;
      QMetaObject::invokeMethod(
          &w, [&w] { QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier); }, Qt::QueuedConnection);
    }
  });

  ASSERT_EQ(RunUpdateThroughWindow(), 1);

  ASSERT_EQ(Titles(), (std::vector<std::string>{kQuitGuardTitle, kQuitGuardTitle}));
  EXPECT_EQ(shown[0].text.toStdString(),
            "The Vapora MTQ Firmware Updater is updating your Vapora MTQ!\nThis process should "
            "NOT be interrupted.\n\nYour Vapora MTQ may be unusable or have missing settings\n"
            "until you complete the firmware update process.\n\nClick OK to continue updating "
            "your Vapora MTQ.\n");
  EXPECT_FALSE(shown[0].okCancel);
  ASSERT_EQ(atGuard.size(), 2u);
  EXPECT_EQ(atGuard[0], AllReachable(true));
  EXPECT_EQ(atGuard[1], AllReachable(true));
  EXPECT_TRUE(w.isVisible());

  // After the update: the outcome shown, the window restored.
  const UpdaterState& s = w.state();
  EXPECT_FALSE(s.updateRunning);
  EXPECT_EQ(bar->value(), 100);
  auto* status = Control<QLabel>(w, "statusText");
  EXPECT_TRUE(status->isVisible());
  EXPECT_TRUE(status->text().startsWith("Successfully updated firmware in "))
      << status->text().toStdString();
  EXPECT_EQ(Control<QLabel>(w, "lblConnect")->text(), "You may disconnect your Vapora MTQ now.");
  EXPECT_EQ(Reachable(w, web.get()), AllReachable(false));
  EXPECT_TRUE(Control<QPushButton>(w, "btnClose")->isDefault());
  EXPECT_FALSE(Control<QPushButton>(w, "btnStart")->isDefault());
  EXPECT_FALSE(QApplication::overrideCursor());
  EXPECT_NE(Log().find("QuilBSL Host: Finished updating device in "), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(s.settingsFileName));

  // The version check that came due ran after the update.
  ASSERT_TRUE(WaitFor([&] { return !server.requests.empty(); }));
  EXPECT_FALSE(checkedWhileRunning);
  EXPECT_TRUE(webShown.empty());  // silent, and no newer version

  // Now closing needs no guard, and stores the simulator's port for the next run.
  EXPECT_TRUE(w.close());
  EXPECT_EQ(Titles().size(), 2u);
  const std::string stored = ReadWholeFile(dir.File("config/Quillon Devices, Inc/QuilBSL.conf"));
  EXPECT_NE(stored.find("CommPort=" + sim->announcePath()), std::string::npos) << stored;
}

TEST_F(WindowUpdateTest, AFailedUpdateIsToldOnceAndRestoresTheWindow) {
  ASSERT_NO_FATAL_FAILURE(StartDevice());
  TfrmMain& w = OpenWithWeb();
  const std::string shownPort = w.state().portDisplayText;
  ASSERT_NE(shownPort.find("Simulated Vapora MTQ"), std::string::npos);
  sim.reset();  // unplugged after it was chosen

  Control<QAction>(w, "PromptforSerialNumber1")->trigger();
  Control<QLineEdit>(w, "newSNstr")->setText("12345");
  ASSERT_EQ(RunUpdateThroughWindow(), -20);

  ASSERT_EQ(Titles(), std::vector<std::string>{"Connection Error"});
  EXPECT_EQ(shown[0].kind, MessageKind::Error);
  EXPECT_EQ(
      shown[0].text.toStdString(),
      "Comm Port \"" + shownPort + "\" isn't available.\nPlease choose a new Comm Port to use.");
  EXPECT_NE(Log().find("ErrorOK Told User:: Comm Port \"" + shownPort + "\" isn't available."),
            std::string::npos);
  EXPECT_FALSE(Control<QLabel>(w, "statusText")->isVisible());
  EXPECT_EQ(Control<QProgressBar>(w, "statusBar")->value(), 0);
  EXPECT_EQ(Control<QLabel>(w, "lblConnect")->text(), "Connect Vapora MTQ to computer comm port.");
  EXPECT_EQ(Reachable(w, web.get()), AllReachable(false));
  EXPECT_TRUE(Control<QPushButton>(w, "btnClose")->isDefault());
  // A finished update, good or not, unchecks Replace Serial Number and empties the edit.
  EXPECT_FALSE(Control<QAction>(w, "PromptforSerialNumber1")->isChecked());
  EXPECT_FALSE(Control<QLineEdit>(w, "newSNstr")->isVisible());
  EXPECT_EQ(Control<QLineEdit>(w, "newSNstr")->text(), "");
  EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(WindowUpdateTest, AQuitGuardThatIsNotAnsweredOkClosesAndCancelsTheTransfer) {
  ASSERT_NO_FATAL_FAILURE(StartDevice());
  TfrmMain& w = OpenWithWeb();
  answers[kQuitGuardTitle] = QMessageBox::Cancel;  // the box failed
  auto* bar = Control<QProgressBar>(w, "statusBar");
  bool closed = false;
  QObject::connect(bar, &QProgressBar::valueChanged, &w, [&](int value) {
    if (value >= 40 && !closed) {
      closed = true;
      QMetaObject::invokeMethod(
          &w, [&w] { w.close(); }, Qt::QueuedConnection);
    }
  });
  EXPECT_EQ(RunUpdateThroughWindow(), -40);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.state().keepGoing);
  ASSERT_GE(Titles().size(), 2u);
  EXPECT_EQ(Titles()[0], kQuitGuardTitle);
  EXPECT_EQ(Titles()[1], "Firmware Upload Error");
  // The choices were stored as the window closed.
  const std::string stored = ReadWholeFile(dir.File("config/Quillon Devices, Inc/QuilBSL.conf"));
  EXPECT_NE(stored.find("CommPort=" + sim->announcePath()), std::string::npos) << stored;
}

TEST_F(WindowUpdateTest, ClosingTheWindowEndsTheProgramWithTheFeedbackFormOpen) {
  TfrmMain& w = OpenWithWeb();
  web->show();
  ASSERT_TRUE(web->isVisible());
  bool hung = false;
  QTimer::singleShot(0, &w, [&w] { w.close(); });
  QTimer::singleShot(30000, qApp, [&hung] {
    hung = true;
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  EXPECT_FALSE(hung);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(web->isVisible());
}

}  // namespace
