#pragma once
// What a simulated logger keeps: its settings (in INFO memory, lost when the device is
// reprogrammed) and the parts fitted to it. Limits are the firmware's field sizes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Field sizes of the logger's settings, in characters without a terminator.
inline constexpr size_t kNameMax = 8;
inline constexpr size_t kSerialMax = 15;
inline constexpr size_t kDeviceIdMax = 8;
inline constexpr size_t kSiteMax = 25;
inline constexpr size_t kBuildMax = 16;
inline constexpr size_t kApnMax = 35;
inline constexpr size_t kAuthKeyLength = 32;
inline constexpr size_t kHostMax = 63;

using FiveBytes = std::array<uint8_t, 5>;

// A radio module's values: hopping channel (ATHP / rch), system ID (ATDT / rsch), version.
struct RadioValues {
  uint32_t rch = 0;
  uint32_t rsch = 0;
  std::string version;
};

struct LoggerSettingsMemory {
  std::string name;
  std::string deviceId;
  int32_t wake = 0;  // measurement interval, seconds
  int32_t padc = 0;  // sampling rate, Hz
  FiveBytes ports{};
  FiveBytes depths{};  // 255: none
  std::string site;
  std::optional<double> latitude, longitude;  // none: cleared with an empty "set -lat"
  int32_t timeZone = 0;  // quarter hours east of UTC
  FiveBytes adc30Slopes{}, adc30Offsets{}, adc15Slopes{}, adc15Offsets{};
  int32_t dataParameter = 0;
  int32_t reportMode = 0;
  uint32_t radioMode = 0;
  RadioValues radio;
  std::string build;
  std::string apn, apnUser, apnPassword, authKey, host;
  uint32_t ipPort = 0;
  std::optional<uint8_t> traitSet;  // the value of "set -trait"; until then the parts fitted
};

// Parts fitted when the logger was built; kept through reprogramming.
struct LoggerHardware {
  bool radio = false;
  bool modem = false;  // cellular modem
  int battery = 0;     // per cent
  std::string serialNumber;
};
