#pragma once
// The device's end of a real pseudo-terminal pair, driven by a test: a thread of its own hands
// every chunk the host sends to the test's handler, which answers through Send. How the bytes
// are split into commands and answered stays with each test folder's peer.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

class PtyPeer {
 public:
  // Called on the peer's thread only, with the bytes in the order they came.
  using OnBytes = std::function<void(std::string_view bytes)>;

  // Starts reading at once: whatever onBytes uses must already be built.
  explicit PtyPeer(OnBytes onBytes);
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  bool ok() const { return master_ >= 0; }
  // The host's end.
  const std::string& path() const { return path_; }
  // Lets the host open its end again after closing it (the pair stays open meanwhile,
  // so the exclusive mode the host set would otherwise stay).
  void AllowReopen();
  // Bytes to the host; a short write is the test's to notice on the host's side.
  void Send(std::string_view bytes);

 private:
  void Run();

  OnBytes onBytes_;
  int master_ = -1;
  int slave_ = -1;  // held open so that the pair lives while the host reopens
  std::string path_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
