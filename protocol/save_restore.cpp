// Quil_protocol: saving a device's settings before an update and restoring them afterwards.

#include <string>

#include "protocol/qp_internal.h"
#include "protocol/settings_file.h"
#include "protocol/settings_types.h"

namespace {

constexpr size_t kSnChars = 15;

// A V8X's config holds a check number that includes the character codes of its serial number.
// False when config holds no number (it is then left as it is).
bool AdjustV8xConfig(InstrumentSettings& s, std::string_view replacement) {
  std::optional<int32_t> config = ReadLeadingNumber(TextOf(s.config));
  if (!config) return false;
  int64_t value = *config;
  for (char c : TextOf(s.sn)) value -= static_cast<int8_t>(c);
  for (char c : replacement.substr(0, kSnChars)) value += static_cast<int8_t>(c);
  SetText(s.config, Printf("%u", static_cast<unsigned>(static_cast<uint32_t>(value))));
  s.mask |= kInstConfig;
  return true;
}

int32_t CollectLogger(Quil_protocol& qp, uint32_t requestMask) {
  uint32_t mask = requestMask;
  int32_t r = DeviceSettings(*qp.link, &qp.loggerSettings, mask, 0);
  qp.heldMask = mask;
  return r;
}

int32_t CollectInstrument(Quil_protocol& qp) {
  uint32_t requestMask = SettingsTypeOf(qp.deviceType).saveMask;
  if (qp.deviceType == DT_RD60 && qp.identity.version >= kRd60NewerVersion) {
    requestMask |= kRd60NewerMask;
  }
  if (qp.deviceType == DT_V8X) {
    if (qp.loggerSettings.versionNumber >= kV8xPvuserVersion) requestMask |= kV8xPvuserMask;
    // The attached KRT4 sensor must read as type 0 while the settings are taken.
    Exchange ex = QPExchange(qp, "set -sensor 0\r", kQPValueTimeoutMs);
    int32_t outcome = ex.Positive() ? (ex.Holds("OK") ? 1 : -30) : ex.result;
    if (outcome > 0) {
      QP_LOG(qp, kQPLogDone, "QPSaveInfo set KRT4 sensor type to '0' (%d ms)", ex.elapsedMs);
    } else {
      QP_LOG(qp, kQPLogDone, "QPSaveInfo received error %d setting KRT4 sensor type to '0' (%d ms)",
             outcome, ex.elapsedMs);
    }
  }
  int32_t r = GetInstInfo(qp, requestMask);
  qp.heldMask = qp.instrumentSettings.mask;
  return r;
}

}  // namespace

int32_t QPSaveInfo(Quil_protocol& qp, const char* path) {
  const SettingsTypeRow& row = SettingsTypeOf(qp.deviceType);
  int32_t r = 0;
  switch (row.family) {
    case SettingsFamily::Logger:
      r = CollectLogger(qp, row.saveMask);
      if (r == -36) {
        qp.settingsHeld = false;
        qp.heldMask = 0;
        QP_LOG(qp, kQPLogDone, "QPSaveInfo does not save data for an uninitialized device");
        return -36;
      }
      break;
    case SettingsFamily::Sensor:
      r = SDISaveInfo(*qp.sensor);
      qp.heldMask = 0;
      break;
    case SettingsFamily::Instrument:
      r = CollectInstrument(qp);
      break;
    case SettingsFamily::None:
      return -13;
  }
  if (r < 0 && r != -35) {
    QP_LOG(qp, kQPLogFailure, "QPSaveInfo received error %d trying to collect device settings", r);
    return r;
  }
  qp.settingsHeld = true;

  r = WriteInfoFile(qp, path);
  if (r < 0) {
    QP_LOG(qp, kQPLogFailure,
           "QPSaveInfo received error %d trying to save device settings to a temp file", r);
    return r;
  }
  QP_LOG(qp, kQPLogDone, "QPSaveInfo successfully retreived and saved device settings to a temp file");
  return 1;
}

int32_t QPRestoreInfo(Quil_protocol& qp, const char* path, const char* replacementSn) {
  if (!qp.settingsHeld) {
    int32_t r = ReadInfoFile(qp, path);
    if (r < 0) {
      QP_LOG(qp, kQPLogFailure, "QPRestoreInfo received error %d trying to read device settings from %s",
             r, path != nullptr ? path : "");
      return r;
    }
    qp.settingsHeld = true;
    qp.loggerSettings.validMask = qp.heldMask;
  }
  const std::string_view replacement =
      replacementSn != nullptr ? std::string_view(replacementSn) : std::string_view();
  const bool replace = replacementSn != nullptr && !replacement.empty();

  int32_t result = 0;
  switch (SettingsTypeOf(qp.deviceType).family) {
    case SettingsFamily::Logger: {
      LoggerSettings& s = qp.loggerSettings;
      if (replace) {
        SetText(s.serialNumber, replacement.substr(0, kSnChars));
        s.validMask |= kMaskSerialNumber;
      }
      // A logger with a device id keeps its serial number.
      if ((s.validMask & kMaskDeviceId) != 0) s.validMask &= ~kMaskSerialNumber;
      uint32_t mask = s.validMask;
      result = DeviceSettings(*qp.link, &s, mask, 1);
      if (!((result >= 0 || result == -35) && mask != 0)) {
        QP_LOG(qp, kQPLogFailure, "QPRestoreInfo received error %d trying to upload device settings",
               result);
        return result;
      }
      break;
    }
    case SettingsFamily::Sensor:
      result = SDIRestoreInfo(*qp.sensor);
      break;
    case SettingsFamily::Instrument: {
      InstrumentSettings& s = qp.instrumentSettings;
      if (replace) {
        if (qp.deviceType == DT_V8X) AdjustV8xConfig(s, replacement);
        SetText(s.sn, replacement.substr(0, kSnChars));
        s.mask |= kInstSn;
      }
      result = SetInstInfo(qp, s.mask);
      break;
    }
    case SettingsFamily::None:
      return -13;
  }
  // A partial restore is not reported as a success.
  if (result >= 0) {
    QP_LOG(qp, kQPLogDone, "QPRestoreInfo successfully restored device setting");
  } else {
    QP_LOG(qp, kQPLogFailure, "QPRestoreInfo received error %d trying to upload device settings",
           result);
  }
  return result;
}
