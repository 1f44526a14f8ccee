// A whole update of a simulated Vapora MTQ 3.50 to the built-in MTQ 3.61 with quilbsl-cli, the
// device at its real speed (--realtime, 9600 baud), against its floor:
//   the wire time of every character both ways (10 bits a character, counted at the device),
// + the device's think, erase and program times (the delays of its answers, counted likewise),
// + every wait the updater prescribes for itself (listed below).
// The simulator delivers characters on a millisecond timer and the machine schedules it, so even
// a perfect host lands above the floor. A minimal reference host programming the same device
// (bench/bsl_reference_host.h), counted the same way, measures that share for the bootloader
// session, which is nearly all of an update; what the update takes beyond the floor and that
// share is what the updater adds.
// Goals: (a) the updater adds at most 1% of the floor; (b) the updater's CPU time stays below 1%
// of the wall time. The same update with the fast simulated device shows the prescribed waits
// alone.
//
// bench_update_cli [runs]   (1 when not given)

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/bsl_reference_host.h"
#include "bsl/quil_bsl_host.h"
#include "sim/model_factory.h"
#include "sim/pty_server.h"

extern char** environ;

namespace {

constexpr double kBaud = 9600;
constexpr double kMsPerChar = 10.0 * 1000.0 / kBaud;

// The waits an MTQ update prescribes for itself, in the order they happen.
struct Wait {
  const char* what;
  double ms;
  int times;
};
constexpr Wait kWaits[] = {
    {"access-code login: 11 characters 50 ms apart, then 2 x 100 ms", 11 * 50 + 200, 2},
    {"pause after each logout", 100, 2},
    {"bootloader: settle after opening the port", 1000, 1},
    {"bootloader: answer to the boot command", 750, 1},
    {"bootloader: answers to the handshake's \"\\r\" and \"P\"", 100, 2},
    {"bootloader: pause before the vectors", 50, 1},
    {"bootloader: pause after closing the port", 100, 1},
    {"the device's restart time (Vapora MTQ)", 2000, 1},
};

// The bootloader session's own waits (the reference host keeps them too).
constexpr double kSessionWaitsMs = 1000 + 750 + 2 * 100 + 50 + 100;

double PrescribedWaitsMs() {
  double ms = 0;
  for (const Wait& w : kWaits) ms += w.ms * w.times;
  return ms;
}

// Counts what crosses the wire at the device: characters both ways and the delays the device
// puts before its answers. Wraps the simulator's device model and its side of the link.
class CountingLink : public SimLink {
 public:
  SimLink* inner = nullptr;
  std::atomic<uint64_t> charsOut{0};
  std::atomic<uint64_t> delayMs{0};

  void Send(std::string_view bytes, uint32_t delay) override {
    if (inner->HostConnected()) {
      charsOut += bytes.size();
      delayMs += delay;
    }
    inner->Send(bytes, delay);
  }
  void DropPendingOutput() override { inner->DropPendingOutput(); }
  uint32_t HostBaud() const override { return inner->HostBaud(); }
  uint32_t DeviceBaud() const override { return inner->DeviceBaud(); }
  void SetDeviceBaud(uint32_t baud) override { inner->SetDeviceBaud(baud); }
  uint64_t NowMs() const override { return inner->NowMs(); }
  void WakeAfter(uint32_t ms) override { inner->WakeAfter(ms); }
  bool HostConnected() const override { return inner->HostConnected(); }
  const SimOptions& Options() const override { return inner->Options(); }
};

class CountingModel : public DeviceModel {
 public:
  explicit CountingModel(std::unique_ptr<DeviceModel> inner) : inner_(std::move(inner)) {}
  void OnHostOpen(SimLink& l) override { inner_->OnHostOpen(Wrap(l)); }
  void OnHostClose(SimLink& l) override { inner_->OnHostClose(Wrap(l)); }
  void OnBytes(std::string_view bytes, SimLink& l) override {
    charsIn += bytes.size();
    inner_->OnBytes(bytes, Wrap(l));
  }
  void OnTick(SimLink& l) override { inner_->OnTick(Wrap(l)); }

  std::atomic<uint64_t> charsIn{0};
  CountingLink link;

 private:
  SimLink& Wrap(SimLink& l) {
    link.inner = &l;
    return link;
  }
  std::unique_ptr<DeviceModel> inner_;
};

struct Run {
  bool ok = false;
  double wallMs = 0;
  double cpuMs = 0;
  uint64_t charsIn = 0, charsOut = 0, deviceMs = 0;
  unsigned seconds = 0;
};

std::string CliPath() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return exe.parent_path().string() + "/quilbsl-cli";
}

// A simulated Vapora MTQ 3.50 with the counting wrapper in front.
struct CountedDevice {
  CountingModel* counter = nullptr;
  std::unique_ptr<PtyServer> server;

  bool Start(bool realtime) {
    SimOptions o;
    o.type = "MTQ";
    o.version = "3.50";
    o.realtime = realtime;
    o.announce = false;
    auto model = std::make_unique<CountingModel>(MakeDeviceModel(o));
    counter = model.get();
    server = std::make_unique<PtyServer>(o, std::move(model));
    if (server->Start()) return true;
    std::fprintf(stderr, "simulator: %s\n", server->error().c_str());
    return false;
  }
  // Stops the device and takes its counts.
  void Finish(Run& run) {
    server->Stop();
    run.charsIn = counter->charsIn;
    run.charsOut = counter->link.charsOut;
    run.deviceMs = counter->link.delayMs;
  }
};

