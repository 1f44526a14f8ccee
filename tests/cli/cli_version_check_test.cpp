// quilbsl-cli version-check against a local version-finder service (python's http.server on a
// loopback port, serving a folder the test fills).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/cli/cli_process.h"
#include "tests/support/sim_fixture.h"

namespace {

class LocalService {
 public:
  LocalService() {
    std::filesystem::create_directories(dir_.File("versionfinder"));
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      dup2(out[1], 2);
      close(out[0]);
      execlp("python3", "python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
             "--directory", dir_.path().c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    char line[256];
    // "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
    while (f && fgets(line, sizeof line, f)) {
      int port = 0;
      if (const char* p = strstr(line, " port ")) port = atoi(p + 6);
      if (port > 0) {
        url_ = "http://127.0.0.1:" + std::to_string(port);
        break;
      }
    }
    reader_ = f;
  }
  ~LocalService() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (reader_) fclose(reader_);
  }
  const std::string& url() const { return url_; }
  void Serve(const std::string& body) {
    std::ofstream(dir_.File("versionfinder/Mtq-Firmware.txt"), std::ios::binary) << body;
  }

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  FILE* reader_ = nullptr;
  std::string url_;
};

struct VersionCase {
  const char* reply;
  uint32_t version;
  int outcome;
  int exitCode;
};

TEST(CliVersionCheck, ReportsWhatTheServiceSays) {
  LocalService service;
  ASSERT_FALSE(service.url().empty());
  const VersionCase cases[] = {
      {"3.62 http://www.example.com/files/MtqUpdater.exe\r\n", 362, 1, 0},
      {"3.61 http://www.example.com/files/MtqUpdater.exe\r\n", 361, 2, 0},
      {"http://www.example.com/ 3.62", 0, -1002, 1},
  };
  for (const VersionCase& c : cases) {
    service.Serve(c.reply);
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
      CliResult r = RunCli({"version-check", "--json"},
                           {"QUILBSL_SERVICE_URL=" + service.url(), std::string("LC_ALL=") + locale},
                           {}, 60000);
      SCOPED_TRACE(std::string(c.reply) + " under " + locale);
      EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
      auto j = nlohmann::json::parse(r.LastLine(), nullptr, false);
      ASSERT_TRUE(j.is_object()) << r.out;
      EXPECT_EQ(j["version"], c.version);
      EXPECT_EQ(j["outcome"], c.outcome);
      EXPECT_FALSE(j["message"].get<std::string>().empty());
    }
  }
}

TEST(CliVersionCheck, ServiceThatDoesNotAnswerIsAFailure) {
  // A loopback port nobody listens on.
  CliResult r = RunCli({"version-check", "--json"}, {"QUILBSL_SERVICE_URL=http://127.0.0.1:9"}, {},
                       60000);
  EXPECT_EQ(r.exitCode, 1);
  auto j = nlohmann::json::parse(r.LastLine(), nullptr, false);
  ASSERT_TRUE(j.is_object()) << r.out;
  EXPECT_EQ(j["outcome"], -1001);
}

}  // namespace
