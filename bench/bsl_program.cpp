// Programs the embedded firmware image into the simulated device with its real wire and flash
// timing, at 9600 baud (MTQ, standard layout) and at 57600 baud (V8X, wide layout, the image
// moved to that type's flash start), and compares the session's time with its floor:
//   the wire time of every character both ways (10 bits a character),
// + the device's erase and program times (the simulator's realistic figures),
// + the fixed waits of the session (settle, boot answer, handshake, vectors, disconnect).
// The simulator delivers characters on a millisecond timer and the machine schedules it, so
// even a perfect host lands above the floor: a minimal reference host on the same simulator
// measures that share, and what the bootloader host takes beyond it is what the host adds
// (reading, polling, logging). Goal: at most 1% of the floor.
//
// bench_bsl_program [9600|57600]   (both when no rate is given)

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bsl_reference_host.h"
#include "bsl/quil_bsl_host.h"
#include "serial/timing.h"
#include "sim/model_factory.h"
#include "sim/pty_server.h"

namespace {

// The simulated device's flash times with --realtime.
constexpr double kSegmentEraseMs = 16.0;
constexpr double kProgramUsPerByte = 50.0;
constexpr double kVectorBytes = 32.0;

// Fixed waits of a session: settle after opening, boot answer, "\r" and "P" answers,
// the pause before the vectors, the pause after closing.
constexpr double kFixedWaitsMs = 1000 + 750 + 100 + 100 + 50 + 100;

struct Floor {
  double chars = 0;     // both ways
  double deviceMs = 0;  // erase and program
  double waitsMs = kFixedWaitsMs;
  double TotalMs(uint32_t baud) const { return chars * 10000.0 / baud + deviceMs + waitsMs; }
};

// One framed command: command, payload, ".", four check digits, "\r"; answer "+\r".
void Command(Floor& f, double payload, double answer = 2) { f.chars += 1 + payload + 6 + answer; }

Floor SessionFloor(const QuilBSLHost& host, const DeviceInfo& info) {
  const double digits = info.wideAddresses ? 5 : 4;
  Floor f;
  Command(f, 0, 5);  // g, "+12+\r" (boot and handshake answers fall inside the fixed waits)
  for (uint32_t i = 0; i < info.infoSegments; ++i) {
    Command(f, digits);
    f.deviceMs += kSegmentEraseMs;
  }
  for (uint32_t a = info.flashStart; a < info.flashEnd;) {
    Command(f, digits);
    f.deviceMs += kSegmentEraseMs;
    a += 512;
    if (a >= 0xFA00 && a <= 0xFFFF) a = 0x10000;
  }
  // The image: an address per section, then blocks of up to 512 characters (256 bytes).
  const std::string& text = host.imageText;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next = text.find('@', pos + 1);
    if (next == std::string::npos) next = text.size();
    Command(f, digits);
    for (size_t data = pos + 6; data < next; data += 512) {
      const double chars = static_cast<double>(std::min<size_t>(512, next - data));
      Command(f, chars);
      f.deviceMs += std::ceil(chars / 2 * kProgramUsPerByte / 1000.0);
    }
    pos = next;
  }
  Command(f, 64, 1);  // V, a lone "+"
  f.deviceMs += kSegmentEraseMs + std::ceil(kVectorBytes * kProgramUsPerByte / 1000.0);
  return f;
}

struct Target {
  const char* type;
  DeviceInfo info{};
  std::string imageText;
  BSLVectors vectors{};
};

// The embedded image, moved to the type's flash start where that is not 0x1100.
bool MakeTarget(const char* type, uint32_t baud, Target& t) {
  t.type = type;
  FillDeviceInfo(DeviceTypeFromCode(type), 999, 0, &t.info);
  if (t.info.bootBaud != baud) {
    std::fprintf(stderr, "%s boots at %u baud, not %u\n", type, t.info.bootBaud, baud);
    return false;
  }
  QuilBSLHost host(nullptr);
  t.imageText = host.imageText;
  t.vectors = host.vectors;
  if (t.info.flashStart != 0x1100) {
    char head[8];
    std::snprintf(head, sizeof head, "@%05X", t.info.flashStart);
    t.imageText.replace(0, 6, head);
    t.vectors[15] = t.info.flashStart + 0x14;
  }
  return true;
}

