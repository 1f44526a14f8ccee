#include "app/update_sequence.h"

#include <cstdio>
#include <ctime>
#include <string_view>

#include "app/kept_settings_file.h"
#include "app/update_texts.h"
#include "serial/timing.h"

namespace {

constexpr uint8_t kConnectBaudIndex = 2;  // 9600 baud
constexpr uint32_t kConnectTries = 3;
constexpr int kReconnectAttempts = 3;
constexpr uint32_t kReconnectPauseMs = 1500;  // times the failed attempt's index
constexpr uint32_t kBootRetries = 3;
constexpr int kBatteryMinimum = 10;  // per cent

void Tell(UpdaterState& s, const std::string& text, const std::string& title,
          MessageKind kind = MessageKind::Error) {
  s.ui->Tell(text, title, kind);
}

void Tell(UpdaterState& s, const UpdateText& t, MessageKind kind = MessageKind::Error) {
  Tell(s, t.text, t.title, kind);
}

bool Ask(UpdaterState& s, const UpdateText& t) { return s.ui->AskOkCancel(t.text, t.title); }

void Status(UpdaterState& s, const std::string& text) { s.ui->SetStatus(text); }

// Tells an operation's failure in the bootloader phase; a cancel by the user adds how to resume.
int32_t OperationFailed(UpdaterState& s, int32_t r, const char* title) {
  std::string text = OperationFailureText(s, r);
  if (r == kBSLCancelled && !(s.keepGoing && s.ui->KeepGoing())) text += ResumeAdviceText(s);
  Tell(s, text, title);
  return r;
}

// Steps 16.1 and 16.2: the settings go back. Failures are told and do not stop the update.
void RestoreSettings(UpdaterState& s) {
  Quil_protocol& qp = *s.protocol;
  const bool newSn = s.replaceSerialNumber && !s.newSerialNumber.empty();
  if (s.settingsNotRetrieved && newSn) {
    // Nothing was saved: the new serial number alone goes to the device.
    s.settingsNotRetrieved = false;
    qp.settingsHeld = true;
    qp.instrumentSettings = InstrumentSettings{};
    qp.instrumentSettings.mask = kInstSn;
    qp.loggerSettings.validMask = 0x2;
  }
  if (!s.targetInfo.hasSettings || s.settingsNotRetrieved) return;

  int32_t r = QPRestoreInfo(qp, s.settingsFileName.c_str(),
                            newSn ? s.newSerialNumber.c_str() : nullptr);
  if (r >= 0) return;

  // The file may be the only copy of the settings now: keep it where the next save can't
  // overwrite it, and say where.
  std::string kept = KeepSettingsFile(s.settingsFileName, s.dataFolder, s.deviceName,
                                      std::time(nullptr));
  std::string keptText;
  if (!kept.empty()) {
    s.keptSettingsFile = kept;
    keptText = SettingsKeptText(kept);
  }
  const char* title = "Settings Error";
  if (r == -102) {
    Tell(s, RestoreFileMissingText(s), title);
    Tell(s, RestoreFailedText(s, r) + keptText, title);
  } else if (r == -105 || r == -106) {
    Tell(s, RestoreFileUnreadableText(s, r) + keptText, title);
  } else if (r == -35) {
    Tell(s, RestorePartialText(s) + keptText, title);
  } else {
    Tell(s, RestoreFailedText(s, r) + keptText, title);
  }
}

}  // namespace

bool UpdateProgressTick(UpdaterState& s, char kind) {
  if (kind == 'W') {
    s.progressValue += s.progressStep;
    SetProgressBar(s, static_cast<int>(static_cast<double>(s.progressValue) + 0.5));
  } else if (kind == 'X') {
    SetProgressBar(s, s.progressPosition + s.progressMode);
  }
  s.ui->ProcessMessages();
  return s.keepGoing && s.ui->KeepGoing();
}

