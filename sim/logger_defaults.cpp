#include "sim/logger_defaults.h"

#include <cstring>

namespace {

// The values each family leaves the factory with. Shared values follow in kShared.
struct FamilyRow {
  const char* code;
  const char* name;
  const char* serialNumber;
  bool radio, modem;
  int battery;
  int32_t wake, padc;
  FiveBytes ports, depths;
  const char* site;
  double latitude, longitude;
  int32_t timeZone;
  uint32_t radioMode;
  int32_t dataParameter;
};

constexpr FamilyRow kRows[] = {
    // code   name        serial       radio  modem  batt wake  padc ports            depths
    {"KT3",  "KT3-0412", "3A0412",    true,  false, 91,  600,  10, {1, 1, 0, 0, 0},   {255, 255, 255, 255, 255},
     "Upper Meadow",          46.73210, -117.17940, -32, 1, 0},
    {"KT3B", "K3B-0210", "3B0210",    false, false, 88,  900,  10, {1, 3, 3, 0, 0},   {255, 255, 255, 255, 255},
     "Greenhouse 4",          46.72870, -117.16520, -32, 0, 0},
    {"KT30", "K30-1187", "30A1187",   true,  true,  87,  900,  10, {3, 5, 5, 5, 0},   {10, 30, 60, 90, 255},
     "North Field Station 2", 46.73210, -117.17940, -32, 1, 2},
    {"HV",   "HV-0093",  "HV0093",    true,  false, 79,  0,    0,  {0, 0, 0, 0, 0},   {255, 255, 255, 255, 255},
     "Pump House",            46.70010, -117.20110, -32, 0, 1},
    {"GN",   "GN-0021",  "GN0021",    false, false, 100, 0,    0,  {0, 0, 0, 0, 0},   {255, 255, 255, 255, 255},
     "Gateway Mast",          46.73000, -117.18000, -32, 0, 0},
    {"RL9",  "RL9-0055", "R9A0055",   true,  true,  83,  300,  20, {3, 3, 7, 7, 12},  {5, 15, 45, 90, 120},
     "Orchard Block C",       44.05210, -121.31530, -32, 16, 3},
    {"ZLG",  "ZLG-0031", "ZG20031",   false, true,  100, 600,  10, {4, 4, 4, 4, 0},   {20, 40, 80, 120, 255},
     "Ridge Weather Mast",    39.74390, -105.20990, -28, 0, 1},
};

struct SharedRow {
  const char* deviceId;
  int32_t reportMode;
  FiveBytes adc30Slopes, adc30Offsets, adc15Slopes, adc15Offsets;
  const char* build;
  const char* apn;
  const char* apnUser;
  const char* apnPassword;
  const char* authKey;
  const char* host;
  uint32_t ipPort;
  uint32_t rch, rsch;
  const char* radioVersion;
};

constexpr SharedRow kShared = {
    .deviceId = "D1187",
    .reportMode = 1,
    .adc30Slopes = {131, 127, 129, 126, 130},
    .adc30Offsets = {98, 102, 100, 97, 101},
    .adc15Slopes = {64, 66, 63, 65, 64},
    .adc15Offsets = {50, 49, 51, 50, 48},
    .build = "B2014-0412-1",
    .apn = "iot.example.net",
    .apnUser = "quillon",
    .apnPassword = "fieldlog",
    .authKey = "8F3A61C2D94B07E5A1C3F0B2D6E48A97",
    .host = "upload.example.com",
    .ipPort = 9420,
    .rch = 2,
    .rsch = 0x0520,
    .radioVersion = "1046",
};

const FamilyRow* RowFor(const LoggerFamily& family) {
  for (const FamilyRow& r : kRows) {
    if (std::strcmp(r.code, family.code) == 0) return &r;
  }
  return nullptr;
}

}  // namespace

RadioValues DefaultRadioValues() { return {kShared.rch, kShared.rsch, kShared.radioVersion}; }

LoggerDefaults DefaultsFor(const LoggerFamily& family) {
  LoggerDefaults d;
  LoggerSettingsMemory& s = d.settings;
  s.deviceId = kShared.deviceId;
  s.reportMode = kShared.reportMode;
  s.adc30Slopes = kShared.adc30Slopes;
  s.adc30Offsets = kShared.adc30Offsets;
  s.adc15Slopes = kShared.adc15Slopes;
  s.adc15Offsets = kShared.adc15Offsets;
  s.build = kShared.build;
  s.apn = kShared.apn;
  s.apnUser = kShared.apnUser;
  s.apnPassword = kShared.apnPassword;
  s.authKey = kShared.authKey;
  s.host = kShared.host;
  s.ipPort = kShared.ipPort;
  s.radio = DefaultRadioValues();
  s.depths = {255, 255, 255, 255, 255};
  const FamilyRow* r = RowFor(family);
  if (r == nullptr) return d;
  d.hardware = {.radio = r->radio, .modem = r->modem, .battery = r->battery, .serialNumber = r->serialNumber};
  s.name = r->name;
  s.wake = r->wake;
  s.padc = r->padc;
  s.ports = r->ports;
  s.depths = r->depths;
  s.site = r->site;
  s.latitude = r->latitude;
  s.longitude = r->longitude;
  s.timeZone = r->timeZone;
  s.radioMode = r->radioMode;
  s.dataParameter = r->dataParameter;
  return d;
}