std::unique_ptr<PtyServer> StartDevice(const char* type) {
  SimOptions options;
  options.type = type;
  options.version = "3.50";
  options.realtime = true;
  options.announce = false;
  auto sim = std::make_unique<PtyServer>(options, MakeDeviceModel(options));
  if (!sim->Start()) {
    std::fprintf(stderr, "simulator did not start: %s\n", sim->error().c_str());
    return nullptr;
  }
  return sim;
}

// Milliseconds of a whole session with the bootloader host; negative when it failed.
double HostSession(const Target& t) {
  auto sim = StartDevice(t.type);
  if (!sim) return -1;
  QuilBSLHost host(nullptr);
  host.imageText = t.imageText;
  host.imageLength = static_cast<uint32_t>(t.imageText.size());
  host.vectors = t.vectors;
  const DeviceInfo& info = t.info;
  const uint32_t start = MillisecondClock();
  int32_t r = BSLConnect(host, sim->slavePath().c_str(), info.bootBaud, false, 3);
  if (r > 0) r = BSLEraseINFO(host, info.infoStart, info.infoSegments, info.infoSegmentSize, info.wideAddresses);
  if (r > 0) r = BSLEraseFlash(host, info.flashStart, info.flashEnd, info.wideAddresses);
  if (r > 0) r = BSLSendFirmware(host, info.wideAddresses);
  if (r > 0) r = BSLSendVectors(host);
  BSLDisconnect(host);
  const double ms = MillisecondClock() - start;
  if (r <= 0) std::fprintf(stderr, "%s: programming failed with %d\n", t.type, r);
  return r > 0 ? ms : -1;
}

double ReferenceSessionMs(const Target& t) {
  auto sim = StartDevice(t.type);
  if (!sim) return -1;
  ReferenceSession s;
  s.port = sim->slavePath();
  s.bootBaud = t.info.bootBaud;
  s.wide = t.info.wideAddresses;
  s.infoStart = t.info.infoStart;
  s.infoSegments = t.info.infoSegments;
  s.infoSegmentSize = t.info.infoSegmentSize;
  s.flashStart = t.info.flashStart;
  s.flashEnd = t.info.flashEnd;
  s.imageText = t.imageText;
  s.vectors = t.vectors;
  const uint32_t start = MillisecondClock();
  const bool ok = RunReferenceSession(s);
  PumpedSleep(100);  // the same pause after closing as the host's
  const double ms = MillisecondClock() - start;
  if (!ok) std::fprintf(stderr, "%s: reference session failed\n", t.type);
  return ok ? ms : -1;
}

int Run(const char* type, uint32_t baud) {
  Target t;
  if (!MakeTarget(type, baud, t)) return 1;
  const double hostMs = HostSession(t);
  const double referenceMs = ReferenceSessionMs(t);
  if (hostMs < 0 || referenceMs < 0) return 1;

  QuilBSLHost sized(nullptr);
  sized.imageText = t.imageText;
  const Floor f = SessionFloor(sized, t.info);
  const double floorMs = f.TotalMs(baud);
  std::printf("%s at %u baud: %zu image characters\n", type, baud, t.imageText.size());
  std::printf("  floor            %8.2f s  (wire %.2f s, device %.2f s, fixed waits %.2f s)\n",
              floorMs / 1000, f.chars * 10.0 / baud, f.deviceMs / 1000, f.waitsMs / 1000);
  std::printf("  reference host   %8.2f s  (%+.2f%% over the floor: simulator and machine)\n",
              referenceMs / 1000, 100.0 * (referenceMs - floorMs) / floorMs);
  std::printf("  bootloader host  %8.2f s  (%+.2f%% over the floor)\n", hostMs / 1000,
              100.0 * (hostMs - floorMs) / floorMs);
  std::printf("  host adds        %8.3f s  = %+.2f%% of the floor (goal: at most 1%%)\n",
              (hostMs - referenceMs) / 1000, 100.0 * (hostMs - referenceMs) / floorMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const long only = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  int failures = 0;
  if (only == 0 || only == 9600) failures += Run("MTQ", 9600);
  if (only == 0 || only == 57600) failures += Run("V8X", 57600);
  return failures == 0 ? 0 : 1;
}
