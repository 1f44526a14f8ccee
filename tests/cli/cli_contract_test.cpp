// quilbsl-cli's contract, as the tools that call it rely on it: exit statuses 0, 1 and 2, the
// --json summary as the last line of stdout, --answer, ports, dump and info.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "bsl/quil_bsl_host.h"
#include "tests/cli/cli_process.h"
#include "tests/e2e/firmware_files.h"
#include "tests/support/sim_fixture.h"

namespace {

using nlohmann::json;
using Args = std::vector<std::string>;

json Summary(const CliResult& r) {
  json j = json::parse(r.LastLine(), nullptr, false);
  EXPECT_FALSE(j.is_discarded()) << "last line: " << r.LastLine() << "\nstderr: " << r.err;
  return j;
}

// The summary's shape, whatever the outcome.
void ExpectShape(const json& j) {
  ASSERT_TRUE(j.is_object());
  EXPECT_EQ(j.size(), 4u);
  EXPECT_TRUE(j["result"].is_number_integer());
  EXPECT_TRUE(j["seconds"].is_null() || j["seconds"].is_number_unsigned());
  ASSERT_TRUE(j["messages"].is_array());
  for (const json& m : j["messages"]) {
    EXPECT_EQ(m.size(), 3u);
    EXPECT_TRUE(m["title"].is_string());
    EXPECT_TRUE(m["text"].is_string());
    EXPECT_TRUE(m["answer"].is_null() || m["answer"] == "ok" || m["answer"] == "cancel");
  }
  ASSERT_TRUE(j["status"].is_array());
  for (const json& s : j["status"]) EXPECT_TRUE(s.is_string());
}

TEST(CliUsage, BadInvocationsExitWithTwo) {
  const Args cases[] = {
      {},
      {"bogus"},
      {"update"},
      {"update", "--port"},
      {"update", "--port", "ttyUSB0", "--answer", "maybe"},
      {"update", "--port", "ttyUSB0", "--new-sn", "1234567890123456"},
      {"update", "--port", "ttyUSB0", "--firmware", "/no/such/file.txt"},
      {"update", "--port", "ttyUSB0", "--what"},
      {"update", "--port", "ttyUSB0", "--data-dir", "/proc/no-such-folder"},
      {"ports", "--port", "ttyUSB0"},
      {"dump"},
      {"info"},
  };
  for (const Args& args : cases) {
    CliResult r = RunCli(args);
    std::string shown;
    for (const std::string& a : args) shown += a + " ";
    EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.err;
    EXPECT_EQ(r.LastLine().find('{'), std::string::npos) << shown;
  }
  EXPECT_EQ(RunCli({"--help"}).exitCode, 0);
  EXPECT_EQ(RunCli({"update", "--help"}).exitCode, 0);
}

TEST(CliUpdate, MissingPortFailsWithOne) {
  TempDir dir;
  const std::string port = dir.File("no-such-port");
  CliResult r = RunCli({"update", "--port", port, "--data-dir", dir.File("data"), "--json"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  // stdout holds the summary alone; people read stderr.
  EXPECT_EQ(r.out, r.LastLine() + "\n");
  json j = Summary(r);
  ExpectShape(j);
  EXPECT_EQ(j["result"], -20);
  EXPECT_TRUE(j["seconds"].is_null());
  EXPECT_EQ(j["status"], json::array({"Connecting to Vapora MTQ..."}));
  const std::string text =
      "Comm Port \"" + port + "\" isn't available.\nPlease choose a new Comm Port to use.";
  const json message = {{"title", "Connection Error"}, {"text", text}, {"answer", nullptr}};
  EXPECT_EQ(j["messages"], json::array({message}));
  EXPECT_NE(r.err.find("[Connection Error]\n" + text), std::string::npos);
  const std::string log = ReadWholeFile(dir.File("data/Vapora MTQ Firmware Updater.errors.txt"));
  EXPECT_NE(log.find(" - ErrorOK Told User:: " + text + "\r\n"), std::string::npos) << log;
}

// The questions of a Vapora 8 running 2.01 (wrong device, then outside the version window):
// --answer decides; with no answer and no terminal they are cancelled. The port is given as a
// name under /dev.
struct AnswerCase {
  const char* name;
  Args answer;
  bool noBootloader;
  int32_t result;
  json answers;  // the "answer" of each message in order
};

class CliAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(CliAnswerTest, AnswersAndOutcome) {
  const AnswerCase& c = GetParam();
  SimOptions options = MakeTestOptions("V8X", "2.01");
  if (c.noBootloader) options.faults = {"no-bootloader"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  TempDir dir;
  const std::string name = sim->slavePath().substr(5);  // pts/N
  ASSERT_EQ(name.rfind("pts/", 0), 0u);
  Args args = {"update", "--port", name, "--data-dir", dir.path(), "--json"};
  args.insert(args.end(), c.answer.begin(), c.answer.end());

  CliResult r = RunCli(args);

  EXPECT_EQ(r.exitCode, 1) << r.err;
  json j = Summary(r);
  ExpectShape(j);
  EXPECT_EQ(j["result"], c.result);
  json answers = json::array();
  for (const json& m : j["messages"]) answers.push_back(m["answer"]);
  EXPECT_EQ(answers, c.answers);
  EXPECT_EQ(j["messages"][0]["title"], "Wrong Device");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CliAnswerTest,
    ::testing::Values(
        AnswerCase{"Cancel", {"--answer", "cancel"}, false, -121, json::array({"cancel"})},
        AnswerCase{"NoTerminal", {}, false, -121, json::array({"cancel"})},
        AnswerCase{"Ok", {"--answer", "ok"}, true, -112, json::array({"ok", "ok", nullptr})}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

// The simulator's announced link: listed by ports, and taken as an absolute path by update.
class CliAnnouncedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimOptions options = MakeTestOptions("MTQ", "3.50");
    options.announce = true;
    options.announceDir = runtime.path() + "/quilbsl/ports";
    sim = StartSim(options);
    ASSERT_TRUE(sim);
    ASSERT_FALSE(sim->announcePath().empty());
  }
  std::vector<std::string> Env() const { return {"XDG_RUNTIME_DIR=" + runtime.path()}; }

  TempDir runtime;
  std::unique_ptr<PtyServer> sim;
};

TEST_F(CliAnnouncedTest, PortsListsTheSimulator) {
  CliResult r = RunCli({"ports", "--json"}, Env());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  json list = json::parse(r.LastLine(), nullptr, false);
  ASSERT_TRUE(list.is_array()) << r.out;
  const json expected = {{"port", sim->announcePath()},
                         {"text", sim->slavePath().substr(5) + " Simulated Vapora MTQ"},
                         {"busy", false}};
  EXPECT_NE(std::find(list.begin(), list.end(), expected), list.end()) << list.dump();
  for (const json& p : list) {
    EXPECT_TRUE(p["port"].is_string() && p["text"].is_string() && p["busy"].is_boolean());
  }
  CliResult plain = RunCli({"ports"}, Env());
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_NE(plain.out.find(sim->announcePath()), std::string::npos);
}

TEST_F(CliAnnouncedTest, UpdateThroughTheLinkSucceeds) {
  TempDir data;
  CliResult r = RunCli({"update", "--port", sim->announcePath(), "--data-dir", data.path(), "--json"},
                       Env());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  json j = Summary(r);
  ExpectShape(j);
  EXPECT_EQ(j["result"], 1);
  ASSERT_TRUE(j["seconds"].is_number_unsigned());
  EXPECT_EQ(j["messages"], json::array());
  const std::string success =
      "Successfully updated firmware in " + std::to_string(j["seconds"].get<unsigned>()) + " seconds.";
  EXPECT_EQ(j["status"], json::array({"Connecting to Vapora MTQ...",
                                      "Saving settings for this Vapora MTQ...",
                                      "Starting the firmware loader...", "Erasing firmware memory...",
                                      "Uploading new firmware code...",
                                      "Restarting the Vapora MTQ, please wait...",
                                      "Checking new firmware...", "Restoring settings...", success}));
  EXPECT_FALSE(std::filesystem::exists(data.File("Vapora MTQ.settings.txt")));
  EXPECT_NE(ReadWholeFile(data.File("Vapora MTQ Firmware Updater.errors.txt"))
                .find("QuilBSL Host: Finished updating device in "),
            std::string::npos);
}

TEST(CliImage, DumpWritesTheImageAsTheWindowDoes) {
  TempDir dir;
  CliResult r = RunCli({"dump", dir.File("cli.txt")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  QuilBSLHost host(nullptr);
  ASSERT_EQ(BSLWriteTIFile(host, dir.File("host.txt").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("cli.txt")), ReadWholeFile(dir.File("host.txt")));

  testfw::WriteFile(dir.File("KT30-1-12.txt"), testfw::TiText("KT30 1.12"));
  ASSERT_EQ(RunCli({"dump", "--firmware", dir.File("KT30-1-12.txt"), dir.File("kt30.txt")}).exitCode, 0);
  ASSERT_EQ(BSLLoadTIFile(host, dir.File("KT30-1-12.txt").c_str()), 1);
  ASSERT_EQ(BSLWriteTIFile(host, dir.File("host-kt30.txt").c_str()), 1);
  EXPECT_EQ(ReadWholeFile(dir.File("kt30.txt")), ReadWholeFile(dir.File("host-kt30.txt")));

  testfw::WriteFile(dir.File("bad.txt"), "not firmware\n");
  CliResult bad = RunCli({"dump", "--firmware", dir.File("bad.txt"), dir.File("bad-dump.txt")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("[File Error]\nThe file \"bad.txt\" is not a valid firmware file."),
            std::string::npos);
  EXPECT_EQ(RunCli({"dump", dir.File("no/such/folder/x.txt")}).exitCode, 1);
}

TEST(CliImage, InfoDescribesAFile) {
  const std::string file = std::string(QUILBSL_SOURCE_DIR) + "/firmware/MTQ 3-61.txt";
  CliResult r = RunCli({"info", file});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line : {"Model text: MTQ 3.61\n", "Type:       20 MTQ (Vapora MTQ)\n",
                           "Version:    361\n", "Length:     62406 characters\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  }
  CliResult j = RunCli({"info", "--json", file});
  ASSERT_EQ(j.exitCode, 0);
  json info = json::parse(j.LastLine());
  EXPECT_EQ(info["model"], "MTQ 3.61");
  EXPECT_EQ(info["type"], 20);
  EXPECT_EQ(info["version"], 361);
  EXPECT_EQ(info["length"], 62406);
  ASSERT_EQ(info["vectors"].size(), 16u);
  EXPECT_EQ(info["vectors"][15], "1114");  // the reset vector: the code after the header

  TempDir dir;
  testfw::WriteFile(dir.File("bad.txt"), "q\n");
  CliResult bad = RunCli({"info", dir.File("bad.txt")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("is not a valid firmware file."), std::string::npos);
}

}  // namespace
