// quilbsl-cli on a terminal and under a comma-decimal locale.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"
#include "tests/e2e/firmware_files.h"
#include "tests/support/sim_fixture.h"

extern char** environ;

namespace {

// Runs quilbsl-cli with stdout and stderr on a terminal; returns what the terminal showed.
std::string RunOnTerminal(std::vector<std::string> args) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "<openpty>";
  args.insert(args.begin(), CliPath());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, slave, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, slave, STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, master);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(slave);
  std::string shown;
  if (rc == 0) {
    char buf[4096];
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 60000) <= 0) break;
      ssize_t n = read(master, buf, sizeof buf);
      if (n <= 0) break;  // EIO once the program has closed the terminal
      shown.append(buf, static_cast<size_t>(n));
    }
    waitpid(pid, nullptr, 0);
  }
  close(master);
  return shown;
}

TEST(CliTerminal, ShowsAProgressBar) {
  SimOptions options = MakeTestOptions("MTQ", "3.50");
  options.faults = {"no-bootloader"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  TempDir data;
  const std::string shown =
      RunOnTerminal({"update", "--port", sim->slavePath(), "--data-dir", data.path()});
  // The bar is redrawn in place: at 6% before the bootloader, with no estimate yet.
  EXPECT_NE(shown.find("\r\033[K[#.............................]   6%  --:-- left"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("Starting the firmware loader..."), std::string::npos);
  EXPECT_NE(shown.find("[Firmware Loader Error]"), std::string::npos);
}

// Numbers on the wire and in the settings file are C-locale whatever the user's locale: a
// Kt30's settings file (its position among them) comes out byte for byte the same under
// de_DE.UTF-8 as under C. The device has no bootloader, so the update stops with the file saved.
TEST(CliLocale, CommaDecimalLocaleWritesTheSameSettingsFile) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 missing";
  std::setlocale(LC_ALL, "C");
  SimOptions options = MakeTestOptions("KT30", "2.05");
  options.faults = {"no-bootloader"};
  auto sim = StartSim(options);
  ASSERT_TRUE(sim);
  TempDir dir;
  const std::string firmware = testfw::WriteFile(dir.File("KT30-1-12.txt"), testfw::TiText("KT30 1.12"));

  std::vector<std::string> files;
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    const std::string data = dir.File(locale);
    CliResult r = RunCli({"update", "--port", sim->slavePath(), "--firmware", firmware, "--data-dir",
                          data, "--answer", "cancel", "--json"},
                         {std::string("LC_ALL=") + locale, std::string("LANG=") + locale});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.LastLine())["result"], -112) << locale;
    files.push_back(ReadWholeFile(data + "/Kt30.settings.txt"));
  }
  EXPECT_NE(files[0].find("\r\nlat=\"+46.73210\"\r\nlon=\"-117.17940\"\r\n"), std::string::npos)
      << files[0];
  EXPECT_EQ(files[1], files[0]);
}

}  // namespace

namespace {

// Sends one command to the device and returns the answer's body.
std::string Ask(const std::string& port, const std::string& command) {
  CliResult r = RunCli({"exchange", "--port", port, command});
  std::string out = r.out;
  size_t first = out.find('\n');
  size_t second = first == std::string::npos ? first : out.find('\n', first + 1);
  return first == std::string::npos ? out : out.substr(first + 1, second - first - 1);
}

// A whole Kt30 update under a comma-decimal locale restores the device's position exactly as
// under C: the numbers go over the wire and through the settings file in C notation.
TEST(CliLocale, WholeKt30UpdateKeepsThePositionUnderEitherLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 missing";
  std::setlocale(LC_ALL, "C");
  TempDir dir;
  const std::string firmware =
      testfw::WriteFile(dir.File("KT30-2-10.txt"), testfw::TiText("KT30 2.10"));
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    SCOPED_TRACE(locale);
    auto sim = StartSim(MakeTestOptions("KT30", "2.05"));
    ASSERT_TRUE(sim);
    ASSERT_EQ(Ask(sim->slavePath(), "set -lat -33.86880"), "OK");
    ASSERT_EQ(Ask(sim->slavePath(), "set -long +151.20930"), "OK");
    CliResult r = RunCli({"update", "--port", sim->slavePath(), "--firmware", firmware,
                          "--data-dir", dir.File(locale), "--answer", "ok", "--json"},
                         {std::string("LC_ALL=") + locale, std::string("LANG=") + locale});
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_EQ(Ask(sim->slavePath(), "get -ver"), "KT30 2.10");
    EXPECT_EQ(Ask(sim->slavePath(), "get -lat"), "-33.86880");
    EXPECT_EQ(Ask(sim->slavePath(), "get -long"), "+151.20930");
  }
}

}  // namespace
