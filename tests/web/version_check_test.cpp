// The newer-version check against a local version-finder service.

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "bsl/device_types.h"
#include "tests/web/web_fixture.h"
#include "web/version_finder_paths.h"
#include "web/version_texts.h"

namespace {

const QString kProduct = "Vapora MTQ Firmware Updater";
const QByteArray kMtqPath = "/versionfinder/Mtq-Firmware.txt";

class VersionCheckTest : public WebFormTest {
 protected:
  void Serve(const QByteArray& body, int status = 200) {
    server.Route("GET", kMtqPath, TestRoute{false, status, body});
  }
  int32_t Check(bool silent) { return form.CheckForNewerVersion(361, kMtqPath, silent, kProduct); }
};

TEST_F(VersionCheckTest, NewerDownloadIsOfferedAndOpened) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe\r\n");
  for (bool silent : {true, false}) {
    SCOPED_TRACE(silent);
    shown.clear();
    opened.clear();
    EXPECT_EQ(Check(silent), 362);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "New Version Available");
    EXPECT_EQ(shown[0].text,
              "There is newer version of Vapora MTQ Firmware Updater available for download.\n\n"
              "Would you like to download this new version with your web browser now?");
    EXPECT_TRUE(shown[0].yesNo);
    EXPECT_EQ(shown[0].kind, kDialogInformation);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "http://www.example.com/files/MtqUpdater.exe");
  }
  ASSERT_EQ(server.requests.size(), 2u);
  EXPECT_EQ(server.requests[0].method, "GET");
  EXPECT_EQ(server.requests[0].path, kMtqPath);
  EXPECT_EQ(server.requests[0].Header("Accept"), "text/html, */*");
  EXPECT_EQ(server.requests[0].Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
}

TEST_F(VersionCheckTest, NoMeansNoBrowser) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe");
  answerYes = false;
  EXPECT_EQ(Check(false), 362);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(opened.empty());
}

TEST_F(VersionCheckTest, BrowserThatFailsIsReportedEvenInASilentCheck) {
  Serve("5 http://www.example.com/mtq.html");
  browserWorks = false;
  EXPECT_EQ(Check(true), 500);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text,
            "There is information about a newer version of Vapora MTQ Firmware Updater\n"
            "available at http://www.example.com/mtq.html\n\n"
            "Would you like to visit this page with your web browser now?");
  EXPECT_EQ(shown[1].caption, "Web Browser Launch Error");
  EXPECT_EQ(shown[1].text,
            "Vapora MTQ Firmware Updater had trouble launching your web browser.\n"
            "Please try manually going to:\nhttp://www.example.com/mtq.html");
  EXPECT_EQ(shown[1].kind, kDialogWarning);
}

TEST_F(VersionCheckTest, AddressThatIsNoWebAddressIsNotHandedToTheDesktop) {
  Serve("3.62 httpx:/payload.exe");
  EXPECT_EQ(Check(false), 362);
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].caption, "Web Browser Launch Error");
}

TEST_F(VersionCheckTest, SameVersionIsToldOnlyFromTheMenu) {
  Serve("3.61 http://www.example.com/files/MtqUpdater.exe");
  EXPECT_EQ(Check(true), 361);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Check(false), 361);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Version Finder");
  EXPECT_EQ(shown[0].text, "You are using the latest version of Vapora MTQ Firmware Updater.");
  EXPECT_FALSE(shown[0].yesNo);
  EXPECT_TRUE(opened.empty());
}

TEST_F(VersionCheckTest, OlderServiceVersionIsToldOnlyFromTheMenu) {
  Serve("3.50 http://www.example.com/files/MtqUpdater.exe");
  EXPECT_EQ(Check(true), 350);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Check(false), 350);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "You are running a newer version of Vapora MTQ Firmware Updater\n"
            "than is available from Quillon's web site.");
}

TEST_F(VersionCheckTest, ReplyBeginningWithTheAddressIsAParseError) {
  Serve("http://www.example.com/files/MtqUpdater.exe 3.62");
  EXPECT_EQ(Check(true), 0);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Check(false), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Version Check Error");
  EXPECT_NE(shown[0].text.indexOf("[error -1002]"), -1);
  EXPECT_EQ(shown[0].kind, kDialogError);
}

TEST_F(VersionCheckTest, EmptyPathOrNoVersionSendsNoRequest) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe");
  EXPECT_EQ(form.CheckForNewerVersion(361, "", false, kProduct), 0);
  EXPECT_EQ(form.CheckForNewerVersion(0, kMtqPath, false, kProduct), 0);
  form.SetVersionFinderPath(DT_GN);
  form.SetBuildIdentity(361, kProduct);
  form.StartVersionCheck(true);
  EXPECT_TRUE(form.VersionFinderPath().isEmpty());
  EXPECT_TRUE(server.requests.empty());
  EXPECT_TRUE(shown.empty());
}