bool CheckFirmwareWindow(UpdaterState& s, const DeviceInfo& info) {
  if (!info.hasVersionWindow) return true;
  UpdateText t;
  if (info.version > info.maxVersion) {
    t = VersionWindowText(s, info.version, info.maxVersion, true);
  } else if (info.version >= info.minVersion) {
    return true;
  } else {
    t = VersionWindowText(s, info.version, info.minVersion, false);
  }
  return Ask(s, t);
}

void ShowCalibrationNotice(UpdaterState& s, int type) {
  UpdateText t = CalibrationNoticeText(type);
  if (!t.title.empty()) Tell(s, t, MessageKind::Warning);
}

int32_t UpdateInstrument(UpdaterState& s) {
  Quil_protocol& qp = *s.protocol;
  QuilBSLHost& host = *s.host;
  const char* port = s.commPortName.c_str();

  // 1. Connect.
  int32_t r = QPConnect(qp, port, kConnectBaudIndex, kConnectTries, &s.targetInfo);
  const bool loaderListening = r == kBSLAlreadyActive || r == kBSLWaiting;
  if (r < 0 && !loaderListening) {
    Tell(s, ConnectFailureText(s, r));
    return -20;
  }
  // 2. A bootloader already listening (an interrupted update): straight to programming.
  StepProgressBar(s);
  if (loaderListening) {
    FillDeviceInfo(host.imageType, 999, 0, &s.targetInfo);
  } else {
    // 3. Right device.
    if (s.targetInfo.type != host.imageType && !Ask(s, WrongDeviceText(s))) return -121;
    // 4. Firmware new enough.
    if (!s.targetInfo.updatable) {
      Tell(s, FirmwareTooOldText(s));
      return -120;
    }
    // 5. Version window.
    if (!CheckFirmwareWindow(s, s.targetInfo)) return -120;
    // 6. Battery: only a reading below the minimum stops; a failed reading does not.
    if (s.targetInfo.checkBattery) {
      Status(s, kStatusBattery);
      int32_t percent = -1;
      if (QPCheckBattery(qp, &percent) > 0 && percent < kBatteryMinimum) {
        Tell(s, BatteryTooLowText());
        return -130;
      }
    }
    StepProgressBar(s);
    // 7. Save settings.
    if (s.targetInfo.hasSettings) {
      Status(s, SavingSettingsStatus(s));
      if (QPSaveInfo(qp, s.settingsFileName.c_str()) < 0) {
        if (!Ask(s, SettingsRetrieveText(s))) return -40;
        s.settingsNotRetrieved = true;
      }
    }
  }

  // 8. Hand the port over to the bootloader.
  QPLogout(qp, false);
  SetProgressBar(s, 6);
  Status(s, kStatusStartingLoader);
  host.progress = [&s](uint32_t, uint32_t, int, char kind) { return UpdateProgressTick(s, kind); };
  s.ui->BootloaderPhase(true);
  r = BSLConnect(host, port, s.targetInfo.bootBaud, true, kBootRetries);
  if (r < 0) {
    Tell(s, LoaderFailureText(s, r));
    return r == kBSLNoBootloader ? kBSLNoBootloader : kBSLDeviceError;
  }
  // 9. Erase the INFO memory.
  StepProgressBar(s);
  Status(s, kStatusErasing);
  const DeviceInfo& t = s.targetInfo;
  r = BSLEraseINFO(host, t.infoStart, t.infoSegments, t.infoSegmentSize, t.wideAddresses);
  if (r < 0) return OperationFailed(s, r, "INFO Memory Erase Error");
  // 10. Erase the flash.
  r = BSLEraseFlash(host, t.flashStart, t.flashEnd, t.wideAddresses);
  if (r < 0) return OperationFailed(s, r, "Firmware Erase Error");
  // 11. Upload.
  s.progressValue = 21.0f;
  SetProgressBar(s, 21);
  Status(s, kStatusUploading);
  r = BSLSendFirmware(host, t.wideAddresses);
  if (r < 0) return OperationFailed(s, r, "Firmware Upload Error");
  // 12. Vectors, and the device restarts.
  Status(s, RestartingStatus(s));
  r = BSLSendVectors(host);
  if (r < 0) return OperationFailed(s, r, "Firmware Upload Error");
  // 13.
  BSLDisconnect(host);
  s.ui->BootloaderPhase(false);
  PumpedSleep(s.targetInfo.restartMs);
  SetProgressBar(s, 92);
  s.ui->ProcessMessages();

  // 14. Reconnect: 0, 1500 and 3000 ms after the first, second and third failure.
  for (int i = 0; i < kReconnectAttempts; ++i) {
    r = QPConnect(qp, port, kConnectBaudIndex, kConnectTries, &s.targetInfo);
    if (r > 0) break;
    PumpedSleep(static_cast<uint32_t>(i) * kReconnectPauseMs);
  }
  if (r < 0) return OperationFailed(s, r, "Connection Error");

  // 15. The device checks its new code.
  StepProgressBar(s);
  Status(s, kStatusChecking);
  r = QPCheckFirmware(qp, s.targetInfo.postInit);
  if (r < 0) {
    Tell(s, CorruptFirmwareText(s));
    return r;
  }
  // 16. Restore the settings.
  StepProgressBar(s);
  Status(s, kStatusRestoring);
  RestoreSettings(s);
  // 17. Clock.
  if (s.targetInfo.hasClock) QPSetTime(qp);
  StepProgressBar(s);
  // 18. Erase old data.
  if (s.targetInfo.eraseOldData && !s.dontEraseData) {
    Status(s, kStatusErasingData);
    r = QPEraseData(qp);
    if (r < 0) {
      Tell(s, EraseDataFailureText(s, r));
      return r;
    }
  }
  // 19. Calibration.
  std::string_view adc = TextOf(qp.instrumentSettings.adc);
  if (adc.empty() || adc.find("50.98") != std::string_view::npos) {
    s.targetInfo.calibrationNotice = true;
  }
  // 20.
  QPLogout(qp, true);
  return 1;
}

