#include <cstdio>
#include <filesystem>

#include "app/firmware_commands.h"
#include "app/update_sequence.h"
#include "app/update_texts.h"
#include "cli/commands.h"
#include "cli/signal_guard.h"
#include "cli/terminal_ui.h"

namespace {

int Finish(TerminalUI& ui, const UpdateArgs& args, int32_t result,
           std::optional<uint32_t> seconds) {
  ui.Finish();
  if (args.json) {
    std::printf("%s\n", JsonSummary(result, seconds, ui).c_str());
    std::fflush(stdout);
  }
  return result == 1 ? 0 : 1;
}

}  // namespace

int UpdateCommand(const UpdateArgs& args) {
  // With --json, stdout carries the summary alone; people read stderr.
  TerminalUI ui(args.json ? stderr : stdout, args.answer, nullptr);
  UpdaterState s;
  s.ui = &ui;
  const std::string folder = args.dataDir.empty() ? DefaultDataFolder() : args.dataDir;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    // Without it there is no log and no settings file: don't touch the device.
    std::fprintf(stderr, "The data folder \"%s\" can't be created.\n", folder.c_str());
    return 2;
  }
  int32_t status = UpdaterStartup(s, folder);
  ui.SetLog(s.log.get());
  if (status < 0) {
    ReportConstructionError(s);
    return Finish(ui, args, status, std::nullopt);
  }
  if (!args.firmware.empty()) {
    int32_t r = OpenFirmwareFile(s, args.firmware);
    if (r < 0) return Finish(ui, args, r, std::nullopt);
  }
  s.commPortName = args.port;
  s.portDisplayText = args.port;
  s.replaceSerialNumber = !args.newSerialNumber.empty();
  s.newSerialNumber = args.newSerialNumber;
  s.dontEraseData = args.dontEraseData;

  InstallSignalGuard(QuitGuardText(s));
  UpdateOutcome outcome = RunUpdate(s);
  SetGuardPhase(GuardPhase::Idle);
  std::optional<uint32_t> seconds;
  if (outcome.result == 1) seconds = outcome.seconds;
  return Finish(ui, args, outcome.result, seconds);
}
