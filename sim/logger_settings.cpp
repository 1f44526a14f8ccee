#include "sim/logger_settings.h"

#include <cctype>
#include <cstdio>
#include <span>

#include "sim/logger_families.h"
#include "sim/logger_parse.h"

namespace {

using Reply = SettingReply;

Reply Ok() { return {Reply::Value, "OK"}; }
Reply Refuse() { return {Reply::Refused, "ERROR"}; }
Reply NoRadio() { return {Reply::Refused, "No Radio"}; }
Reply Text(std::string_view s) {
  return s.empty() ? Reply{Reply::Empty, ""} : Reply{Reply::Value, std::string(s)};
}
Reply Number(long v) { return {Reply::Value, std::to_string(v)}; }

std::string HexText(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

std::string Join(std::span<const uint8_t> values) {
  std::string s;
  for (uint8_t v : values) {
    if (!s.empty()) s += ' ';
    s += std::to_string(v);
  }
  return s;
}

bool StoreText(std::string& field, std::string_view value, size_t max, bool blanksAllowed) {
  value = TrimBlanks(value);
  if (value.size() > max || !IsPrintableText(value)) return false;
  if (!blanksAllowed && value.find(' ') != std::string_view::npos) return false;
  field.assign(value);
  return true;
}

// A name-like field: 1 to max printable characters without blanks.
bool StoreWord(std::string& field, std::string_view value, size_t max) {
  return !TrimBlanks(value).empty() && StoreText(field, value, max, false);
}

template <typename T>
bool StoreNumber(T& field, std::string_view value, long min, long max) {
  auto v = ParseDecimal(value, min, max);
  if (!v) return false;
  field = static_cast<T>(*v);
  return true;
}

bool StoreFive(FiveBytes& field, std::string_view value) {
  long v[5];
  if (!ParseNumbers(value, v, 0, 255)) return false;
  for (size_t i = 0; i < 5; ++i) field[i] = static_cast<uint8_t>(v[i]);
  return true;
}

bool StoreCoordinate(std::optional<double>& field, std::string_view value, double limit) {
  if (TrimBlanks(value).empty()) {
    field.reset();  // no location
    return true;
  }
  auto v = ParseReal(value);
  if (!v || *v < -limit || *v > limit) return false;
  field = *v;
  return true;
}

bool IsHexKey(std::string_view s) {
  if (s.size() != kAuthKeyLength) return false;
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// The calibration of one converter: five slope and offset pairs, then their check value.
struct Calibration {
  FiveBytes& slopes;
  FiveBytes& offsets;
};

Calibration CalibrationOf(std::string_view key, LoggerSettingsMemory& s) {
  if (key == "-adc15") return {s.adc15Slopes, s.adc15Offsets};
  return {s.adc30Slopes, s.adc30Offsets};
}

Reply GetCalibration(std::string_view key, SettingContext& ctx) {
  Calibration cal = CalibrationOf(key, ctx.settings);
  size_t pairs = (ctx.features & kFeatAdcShort) ? 1 : 5;
  unsigned sum = 0;
  std::string s;
  for (size_t i = 0; i < pairs; ++i) {
    s += std::to_string(cal.slopes[i]) + ' ' + std::to_string(cal.offsets[i]) + ' ';
    sum += cal.slopes[i] + cal.offsets[i];
  }
  return {Reply::Value, s + std::to_string(sum % 256)};
}

Reply SetCalibration(std::string_view key, std::string_view value, SettingContext& ctx) {
  Calibration cal = CalibrationOf(key, ctx.settings);
  size_t pairs = (ctx.features & kFeatAdcShort) ? 1 : 5;
  long v[11];
  std::span<long> numbers(v, pairs * 2 + 1);
  if (!ParseNumbers(value, numbers, 0, 255)) return Refuse();
  unsigned sum = 0;
  for (size_t i = 0; i < pairs * 2; ++i) sum += static_cast<unsigned>(v[i]);
  if (static_cast<long>(sum % 256) != v[pairs * 2]) return Refuse();  // a garbled line
  for (size_t i = 0; i < pairs; ++i) {
    cal.slopes[i] = static_cast<uint8_t>(v[2 * i]);
    cal.offsets[i] = static_cast<uint8_t>(v[2 * i + 1]);
  }
  return Ok();
}

bool HasRadio(const SettingContext& ctx) { return ctx.hardware.radio && !ctx.radioMissing; }

bool HasModem(const SettingContext& ctx) {
  return ctx.hardware.modem && (ctx.features & kFeatCellular);
}

// Radio values: the Kt3 passes its module's answers on, so its values follow an "OK" line
// and its settings are confirmed twice.
Reply RadioValue(const SettingContext& ctx, const std::string& value) {
  return {Reply::Value, ctx.kt3RadioAnswers ? "OK\r" + value : value};
}
Reply RadioConfirm(const SettingContext& ctx) {
  return {Reply::Value, ctx.kt3RadioAnswers ? "OK\r\rOK" : "OK"};
}

// One row per key: the features it needs for get and for set (0: always understood), and how.
struct SettingRow {
  const char* key;
  uint32_t getNeeds;
  uint32_t setNeeds;
  Reply (*get)(SettingContext&);
  bool (*set)(SettingContext&, std::string_view);  // false: refused
};

constexpr uint32_t kNever = 1u << 31;  // no firmware has it: get-only or set-only keys

const SettingRow kRows[] = {
    {"-i", 0, 0, [](SettingContext& c) { return Text(c.settings.name); },
     [](SettingContext& c, std::string_view v) { return StoreWord(c.settings.name, v, kNameMax); }},
    {"-sn", 0, 0, [](SettingContext& c) { return Text(c.hardware.serialNumber); },
     [](SettingContext& c, std::string_view v) { return StoreWord(c.hardware.serialNumber, v, kSerialMax); }},
    {"-batt", kFeatBattery, kNever, [](SettingContext& c) { return Number(c.hardware.battery); }, nullptr},
    {"-devid", kFeatSite, kFeatSite, [](SettingContext& c) { return Text(c.settings.deviceId); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.deviceId, v, kDeviceIdMax, false); }},
    {"-report", kFeatSite, kFeatSite, [](SettingContext& c) { return Number(c.settings.reportMode); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.reportMode, v, 0, 255); }},
    {"-depth", kFeatSite, kFeatSite, [](SettingContext& c) { return Text(Join(c.settings.depths)); },
     [](SettingContext& c, std::string_view v) { return StoreFive(c.settings.depths, v); }},
    {"-site", kFeatSite, kFeatSite, [](SettingContext& c) { return Text(c.settings.site); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.site, v, kSiteMax, true); }},
    {"-lat", kFeatLatLon, kFeatLatLon,
     [](SettingContext& c) { return c.settings.latitude ? Text(FormatFixed5(*c.settings.latitude)) : Text(""); },
     [](SettingContext& c, std::string_view v) { return StoreCoordinate(c.settings.latitude, v, 90.0); }},
    {"-long", kFeatLatLon, kFeatLatLon,
     [](SettingContext& c) { return c.settings.longitude ? Text(FormatFixed5(*c.settings.longitude)) : Text(""); },
     [](SettingContext& c, std::string_view v) { return StoreCoordinate(c.settings.longitude, v, 180.0); }},
    {"-tz", kFeatSite, kFeatSite, [](SettingContext& c) { return Number(c.settings.timeZone); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.timeZone, v, -48, 56); }},
    {"-w", kFeatWake, kFeatWake, [](SettingContext& c) { return Number(c.settings.wake); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.wake, v, 0, 604800); }},
    {"-padc", kFeatPadc, kFeatPadc, [](SettingContext& c) { return Number(c.settings.padc); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.padc, v, 0, 1000); }},
    {"-ports", kFeatPorts, kFeatPorts, [](SettingContext& c) { return Text(Join(c.settings.ports)); },
     [](SettingContext& c, std::string_view v) { return StoreFive(c.settings.ports, v); }},
    {"-data", kFeatData, kFeatData, [](SettingContext& c) { return Number(c.settings.dataParameter); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.dataParameter, v, 0, 65535); }},
    {"-build", kFeatBuild, kFeatBuild, [](SettingContext& c) { return Text(c.settings.build); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.build, v, kBuildMax, false); }},
    {"-r", kFeatRmode, kFeatRmode, [](SettingContext& c) { return Number(c.settings.radioMode); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.radioMode, v, 0, 255); }},
    {"-trait", kFeatTraitGet, kFeatSite, [](SettingContext& c) { return Number(ReportedTrait(c)); },
     [](SettingContext& c, std::string_view v) {
       uint8_t t = 0;
       if (!StoreNumber(t, v, 0, 255)) return false;
       c.settings.traitSet = t;
       return true;
     }},
    {"-apn", kFeatCellular, kFeatCellular, [](SettingContext& c) { return Text(c.settings.apn); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.apn, v, kApnMax, false); }},
    {"-user", kFeatCellular, kFeatCellular, [](SettingContext& c) { return Text(c.settings.apnUser); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.apnUser, v, kApnMax, false); }},
    {"-passwd", kFeatCellular, kFeatCellular, [](SettingContext& c) { return Text(c.settings.apnPassword); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.apnPassword, v, kApnMax, false); }},
    // Firmware before the key's rename reads it as "-teakey"; both names set it.
    {"-authkey", kFeatCellular | kFeatAuthKeyName, kFeatCellular,
     [](SettingContext& c) { return Text(c.settings.authKey); },
     [](SettingContext& c, std::string_view v) {
       v = TrimBlanks(v);
       if (!IsHexKey(v)) return false;
       c.settings.authKey.assign(v);
       return true;
     }},
    {"-teakey", kFeatCellular, kFeatCellular,
     [](SettingContext& c) {
       return (c.features & kFeatAuthKeyName) ? Refuse() : Text(c.settings.authKey);
     },
     [](SettingContext& c, std::string_view v) {
       v = TrimBlanks(v);
       if (!IsHexKey(v)) return false;
       c.settings.authKey.assign(v);
       return true;
     }},
    {"-host", kFeatCellular, kFeatCellular, [](SettingContext& c) { return Text(c.settings.host); },
     [](SettingContext& c, std::string_view v) { return StoreText(c.settings.host, v, kHostMax, false); }},
    {"-ipport", kFeatCellular, kFeatCellular, [](SettingContext& c) { return Number(c.settings.ipPort); },
     [](SettingContext& c, std::string_view v) { return StoreNumber(c.settings.ipPort, v, 0, 65535); }},
    {"-t", kFeatClock, kFeatClock, [](SettingContext& c) { return Text(c.clock.DateTimeText(c.nowMs)); },
     [](SettingContext& c, std::string_view v) { return c.clock.SetTimeOfDay(v, c.nowMs); }},
    {"-d", kNever, kFeatClock, nullptr,
     [](SettingContext& c, std::string_view v) { return c.clock.SetDate(v, c.nowMs); }},
    {"-sec", kFeatClockSeconds, kFeatClockSeconds,
     [](SettingContext& c) { return Number(static_cast<long>(c.clock.Seconds(c.nowMs))); },
     [](SettingContext& c, std::string_view v) {
       auto s = ParseDecimal(v, 0, 0x7FFFFFFF);
       return s && c.clock.Set(*s, c.nowMs);
     }},
};