double WireMs(const Run& r) { return static_cast<double>(r.charsIn + r.charsOut) * kMsPerChar; }

// The bootloader session of an MTQ update by the reference host, on a device of its own.
Run ReferenceSessionOnce() {
  Run run;
  CountedDevice device;
  if (!device.Start(true)) return run;
  QuilBSLHost image(nullptr);
  DeviceInfo info;
  FillDeviceInfo(DT_MTQ, 999, 0, &info);
  ReferenceSession s;
  s.port = device.server->slavePath();
  s.bootBaud = info.bootBaud;
  s.wide = info.wideAddresses;
  s.infoStart = info.infoStart;
  s.infoSegments = info.infoSegments;
  s.infoSegmentSize = info.infoSegmentSize;
  s.flashStart = info.flashStart;
  s.flashEnd = info.flashEnd;
  s.imageText = image.imageText;
  s.vectors = image.vectors;
  const auto start = std::chrono::steady_clock::now();
  run.ok = RunReferenceSession(s);
  usleep(100 * 1000);  // the pause after closing that the update keeps too
  run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  device.Finish(run);
  return run;
}

Run UpdateOnce(bool realtime) {
  Run run;
  CountedDevice device;
  if (!device.Start(realtime)) return run;
  char dataTemplate[] = "/tmp/quilbsl-bench-XXXXXX";
  const char* data = mkdtemp(dataTemplate);
  if (data == nullptr) return run;

  std::string cli = CliPath(), port = device.server->slavePath();
  std::vector<std::string> args = {cli, "update", "--port", port, "--data-dir", data,
                                   "--answer", "cancel", "--json"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, out[0]);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int rc = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    std::fprintf(stderr, "cannot start %s\n", cli.c_str());
    close(out[0]);
    return run;
  }
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  device.Finish(run);

  auto tv = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  run.cpuMs = tv(usage.ru_utime) + tv(usage.ru_stime);
  size_t last = text.find_last_of('{');
  nlohmann::json j = nlohmann::json::parse(last == std::string::npos ? "" : text.substr(last), nullptr, false);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !j.is_discarded() && j["result"] == 1;
  if (run.ok) run.seconds = j["seconds"].get<unsigned>();
  std::filesystem::remove_all(data);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  int runs = argc > 1 ? std::atoi(argv[1]) : 1;
  if (runs < 1) runs = 1;

  const double waits = PrescribedWaitsMs();
  std::printf("Prescribed waits of an MTQ update:\n");
  for (const Wait& w : kWaits) std::printf("  %6.0f ms x %d  %s\n", w.ms, w.times, w.what);
  std::printf("  %6.0f ms in all\n\n", waits);

  Run fast = UpdateOnce(false);
  if (!fast.ok) {
    std::fprintf(stderr, "the update with the fast device failed\n");
    return 1;
  }
  std::printf("Fast device (no wire or device time): %.0f ms, %.0f ms above the prescribed waits\n\n",
              fast.wallMs, fast.wallMs - waits);

  int failures = 0;
  for (int i = 0; i < runs; ++i) {
    Run r = UpdateOnce(true);
    Run ref = ReferenceSessionOnce();
    if (!r.ok || !ref.ok) {
      std::fprintf(stderr, "run %d: the %s failed\n", i + 1, r.ok ? "reference session" : "update");
      ++failures;
      continue;
    }
    const double wire = WireMs(r);
    const double floor = wire + static_cast<double>(r.deviceMs) + waits;
    const double over = r.wallMs - floor;
    const double refFloor = WireMs(ref) + static_cast<double>(ref.deviceMs) + kSessionWaitsMs;
    const double share = ref.wallMs - refFloor;
    const double adds = over - share;
    std::printf("Real-time device at 9600 baud, run %d:\n", i + 1);
    std::printf("  characters         %llu to the device, %llu from it\n",
                static_cast<unsigned long long>(r.charsIn), static_cast<unsigned long long>(r.charsOut));
    std::printf("  wire time          %9.0f ms\n", wire);
    std::printf("  device times       %9.0f ms\n", static_cast<double>(r.deviceMs));
    std::printf("  prescribed waits   %9.0f ms\n", waits);
    std::printf("  floor              %9.0f ms\n", floor);
    std::printf("  update             %9.0f ms (it reported %u s), %.0f ms = %.2f%% above the floor\n",
                r.wallMs, r.seconds, over, 100.0 * over / floor);
    std::printf("  reference session %9.0f ms, %.0f ms = %.2f%% above its floor %.0f ms: simulator and machine\n",
                ref.wallMs, share, 100.0 * share / refFloor, refFloor);
    std::printf("  the updater adds   %9.0f ms = %.2f%% of the floor (goal: at most 1%%)\n", adds,
                100.0 * adds / floor);
    std::printf("  updater CPU        %9.0f ms = %.3f%% of the wall time (goal: below 1%%)\n\n",
                r.cpuMs, 100.0 * r.cpuMs / r.wallMs);
  }
  return failures == 0 ? 0 : 1;
}
