#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <vector>

#include "bsl/device_types.h"

namespace fs = std::filesystem;

namespace {

uint64_t NowUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

uint32_t BaudOf(speed_t s) {
  switch (s) {
    case B300: return 300;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B460800: return 460800;
    case B921600: return 921600;
    default: return 0;
  }
}

struct OutByte {
  char c;
  uint64_t notBeforeUs;  // the device's think time
};

std::string DefaultAnnounceDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return std::string((runtime && *runtime) ? runtime : "/tmp") + "/quilbsl/ports";
}

}  // namespace

class PtyServer::Impl : public SimLink {
 public:
  Impl(SimOptions options, std::unique_ptr<DeviceModel> model)
      : options_(std::move(options)), model_(std::move(model)) {}

  ~Impl() override {
    if (master_ >= 0) close(master_);
    if (inotify_ >= 0) close(inotify_);
    if (stopPipe_[0] >= 0) close(stopPipe_[0]);
    if (stopPipe_[1] >= 0) close(stopPipe_[1]);
  }

  bool Open(std::string& slavePath, std::string& error) {
    if (pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) return Fail(error, "pipe");
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return Fail(error, "posix_openpt");
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) return Fail(error, "ptsname");
    slavePath = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Raw from the start, so nothing is echoed before the host configures its side.
    termios tio{};
    if (tcgetattr(master_, &tio) == 0) {
      cfmakeraw(&tio);
      cfsetispeed(&tio, B9600);
      cfsetospeed(&tio, B9600);
      tcsetattr(master_, TCSANOW, &tio);
    }
    // The host's opens and closes of the slave tell when a session starts and ends.
    inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotify_ < 0 ||
        inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
      return Fail(error, "inotify");
    return true;
  }

  void Run() {
    while (!stopped_) {
      int timeoutMs = NextTimeoutMs();
      // Queued output is sent when it is due (the timeout), not when the master is writable:
      // it always is, and polling for that would spin.
      pollfd fds[3] = {{stopPipe_[0], POLLIN, 0}, {inotify_, POLLIN, 0}, {master_, POLLIN, 0}};
      // With no host the master reports a hang-up all the time: leave it out of the poll.
      nfds_t n = hostOpen_ ? 3 : 2;
      int r = poll(fds, n, timeoutMs);
      if (r < 0 && errno != EINTR) break;
      if (fds[0].revents & POLLIN) break;
      if (fds[1].revents & POLLIN) HandleOpensAndCloses();
      if (hostOpen_ && (fds[2].revents & (POLLIN | POLLHUP))) ReadFromHost();
      DeliverDueInput();
      RunDueTick();
      FlushDueOutput();
    }
  }

  void Stop() {
    stopped_ = true;
    if (stopPipe_[1] >= 0) {
      char c = 1;
      (void)!write(stopPipe_[1], &c, 1);
    }
  }

  // SimLink
  void Send(std::string_view bytes, uint32_t delayMs) override {
    if (!hostOpen_ || options_.HasFault("silence")) return;
    uint64_t notBefore = NowUs() + static_cast<uint64_t>(delayMs) * 1000u;
    for (char c : bytes) out_.push_back({c, notBefore});
  }
  void DropPendingOutput() override { out_.clear(); }
  uint32_t HostBaud() const override { return hostBaud_; }
  uint32_t DeviceBaud() const override { return deviceBaud_; }
  void SetDeviceBaud(uint32_t baud) override { deviceBaud_ = baud; }
  uint64_t NowMs() const override { return NowUs() / 1000u; }
  void WakeAfter(uint32_t ms) override {
    uint64_t at = NowUs() + static_cast<uint64_t>(ms) * 1000u;
    if (tickAtUs_ == 0 || at < tickAtUs_) tickAtUs_ = at;
  }
  bool HostConnected() const override { return hostOpen_; }
  const SimOptions& Options() const override { return options_; }

 private:
  static bool Fail(std::string& error, const char* what) {
    error = std::string(what) + ": " + std::strerror(errno);
    return false;
  }

  uint64_t CharTimeUs() const {
    uint32_t baud = deviceBaud_ ? deviceBaud_ : 9600;
    return options_.realtime ? 10000000u / baud : 0;
  }

  int NextTimeoutMs() const {
    uint64_t next = UINT64_MAX;
    if (!in_.empty()) next = std::min(next, inDueUs_);
    if (tickAtUs_ != 0) next = std::min(next, tickAtUs_);
    if (!out_.empty() && hostOpen_) next = std::min(next, std::max(out_.front().notBeforeUs, txFreeUs_));
    if (next == UINT64_MAX) return -1;
    uint64_t now = NowUs();
    if (next <= now) return 0;
    return static_cast<int>((next - now + 999) / 1000);
  }

  // Reads every queued open and close of the slave, in order.
  std::vector<uint32_t> DrainSlaveEvents() {
    std::vector<uint32_t> masks;
    alignas(inotify_event) char buf[4096];
    for (;;) {
      ssize_t len = read(inotify_, buf, sizeof buf);
      if (len <= 0) return masks;
      for (char* p = buf; p < buf + len;) {
        auto* ev = reinterpret_cast<inotify_event*>(p);
        masks.push_back(ev->mask);
        p += sizeof(inotify_event) + ev->len;
      }
    }
  }

  void HandleOpensAndCloses() {
    std::vector<uint32_t> masks = DrainSlaveEvents();
    for (size_t i = 0; i < masks.size(); ++i) {
      if (masks[i] & IN_OPEN) {
        if (openCount_++ == 0) {
          hostOpen_ = true;
          ReadHostBaud();
          model_->OnHostOpen(*this);
        }
      } else if (masks[i] & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
        if (openCount_ > 0 && --openCount_ == 0) {
          // What the host wrote before closing still reaches the device, unless the host has
          // opened the port again already: then the queued bytes may be the new session's.
          std::vector<uint32_t> later = DrainSlaveEvents();
          masks.insert(masks.end(), later.begin(), later.end());
          bool reopened = false;
          for (size_t j = i + 1; j < masks.size(); ++j) reopened |= (masks[j] & IN_OPEN) != 0;
          if (!reopened) ReadFromHost();
          if (!reopened) DeliverAllInput();
          hostOpen_ = false;
          out_.clear();
          model_->OnHostClose(*this);
        }
      }
    }
  }

  void ReadHostBaud() {
    termios tio{};
    if (tcgetattr(master_, &tio) == 0) {
      uint32_t b = BaudOf(cfgetospeed(&tio));
      if (b) hostBaud_ = b;
    }
  }

  void ReadFromHost() {
    char buf[4096];
    for (;;) {
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) return;
      ReadHostBaud();
      uint64_t now = NowUs();
      uint64_t start = std::max(now, rxFreeUs_);
      rxFreeUs_ = start + CharTimeUs() * static_cast<uint64_t>(n);
      bool garbled = options_.HasFault("baud-garbage") && hostBaud_ != deviceBaud_;
      for (ssize_t i = 0; i < n; ++i) {
        char c = buf[i];
        if (garbled) c = static_cast<char>(0x80 | ((c * 7) & 0x7F));
        in_.push_back(c);
      }
      inDueUs_ = rxFreeUs_;
      if (options_.HasFault("echo")) Send(std::string_view(buf, static_cast<size_t>(n)), 0);
    }
  }

  void DeliverDueInput() {
    if (!in_.empty() && NowUs() >= inDueUs_) DeliverAllInput();
  }

  void DeliverAllInput() {
    if (in_.empty()) return;
    std::string bytes(in_.begin(), in_.end());
    in_.clear();
    model_->OnBytes(bytes, *this);
  }

  void RunDueTick() {
    if (tickAtUs_ != 0 && NowUs() >= tickAtUs_) {
      tickAtUs_ = 0;
      model_->OnTick(*this);
    }
  }

  void FlushDueOutput() {
    if (!hostOpen_) return;
    uint64_t now = NowUs();
    std::string chunk;
    long dropEvery = options_.FaultNumber("drop-every", 0);
    bool garbled = options_.HasFault("baud-garbage") && hostBaud_ != deviceBaud_;
    while (!out_.empty()) {
      const OutByte& b = out_.front();
      uint64_t due = std::max(b.notBeforeUs, txFreeUs_);
      if (due > now) break;
      txFreeUs_ = due + CharTimeUs();
      char c = b.c;
      out_.pop_front();
      ++sentCount_;
      if (dropEvery > 0 && sentCount_ % static_cast<uint64_t>(dropEvery) == 0) continue;
      if (garbled) c = static_cast<char>(0x80 | ((c * 13) & 0x7F));
      chunk.push_back(c);  // each character leaves one wire time after the one before
    }
    size_t off = 0;
    while (off < chunk.size()) {
      ssize_t n = write(master_, chunk.data() + off, chunk.size() - off);
      if (n > 0) {
        off += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) {
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 100);
        continue;
      }
      break;  // the host is gone
    }
  }

  SimOptions options_;
  std::unique_ptr<DeviceModel> model_;
  int master_ = -1;
  int inotify_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::atomic<bool> stopped_{false};
  bool hostOpen_ = false;
  int openCount_ = 0;
  uint32_t hostBaud_ = 9600;
  uint32_t deviceBaud_ = 9600;
  std::deque<char> in_;
  uint64_t inDueUs_ = 0;
  uint64_t rxFreeUs_ = 0;
  std::deque<OutByte> out_;
  uint64_t txFreeUs_ = 0;
  uint64_t sentCount_ = 0;
  uint64_t tickAtUs_ = 0;
};

