// Quil_protocol: battery, firmware code check, data erasure and the clock.

#include <cerrno>
#include <ctime>

#include "protocol/qp_internal.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kPostTimeoutMs = 7000;
constexpr uint32_t kEraseTimeoutMs = 17000;
constexpr uint32_t kSetClockTimeoutMs = 20000;

// Instruments that erase their data with "yes", and those whose clock takes "set -sec".
bool ErasesWithYes(DeviceType t) {
  return t == DT_TQ || t == DT_RD60 || t == DT_SG || t == DT_HSRB || t == DT_RV || t == DT_V8X ||
         t == DT_QHM;
}
bool SetsSeconds(DeviceType t) {
  return t == DT_HSRB || t == DT_RD60 || t == DT_V8X || t == DT_QHM || t == DT_TRNK6;
}

}  // namespace

int64_t QPDeviceSeconds(int64_t systemSeconds, int32_t zoneOffsetSeconds) {
  return systemSeconds + zoneOffsetSeconds - kEpoch2000;
}

int32_t QPCheckBattery(Quil_protocol& qp, int32_t* percent) {
  if (percent == nullptr) return -10;
  Exchange ex = QPExchange(qp, "get -batt\r", kQPValueTimeoutMs);
  if (ex.result <= 0) {
    *percent = -1;
    return ex.result;
  }
  std::optional<int32_t> level = ReadLeadingNumber(ex.answer);
  if (!level) {
    QP_LOG(qp, kQPLogFailure, "QPCheckBattery failed to parse battery power (%d ms)", ex.elapsedMs);
    return -30;
  }
  *percent = *level;
  QP_LOG(qp, kQPLogDone, "QPCheckBattery: %d%% battery (%d ms)", *level, ex.elapsedMs);
  return 1;
}

int32_t QPCheckFirmware(Quil_protocol& qp, bool initialise) {
  Exchange ex = QPExchange(qp, initialise ? "post -init\r" : "post\r", kPostTimeoutMs);
  if (ex.result <= 0) {
    QP_LOG(qp, kQPLogFailure, "QPCheckFirmware can't determine firmware code status (error %d)",
           ex.result);
    return ex.result;
  }
  if (ex.Holds("Code Good!")) {
    QP_LOG(qp, kQPLogDone, "QPCheckFirmware: Device reports good firmware code!");
    return 1;
  }
  if (ex.Holds("Code Corrupt!")) {
    QP_LOG(qp, kQPLogFailure, "QPCheckFirmware: Device reports corrupt firmware code!");
    return -1;
  }
  QP_LOG(qp, kQPLogFailure, "QPCheckFirmware can't determine firmware code status");
  return -30;
}

int32_t QPEraseData(Quil_protocol& qp) {
  if (IsLoggerType(qp.deviceType)) return EraseData(*qp.link);
  if (!ErasesWithYes(qp.deviceType)) return -13;

  Exchange ex = QPExchange(qp, "yes\r", kEraseTimeoutMs);
  int32_t outcome = ex.result;
  if (ex.Positive()) {
    if (ex.Holds("OK")) outcome = 1;
    else if (ex.Holds("DataFlash FAIL")) outcome = -65;
    else outcome = -30;
  }
  if (outcome > 0) {
    QP_LOG(qp, kQPLogDone, "QPEraseData erased device data (%d ms)", ex.elapsedMs);
  } else if (outcome == -65) {
    QP_LOG(qp, kQPLogFailure, "QPEraseData failed due to a broken DataFlash (%d ms)", ex.elapsedMs);
  } else {
    QP_LOG(qp, kQPLogFailure, "QPEraseData failed with error %d (%d ms)", outcome, ex.elapsedMs);
  }
  return outcome;
}

int32_t QPSetTime(Quil_protocol& qp) {
  if (!qp.identity.hasClock) return -13;

  int64_t deviceSeconds = 0;
  int32_t outcome = 0;
  int32_t result = 0;
  int32_t elapsedMs = 0;
  if (SetsSeconds(qp.deviceType)) {
    errno = 0;
    std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) {
      QP_LOG(qp, kQPLogFailure, "QPSetTime failed to get system time with error %d", errno);
      return -30;
    }
    deviceSeconds = QPDeviceSeconds(now, TimeZoneOffsetSeconds());
    Exchange ex = QPExchange(qp, Printf("set -sec %ld\r", static_cast<long>(deviceSeconds)),
                             kSetClockTimeoutMs);
    result = ex.result;
    elapsedMs = ex.elapsedMs;
    outcome = ex.Positive() ? (ex.Holds("OK") ? 1 : -30) : ex.result;
  } else {
    // The link takes the computer's clock for a zero time and reports what it set.
    const uint32_t start = MillisecondClock();
    result = DeviceTime(*qp.link, &deviceSeconds, 1);
    elapsedMs = static_cast<int32_t>(MillisecondClock() - start);
    outcome = result;
  }
  if (outcome > 0) {
    QP_LOG(qp, kQPLogDetail, "QPSetTime set the time to: %ld", static_cast<long>(deviceSeconds));
  } else {
    QP_LOG(qp, kQPLogDetail, "QPSetTime got error %d (%d ms)", outcome, elapsedMs);
  }
  return result;
}
