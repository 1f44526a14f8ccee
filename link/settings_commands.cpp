// One get/set command per logger setting. The members share one pattern and differ only as
// the tables below say; the few with rules of their own are written out after them.

#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"
#include "serial/timing.h"

namespace {

constexpr uint32_t kSettingTimeoutMs = 1100;
constexpr uint32_t kCellular = 0;  // "capability" meaning: HasCellular must give 1

struct Exchange {
  int32_t result = 0;
  int32_t elapsed = 0;
  std::array<char, 96> buffer{};
  uint32_t length = 0;
  std::string_view text() const { return std::string_view(buffer.data(), length); }
};

Exchange Send(SOLIX_Protocol& link, const std::string& command, uint32_t capacity) {
  Exchange x;
  x.length = capacity < x.buffer.size() ? capacity : static_cast<uint32_t>(x.buffer.size());
  x.result = DeviceCommand(link, command.c_str(), '>', kSettingTimeoutMs, x.buffer.data(),
                           x.length, x.elapsed);
  return x;
}

bool Allowed(const SOLIX_Protocol& link, uint32_t capability) {
  if (capability == kCellular) return HasCellular(link) == 1;
  return (link.settings.capabilities & capability) != 0;
}

bool NewFirmware(const SOLIX_Protocol& link) { return link.settings.newFirmware != 0; }

// A set is confirmed by "OK"; where oldPrompt holds, old firmware confirms with "\r>".
bool Confirmed(const SOLIX_Protocol& link, std::string_view answer, bool oldPrompt) {
  if (oldPrompt && !NewFirmware(link)) return Contains(answer, "\r>");
  return Contains(answer, "OK");
}

int32_t Failed(SOLIX_Protocol& link, const char* name, int32_t result, int32_t elapsed) {
  if (result < 0) {
    LinkLog(link, kLogFailure, "%s failed with error %d (%d ms)", name, result, elapsed);
  }
  return result;
}

// ---- Text settings ----

enum class TextAt : uint8_t {
  Whitespace,  // after leading white space, a '>' there is the prompt alone (-31)
  FirstCR,     // after the answer's first carriage return (from its start without one)
};

struct TextSetting {
  const char* name;
  const char* setCommand;  // "set -site", the value follows after a blank
  const char* getCommand;
  uint32_t capability;
  uint32_t maxLength;
  uint32_t capacity;
  TextAt at;
  bool secret;             // never written to the log
  bool setNeedsNewFirmware;
  const char* setLine;
  const char* foundLine;
};

constexpr TextSetting kDeviceId = {"DeviceIDCommand", "set -devid", "get -devid\r", kCapIdentity,
                                   8, 32, TextAt::Whitespace, false, false,
                                   "DeviceIDCommand set DeviceID to",
                                   "DeviceIDCommand found DeviceID"};
constexpr TextSetting kSite = {"SiteCommand", "set -site", "get -site\r", kCapIdentity, 25, 32,
                               TextAt::Whitespace, false, false, "SiteCommand set site to",
                               "SiteCommand found site name"};
constexpr TextSetting kSerialNumber = {"SNCommand", "set -sn", "get -sn\r", 0, 15, 32,
                                       TextAt::FirstCR, false, true,
                                       "SNCommand set device serial number to",
                                       "SNCommand found device serial number"};
constexpr TextSetting kBuildInfo = {"QuilBuildCommand", "set -build", "get -build\r",
                                    kCapBuildInfo, 16, 32, TextAt::FirstCR, false, false,
                                    "QuilBuildCommand set QuilBuild number to",
                                    "QuilBuildCommand found QuilBuild info"};
constexpr TextSetting kApn = {"APNCommand", "set -apn", "get -apn\r", kCellular, 35, 64,
                              TextAt::Whitespace, false, false, "APNCommand set APN to",
                              "APNCommand found APN"};
constexpr TextSetting kApnUser = {"APNUserCommand", "set -user", "get -user\r", kCellular, 35, 64,
                                  TextAt::Whitespace, false, false,
                                  "APNUserCommand set APN user name to",
                                  "APNUserCommand found APN user name"};
constexpr TextSetting kApnPassword = {"APNPasswdCommand", "set -passwd", "get -passwd\r",
                                      kCellular, 35, 64, TextAt::Whitespace, true, false,
                                      "APNPasswdCommand set APN password to",
                                      "APNPasswdCommand found APN password"};
constexpr TextSetting kAuthKey = {"AuthKeyCommand", "set -authkey", "get -authkey\r", kCellular,
                                  32, 64, TextAt::Whitespace, true, false,
                                  "AuthKeyCommand set authkey to", "AuthKeyCommand found authkey"};
constexpr TextSetting kHost = {"HostCommand", "set -host", "get -host\r", kCellular, 63, 96,
                               TextAt::Whitespace, false, false,
                               "HostCommand set remote host name to",
                               "HostCommand found the remote host name"};

// The value of a text answer, or the code when there is none (-31 prompt, -30 nothing).
int32_t ReadText(const TextSetting& d, std::string_view answer, std::string_view& value) {
  std::string_view rest = d.at == TextAt::Whitespace ? SkipWhitespace(answer) : AfterFirstCR(answer);
  if (!rest.empty() && rest[0] == '>') return -31;
  value = TextLine(rest, d.maxLength);
  return value.empty() ? -30 : 1;
}

const char* Shown(const TextSetting& d, const std::string& value) {
  return d.secret ? kMaskedSecret : value.c_str();
}

template <size_t N>
int32_t SendText(SOLIX_Protocol& link, const TextSetting& d, const FixedText<N>& field) {
  const std::string value = TextString(field);
  Exchange x = Send(link, std::string(d.setCommand) + " " + value + "\r", d.capacity);
  int32_t result = x.result;
  if (result >= 1) {
    if (Contains(x.text(), "OK")) {
      LinkLog(link, kLogDetail, "%s \"%s\" (%d ms)", d.setLine, Shown(d, value), x.elapsed);
      result = 1;
    } else {
      result = -30;
    }
  }
  return Failed(link, d.name, result, x.elapsed);
}

template <size_t N>
int32_t AskText(SOLIX_Protocol& link, const TextSetting& d, FixedText<N>& field,
                const char* command, const char* foundLine) {
  static_assert(N >= 2);
  Exchange x = Send(link, command, d.capacity);
  int32_t result = x.result;
  if (result >= 1) {
    std::string_view value;
    result = ReadText(d, x.text(), value);
    if (result == 1) {
      SetText(field, value.substr(0, N - 1));
      const std::string stored = TextString(field);
      LinkLog(link, kLogDetail, "%s \"%s\" (%d ms)", foundLine, Shown(d, stored), x.elapsed);
    }
  }
  return Failed(link, d.name, result, x.elapsed);
}

template <size_t N>
int32_t TextCommand(SOLIX_Protocol& link, const TextSetting& d, FixedText<N>& field, int mode) {
  if (mode == 1) {
    bool allowed = d.setNeedsNewFirmware ? NewFirmware(link) : Allowed(link, d.capability);
    if (!allowed) return -1;
    return SendText(link, d, field);
  }
  if (!d.setNeedsNewFirmware && !Allowed(link, d.capability)) return -1;
  return AskText(link, d, field, d.getCommand, d.foundLine);
}

// ---- Number settings ----

enum class NumberAt : uint8_t { Start, FirstCR };

struct NumberSetting {
  const char* name;
  const char* setCommand;     // new firmware
  const char* oldSetCommand;  // old firmware, or nullptr for the same
  const char* getCommand;
  const char* oldGetCommand;
  uint32_t capability;
  NumberAt at;
  int32_t notReadCode;
  bool oldPrompt;        // old firmware confirms with the bare prompt
  bool refuseNegative;   // a negative value is not sent (-11)
  bool unsignedValue;    // a negative answer is no value
  const char* unit;      // after the number in the log lines
  const char* setLine;
  const char* foundLine;
  const char* notReadLine;
};

constexpr NumberSetting kReport = {"ReportCommand", "set -report", nullptr, "get -report\r",
                                   nullptr, kCapIdentity, NumberAt::Start, -30, false, false,
                                   false, "", "ReportCommand set report mode to",
                                   "ReportCommand found device report mode",
                                   "ReportCommand could not find device report mode"};
constexpr NumberSetting kTimeZone = {"TimeZoneCommand", "set -tz", nullptr, "get -tz\r", nullptr,
                                     kCapIdentity, NumberAt::Start, -30, false, false, false, "",
                                     "TimeZoneCommand set time zone to",
                                     "TimeZoneCommand found device time zone",
                                     "TimeZoneCommand could not find device time zone"};
constexpr NumberSetting kWake = {"WakeCommand", "set -w", nullptr, "get -w\r", nullptr,
                                 kCapWakePadc, NumberAt::FirstCR, -30, true, true, false, "",
                                 "WakeCommand set device measurment interval to",
                                 "WakeCommand found device measurement interval",
                                 "WakeCommand could not find device measurement interval"};
constexpr NumberSetting kPadc = {"PADCCommand", "set -padc", "set -p", "get -padc\r", "hertz\r",
                                 kCapWakePadc, NumberAt::FirstCR, -30, true, true, false, " Hz",
                                 "PADCCommand set device PADC", "PADCCommand found device PADC",
                                 "PADCCommand could not find device PADC value"};
constexpr NumberSetting kDataParameter = {
    "DataParameterCommand", "set -data", nullptr, "get -data\r", nullptr, kCapDataParameter,
    NumberAt::Start, -30, false, false, false, "", "DataParameterCommand set data parameter to",
    "DataParameterCommand found data parameter",
    "DataParameterCommand could not find device data parameter"};
constexpr NumberSetting kIpPort = {"IPPortCommand", "set -ipport", nullptr, "get -ipport\r",
                                   nullptr, kCellular, NumberAt::Start, -31, false, false, true,
                                   "", "IPPortCommand set ipport to",
                                   "IPPortCommand found device ipport",
                                   "IPPortCommand could not find device ipport"};
constexpr NumberSetting kRadioMode = {"RmodeCommand", "set -r", nullptr, "get -r\r", nullptr,
                                      kCapRadioMode, NumberAt::Start, -30, true, false, true, "",
                                      "RmodeCommand set rmode to", "RmodeCommand found rmode",
                                      "RmodeCommand could not find device rmode"};

int32_t NumberCommand(SOLIX_Protocol& link, const NumberSetting& d, int32_t& field, int mode) {
  if (!Allowed(link, d.capability)) return -1;
  const bool old = !NewFirmware(link);
  int32_t elapsed = 0;
  int32_t result;
  if (mode == 1) {
    if (d.refuseNegative && field < 0) return Failed(link, d.name, -11, elapsed);
    const char* set = old && d.oldSetCommand != nullptr ? d.oldSetCommand : d.setCommand;
    Exchange x = Send(link, Printf("%s %d\r", set, static_cast<int>(field)), 32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      if (Confirmed(link, x.text(), d.oldPrompt)) {
        LinkLog(link, kLogDetail, "%s %d%s (%d ms)", d.setLine, static_cast<int>(field), d.unit,
                elapsed);
        result = 1;
      } else {
        result = -30;
      }
    }
  } else {
    const char* get = old && d.oldGetCommand != nullptr ? d.oldGetCommand : d.getCommand;
    Exchange x = Send(link, get, 32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      std::string_view rest = d.at == NumberAt::FirstCR ? AfterFirstCR(x.text()) : x.text();
      std::optional<int32_t> v = ReadInt(rest);
      if (v && d.unsignedValue && *v < 0) v.reset();
      if (v) {
        field = *v;
        LinkLog(link, kLogDetail, "%s %d%s (%d ms)", d.foundLine, static_cast<int>(field), d.unit,
                elapsed);
        result = 1;
      } else {
        LinkLog(link, kLogDetail, "%s (%d ms)", d.notReadLine, elapsed);
        result = d.notReadCode;
      }
    }
  }
  return Failed(link, d.name, result, elapsed);
}

int32_t UnsignedCommand(SOLIX_Protocol& link, const NumberSetting& d, uint32_t& field, int mode) {
  int32_t value = static_cast<int32_t>(field);
  int32_t r = NumberCommand(link, d, value, mode);
  if (mode != 1 && r == 1) field = static_cast<uint32_t>(value);
  return r;
}

// ---- Five numbers, one per port ----

struct PortsSetting {
  const char* name;
  const char* setCommand;
  const char* getCommand;
  uint32_t capability;
  uint8_t unknown;  // stored in read mode when the device lacks the capability
  const char* setLine;
  const char* foundLine;
  const char* noun;  // "only found %d of %d <noun>"
};

constexpr PortsSetting kDepths = {"DepthCommand", "set -depth", "get -depth\r", kCapIdentity, 255,
                                  "DepthCommand set depths to", "DepthCommand: depths are",
                                  "port depths"};
constexpr PortsSetting kPorts = {"PortsCommand", "set -ports", "get -ports\r", kCapPorts, 0,
                                 "PortsCommand set ports to", "PortsCommand: ports are", "ports"};

uint8_t AsByte(int32_t v) { return v < 0 || v > 255 ? 255 : static_cast<uint8_t>(v); }

int32_t FiveNumbersCommand(SOLIX_Protocol& link, const PortsSetting& d,
                           std::array<uint8_t, 5>& field, int mode) {
  if (!Allowed(link, d.capability)) {
    if (mode != 1) field.fill(d.unknown);
    return -1;
  }
  const auto& f = field;
  int32_t elapsed = 0;
  int32_t result;
  if (mode == 1) {
    Exchange x = Send(link, Printf("%s %d %d %d %d %d\r", d.setCommand, f[0], f[1], f[2], f[3], f[4]),
                      32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      if (Contains(x.text(), "OK")) {
        LinkLog(link, kLogDetail, "%s %d %d %d %d %d (%d ms)", d.setLine, f[0], f[1], f[2], f[3],
                f[4], elapsed);
        result = 1;
      } else {
        result = -30;
      }
    }
  } else {
    Exchange x = Send(link, d.getCommand, 32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      std::array<int32_t, 5> values{};
      size_t n = ReadInts(x.text(), values);
      if (n == values.size()) {
        for (size_t i = 0; i < values.size(); ++i) field[i] = AsByte(values[i]);
        LinkLog(link, kLogDetail, "%s %d %d %d %d %d (%d ms)", d.foundLine, f[0], f[1], f[2], f[3],
                f[4], elapsed);
        result = 1;
      } else {
        LinkLog(link, kLogDetail, "%s only found %d of %d %s (%d ms)", d.name,
                static_cast<int>(n), 5, d.noun, elapsed);
        result = -30;
      }
    }
  }
  return Failed(link, d.name, result, elapsed);
}

// ---- Latitude and longitude ----

struct DegreesSetting {
  const char* name;
  const char* setCommand;
  const char* getCommand;
  const char* setLine;
  const char* foundLine;
  const char* notReadLine;
};

constexpr DegreesSetting kLatitude = {"LatitudeCommand", "set -lat", "get -lat\r",
                                      "LatitudeCommand set latitude to",
                                      "LatitudeCommand found device latitude",
                                      "LatitudeCommand could not find device latitude"};
constexpr DegreesSetting kLongitude = {"LongitudeCommand", "set -long", "get -long\r",
                                       "LongitudeCommand set longitude to",
                                       "LongitudeCommand found device longitude",
                                       "LongitudeCommand could not find device longitude"};

int32_t DegreesCommand(SOLIX_Protocol& link, const DegreesSetting& d, double& field, int mode) {
  if (!Allowed(link, kCapLocation)) return -1;
  int32_t elapsed = 0;
  int32_t result;
  if (mode == 1) {
    // A value that is no number would reach the device as text it cannot read.
    if (!std::isfinite(field)) return Failed(link, d.name, -11, elapsed);
    std::string value = field == 0.0 ? std::string() : FormatSignedDegrees(field);
    Exchange x = Send(link, std::string(d.setCommand) + " " + value + "\r", 32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      if (Contains(x.text(), "OK")) {
        LinkLog(link, kLogDetail, "%s %+.5f (%d ms)", d.setLine, field, elapsed);
        result = 1;
      } else {
        result = -30;
      }
    }
  } else {
    Exchange x = Send(link, d.getCommand, 32);
    elapsed = x.elapsed;
    result = x.result;
    if (result >= 1) {
      std::string_view rest = x.text();
      std::optional<double> v = ReadDouble(rest);
      if (v && std::isfinite(*v)) {
        field = *v;
        LinkLog(link, kLogDetail, "%s %+.5f (%d ms)", d.foundLine, field, elapsed);
        result = 1;
      } else {
        LinkLog(link, kLogDetail, "%s (%d ms)", d.notReadLine, elapsed);
        result = -31;
      }
    }
  }
  return Failed(link, d.name, result, elapsed);
}

}  // namespace

