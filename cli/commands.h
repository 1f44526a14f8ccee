#pragma once
// quilbsl-cli's commands. Each returns the process's exit status: 0 success, 1 failure
// (2, usage errors, is main's).

#include <optional>
#include <string>

struct UpdateArgs {
  std::string port;
  std::string firmware;
  std::string newSerialNumber;
  bool dontEraseData = false;
  std::optional<bool> answer;  // --answer ok|cancel
  std::string dataDir;
  bool json = false;
};

int UpdateCommand(const UpdateArgs& args);
int PortsCommand(bool all, bool json);
int DumpCommand(const std::string& firmware, const std::string& out);
int InfoCommand(const std::string& file, bool json);
// The newer-version check against the maker's service, every outcome printed.
int VersionCheckCommand(bool json);
// One command line to a device's command interpreter; prints the answer.
int ExchangeCommand(const std::string& port, const std::string& command);
