#include "app/updater_state.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/update_texts.h"

namespace fs = std::filesystem;

namespace {

// The folder of the running program, with a trailing slash; "./" when it cannot be found.
std::string ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return "./";
  return exe.parent_path().string() + "/";
}

}  // namespace

std::string DefaultDataFolder() {
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.local/share";
  }
  if (!base.empty()) {
    std::string folder = base + "/Quillon/QuilBSL";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (fs::is_directory(folder, ec)) return folder;
  }
  return ProgramFolder();
}

std::string SettingsFileNameFor(const UpdaterState& s) {
  return s.dataFolder + "/" + s.deviceName + ".settings.txt";
}

uint32_t ImageVersionOf(const QuilBSLHost& host) {
  if (host.imageVersion > 0) return static_cast<uint32_t>(host.imageVersion);
  DeviceInfo info;
  if (ParseDeviceIdentity(host.modelText.c_str(), &info) == 1) return info.version;
  return 0;
}

void SetProgressValues(UpdaterState& s) {
  s.progressMode = 1;
  uint32_t length = s.host ? s.host->imageLength : 0;
  s.progressStep = length > 0 ? kProgressSpan / static_cast<float>(length) : 0.0f;
}

int32_t UpdaterStartup(UpdaterState& s, const std::string& dataFolder) {
  s.deviceName = DeviceTypeName(kBuildDeviceType);
  s.caption = s.deviceName + " Firmware Updater";
  s.verboseLog = true;
  s.dataFolder = dataFolder;
  if (!s.dataFolder.empty()) {
    std::error_code ec;
    fs::create_directories(s.dataFolder, ec);
    s.logFileName = s.dataFolder + "/" + s.caption + ".errors.txt";
    s.log = std::make_unique<QuilLog>(s.logFileName, s.verboseLog ? 30u : 1u);
  }
  s.protocol = std::make_unique<Quil_protocol>(s.log.get());
  s.host = std::make_unique<QuilBSLHost>(s.log.get());
  s.settingsFileName = SettingsFileNameFor(s);
  SetProgressValues(s);
  s.firmwareVersion = ImageVersionOf(*s.host);
  return s.host->constructStatus;
}

void LogToldUser(const QuilLog* log, const std::string& text) {
  if (log != nullptr) LogMessage(log, 1, "ErrorOK Told User:", "%s", text.c_str());
}

void ReportConstructionError(UpdaterState& s) {
  int32_t status = s.host ? s.host->constructStatus : -60;
  if (s.ui != nullptr) {
    s.ui->Tell(ConstructionErrorText(s.caption, status), "Application Launch Error",
               MessageKind::Error);
  }
  if (s.log) {
    LogMessage(s.log.get(), 1, "QuilBSL frmMain", "HostBSL class got an constructor error (%d)",
               status);
  }
}

void SetProgressBar(UpdaterState& s, int position) {
  s.progressPosition = std::clamp(position, 0, 100);
  if (s.ui != nullptr) s.ui->SetProgress(s.progressPosition);
}

void StepProgressBar(UpdaterState& s) { SetProgressBar(s, s.progressPosition + 2); }