UpdateOutcome RunUpdate(UpdaterState& s) {
  UpdateUI& ui = *s.ui;
  s.updateRunning = true;
  s.keepGoing = true;
  SetProgressBar(s, 0);
  ui.SetInstruction(DoNotDisconnectInstruction(s.deviceName));
  s.settingsFileName = SettingsFileNameFor(s);
  QPForgetSettings(*s.protocol);
  s.targetInfo = DeviceInfo{};
  s.settingsNotRetrieved = false;
  s.keptSettingsFile.clear();
  ui.SetStatus(ConnectingStatus(s));

  UpdateOutcome out;
  const uint32_t start = MillisecondClock();
  out.result = UpdateInstrument(s);
  if (out.result < 0) {
    ui.HideStatus();
    SetProgressBar(s, 0);
    BSLDisconnect(*s.host);
    ui.BootloaderPhase(false);
    QPLogout(*s.protocol, false);
    ui.SetInstruction(ConnectInstruction(s.deviceName));
  } else {
    out.seconds = (MillisecondClock() - start) / 1000;
    if (s.targetInfo.calibrationNotice) ShowCalibrationNotice(s, s.targetInfo.type);
    SetProgressBar(s, 100);
    ui.SetStatus(SuccessStatus(out.seconds));
    ui.Beep();
    ui.ProcessMessages();
    LogMessage(s.log.get(), 1, "QuilBSL Host", "Finished updating device in %d seconds",
               static_cast<int>(out.seconds));
    // A kept file stays where the message said; otherwise the settings are back in the device.
    if (s.keptSettingsFile.empty()) std::remove(s.settingsFileName.c_str());
    ui.SetInstruction(MayDisconnectInstruction(s.deviceName));
  }
  s.newSerialNumber.clear();
  s.updateRunning = false;
  return out;
}
