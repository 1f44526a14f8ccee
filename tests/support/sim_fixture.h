#pragma once
// Starts a simulated device in this process, on a real pseudo-terminal.

#include <memory>
#include <string>

#include "sim/pty_server.h"
#include "sim/sim_options.h"

// The device runs on a thread of its own until the returned server is destroyed.
// Not announced in the port list unless options.announce is set by the caller after
// MakeTestOptions. Fails the current test (and returns null) when the pty cannot be opened.
std::unique_ptr<PtyServer> StartSim(SimOptions options);

// Options for a test device of type code at version: fast device times, not announced.
SimOptions MakeTestOptions(const std::string& type, const std::string& version);

// A fresh temporary folder, removed with its content when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);
