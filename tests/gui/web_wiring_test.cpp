// The Help menu's web commands through the window: the feedback form with the log prepared,
// and the version check from the menu.

#include <QLabel>
#include <QTimer>

#include "tests/gui/window_fixture.h"
#include "web/deployment.h"

namespace {

TEST_F(WindowWebTest, FeedbackWithAnEmptyLogSaysSoInItAndOpensTheForm) {
  server.Route("GET", "/", TestRoute{false, 200, "ok"});
  TfrmMain& w = OpenWithWeb();
  ASSERT_TRUE(Control<QAction>(w, "SendFeedbacktoQuillon1")->isEnabled());
  std::filesystem::remove(w.state().logFileName);
  Control<QAction>(w, "SendFeedbacktoQuillon1")->trigger();

  EXPECT_TRUE(web->isVisible());
  EXPECT_TRUE(webShown.empty());
  EXPECT_NE(Log().find("Vapora MTQ Firmware Updater: Launching web feedback with an empty error "
                       "file.\r\n"),
            std::string::npos);
  const WEB_FORM_INFO_TYPE& info = web->FormInfo();
  EXPECT_EQ(info.programName, "Vapora MTQ Firmware Updater");
  EXPECT_EQ(info.programVersion, "MTQ 3.61");
  EXPECT_EQ(info.defaultEmailTo, kSupportEmail);
  EXPECT_EQ(info.attachment1.toStdString(), w.state().logFileName);
  EXPECT_TRUE(info.registeredName.isEmpty());
  EXPECT_EQ(info.browseFolder, QCoreApplication::applicationDirPath());
}

TEST_F(WindowWebTest, FeedbackCutsALongLogToItsTail) {
  server.Route("GET", "/", TestRoute{false, 200, "ok"});
  TfrmMain& w = OpenWithWeb();
  {
    std::ofstream log(w.state().logFileName, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 2000; ++i) log << "1 Jan 2024 0:00:00 - QuilSerial: line " << i << "\r\n";
  }
  ASSERT_GT(std::filesystem::file_size(w.state().logFileName), 32768u);
  Control<QAction>(w, "SendFeedbacktoQuillon1")->trigger();
  EXPECT_LE(std::filesystem::file_size(w.state().logFileName), 32768u);
  const std::string log = Log();
  EXPECT_NE(log.find("line 1999\r\n"), std::string::npos);
  EXPECT_EQ(log.find("line 0\r\n"), std::string::npos);
  EXPECT_EQ(log.find("empty error file"), std::string::npos);
}

TEST_F(WindowWebTest, CheckForNewerFirmwareVersionAsksTheServiceAndTellsTheAnswer) {
  server.Route("GET", "/versionfinder/Mtq-Firmware.txt",
               TestRoute{false, 200, "3.62 http://www.example.com/files/MtqUpdater.exe\r\n"});
  TfrmMain& w = OpenWithWeb();
  Control<QAction>(w, "CheckforUpdates1")->trigger();
  ASSERT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(server.requests[0].path, "/versionfinder/Mtq-Firmware.txt");
  ASSERT_EQ(webShown.size(), 1u);
  EXPECT_EQ(webShown[0].second, "New Version Available");
  EXPECT_NE(webShown[0].first.indexOf("Vapora MTQ Firmware Updater"), -1);
}

TEST_F(WindowWebTest, TheAutomaticCheckRunsHalfASecondAfterStartUp) {
  server.Route("GET", "/versionfinder/Mtq-Firmware.txt",
               TestRoute{false, 200, "3.61 http://www.example.com/files/MtqUpdater.exe\r\n"});
  OpenWithWeb();
  ASSERT_TRUE(web->tWebCheck->isActive());
  EXPECT_EQ(web->tWebCheck->interval(), 500);
  ASSERT_TRUE(WaitFor([&] { return !server.requests.empty(); }));
  EXPECT_EQ(server.requests[0].path, "/versionfinder/Mtq-Firmware.txt");
  EXPECT_TRUE(webShown.empty());  // silent: the same version says nothing
}

}  // namespace
