// quilbsl-cli: QuilBSL from a terminal. Exit status 0 on success, 1 on failure, 2 for usage
// errors.

#include <CLI/CLI.hpp>
#include <clocale>
#include <csignal>
#include <string>

#include "app/updater_state.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // Numbers on the wire and in the settings file are C-locale whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  std::signal(SIGPIPE, SIG_IGN);

  CLI::App app{"quilbsl-cli: update a Quillon device's firmware from a terminal"};
  app.require_subcommand(1);

  UpdateArgs u;
  std::string answer;
  auto* update = app.add_subcommand("update", "Update the firmware of the device on a port");
  update->add_option("--port", u.port, "Port: a name under /dev (ttyUSB0) or an absolute path")
      ->required();
  update->add_option("--firmware", u.firmware, "Load this TI-Text file instead of the built-in image")
      ->check(CLI::ExistingFile);
  update->add_option("--new-sn", u.newSerialNumber, "Replace the device's serial number")
      ->check([](const std::string& sn) {
        if (sn.empty()) return std::string("the serial number is empty");
        return sn.size() > kNewSerialNumberMax ? std::string("at most 15 characters") : std::string();
      });
  update->add_flag("--dont-erase-data", u.dontEraseData, "Keep the device's measurement data");
  update->add_option("--answer", answer, "Answer every question (default: ask on a terminal, else cancel)")
      ->check(CLI::IsMember({"ok", "cancel"}));
  update->add_option("--data-dir", u.dataDir, "Folder of the log and the settings file");
  update->add_flag("--json", u.json, "End stdout with one JSON object describing the outcome");

  bool all = false, portsJson = false;
  auto* ports = app.add_subcommand("ports", "List the comm ports as the window does");
  ports->add_flag("--all", all, "Also probe ports the system does not list");
  ports->add_flag("--json", portsJson, "Print one JSON array");

  std::string dumpFirmware, dumpOut;
  auto* dump = app.add_subcommand("dump", "Write the firmware image as a dump file");
  dump->add_option("--firmware", dumpFirmware, "Dump this TI-Text file's image instead")
      ->check(CLI::ExistingFile);
  dump->add_option("OUT", dumpOut, "The file to write")->required();

  std::string infoFile;
  bool infoJson = false;
  auto* info = app.add_subcommand("info", "Describe a TI-Text firmware file");
  info->add_option("FILE", infoFile, "The TI-Text file")->required();
  info->add_flag("--json", infoJson, "Print one JSON object");

  bool versionJson = false;
  auto* versionCheck =
      app.add_subcommand("version-check", "Ask the maker's service whether a newer updater exists");
  versionCheck->add_flag("--json", versionJson,
                         "Print one JSON object: the version found, the outcome and the message");

  std::string exchangePort, exchangeLine = "get -ver";
  auto* exchange = app.add_subcommand("exchange", "Send one command to a device and print its answer");
  exchange->add_option("--port", exchangePort, "Port: a name under /dev or an absolute path")->required();
  exchange->add_option("command", exchangeLine, "The command line")->capture_default_str();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (*update) {
    if (!answer.empty()) u.answer = answer == "ok";
    return UpdateCommand(u);
  }
  if (*ports) return PortsCommand(all, portsJson);
  if (*dump) return DumpCommand(dumpFirmware, dumpOut);
  if (*info) return InfoCommand(infoFile, infoJson);
  if (*versionCheck) return VersionCheckCommand(versionJson);
  if (*exchange) return ExchangeCommand(exchangePort, exchangeLine);
  return 2;
}
