// The settings file of a data logger: its lines, written from and read into the logger
// settings record.

#include <array>
#include <cstdio>
#include <string>

#include "protocol/qp_internal.h"
#include "protocol/settings_file.h"
#include "protocol/settings_types.h"
#include "sdi12/c_locale_scope.h"

namespace {

constexpr uint32_t kCapsKt30Family = 0x707FFF7;
constexpr uint32_t kCapsKt3b = 0x474BE;
constexpr uint32_t kCapsHv = 0x24583;
constexpr int32_t kTraitRadioValid = 0x4001;

void Line(std::string& out, const char* key, std::string_view value) {
  out += key;
  out += "=\"";
  out += value;
  out += "\"\r\n";
}

std::string Bytes5(const std::array<uint8_t, 5>& b) {
  return Printf("%u %u %u %u %u", b[0], b[1], b[2], b[3], b[4]);
}

bool UsableAdcByte(uint8_t b) { return b != 0 && b != 255; }

// Reads a text key into field; sets bit in mask when the value is not empty.
template <size_t N>
void ReadText(std::string_view text, const char* key, FixedText<N>& field, size_t chars,
              uint32_t bit, uint32_t& mask) {
  std::array<char, N> value{};
  bool found = GetFileString(text, key, value.data(), chars + 1 < N ? chars + 1 : N);
  field = value;
  if (found) mask |= bit;
}

template <typename T>
void ReadNumber(std::string_view text, const char* key, T& field, uint32_t bit, uint32_t& mask) {
  int32_t value = 0;
  if (GetFileLong(text, key, value)) {
    field = static_cast<T>(value);
    mask |= bit;
  }
}

// A pair of ADC lines: the bit is earned by a complete offsets line whose first slope and
// offset bytes are usable.
void ReadAdcPair(std::string_view text, const char* slopesKey, const char* offsetsKey,
                 std::array<uint8_t, 5>& slopes, std::array<uint8_t, 5>& offsets, uint32_t bit,
                 uint32_t& mask) {
  GetFileBytes5(text, slopesKey, slopes);
  if (GetFileBytes5(text, offsetsKey, offsets) && UsableAdcByte(slopes[0]) &&
      UsableAdcByte(offsets[0])) {
    mask |= bit;
  }
}

}  // namespace

int32_t WriteLoggerInfo(const Quil_protocol& qp, std::string& out) {
  CLocaleScope cLocale;
  const LoggerSettings& s = qp.loggerSettings;
  std::string typeName = TextString(s.typeName);
  if (typeName.empty()) typeName = LoggerTypeName(s.loggerType);
  Line(out, "type", typeName);
  Line(out, "deviceid", TextOf(s.deviceId));
  Line(out, "name", TextOf(s.deviceName));
  Line(out, "sn", TextOf(s.serialNumber));
  Line(out, "trait", Printf("%d", s.trait));
  Line(out, "wake", Printf("%d", s.wakeInterval));
  Line(out, "padc", Printf("%d", s.samplingRate));
  Line(out, "ports", Bytes5(s.ports));
  Line(out, "depth", Bytes5(s.depths));
  if ((s.validMask & kMaskAdc15) != 0) {
    Line(out, "ADC15 slopes", Bytes5(s.adc15Slopes));
    Line(out, "ADC15 offsets", Bytes5(s.adc15Offsets));
  }
  if ((s.validMask & kMaskAdc30) != 0) {
    Line(out, "ADC30 slopes", Bytes5(s.adc30Slopes));
    Line(out, "ADC30 offsets", Bytes5(s.adc30Offsets));
  }
  Line(out, "rmode", Printf("%d", static_cast<int>(s.radioMode)));
  Line(out, "rch", Printf("%d", s.rch));
  Line(out, "rsch", Printf("%d", s.rsch));
  Line(out, "data", Printf("%d", s.dataParameter));
  Line(out, "site", TextOf(s.site));
  Line(out, "lat", Printf("%+.5f", s.latitude));
  Line(out, "lon", Printf("%+.5f", s.longitude));
  Line(out, "timezone", Printf("%d", s.timeZone));
  Line(out, "report", Printf("%u", static_cast<unsigned>(s.reportMode)));
  Line(out, "apn", TextOf(s.apn));
  Line(out, "user", TextOf(s.apnUser));
  Line(out, "passwd", TextOf(s.apnPassword));
  Line(out, "host", TextOf(s.host));
  Line(out, "authkey", TextOf(s.authKey));
  Line(out, "ipport", Printf("%u", s.ipPort));
  if ((s.validMask & kMaskBuildInfo) != 0) Line(out, "QuilBuild", TextOf(s.buildInfo));
  return 1;
}

