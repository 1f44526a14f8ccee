// quilbsl-sim: a simulated device on a pseudo-terminal.

#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "bsl/device_types.h"
#include "sim/model_factory.h"
#include "sim/pty_server.h"

int main(int argc, char** argv) {
  SimOptions o;
  CLI::App app{"quilbsl-sim: a simulated device on a pseudo-terminal, for trying and testing QuilBSL"};
  app.add_option("--type", o.type, "Device type by its short code (MTQ, KT30, V8X, ...)")
      ->capture_default_str()
      ->check([](const std::string& code) {
        return DeviceTypeFromCode(code.c_str()) == DT_UNKNOWN ? "unknown device type " + code
                                                              : std::string();
      });
  app.add_option("--version", o.version, "Firmware version X.YY")->capture_default_str();
  app.add_flag("--realtime", o.realtime, "Wire time per character and realistic device times");
  app.add_option("--fault", o.faults,
                 "A fault, repeatable: silence, echo, drop-every=N, baud-garbage, no-bootloader, "
                 "silent-sessions=K, and the faults of the device families");
  app.add_option("--bootloader", o.bootloader,
                 "Start in the bootloader: waiting for a host, or attached (a host died mid-transfer)")
      ->expected(0, 1)
      ->default_str("waiting")
      ->check(CLI::IsMember({"waiting", "attached"}));
  app.add_option("--radio", o.radioLoggers,
                 "Put a radio module in front of loggers with these names (repeatable)");
  app.add_option("--name", o.deviceName, "The device's name");
  app.add_option("--sn", o.serialNumber, "The device's serial number");
  app.add_option("--friendly-name", o.friendlyName,
                 "Name in the port list (default: \"Simulated \" and the display name)");
  app.add_option("--announce-dir", o.announceDir,
                 "Folder of the port list's announcements (default: $XDG_RUNTIME_DIR/quilbsl/ports)");
  bool noAnnounce = false;
  app.add_flag("--no-announce", noAnnounce, "Do not announce the port");
  CLI11_PARSE(app, argc, argv);
  o.announce = !noAnnounce;
  if (app.count("--bootloader") && o.bootloader.empty()) o.bootloader = "waiting";

  // Signals are taken by this thread alone; the server thread inherits the mask.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signal(SIGPIPE, SIG_IGN);

  PtyServer server(o, MakeDeviceModel(o));
  if (!server.Start()) {
    std::fprintf(stderr, "quilbsl-sim: %s\n", server.error().c_str());
    return 1;
  }
  std::printf("%s %s on %s\n", DeviceTypeName(DeviceTypeFromCode(o.type.c_str())), o.version.c_str(),
              server.slavePath().c_str());
  if (!server.announcePath().empty()) std::printf("announced as %s\n", server.announcePath().c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&set, &sig);
  server.Stop();
  return 0;
}
