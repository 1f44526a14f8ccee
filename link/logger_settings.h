#pragma once
// Everything the link knows about the connected logger: identity, capability word and the
// settings that survive a firmware update. Copied as one block between the link and its
// callers; texts are NUL-terminated and zero-filled to their fixed size.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "link/logger_types.h"

// Mask bits: request mask of DeviceSettings, the done mask it returns, and the valid mask.
inline constexpr uint32_t kMaskName = 0x1;
inline constexpr uint32_t kMaskSerialNumber = 0x2;
inline constexpr uint32_t kMaskVersion = 0x4;
inline constexpr uint32_t kMaskTrait = 0x8;
inline constexpr uint32_t kMaskWake = 0x10;
inline constexpr uint32_t kMaskPorts = 0x20;
inline constexpr uint32_t kMaskPadc = 0x40;
inline constexpr uint32_t kMaskDeviceId = 0x80;
inline constexpr uint32_t kMaskDataParameter = 0x100;
inline constexpr uint32_t kMaskRadioMode = 0x200;
inline constexpr uint32_t kMaskRch = 0x400;
inline constexpr uint32_t kMaskRsch = 0x800;
inline constexpr uint32_t kMaskRadioVersion = 0x1000;
inline constexpr uint32_t kMaskRadioValues = kMaskRch | kMaskRsch | kMaskRadioVersion;
inline constexpr uint32_t kMaskDepth = 0x2000;
inline constexpr uint32_t kMaskSite = 0x4000;
inline constexpr uint32_t kMaskLatitude = 0x8000;
inline constexpr uint32_t kMaskLongitude = 0x10000;
inline constexpr uint32_t kMaskTimeZone = 0x20000;
inline constexpr uint32_t kMaskApn = 0x40000;
inline constexpr uint32_t kMaskApnUser = 0x80000;
inline constexpr uint32_t kMaskApnPassword = 0x100000;
inline constexpr uint32_t kMaskHost = 0x200000;
inline constexpr uint32_t kMaskAuthKey = 0x400000;
inline constexpr uint32_t kMaskIpPort = 0x800000;
inline constexpr uint32_t kMaskReport = 0x1000000;
inline constexpr uint32_t kMaskAdc30 = 0x2000000;
inline constexpr uint32_t kMaskAdc15 = 0x4000000;
inline constexpr uint32_t kMaskBuildInfo = 0x8000000;

// Trait bits.
inline constexpr int32_t kTraitValid = 0x4000;
inline constexpr int32_t kTraitRadio = 0x1;
inline constexpr int32_t kTraitCellular = 0x8;

template <size_t N>
using FixedText = std::array<char, N>;  // N includes the terminator

struct LoggerSettings {
  uint32_t validMask = 0;
  uint32_t capabilities = 0;
  LoggerType loggerType = LT_UNKNOWN;
  FixedText<32> typeName{};
  uint8_t newFirmware = 0;
  FixedText<9> deviceId{};       // 0x80 deviceid
  FixedText<9> deviceName{};     // 0x1 name
  FixedText<16> serialNumber{};  // 0x2 sn
  FixedText<21> versionText{};   // 0x4
  int32_t versionNumber = 0;     // 0x4; 1.12 is 112
  int32_t trait = 0;             // 0x8 trait
  FixedText<17> buildInfo{};     // 0x8000000 QuilBuild
  int32_t wakeInterval = 0;      // 0x10 wake
  std::array<uint8_t, 5> ports{};   // 0x20 ports
  std::array<uint8_t, 5> depths{};  // 0x2000 depth; 255 for none
  int32_t samplingRate = 0;         // 0x40 padc, Hz
  int32_t typeSize = 0;
  FixedText<26> site{};           // 0x4000 site
  double latitude = 0;            // 0x8000 lat, degrees
  double longitude = 0;           // 0x10000 lon, degrees
  int32_t timeZone = 0;           // 0x20000 timezone, quarter hours east of UTC
  std::array<uint8_t, 5> adc30Slopes{};   // 0x2000000
  std::array<uint8_t, 5> adc30Offsets{};  // 0x2000000
  std::array<uint8_t, 5> adc15Slopes{};   // 0x4000000
  std::array<uint8_t, 5> adc15Offsets{};  // 0x4000000
  int32_t dataParameter = 0;      // 0x100 data
  int32_t reportMode = 0;         // 0x1000000 report
  uint32_t radioMode = 0;         // 0x200 rmode
  int32_t rch = 0;                // 0x400 rch
  int32_t rsch = 0;               // 0x800 rsch
  FixedText<9> radioVersion{};    // 0x1000
  FixedText<36> apn{};            // 0x40000 apn
  FixedText<36> apnUser{};        // 0x80000 user
  FixedText<36> apnPassword{};    // 0x100000 passwd
  FixedText<33> authKey{};        // 0x400000 authkey, 32 hex digits
  FixedText<64> host{};           // 0x200000 host
  uint32_t ipPort = 0;            // 0x800000 ipport

  bool operator==(const LoggerSettings&) const = default;
};

// Copies at most N - 1 characters of text (stopping at a NUL) and zero-fills the rest.
template <size_t N>
void SetText(FixedText<N>& field, std::string_view text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  size_t nul = text.substr(0, n).find('\0');
  if (nul != std::string_view::npos) n = nul;
  std::memcpy(field.data(), text.data(), n);
  std::memset(field.data() + n, 0, N - n);
}

// The text of a field, up to its terminator (never past the array).
template <size_t N>
std::string_view TextOf(const FixedText<N>& field) {
  return std::string_view(field.data(), strnlen(field.data(), N));
}

template <size_t N>
std::string TextString(const FixedText<N>& field) {
  return std::string(TextOf(field));
}

// -1 when the trait is not valid (bit 14 clear); 1 when a radio (bit 0) or a cellular
// modem (bit 3) is fitted; 0 otherwise.
int32_t HasRadio(const LoggerSettings& settings);
int32_t HasCellular(const LoggerSettings& settings);
