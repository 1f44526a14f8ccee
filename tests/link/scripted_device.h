#pragma once
// A device driven by hand on a real pseudo-terminal pair: each command line the host sends
// (ended by "\r", or a "+++" on its own) gets the next scripted answer, or silence.

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class ScriptedDevice {
 public:
  ScriptedDevice();
  ~ScriptedDevice();
  ScriptedDevice(const ScriptedDevice&) = delete;
  ScriptedDevice& operator=(const ScriptedDevice&) = delete;

  bool ok() const { return master_ >= 0; }
  // The host's end, for QSOpen.
  const std::string& path() const { return path_; }

  // Answers in order; nullopt stays silent for that command. When the script is used up,
  // every further command is answered with fallback (silence when nullopt).
  void Script(std::vector<std::optional<std::string>> answers,
              std::optional<std::string> fallback = std::nullopt);
  // Lets the host open its end again after closing it (the pair stays open meanwhile,
  // so the exclusive mode the host set would otherwise stay).
  void AllowReopen();
  // Every command received so far, each with its "\r".
  std::vector<std::string> Received() const;

 private:
  void Run();
  void Dispatch(const std::string& command);

  int master_ = -1;
  int slave_ = -1;  // held open so that the pair lives while the host reopens
  std::string path_;
  mutable std::mutex mutex_;
  std::deque<std::optional<std::string>> script_;
  std::optional<std::string> fallback_;
  std::vector<std::string> received_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
