#include "sim/sdi12_sensor.h"

#include <cctype>
#include <cstdint>

struct Sdi12SensorKind {
  int code;                // the sensor type code that "?X8!" reports
  std::string_view model;  // six characters of the identification
  bool answersType;        // older kinds do not know "?X8!"
  std::string_view calibration;
  std::string_view calibration2;  // type 121 only
  std::string_view serialNumber;
};

namespace {

constexpr std::string_view kVendor = "QUILLON ";  // eight characters
constexpr size_t kMaxCalibration = 256;
constexpr size_t kMaxSerialNumber = 31;

// The digital sensors, by type code; the first row is the default.
constexpr Sdi12SensorKind kKinds[] = {
    {120, "SX-KX ", true, "0.000 -1.000000e+01 1.000000e-02 0.000000e+00 20.0 0.0", "",
     "KX4410372"},
    {116, "5TM   ", true, "1 2 4 0 10 20 0 0 7", "", "TM0018830"},
    {117, "5TE   ", true, "1 2 4 0 10 20 0 0 7", "", "TE0023177"},
    {121, "SX-KY ", true, "0.000 -2.500000e+01 2.000000e-02 0.000000e+00 22.5 0.0",
     "1.0031 -0.0042 0.9987", "KY0051226"},
    {122, "3KA   ", false, "0.000 -1.200000e+01 1.100000e-02 0.000000e+00 21.0 0.0", "",
     "3K0077410"},
    {125, "SX-KB ", false, "0.000 -9.000000e+00 1.050000e-02 0.000000e+00 19.5 0.0", "",
     "KB0032015"},
    {127, "SX-KA ", false, "0.000 -1.000000e+01 1.000000e-02 0.000000e+00 20.0 0.0", "",
     "KA0061824"},
};

// What a new sensor holds after its firmware was replaced.
constexpr std::string_view kBlankCalibration =
    "0.000 0.000000e+00 1.000000e+00 0.000000e+00 0.0 0.0";

const Sdi12SensorKind* KindFor(long code) {
  for (const Sdi12SensorKind& k : kKinds) {
    if (k.code == code) return &k;
  }
  return &kKinds[0];
}

bool ValidAddress(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

bool ValidText(std::string_view v, size_t max) {
  if (v.empty() || v.size() > max) return false;
  for (char c : v) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) return false;
  }
  return true;
}

// "3.61" gives "361"; anything else the oldest version, "100".
std::string VersionDigits(std::string_view v) {
  if (v.size() == 4 && std::isdigit(static_cast<unsigned char>(v[0])) && v[1] == '.' &&
      std::isdigit(static_cast<unsigned char>(v[2])) &&
      std::isdigit(static_cast<unsigned char>(v[3])))
    return {v[0], v[2], v[3]};
  return "100";
}

}  // namespace

Sdi12Sensor::Sdi12Sensor(const SimOptions& options, std::string_view version)
    : kind_(KindFor(options.FaultNumber("sensor-type", kKinds[0].code))),
      versionDigits_(VersionDigits(version)),
      needsAttention_(options.HasFault("sensor-needs-attention")),
      calibration_(kind_->calibration),
      calibration2_(kind_->calibration2),
      serialNumber_(kind_->serialNumber) {
  auto a = options.FaultValue("sensor-address");
  if (a && a->size() == 1 && ValidAddress((*a)[0])) address_ = (*a)[0];
}

void Sdi12Sensor::Wake() {
  attentive_ = false;
}

void Sdi12Sensor::FactoryReset() {
  address_ = '0';
  calibration_ = kBlankCalibration;
  calibration2_ = kind_->calibration2.empty() ? "" : "1.0000 0.0000 1.0000";
  serialNumber_.clear();
}

std::optional<std::string> Sdi12Sensor::Command(std::string_view command) {
  if (command.size() < 2 || command.back() != '!') return std::nullopt;
  char to = command[0];
  if (to != '?' && to != address_) return std::nullopt;
  std::string_view body = command.substr(1, command.size() - 2);
  std::string me(1, address_);

  if (body.empty()) {
    attentive_ = true;
    return me;
  }
  if (needsAttention_ && !attentive_) return std::nullopt;

  if (body == "I") {
    std::string ident = me + "13";
    ident.append(kVendor);
    ident.append(kind_->model);
    ident += versionDigits_;
    ident += "001";
    return ident;
  }
  if (body.size() == 2 && body[0] == 'A') {
    if (!ValidAddress(body[1])) return std::nullopt;
    address_ = body[1];
    return std::string(1, address_);
  }
  if (body[0] == 'X') {
    auto answer = Extended(body.substr(1));
    if (answer) return me + *answer;
  }
  return std::nullopt;
}

std::optional<std::string> Sdi12Sensor::Extended(std::string_view x) {
  if (x.empty()) return std::nullopt;
  bool secondCal = kind_->code == 121;
  if (x == "4") return calibration_;
  if (x[0] == '5') {
    if (!ValidText(x.substr(1), kMaxCalibration)) return "ERROR";
    calibration_ = x.substr(1);
    return "OK";
  }
  if (x == "a" && secondCal) return calibration2_;
  if (x[0] == 'b' && secondCal) {
    if (!ValidText(x.substr(1), kMaxCalibration)) return "ERROR";
    calibration2_ = x.substr(1);
    return "OK";
  }
  if (x == "#") return serialNumber_;
  if (x[0] == '#') {
    if (!ValidText(x.substr(1), kMaxSerialNumber)) return "ERROR";
    serialNumber_ = x.substr(1);
    return "OK";
  }
  if (x == "8" && kind_->answersType) return std::string(1, static_cast<char>(kind_->code));
  return std::nullopt;
}
