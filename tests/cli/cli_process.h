#pragma once
// Runs the built quilbsl-cli as a process: its arguments, extra environment, stdin from
// /dev/null; captures stdout and stderr; can act on the process when a text appears.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct CliResult {
  int exitCode = -1;  // -1 when a signal ended it
  int signal = 0;     // the signal that ended it
  std::string out;
  std::string err;

  // The last non-empty line of stdout.
  std::string LastLine() const;
};

struct CliHook {
  std::string trigger;                  // looked for in stdout and stderr
  std::function<void(pid_t)> action;    // runs once, when trigger first appears
};

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                 const std::vector<CliHook>& hooks = {}, int timeoutMs = 150000);

// The path of the built program.
std::string CliPath();