int32_t DeviceIDCommand(SOLIX_Protocol& link, FixedText<9>& deviceId, int mode) {
  return TextCommand(link, kDeviceId, deviceId, mode);
}

int32_t ReportCommand(SOLIX_Protocol& link, int32_t& reportMode, int mode) {
  return NumberCommand(link, kReport, reportMode, mode);
}

int32_t DepthCommand(SOLIX_Protocol& link, std::array<uint8_t, 5>& depths, int mode) {
  return FiveNumbersCommand(link, kDepths, depths, mode);
}

int32_t SiteCommand(SOLIX_Protocol& link, FixedText<26>& site, int mode) {
  return TextCommand(link, kSite, site, mode);
}

int32_t LatitudeCommand(SOLIX_Protocol& link, double& latitude, int mode) {
  return DegreesCommand(link, kLatitude, latitude, mode);
}

int32_t LongitudeCommand(SOLIX_Protocol& link, double& longitude, int mode) {
  return DegreesCommand(link, kLongitude, longitude, mode);
}

int32_t TimeZoneCommand(SOLIX_Protocol& link, int32_t& timeZone, int mode) {
  if (!Allowed(link, kTimeZone.capability)) return -1;
  if (mode == 1 && timeZone == -2) timeZone = TimeZoneOffsetSeconds() / 900;
  return NumberCommand(link, kTimeZone, timeZone, mode);
}