TEST_F(VersionCheckTest, ServiceThatDoesNotAnswerGivesTheConnectionError) {
  qputenv("QUILBSL_SERVICE_URL", HttpTestServer::DeadUrl().toUtf8());
  EXPECT_EQ(Check(true), 0);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Check(false), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Version Check Error");
  EXPECT_TRUE(shown[0].text.startsWith(
      "Error connecting to Quillon's version check service.\n"
      "This feature requires your computer to be connected \nto the internet.\n\n\n"
      "Please make a connection to the internet and try again.\n\nError: "));
  EXPECT_NE(shown[0].text.indexOf("refused"), -1) << shown[0].text.toStdString();
}

TEST_F(VersionCheckTest, ServiceThatNeverRepliesTimesOut) {
  server.Route("GET", kMtqPath, TestRoute{true});
  form.SetRequestTimeoutMs(300);
  EXPECT_EQ(Check(false), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.endsWith("\n\nError: The service did not answer within 0.3 seconds."))
      << shown[0].text.toStdString();
  EXPECT_EQ(server.requests.size(), 1u);
}

TEST_F(VersionCheckTest, HttpErrorStatusIsAConnectionError) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe", 500);
  EXPECT_EQ(Check(false), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.startsWith("Error connecting to Quillon's version check service."));
  EXPECT_NE(shown[0].text.indexOf("\n\nError: "), -1);
}

TEST_F(VersionCheckTest, ServiceAddressThatIsNotHttpIsAConnectionError) {
  qputenv("QUILBSL_SERVICE_URL", "ftp://files.example.com");
  EXPECT_EQ(Check(false), 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].text.indexOf("\"ftp://files.example.com\" is not an http or https address"),
            -1);
}

TEST_F(VersionCheckTest, ServiceAddressKeepsItsPathPrefix) {
  qputenv("QUILBSL_SERVICE_URL", (server.Url() + "/mirror/").toUtf8());
  server.Route("GET", "/mirror" + kMtqPath, TestRoute{false, 200, "3.61 http://www.example.com/"});
  EXPECT_EQ(Check(true), 361);
}

TEST_F(VersionCheckTest, AutomaticCheckRunsOnceSilentlyAfterArming) {
  Serve("3.61 http://www.example.com/files/MtqUpdater.exe");
  form.SetVersionFinderPath(kBuildDeviceType);
  form.SetBuildIdentity(361, kProduct);
  EXPECT_EQ(form.VersionFinderPath(), kMtqPath);
  EXPECT_FALSE(form.tWebCheck->isActive());
  EXPECT_EQ(form.tWebCheck->interval(), 500);
  form.ArmVersionCheck();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !server.requests.empty() && !form.tWebCheck->isActive(); }));
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(form.tWebCheck->isActive()) << "the timer disables itself";
}

TEST_F(VersionCheckTest, AutomaticCheckWaitsForTheUpdateToEnd) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe");
  form.SetVersionFinderPath(kBuildDeviceType);
  form.SetBuildIdentity(361, kProduct);
  form.SetUpdateRunning(true);
  form.tWebCheckTimer();
  QCoreApplication::processEvents();
  EXPECT_TRUE(server.requests.empty());
  form.SetUpdateRunning(false);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }));
  EXPECT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(shown[0].caption, "New Version Available");
}

TEST_F(VersionCheckTest, MenuCheckUsesTheBuildsPath) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe");
  form.SetVersionFinderPath(kBuildDeviceType);
  form.SetBuildIdentity(361, kProduct);
  form.StartVersionCheck(true);
  ASSERT_EQ(server.requests.size(), 1u);
  ASSERT_EQ(shown.size(), 1u);
}

TEST(VersionFinderPaths, TypesWithoutAFileHaveNone) {
  EXPECT_STREQ(VersionFinderPath(DT_MTQ), "/versionfinder/Mtq-Firmware.txt");
  EXPECT_STREQ(VersionFinderPath(DT_KT3), "/versionfinder/Kt3-Firmware.html");
  for (int type : {int{DT_UNKNOWN}, int{DT_GN}, int{DT_SOLIX_KA}, int{DT_KCB}, int{DT_TRNK6},
                   int{DT_END}, -1, 99}) {
    EXPECT_STREQ(VersionFinderPath(type), "") << type;
  }
  for (int type = DT_KT3; type < DT_END; ++type) {
    const std::string path = VersionFinderPath(type);
    if (!path.empty()) {
      EXPECT_EQ(path.rfind("/versionfinder/", 0), 0u) << type;
    }
  }
}

}  // namespace
