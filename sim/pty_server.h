#pragma once
// Serves a device model on a pseudo-terminal: notices the host opening and closing the port,
// follows the host's baud rate, applies the line faults and, with --realtime, the wire time.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "sim/sim_link.h"

class PtyServer {
 public:
  PtyServer(SimOptions options, std::unique_ptr<DeviceModel> model);
  ~PtyServer();  // stops and removes the announcement

  // Opens the pty and announces it. False (with error()) when that fails.
  bool Open();
  // Serves until Stop() (from another thread or a signal handler).
  void Run();
  // Open() then Run() on a thread of its own (tests).
  bool Start();
  void Stop();

  const std::string& slavePath() const { return slavePath_; }    // /dev/pts/N
  const std::string& announcePath() const { return announcePath_; }  // symlink, or ""
  const std::string& error() const { return error_; }

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  std::string slavePath_, announcePath_, error_;
  std::thread thread_;
};