int32_t SNCommand(SOLIX_Protocol& link, FixedText<16>& serialNumber, int mode) {
  if (mode == 1) return TextCommand(link, kSerialNumber, serialNumber, mode);
  // Some loggers need a moment before their serial number reads back: ask again.
  int32_t result = -30;
  int32_t elapsed = 0;
  for (uint32_t attempt = 0; attempt < link.tries; ++attempt) {
    Exchange x = Send(link, kSerialNumber.getCommand, kSerialNumber.capacity);
    elapsed = x.elapsed;
    result = x.result;
    if (result < 1) continue;
    std::string_view value;
    result = ReadText(kSerialNumber, x.text(), value);
    if (result == 1) {
      SetText(serialNumber, value);
      LinkLog(link, kLogDetail, "%s \"%s\" (%d ms)", kSerialNumber.foundLine,
              TextString(serialNumber).c_str(), elapsed);
      return 1;
    }
  }
  return Failed(link, kSerialNumber.name, result, elapsed);
}

int32_t WakeCommand(SOLIX_Protocol& link, int32_t& wakeInterval, int mode) {
  return NumberCommand(link, kWake, wakeInterval, mode);
}

int32_t PADCCommand(SOLIX_Protocol& link, int32_t& samplingRate, int mode) {
  constexpr int32_t kOldFirmwarePadcVersion = 165;
  if (!Allowed(link, kPadc.capability)) return -1;
  if (!NewFirmware(link) && link.settings.versionNumber < kOldFirmwarePadcVersion) {
    samplingRate = -1;
    return -1;
  }
  return NumberCommand(link, kPadc, samplingRate, mode);
}

