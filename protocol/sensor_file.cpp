// The settings file of a digital sensor: its identity, address, calibration and serial number.

#include <cstring>
#include <string>

#include "protocol/qp_internal.h"
#include "protocol/settings_file.h"

namespace {

void Line(std::string& out, const char* key, std::string_view value) {
  out += key;
  out += "=\"";
  out += value;
  out += "\"\r\n";
}

template <size_t N>
std::string_view Text(const std::array<char, N>& a) {
  return std::string_view(a.data(), strnlen(a.data(), N));
}

}  // namespace

int32_t WriteSensorInfo(const Quil_protocol& qp, std::string& out) {
  const QuilSDI12& sdi = *qp.sensor;
  Line(out, "type", "Digital Sensor");
  Line(out, "identity", Text(sdi.sensorIdent));
  Line(out, "address", std::string(1, sdi.sensorAddress));
  Line(out, "addressInt", Printf("%i", static_cast<int>(sdi.sensorAddress)));
  Line(out, "calibration", Text(sdi.calibration));
  Line(out, "sn", Text(sdi.serialNumber));
  return 1;
}

int32_t ReadSensorInfo(Quil_protocol& qp, std::string_view text) {
  if (!HasTypeLine(text, DT_SOLIX_KA)) return -30;
  QuilSDI12& sdi = *qp.sensor;
  // A missing address keeps the one the sensor object holds.
  int32_t address = 0;
  if (GetFileLong(text, "addressInt", address)) sdi.sensorAddress = static_cast<char>(address & 0xFF);
  GetFileString(text, "calibration", sdi.calibration);
  GetFileString(text, "sn", sdi.serialNumber.data(), 32);
  return 1;
}
