// Quil_protocol: reading and writing an instrument's settings in their fixed order.

#include <cstring>
#include <vector>

#include "protocol/inst_value_table.h"
#include "protocol/qp_internal.h"

namespace {

// Reads a text value into field only when it was read: a failed value keeps its contents.
int32_t ReadText(Quil_protocol& qp, const char* command, uint16_t chars, TextField field) {
  std::vector<char> value(static_cast<size_t>(chars) + 1, '\0');
  int32_t r = GetValueString(qp, command, kQPValueTimeoutMs, value.data(), chars);
  if (r > 0) {
    size_t n = strnlen(value.data(), field.width - 1);
    std::memcpy(field.data, value.data(), n);
    std::memset(field.data + n, 0, field.width - n);
  }
  return r;
}

int32_t ReadNumber(Quil_protocol& qp, const char* command, int32_t* field) {
  int32_t value = 0;
  int32_t r = GetValueLong(qp, command, kQPValueTimeoutMs, &value);
  if (r > 0) *field = value;
  return r;
}

const char* UvalsOption(DeviceType type) { return type == DT_V8X ? "-pvuser" : "-uvals"; }

// One step of GetInstInfo; returns the new `last`.
int32_t GetStep(Quil_protocol& qp, const InstGetStep& step, int32_t last) {
  InstrumentSettings& s = qp.instrumentSettings;
  auto success = [&](int32_t r, uint32_t bit) {
    if (r > 0) s.mask |= bit;
    return r > 0 ? 1 : r;
  };
  switch (step.kind) {
    case InstValueKind::Text:
      return success(ReadText(qp, step.command, step.chars, step.text(s)), step.bit);
    case InstValueKind::Number:
      return success(ReadNumber(qp, step.command, step.number(s)), step.bit);
    case InstValueKind::Sample:
      // Not every instrument knows "sample": its failure is not counted.
      success(ReadText(qp, step.command, step.chars, step.text(s)), step.bit);
      return 1;
    case InstValueKind::Uvals: {
      std::string command = Printf("get %s", UvalsOption(qp.deviceType));
      return success(ReadText(qp, command.c_str(), step.chars, step.text(s)), step.bit);
    }
    case InstValueKind::CalList: {
      const CalAddressing cal = CalAddressingFor(qp.deviceType);
      for (int j = 0; j < cal.entries; ++j) {
        std::string command = Printf("get %s%d", cal.option, cal.first + j);
        int32_t r = ReadText(qp, command.c_str(), step.chars, FieldOf(s.cal[static_cast<size_t>(j)]));
        if (r <= 0) return j == 0 ? r : 1;
        last = success(r, step.bit);
      }
      return last;
    }
    case InstValueKind::Eqn:
      return success(GetRecords_Serial(qp, qp.eqnRecords, kRecordsEqn), step.bit);
    case InstValueKind::User:
      return success(GetRecords_Serial(qp, qp.userRecords, kRecordsUser), step.bit);
    case InstValueKind::HadjTau:
      if (success(ReadText(qp, "get -hadj", step.chars, FieldOf(s.hadj)), step.bit) > 0) {
        success(ReadNumber(qp, "get -tau", &s.tau), step.bit);
      }
      return 1;
    case InstValueKind::PPv: {
      int32_t r = success(ReadText(qp, "get -p", step.chars, FieldOf(s.fvals)), step.bit);
      if (r > 0) r = success(ReadText(qp, "get -pv", step.chars, FieldOf(s.uvals)), step.bit);
      return r;
    }
  }
  return last;
}

// Sends one set command; "OK" logs the value and makes the result 1. A positive answer without
// "OK" stays as it is and counts as success.
int32_t SendSet(Quil_protocol& qp, const std::string& command, const char* logName,
                const std::string& value) {
  Exchange ex = QPExchange(qp, command, kQPValueTimeoutMs);
  if (ex.Positive() && ex.Holds("OK")) {
    QP_LOG(qp, kQPLogDone, "SetInstInfo set %s to \"%s\" (%d ms)", logName, value.c_str(),
           ex.elapsedMs);
    return 1;
  }
  return ex.result;
}

std::string TextOfField(TextField field) {
  return std::string(field.data, strnlen(field.data, field.width));
}

int32_t SetStep(Quil_protocol& qp, const InstSetStep& step) {
  InstrumentSettings& s = qp.instrumentSettings;
  switch (step.kind) {
    case InstValueKind::Text:
    case InstValueKind::Sample: {
      std::string value = TextOfField(step.text(s));
      int32_t r = SendSet(qp, Printf("set %s %s\r", step.option, value.c_str()), step.logName, value);
      // The instrument's rejection of a serial number has a code of its own.
      if (step.bit == kInstSn && r == -34) r = -12;
      return r;
    }
    case InstValueKind::Number: {
      std::string value = Printf("%ld", static_cast<long>(*step.number(s)));
      return SendSet(qp, Printf("set %s %s\r", step.option, value.c_str()), step.logName, value);
    }
    case InstValueKind::Uvals: {
      std::string value = TextOfField(step.text(s));
      return SendSet(qp, Printf("set %s %s\r", UvalsOption(qp.deviceType), value.c_str()),
                     step.logName, value);
    }
    case InstValueKind::CalList: {
      const CalAddressing cal = CalAddressingFor(qp.deviceType);
      int32_t last = 0;
      for (int j = 0; j < cal.entries && s.cal[static_cast<size_t>(j)][0] != '\0'; ++j) {
        std::string value = TextString(s.cal[static_cast<size_t>(j)]);
        Exchange ex = QPExchange(
            qp, Printf("set %s%d %s\r", cal.option, cal.first + j, value.c_str()), kQPValueTimeoutMs);
        last = ex.result;
        if (ex.Positive() && ex.Holds("OK")) {
          QP_LOG(qp, kQPLogDone, "SetInstInfo set cal %d to \"%s\" (%d ms)", j, value.c_str(),
                 ex.elapsedMs);
          last = 1;
        }
      }
      return last;
    }
    case InstValueKind::Eqn:
      return SetRecords_Serial(qp, qp.eqnRecords, kRecordsEqn);
    case InstValueKind::User:
      return SetRecords_Serial(qp, qp.userRecords, kRecordsUser);
    case InstValueKind::HadjTau: {
      std::string tau = Printf("%ld", static_cast<long>(s.tau));
      SendSet(qp, Printf("set -tau %s\r", tau.c_str()), "tau", tau);
      std::string hadj = TextString(s.hadj);
      return SendSet(qp, Printf("set -hadj %s\r", hadj.c_str()), "hadj", hadj);
    }
    case InstValueKind::PPv: {
      std::string p = TextString(s.fvals);
      SendSet(qp, Printf("set -p %s\r", p.c_str()), "-p", p);
      std::string pv = TextString(s.uvals);
      return SendSet(qp, Printf("set -pv %s\r", pv.c_str()), "-pv", pv);
    }
  }
  return 0;
}

}  // namespace