const SettingRow* FindRow(std::string_view key) {
  for (const SettingRow& r : kRows) {
    if (key == r.key) return &r;
  }
  return nullptr;
}

bool Understood(uint32_t needs, uint32_t features) {
  return needs != kNever && (features & needs) == needs;
}

bool IsCellularKey(std::string_view key) {
  return key == "-apn" || key == "-user" || key == "-passwd" || key == "-authkey" ||
         key == "-teakey" || key == "-host" || key == "-ipport";
}

bool IsRadioKey(std::string_view key) { return key == "-rch" || key == "-rsch" || key == "-rver"; }

Reply GetRadio(std::string_view key, SettingContext& ctx) {
  if (!HasRadio(ctx)) return NoRadio();
  const RadioValues& r = ctx.settings.radio;
  if (key == "-rver") return RadioValue(ctx, ctx.radioVersionZero ? "0000" : r.version);
  return RadioValue(ctx, HexText(key == "-rch" ? r.rch : r.rsch));
}

Reply SetRadio(std::string_view key, std::string_view value, SettingContext& ctx) {
  if (key == "-rver") return Refuse();
  if (!HasRadio(ctx)) return NoRadio();
  // The logger keeps its radio to the channels it is allowed on.
  auto v = ParseHex(value, key == "-rch" ? 6 : 0xFFFF);
  if (!v) return Refuse();
  (key == "-rch" ? ctx.settings.radio.rch : ctx.settings.radio.rsch) = *v;
  return RadioConfirm(ctx);
}

}  // namespace

