// quilbsl-cli: QuilBSL from a terminal.

#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "serial/comm_port_enum.h"
#include "serial/quil_serial.h"

namespace {

int ListPorts(bool all, bool json) {
  QuilSerial enumPort;
  CommPortEntry list[16];
  int32_t count = 16;
  if (CommPortEnum(&enumPort, list, &count, all) < 0) count = 0;
  if (json) {
    nlohmann::json ports = nlohmann::json::array();
    for (int32_t i = 0; i < count; ++i)
      ports.push_back({{"port", list[i].portName}, {"text", list[i].displayText},
                       {"busy", list[i].displayText.ends_with(" (busy)")}});
    std::printf("%s\n", ports.dump().c_str());
  } else {
    if (count == 0) std::printf("No Comm Ports Found\n");
    for (int32_t i = 0; i < count; ++i)
      std::printf("%-32s %s\n", list[i].portName.c_str(), list[i].displayText.c_str());
  }
  return 0;
}

// Sends one command line to a device's command interpreter and prints the answer.
int Exchange(const std::string& portName, const std::string& command) {
  QuilSerial port;
  int32_t rc = QSOpen(port, portName.c_str(), 9600);
  if (rc == kQSErrPermission) {
    std::fprintf(stderr, "%s\n", QSPermissionMessage(portName).c_str());
    return 1;
  }
  if (rc < 0) {
    std::fprintf(stderr, "Comm Port \"%s\" can't be opened (error %d)\n", portName.c_str(), rc);
    return 1;
  }
  std::string line = command + "\r";
  uint32_t written = 0;
  QSPurge(port, 1);
  QSWrite(port, line.data(), static_cast<uint32_t>(line.size()), written);
  int32_t hit = QSWait(port, 1000, '>');
  char answer[kQSBufferSize];
  uint32_t count = 0;
  QSRead(port, answer, sizeof answer, count);
  std::string text(answer, count);
  for (char& c : text)
    if (c == '\r') c = '\n';
  std::printf("> %s%s\n", command.c_str(), text.c_str());
  QSClose(port);
  return hit > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  CLI::App app{"quilbsl-cli: update a Quillon device's firmware from a terminal"};
  app.require_subcommand(1);

  auto* ports = app.add_subcommand("ports", "List the comm ports as the window does");
  bool all = false, json = false;
  ports->add_flag("--all", all, "Also probe ports the system does not list");
  ports->add_flag("--json", json, "Print one JSON array");

  auto* exchange = app.add_subcommand("exchange", "Send one command to a device and print its answer");
  std::string port, command = "get -ver";
  exchange->add_option("--port", port, "Port: a name under /dev or an absolute path")->required();
  exchange->add_option("command", command, "The command line")->capture_default_str();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (*ports) return ListPorts(all, json);
  if (*exchange) return Exchange(port, command);
  return 2;
}