int32_t GetInstInfo(Quil_protocol& qp, uint32_t requestMask) {
  if (requestMask == 0) {
    QP_LOG(qp, kQPLogDone, "GetInstInfo should be called with non-zero flags");
    return 0;
  }
  qp.instrumentSettings.type = qp.deviceType;
  int32_t result = 1;
  int32_t last = 0;
  uint32_t previous = 0;
  uint32_t pending = requestMask;
  for (;;) {
    if (pending == 0 || pending == previous) break;
    previous = pending;
    if (last == -32 || last == -21) {
      result = last;
      break;
    }
    if (last < 0) result = -35;
    for (const InstGetStep& step : InstGetOrder()) {
      if ((pending & step.bit) == 0) continue;
      last = GetStep(qp, step, last);
      pending &= ~step.bit;
      break;
    }
  }
  if (result == 1 && last < 0) result = last;
  if (result < 0) QP_LOG(qp, kQPLogDone, "GetInstInfo could not collect all settings");
  return result;
}

int32_t SetInstInfo(Quil_protocol& qp, uint32_t requestMask) {
  if (requestMask == 0) {
    QP_LOG(qp, kQPLogDone, "SetInstInfo should be called with non-zero flags");
    return 0;
  }
  int32_t result = 1;
  int32_t last = 0;
  uint32_t previous = 0;
  uint32_t pending = requestMask;
  for (;;) {
    if (pending == 0) break;
    if (last == -32 || last == -33 || last == -21) {
      result = last;
      break;
    }
    if (last < 0) result = -35;
    if (pending == previous) break;
    previous = pending;
    for (const InstSetStep& step : InstSetOrder()) {
      if ((pending & step.bit) == 0) continue;
      last = SetStep(qp, step);
      pending &= ~step.bit;
      break;
    }
  }
  if (result == 1 && last < 0) result = last;
  if (result < 0) QP_LOG(qp, kQPLogDone, "SetInstInfo could not restore all settings");
  return result;
}