int32_t PortsCommand(SOLIX_Protocol& link, std::array<uint8_t, 5>& ports, int mode) {
  return FiveNumbersCommand(link, kPorts, ports, mode);
}

int32_t DataParameterCommand(SOLIX_Protocol& link, int32_t& dataParameter, int mode) {
  return NumberCommand(link, kDataParameter, dataParameter, mode);
}

int32_t QuilBuildCommand(SOLIX_Protocol& link, FixedText<17>& buildInfo, int mode) {
  return TextCommand(link, kBuildInfo, buildInfo, mode);
}

int32_t APNCommand(SOLIX_Protocol& link, FixedText<36>& apn, int mode) {
  return TextCommand(link, kApn, apn, mode);
}

int32_t APNUserCommand(SOLIX_Protocol& link, FixedText<36>& user, int mode) {
  return TextCommand(link, kApnUser, user, mode);
}

int32_t APNPasswdCommand(SOLIX_Protocol& link, FixedText<36>& password, int mode) {
  return TextCommand(link, kApnPassword, password, mode);
}

int32_t AuthKeyCommand(SOLIX_Protocol& link, FixedText<33>& authKey, int mode) {
  constexpr size_t kKeyDigits = 32;
  if (!Allowed(link, kAuthKey.capability)) return -1;
  if (mode == 1) {
    if (!IsHexDigits(TextOf(authKey), kKeyDigits)) {
      return Failed(link, kAuthKey.name, -11, 0);
    }
    return SendText(link, kAuthKey, authKey);
  }
  Exchange x = Send(link, kAuthKey.getCommand, kAuthKey.capacity);
  if (x.result == -34) {
    // Older cellular firmware keeps the key under its former name.
    return AskText(link, kAuthKey, authKey, "get -teakey\r",
                   "AuthKeyCommand found authkey (as teakey)");
  }
  int32_t result = x.result;
  if (result >= 1) {
    std::string_view value;
    result = ReadText(kAuthKey, x.text(), value);
    if (result == 1) {
      SetText(authKey, value);
      LinkLog(link, kLogDetail, "%s \"%s\" (%d ms)", kAuthKey.foundLine, kMaskedSecret, x.elapsed);
    }
  }
  return Failed(link, kAuthKey.name, result, x.elapsed);
}

int32_t HostCommand(SOLIX_Protocol& link, FixedText<64>& host, int mode) {
  return TextCommand(link, kHost, host, mode);
}

int32_t IPPortCommand(SOLIX_Protocol& link, uint32_t& ipPort, int mode) {
  return UnsignedCommand(link, kIpPort, ipPort, mode);
}

int32_t RmodeCommand(SOLIX_Protocol& link, uint32_t& radioMode, int mode) {
  constexpr uint32_t kRl9RadioMode = 16;
  if (!Allowed(link, kRadioMode.capability)) return -1;
  if (link.settings.loggerType == LT_RL9) {
    if (mode != 1) radioMode = kRl9RadioMode;
    LinkLog(link, kLogDetail, "RmodeCommand found an rL9 that is always mode %d",
            static_cast<int>(kRl9RadioMode));
    return 1;
  }
  return UnsignedCommand(link, kRadioMode, radioMode, mode);
}