int32_t ReadLoggerInfo(Quil_protocol& qp, std::string_view text) {
  const DeviceType type = qp.deviceType;
  if (!HasTypeLine(text, type)) return -30;
  LoggerSettings& s = qp.loggerSettings;
  const uint32_t keys = SettingsTypeOf(type).fileKeys;
  const bool kt30Family = type == DT_KT30 || type == DT_RL9 || type == DT_ZLG;
  uint32_t mask = 0;
  auto wanted = [&](uint32_t bit) { return (keys & bit) != 0; };

  if (wanted(kMaskDeviceId)) ReadText(text, "deviceid", s.deviceId, 8, kMaskDeviceId, mask);
  if (wanted(kMaskName)) ReadText(text, "name", s.deviceName, 8, kMaskName, mask);
  if (wanted(kMaskSerialNumber)) ReadText(text, "sn", s.serialNumber, 15, kMaskSerialNumber, mask);
  if (wanted(kMaskTrait)) ReadNumber(text, "trait", s.trait, kMaskTrait, mask);
  if (wanted(kMaskWake)) ReadNumber(text, "wake", s.wakeInterval, kMaskWake, mask);
  if (wanted(kMaskPadc)) ReadNumber(text, "padc", s.samplingRate, kMaskPadc, mask);
  if (type == DT_KT3B) {
    // A Kt3b keeps its ports as five "Port number" keys; a missing one keeps its value.
    for (int port = 1; port <= 5; ++port) {
      int32_t value = 0;
      std::string key = Printf("Port number=\"%d\" value", port);
      if (!GetFileLong(text, key, value)) continue;
      s.ports[static_cast<size_t>(port - 1)] = static_cast<uint8_t>(value);
      if (port == 5 && value > 0) mask |= kMaskPorts;
    }
  } else if (wanted(kMaskPorts) && GetFileBytes5(text, "ports", s.ports)) {
    mask |= kMaskPorts;
  }
  if (wanted(kMaskDepth) && GetFileBytes5(text, "depth", s.depths)) mask |= kMaskDepth;
  if (kt30Family) {
    ReadAdcPair(text, "ADC15 slopes", "ADC15 offsets", s.adc15Slopes, s.adc15Offsets, kMaskAdc15,
                mask);
    ReadAdcPair(text, "ADC30 slopes", "ADC30 offsets", s.adc30Slopes, s.adc30Offsets, kMaskAdc30,
                mask);
  }
  if (wanted(kMaskRadioMode)) ReadNumber(text, "rmode", s.radioMode, kMaskRadioMode, mask);
  if (wanted(kMaskRch)) ReadNumber(text, "rch", s.rch, kMaskRch, mask);
  if (wanted(kMaskRsch)) {
    int32_t rsch = 0;
    if (GetFileLong(text, "rsch", rsch)) {
      s.rsch = rsch;
      // The radio values are written only for a logger whose trait says it has a radio.
      mask |= kMaskRsch | kMaskTrait;
      if (kt30Family) s.trait |= kTraitRadioValid;
      else if (type == DT_HV) s.trait = kTraitRadioValid;
    }
  }
  if (wanted(kMaskDataParameter)) ReadNumber(text, "data", s.dataParameter, kMaskDataParameter, mask);
  if (wanted(kMaskSite)) ReadText(text, "site", s.site, 25, kMaskSite, mask);
  if (wanted(kMaskLatitude) && GetFileDouble(text, "lat", s.latitude)) mask |= kMaskLatitude;
  if (wanted(kMaskLongitude) && GetFileDouble(text, "lon", s.longitude)) mask |= kMaskLongitude;
  if (wanted(kMaskTimeZone)) ReadNumber(text, "timezone", s.timeZone, kMaskTimeZone, mask);
  if (wanted(kMaskReport)) ReadNumber(text, "report", s.reportMode, kMaskReport, mask);
  if (wanted(kMaskApn)) ReadText(text, "apn", s.apn, 35, kMaskApn, mask);
  if (wanted(kMaskApnUser)) ReadText(text, "user", s.apnUser, 35, kMaskApnUser, mask);
  if (wanted(kMaskApnPassword)) ReadText(text, "passwd", s.apnPassword, 35, kMaskApnPassword, mask);
  if (wanted(kMaskHost)) ReadText(text, "host", s.host, 63, kMaskHost, mask);
  if (wanted(kMaskAuthKey)) ReadText(text, "authkey", s.authKey, 32, kMaskAuthKey, mask);
  if (wanted(kMaskIpPort)) ReadNumber(text, "ipport", s.ipPort, kMaskIpPort, mask);
  if (wanted(kMaskBuildInfo)) ReadText(text, "QuilBuild", s.buildInfo, 16, kMaskBuildInfo, mask);

  if (kt30Family) s.capabilities = kCapsKt30Family;
  else if (type == DT_KT3B) s.capabilities = kCapsKt3b;
  else if (type == DT_HV) s.capabilities = kCapsHv;
  qp.heldMask = mask;
  return 1;
}