uint8_t ReportedTrait(const SettingContext& ctx) {
  if (ctx.settings.traitSet) return *ctx.settings.traitSet;
  unsigned bits = 0;
  if (HasRadio(ctx)) bits |= 0x01;
  if (HasModem(ctx)) bits |= 0x08;
  return static_cast<uint8_t>(255 - bits);
}

SettingReply GetSetting(std::string_view key, SettingContext& ctx) {
  if (IsRadioKey(key)) return (ctx.features & kFeatRadio) ? GetRadio(key, ctx) : Refuse();
  if ((key == "-adc30" || key == "-adc15") && (ctx.features & kFeatAdc)) return GetCalibration(key, ctx);
  const SettingRow* row = FindRow(key);
  if (row == nullptr || row->get == nullptr || !Understood(row->getNeeds, ctx.features)) return Refuse();
  if (IsCellularKey(key) && !HasModem(ctx)) return Refuse();
  return row->get(ctx);
}

SettingReply SetSetting(std::string_view key, std::string_view value, SettingContext& ctx) {
  if (IsRadioKey(key)) return (ctx.features & kFeatRadio) ? SetRadio(key, value, ctx) : Refuse();
  if ((key == "-adc30" || key == "-adc15") && (ctx.features & kFeatAdc)) return SetCalibration(key, value, ctx);
  const SettingRow* row = FindRow(key);
  if (row == nullptr || row->set == nullptr || !Understood(row->setNeeds, ctx.features)) return Refuse();
  if (IsCellularKey(key) && !HasModem(ctx)) return Refuse();
  return row->set(ctx, value) ? Ok() : Refuse();
}
