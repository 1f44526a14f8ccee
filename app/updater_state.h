#pragma once
// The application state that the window and quilbsl-cli share, and the start-up work that
// creates the device objects. No Qt: the window copies its widgets' values in and out.

#include <cstdint>
#include <memory>
#include <string>

#include "app/update_ui.h"
#include "bsl/device_types.h"
#include "bsl/quil_bsl_host.h"
#include "protocol/quil_protocol.h"
#include "serial/quil_log.h"

inline constexpr uint32_t kNewSerialNumberMax = 15;  // characters of the new serial number
inline constexpr float kProgressSpan = 35328.0f;     // progress step = span / image length

struct UpdaterState {
  UpdaterState() = default;
  UpdaterState(const UpdaterState&) = delete;
  UpdaterState& operator=(const UpdaterState&) = delete;

  // Names. caption is the window caption, fixed by the build ("Vapora MTQ Firmware Updater");
  // deviceName follows an opened firmware file of another known type.
  std::string caption;
  std::string deviceName;
  std::string dataFolder;
  std::string logFileName;
  std::string settingsFileName;

  // The chosen port: what QSOpen takes, and the port list's display text for messages.
  std::string commPortName;
  std::string portDisplayText;

  // Options.
  bool verboseLog = true;
  bool replaceSerialNumber = false;
  std::string newSerialNumber;  // the "New Serial Number" edit, at most 15 characters
  bool dontEraseData = false;

  // While an update runs.
  bool updateRunning = false;
  bool keepGoing = true;  // the progress callback returns it (and the interface's KeepGoing)
  bool settingsNotRetrieved = false;

  // The log and the device objects: created at start-up, alive until the state goes.
  std::unique_ptr<QuilLog> log;
  std::unique_ptr<Quil_protocol> protocol;
  std::unique_ptr<QuilBSLHost> host;
  DeviceInfo targetInfo{};

  // The image-related values and the progress bar.
  uint32_t firmwareVersion = 0;
  int32_t progressMode = 1;
  float progressStep = 0.0f;
  float progressValue = 0.0f;
  int progressPosition = 0;  // the bar as last set, 0..100

  // Set when a failed restore kept the settings file under a dated name.
  std::string keptSettingsFile;

  UpdateUI* ui = nullptr;  // not owned; every user-facing text goes through it
};

// Start-up steps 2, 3 and 7 to 9, 11 and 12 of the window: names, log file in dataFolder
// (created with its parents; no folder: no log), log at level 30, the protocol object and the bootloader host
// with its embedded image, the image-related values. Returns the host's constructStatus.
int32_t UpdaterStartup(UpdaterState& s, const std::string& dataFolder);

// The window's data folder: $XDG_DATA_HOME (or ~/.local/share) + "/Quillon/QuilBSL",
// created with its parents; the program's own folder when it cannot be had.
std::string DefaultDataFolder();

// dataFolder + "/" + deviceName + ".settings.txt".
std::string SettingsFileNameFor(const UpdaterState& s);

// Version number of the host's image: its file's version, else the one in its model text
// ("MTQ 3.61" gives 361).
uint32_t ImageVersionOf(const QuilBSLHost& host);

// progressMode = 1 and progressStep = 35328 / image length (a 32-bit float).
void SetProgressValues(UpdaterState& s);

// The construction error report of the bootloader host: the message (title "Application
// Launch Error") and the log line. The caller ends the program afterwards.
void ReportConstructionError(UpdaterState& s);

// What the window's ErrorOK logs for every message shown: level 1, "ErrorOK Told User:".
void LogToldUser(const QuilLog* log, const std::string& text);

// Sets the progress bar (clamped to 0..100) and remembers the position.
void SetProgressBar(UpdaterState& s, int position);
// Advances the progress bar by its step of 2.
void StepProgressBar(UpdaterState& s);
