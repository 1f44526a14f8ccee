#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/firmware_commands.h"
#include "app/update_texts.h"
#include "app/updater_state.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"

namespace {

// The names and the host with its embedded image, without a log file.
bool StartImageOnly(UpdaterState& s, TerminalUI& ui) {
  s.ui = &ui;
  int32_t status = UpdaterStartup(s, "");
  if (status < 0) {
    ReportConstructionError(s);
    return false;
  }
  return true;
}

std::string Hex4(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", v);
  return buf;
}

}  // namespace

int DumpCommand(const std::string& firmware, const std::string& out) {
  TerminalUI ui(stderr, false, nullptr);
  UpdaterState s;
  if (!StartImageOnly(s, ui)) return 1;
  if (!firmware.empty() && OpenFirmwareFile(s, firmware) < 0) return 1;
  return DumpFirmwareImage(s, out) < 0 ? 1 : 0;
}

int InfoCommand(const std::string& file, bool json) {
  TerminalUI ui(stderr, false, nullptr);
  UpdaterState s;
  if (!StartImageOnly(s, ui)) return 1;
  QuilBSLHost& host = *s.host;
  int32_t r = BSLLoadTIFile(host, file.c_str());
  if (r < 0) {
    ui.Tell(FileOpenErrorText(s.caption, FileNameOnly(file), r), "File Error", MessageKind::Error);
    return 1;
  }
  std::vector<std::string> vectors;
  for (uint32_t v : host.vectors) vectors.push_back(Hex4(v));
  if (json) {
    nlohmann::ordered_json j = {{"model", host.modelText},
                                {"type", static_cast<int>(host.imageType)},
                                {"code", DeviceTypeCode(host.imageType)},
                                {"name", DeviceTypeName(host.imageType)},
                                {"version", host.imageVersion},
                                {"length", host.imageLength},
                                {"vectors", vectors}};
    std::printf("%s\n", j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return 0;
  }
  std::printf("Model text: %s\n", host.modelText.c_str());
  std::printf("Type:       %d %s (%s)\n", static_cast<int>(host.imageType),
              DeviceTypeCode(host.imageType), DeviceTypeName(host.imageType));
  std::printf("Version:    %d\n", host.imageVersion);
  std::printf("Length:     %u characters\n", host.imageLength);
  std::printf("Vectors:   ");
  for (const std::string& v : vectors) std::printf(" %s", v.c_str());
  std::printf("\n");
  return 0;
}
