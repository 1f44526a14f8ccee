#include "web/version_finder_paths.h"

#include <array>

#include "bsl/device_types.h"

namespace {

struct FinderPath {
  DeviceType type;
  const char* path;
};

constexpr std::array<FinderPath, 17> kPaths{{
    {DT_KT3, "/versionfinder/Kt3-Firmware.html"},
    {DT_KT3B, "/versionfinder/Kt3b-Firmware.html"},
    {DT_KT30, "/versionfinder/Kt30-Firmware.html"},
    {DT_HV, "/versionfinder/HubVault-Firmware.html"},
    {DT_VMINI, "/versionfinder/VMini-Firmware.txt"},
    {DT_TQ, "/versionfinder/tempraq2-firmware.html"},
    {DT_RD60, "/versionfinder/RD60Firmware.txt"},
    {DT_SG, "/versionfinder/stomagraph-firmware.html"},
    {DT_HSRB, "/versionfinder/HSRB-Firmware.txt"},
    {DT_V7X, "/versionfinder/VS7-Firmware.txt"},
    {DT_RV, "/versionfinder/ReadVue-Firmware.html"},
    {DT_V8X, "/versionfinder/VaporaSeries8.txt"},
    {DT_QHM, "/versionfinder/QHMFirmware.txt"},
    {DT_PTM7, "/versionfinder/PTM7-Firmware.txt"},
    {DT_RL9, "/versionfinder/rL9-Firmware.html"},
    {DT_ZLG, "/versionfinder/ZLG2-Firmware.html"},
    {DT_MTQ, "/versionfinder/Mtq-Firmware.txt"},
}};

}  // namespace

const char* VersionFinderPath(int deviceType) {
  for (const FinderPath& entry : kPaths) {
    if (entry.type == deviceType) return entry.path;
  }
  return "";
}
