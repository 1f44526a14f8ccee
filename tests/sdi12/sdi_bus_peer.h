#pragma once
// A comm device with a scripted sensor, on a real pseudo-terminal pair: every "|" and every
// command up to its "!" is recorded in order, and each command gets the bytes the script gives,
// or silence.

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class SdiBusPeer {
 public:
  using Script = std::function<std::optional<std::string>(const std::string& command)>;

  explicit SdiBusPeer(Script script);
  ~SdiBusPeer();
  SdiBusPeer(const SdiBusPeer&) = delete;
  SdiBusPeer& operator=(const SdiBusPeer&) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string& path() const { return path_; }
  // "|" and the commands, in the order they arrived.
  std::vector<std::string> Traffic() const;

 private:
  void Run();

  Script script_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  mutable std::mutex mutex_;
  std::vector<std::string> traffic_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