PtyServer::PtyServer(SimOptions options, std::unique_ptr<DeviceModel> model)
    : impl_(std::make_unique<Impl>(options, std::move(model))) {
  if (options.announce) {
    std::string dir = options.announceDir.empty() ? DefaultAnnounceDir() : options.announceDir;
    std::string friendly = options.friendlyName;
    if (friendly.empty())
      friendly = std::string("Simulated ") + DeviceTypeName(DeviceTypeFromCode(options.type.c_str()));
    announcePath_ = dir + "/" + friendly;
  }
}

PtyServer::~PtyServer() {
  Stop();
  if (!announcePath_.empty()) {
    std::error_code ec;
    // Only our own link: another simulator may have taken the name since.
    if (fs::is_symlink(announcePath_, ec) && fs::read_symlink(announcePath_, ec) == slavePath_)
      fs::remove(announcePath_, ec);
  }
}

bool PtyServer::Open() {
  if (!impl_->Open(slavePath_, error_)) return false;
  if (!announcePath_.empty()) {
    std::error_code ec;
    fs::create_directories(fs::path(announcePath_).parent_path(), ec);
    fs::remove(announcePath_, ec);
    fs::create_symlink(slavePath_, announcePath_, ec);
    if (ec) {
      error_ = "cannot announce " + announcePath_ + ": " + ec.message();
      announcePath_.clear();
      return false;
    }
  }
  return true;
}

void PtyServer::Run() { impl_->Run(); }

bool PtyServer::Start() {
  if (!Open()) return false;
  thread_ = std::thread([this] { impl_->Run(); });
  return true;
}

void PtyServer::Stop() {
  impl_->Stop();
  if (thread_.joinable()) thread_.join();
}
