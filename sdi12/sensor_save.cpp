// QuilSDI12: saving what a firmware update loses, and writing it back.

#include <cstdio>
#include <cstring>

#include "sdi12/c_locale_scope.h"
#include "sdi12/quil_sdi12.h"
#include "sdi12/sdi_internal.h"

std::array<char, 257> SDIConvertCalibration(const std::array<char, 257>& calibration) {
  CLocaleScope cLocale;
  float a[9] = {};
  // The text is NUL-terminated inside its array, so the scan cannot run past it.
  std::array<char, 257> text = calibration;
  text.back() = '\0';
  int read = std::sscanf(text.data(), "%f %f %f %f %f %f %f %f %f", &a[0], &a[1], &a[2], &a[3],
                         &a[4], &a[5], &a[6], &a[7], &a[8]);
  if (read < 0) read = 0;
  for (int i = read; i < 9; ++i) a[i] = 0.0f;
  float b1 = 0.0f, b2 = 0.0f, b3 = 0.0f, b4 = 0.0f;
  if (read == 9) {
    // a1 equal to a2 has no defined conversion: keep the calibration as the sensor had it.
    if (a[2] == a[1]) return calibration;
    const float span = a[2] - a[1];
    b1 = -1000.0f * a[1] / span;
    b2 = 1000.0f / span;
    b3 = 0.0f;
    b4 = (a[4] + a[5]) / 2.0f;
  }
  std::array<char, 257> out{};
  std::snprintf(out.data(), out.size(), "%0.3f %0.6e %0.6e %0.6e %0.1f %0.1f",
                static_cast<double>(a[0]), static_cast<double>(b1), static_cast<double>(b2),
                static_cast<double>(b3), static_cast<double>(b4), static_cast<double>(a[8]));
  return out;
}

int32_t SDISaveInfo(QuilSDI12& sdi) {
  sdi.sensorIdent.fill('\0');
  sdi.calibration.fill('\0');
  sdi.calibration2.fill('\0');
  sdi.serialNumber.fill('\0');
  sdi.sensorVersion = 0;
  sdi.sensorAddress = '0';
  sdi.sensorType = 0;

  int32_t r = SDIGetSensorVersion(sdi);
  if (r < 0) return r;
  SDIGetSensorType(sdi);
  SDIGetSensorSN(sdi);
  r = SDIGetSensorCalibration(sdi);
  if (r < 0) return r;
  if ((sdi.sensorType == kSensorTypeOldCalU || sdi.sensorType == kSensorTypeOldCalT) &&
      sdi.sensorVersion < kSensorNewCalVersion) {
    sdi.calibration = SDIConvertCalibration(sdi.calibration);
  }
  return 1;
}

int32_t SDIRestoreInfo(QuilSDI12& sdi) {
  SDISetSensorSN(sdi);
  int32_t address = SDISetSensorAddress(sdi, sdi.sensorAddress);
  int32_t calibration = SDISetSensorCalibration(sdi, sdi.calibration.data());
  if (calibration < 0) return calibration;
  if (address < 0) return address;
  return 1;
}
