// The version check as the terminal program runs it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/web/http_test_server.h"
#include "web/version_check_terminal.h"
#include "web/version_texts.h"

namespace {

const char kPath[] = "/versionfinder/Mtq-Firmware.txt";
const char kProduct[] = "Vapora MTQ Firmware Updater";

class TerminalCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("QUILBSL_SERVICE_URL", server.Url().toUtf8()); }
  void TearDown() override { qunsetenv("QUILBSL_SERVICE_URL"); }
  void Serve(const QByteArray& body) { server.Route("GET", kPath, TestRoute{false, 200, body}); }
  HttpTestServer server;
};

TEST_F(TerminalCheckTest, ReportsTheNewerVersionAsJson) {
  Serve("3.62 http://www.example.com/files/MtqUpdater.exe\r\n");
  const TerminalVersionCheck check = VersionCheckForTerminal(361, kPath, kProduct, 10000);
  EXPECT_EQ(check.found, 362u);
  EXPECT_EQ(check.outcome, kVersionNewer);
  EXPECT_EQ(check.message,
            "There is newer version of Vapora MTQ Firmware Updater available for download.\n"
            "http://www.example.com/files/MtqUpdater.exe");

  const std::string line = VersionCheckJson(check);
  EXPECT_EQ(line.find('\n'), std::string::npos) << "one line";
  const nlohmann::json parsed = nlohmann::json::parse(line);
  EXPECT_EQ(parsed["version"], 362);
  EXPECT_EQ(parsed["outcome"], 1);
  EXPECT_EQ(parsed["message"], check.message);
  EXPECT_EQ(parsed["address"], "http://www.example.com/files/MtqUpdater.exe");
}

TEST_F(TerminalCheckTest, EveryOutcomeIsToldWithoutTheSilentRules) {
  struct TerminalCase {
    QByteArray body;
    uint32_t found;
    int32_t outcome;
    const char* message;
  };
  const TerminalCase cases[] = {
      {"3.61 http://www.example.com/", 361, kVersionLatest,
       "You are using the latest version of Vapora MTQ Firmware Updater."},
      {"3.50 http://www.example.com/", 350, kVersionOlder,
       "You are running a newer version of Vapora MTQ Firmware Updater\n"
       "than is available from Quillon's web site."},
      {"http://www.example.com/ 3.62", 0, kVersionParseError,
       "Error parsing the version information returned by \nQuillon's version check service.\n"
       "[error -1002]\n\nPlease try again or contact Quillon for help."},
  };
  for (const TerminalCase& c : cases) {
    Serve(c.body);
    const TerminalVersionCheck check = VersionCheckForTerminal(361, kPath, kProduct, 10000);
    EXPECT_EQ(check.found, c.found);
    EXPECT_EQ(check.outcome, c.outcome);
    EXPECT_EQ(check.message, c.message);
  }
}

TEST_F(TerminalCheckTest, UnreachableServiceAndNoPath) {
  qputenv("QUILBSL_SERVICE_URL", HttpTestServer::DeadUrl().toUtf8());
  TerminalVersionCheck check = VersionCheckForTerminal(361, kPath, kProduct, 10000);
  EXPECT_EQ(check.found, 0u);
  EXPECT_EQ(check.outcome, kVersionConnectError);
  EXPECT_NE(check.message.find("\n\nError: "), std::string::npos) << check.message;
  EXPECT_EQ(nlohmann::json::parse(VersionCheckJson(check))["version"], 0);

  check = VersionCheckForTerminal(361, "", kProduct, 10000);
  EXPECT_EQ(check.outcome, kVersionNoCheck);
  EXPECT_EQ(check.found, 0u);
  EXPECT_FALSE(check.message.empty());
}

TEST(VersionCheckJson, TextThatIsNotUtf8DoesNotBreakTheLine) {
  TerminalVersionCheck check;
  check.message = "bad \xFF byte";
  const nlohmann::json parsed = nlohmann::json::parse(VersionCheckJson(check));
  EXPECT_EQ(parsed["outcome"], 0);
}

}  // namespace
