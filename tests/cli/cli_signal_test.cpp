// quilbsl-cli and the signals that would end it in the middle of an update: before the
// bootloader starts they end it; in the bootloader phase they print the quit guard's text and
// the update goes on, unless a second SIGINT within 3 s cancels it; the next run resumes.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/cli/cli_process.h"
#include "tests/support/sim_fixture.h"

namespace {

using nlohmann::json;

const char kGuard[] =
    "The Vapora MTQ Firmware Updater is updating your Vapora MTQ!\nThis process should NOT be "
    "interrupted.\n\nYour Vapora MTQ may be unusable or have missing settings\nuntil you complete "
    "the firmware update process.\n\nClick OK to continue updating your Vapora MTQ.\n";
const char kUploading[] = "Uploading new firmware code...\n";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class CliSignalTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> faults = {}) {
    SimOptions options = MakeTestOptions("MTQ", "3.50");
    options.faults = std::move(faults);
    sim = StartSim(options);
    ASSERT_TRUE(sim);
  }
  CliResult Update(const std::vector<CliHook>& hooks = {}) {
    return RunCli({"update", "--port", sim->slavePath(), "--data-dir", data.path(), "--json"}, {},
                  hooks);
  }
  TempDir data;
  std::unique_ptr<PtyServer> sim;
};

TEST_F(CliSignalTest, GuardedSignalsLetTheUpdateFinish) {
  Start({"lose-answer=130"});  // a lost answer holds the upload a second
  CliResult r = Update({{kUploading, [](pid_t pid) {
                           for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
                             kill(pid, sig);
                             Pause(100);
                           }
                         }}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(json::parse(r.LastLine())["result"], 1);
  EXPECT_EQ(Count(r.err, kGuard), 3u) << r.err;
  // Inside the bootloader phase each also says how to cancel.
  EXPECT_GE(Count(r.err, "Press Ctrl+C again within 3 seconds to cancel"), 1u);
}

TEST_F(CliSignalTest, SecondInterruptCancelsAndTheNextRunResumes) {
  // The answer to one data block is lost: the host waits for it a second, long enough for
  // both signals to land inside the upload.
  Start({"lose-answer=130"});
  CliResult r = Update({{kUploading, [](pid_t pid) {
                           kill(pid, SIGINT);
                           Pause(200);
                           kill(pid, SIGINT);
                         }}});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  json j = json::parse(r.LastLine());
  EXPECT_EQ(j["result"], -40);
  ASSERT_EQ(j["messages"].size(), 1u);
  EXPECT_EQ(j["messages"][0]["title"], "Firmware Upload Error");
  const std::string text = j["messages"][0]["text"];
  EXPECT_NE(text.find("[Error -40]"), std::string::npos) << text;
  EXPECT_NE(text.find("run the update again to resume it."), std::string::npos) << text;
  EXPECT_EQ(Count(r.err, kGuard), 1u);

  CliResult again = Update();
  ASSERT_EQ(again.exitCode, 0) << again.err;
  json k = json::parse(again.LastLine());
  EXPECT_EQ(k["result"], 1);
  EXPECT_EQ(k["messages"], json::array());
  for (const json& s : k["status"]) EXPECT_NE(s, "Saving settings for this Vapora MTQ...");
  EXPECT_FALSE(std::filesystem::exists(data.File("Vapora MTQ.settings.txt")));
}

TEST_F(CliSignalTest, InterruptBeforeTheBootloaderEndsTheProgram) {
  Start();
  CliResult r = Update({{"Connecting to Vapora MTQ...", [](pid_t pid) { kill(pid, SIGINT); }}});
  EXPECT_EQ(r.signal, SIGINT) << r.err;
  EXPECT_EQ(Count(r.err, kGuard), 0u);
}

}  // namespace
