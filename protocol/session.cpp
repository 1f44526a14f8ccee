// Quil_protocol: the object, connecting with the access-code login, and logging out.

#include <cstdio>
#include <cstring>

#include "protocol/qp_internal.h"
#include "serial/timing.h"

namespace {

constexpr const char* kAccessCode = "*4738";
constexpr uint32_t kLoginTries = 3;
constexpr uint32_t kLoginCharPauseMs = 50;
constexpr uint32_t kLoginSettleMs = 100;
constexpr uint32_t kLoginAnswerTimeoutMs = 4000;
constexpr uint32_t kLogoutPauseMs = 100;

}  // namespace

Quil_protocol::Quil_protocol(QuilLog* logIn)
    : link(std::make_unique<SOLIX_Protocol>(logIn)),
      sensor(std::make_unique<QuilSDI12>(logIn, &link->port)),
      log(logIn) {}

// The sensor only points at the link's port, so it goes first.
Quil_protocol::~Quil_protocol() {
  sensor.reset();
  link.reset();
}

void QPForgetSettings(Quil_protocol& qp) {
  qp.loggerSettings = LoggerSettings{};
  qp.instrumentSettings = InstrumentSettings{};
  qp.userRecords = RecordSet{};
  qp.eqnRecords = RecordSet{};
  qp.settingsHeld = false;
  qp.heldMask = 0;
}

int32_t QPConnect(Quil_protocol& qp, const char* portName, uint8_t baudIndex, uint32_t tries,
                  DeviceInfo* identity) {
  if (portName == nullptr || *portName == '\0' || identity == nullptr) return -10;

  SolixConnection description{};
  description.port = portName;
  description.kind = kConnSerial;
  description.baudIndex = baudIndex;
  SolixOptions options{};
  options.keepPortOpen = 0;
  options.serialTries = tries;
  options.radioTries = 0;
  options.showProgress = 0;
  options.traceMode = 0;
  options.extraWaitMs = 0;
  int32_t r = DeviceOptions(*qp.link, options, 1);
  if (r < 0) {
    QP_LOG(qp, kQPLogFailure,
           "QPConnect received error %d trying to configure SOLIX_Prototcol", r);
    return r;
  }

  LoggerSettings scratch{};
  r = ConnectDevice(*qp.link, &description);
  if (r >= 0) {
    uint32_t mask = 0;
    r = DeviceSettings(*qp.link, &scratch, mask, 0);
  }
  if (r >= 0) r = ParseDeviceIdentity(scratch.versionText.data(), identity);

  if (r > 0 && !identity->updatable) {
    QP_LOG(qp, kQPLogFailure, "QPConnect this firmware version is not supported");
    return -120;
  }
  if (r == -20) {
    QP_LOG(qp, kQPLogDone, "QPConnect couldn't connect.");
    return -20;
  }
  if (r == -80 || r == -81) {
    QP_LOG(qp, kQPLogDone, "QPConnect found the QuilBSL listening (%d)", r);
    return r;
  }
  if (r == -30 || r == -32) {
    QP_LOG(qp, kQPLogFailure, "QPConnect this device must not be supported");
    return -120;
  }
  if (r < 0) {
    QP_LOG(qp, kQPLogFailure, "QPConnect received error %d trying to connect to device", r);
    return r;
  }

  qp.loggerSettings.newFirmware = 1;
  qp.loggerSettings.loggerType = scratch.loggerType;
  qp.loggerSettings.typeName = scratch.typeName;
  qp.loggerSettings.versionText = scratch.versionText;
  qp.loggerSettings.versionNumber = scratch.versionNumber;
  // The capability word follows from the kind and the firmware now running.
  UpdateCapabilities(qp.loggerSettings);
  qp.deviceType = identity->type;
  qp.identity = *identity;
  if (qp.identity.needsLogin) {
    int32_t login = QPLogin(qp);
    if (login < 0) return login;
  }
  QP_LOG(qp, kQPLogDone, "QPConnect successfully connected to device");
  return r;
}

int32_t QPLogin(Quil_protocol& qp) {
  char line[16];
  std::snprintf(line, sizeof line, "login %s", kAccessCode);
  const size_t length = std::strlen(line);
  Exchange ex;
  for (uint32_t attempt = 0; attempt < kLoginTries; ++attempt) {
    QSPurge(qp.link->port, 1);
    // The device takes the access code only when it is typed.
    for (size_t i = 0; i < length; ++i) {
      uint32_t written = 0;
      QSWrite(qp.link->port, &line[i], 1, written);
      PumpedSleep(kLoginCharPauseMs);
    }
    PumpedSleep(kLoginSettleMs);
    PumpedSleep(kLoginSettleMs);
    ex = QPExchange(qp, "\n\r", kLoginAnswerTimeoutMs);
    if (ex.Positive() && (ex.Holds("OK") || ex.Holds("4738"))) {
      ex.result = 1;
      break;
    }
  }
  if (ex.result < 0) {
    QP_LOG(qp, kQPLogFailure, "QPConnect couldn't log into the device (%d ms)", ex.elapsedMs);
    return -25;
  }
  QP_LOG(qp, kQPLogFailure, "QPConnect successfully loged into the device (%d ms)", ex.elapsedMs);
  return ex.result;
}

int32_t QPLogout(Quil_protocol& qp, bool sendLogout) {
  if (qp.identity.needsLogin && sendLogout) QPExchange(qp, "logout\r", kQPValueTimeoutMs);
  int32_t r = DisconnectDevice(*qp.link, false);
  PumpedSleep(kLogoutPauseMs);
  return r;
}
