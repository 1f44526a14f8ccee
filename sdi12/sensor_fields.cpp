// QuilSDI12: reading and writing the sensor's identification, address, calibration, serial
// number and type.

#include <cstdio>
#include <cstring>
#include <string_view>

#include "sdi12/quil_sdi12.h"
#include "sdi12/sdi_internal.h"

namespace {

constexpr size_t kIdentStart = 3;    // after address and SDI-12 version
constexpr size_t kVersionStart = 17; // the 3-digit firmware version of the identification
constexpr size_t kVersionDigits = 3;

// Sends command into answer (a buffer of the longest answer); the answer's length or an error.
int32_t Ask(QuilSDI12& sdi, const char* command, std::array<char, kSDIAnswerChars + 1>& answer) {
  uint32_t room = static_cast<uint32_t>(answer.size());
  int32_t elapsed = 0;
  int32_t r = SDISendCommand(sdi, command, answer.data(), room, elapsed);
  return r;
}

// Fields end at the answer's line end; the "\n" after the "\r" may have come in with it.
std::string_view CutAtReturn(std::string_view text) {
  size_t cr = text.find_first_of("\r\n");
  return cr == std::string_view::npos ? text : text.substr(0, cr);
}

}  // namespace

std::string_view SDIAnswerField(std::string_view answer) {
  if (answer.empty()) return {};
  std::string_view rest = answer.substr(1);
  if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return CutAtReturn(rest);
}

int32_t SDISendAcknowledged(QuilSDI12& sdi, const char* command, int32_t& result) {
  int32_t last = 0;
  for (uint32_t i = 0; i < sdi.attempts; ++i) {
    std::array<char, kSDIAnswerChars + 1> answer{};
    last = Ask(sdi, command, answer);
    if (last < 0) continue;
    std::string_view text = SDIText(answer);
    if (text.find("OK") != std::string_view::npos) {
      if (result >= 0) result = 1;
      return 1;
    }
    if (text.find("ERROR") != std::string_view::npos) result = -34;
    if (result == 0) result = -22;
  }
  if (last < 0) {
    result = last;
    return last;
  }
  return 0;
}

int32_t SDIGetSensorVersion(QuilSDI12& sdi) {
  std::array<char, kSDIAnswerChars + 1> answer{};
  int32_t r = Ask(sdi, "?I!", answer);
  if (r < 0) {
    SDI_LOG(sdi, "SDIGetSensorVersion recieved error %i", r);
    return r;
  }
  std::string_view text = SDIText(answer);
  sdi.sensorAddress = text.empty() ? '0' : text.front();
  SDISetText(sdi.sensorIdent,
             text.size() > kIdentStart ? CutAtReturn(text.substr(kIdentStart)) : std::string_view());
  uint32_t version = 0;
  for (size_t i = kVersionStart; i < kVersionStart + kVersionDigits && i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    version = version * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  sdi.sensorVersion = version;
  SDI_LOG(sdi, "SDIGetSensorVersion found sensor info: %s", sdi.sensorIdent.data());
  return static_cast<int32_t>(sdi.sensorVersion);
}

int32_t SDISetSensorAddress(QuilSDI12& sdi, char address) {
  char command[8];
  std::snprintf(command, sizeof command, "0A%c!", address);
  std::array<char, kSDIAnswerChars + 1> answer{};
  int32_t r = Ask(sdi, command, answer);
  if (r < 0) {
    SDI_LOG(sdi, "SDISetSensorAddress recieved error %i", r);
    return r;
  }
  if (answer[0] == address) {
    SDI_LOG(sdi, "SDISetSensorAddress successfully set sensor address to '%c'", address);
    return 1;
  }
  SDI_LOG(sdi, "SDISetSensorAddress could not set sensor address to '%c'", address);
  return -30;
}

int32_t SDIGetSensorCalibration(QuilSDI12& sdi) {
  std::array<char, kSDIAnswerChars + 1> answer{};
  int32_t r = -1;
  for (int i = 0; i < 3 && r < 0; ++i) r = Ask(sdi, "?!", answer);
  if (r < 0) SDI_LOG(sdi, "SDIGetSensorCalibration \"attention sequence\" recieved error %i", r);

  r = Ask(sdi, "?X4!", answer);
  if (r < 0) {
    SDI_LOG(sdi, "SDIGetSensorCalibration recieved error %i looking for X4", r);
    return r;
  }
  SDISetText(sdi.calibration, SDIAnswerField(SDIText(answer)));
  SDI_LOG(sdi, "SDIGetSensorCalibration found calibration X4 \"%s\"", sdi.calibration.data());
  if (sdi.sensorType != kSensorTypeTwoCal) return 1;

  r = Ask(sdi, "?Xa!", answer);
  if (r < 0) {
    SDI_LOG(sdi, "SDIGetSensorCalibration recieved error %i looking for Xa", r);
    return r;
  }
  SDISetText(sdi.calibration2, SDIAnswerField(SDIText(answer)));
  SDI_LOG(sdi, "SDIGetSensorCalibration found calibration Xa \"%s\"", sdi.calibration2.data());
  return 1;
}

int32_t SDISetSensorCalibration(QuilSDI12& sdi, const char* text) {
  std::string_view cal = text != nullptr ? std::string_view(text) : SDIText(sdi.calibration);
  if (cal.empty()) {
    SDI_LOG(sdi, "SDISetSensorCalibration doesn't have a valid X5 calibration string");
    return 0;
  }
  std::array<char, 272> command{};
  std::snprintf(command.data(), command.size(), "?X5%.*s!", static_cast<int>(cal.size() > 256 ? 256 : cal.size()),
                cal.data());
  int32_t result = 0;
  int32_t ack = SDISendAcknowledged(sdi, command.data(), result);
  if (ack < 0) {
    SDI_LOG(sdi, "SDISetSensorCalibration recieved error %i for X5", ack);
  } else if (ack == 1) {
    SDI_LOG(sdi, "SDISetSensorCalibration successfully set sensor X5 calibration to \"%.*s\"",
            static_cast<int>(cal.size()), cal.data());
  }

  // The second string of a type-121 sensor; an empty one has nothing to write.
  std::string_view cal2 = SDIText(sdi.calibration2);
  if (sdi.sensorType == kSensorTypeTwoCal && !cal2.empty()) {
    std::snprintf(command.data(), command.size(), "?Xb%s!", sdi.calibration2.data());
    ack = SDISendAcknowledged(sdi, command.data(), result);
    if (ack < 0) {
      SDI_LOG(sdi, "SDISetSensorCalibration recieved error %i for Xb", ack);
    } else if (ack == 1) {
      SDI_LOG(sdi, "SDISetSensorCalibration successfully set sensor Xb calibration to \"%s\"",
              sdi.calibration2.data());
    }
  }
  if (result != 1) SDI_LOG(sdi, "SDISetSensorCalibration did not set sensor calibration");
  return result;
}

int32_t SDIGetSensorSN(QuilSDI12& sdi) {
  std::array<char, kSDIAnswerChars + 1> answer{};
  int32_t r = Ask(sdi, "?X#!", answer);
  if (r < 0) {
    SDI_LOG(sdi, "SDIGetSensorSN recieved error %i looking for X#", r);
    return r;
  }
  std::string_view text = SDIText(answer);
  if (text.size() < 2 || text[1] == '\r' || text[1] == '\n') return 0;
  SDISetText(sdi.serialNumber, SDIAnswerField(text));
  SDI_LOG(sdi, "SDIGetSensorSN found SN \"%s\"", sdi.serialNumber.data());
  return 1;
}

int32_t SDISetSensorSN(QuilSDI12& sdi) {
  if (SDIText(sdi.serialNumber).empty()) {
    SDI_LOG(sdi, "SDISetSensorSN didn't find a valid serial number");
    return 0;
  }
  char command[64];
  std::snprintf(command, sizeof command, "?X#%s!", sdi.serialNumber.data());
  int32_t result = 0;
  int32_t ack = SDISendAcknowledged(sdi, command, result);
  if (ack < 0) {
    SDI_LOG(sdi, "SDISetSensorSN recieved error %i setting serial number.", ack);
  } else if (ack == 1) {
    SDI_LOG(sdi, "SDISetSensorSN successfully set sensor serial number to \"%s\"",
            sdi.serialNumber.data());
  }
  return result;
}

int32_t SDIGetSensorType(QuilSDI12& sdi) {
  std::array<char, kSDIAnswerChars + 1> answer{};
  int32_t result = Ask(sdi, "?X8!", answer);
  if (result < 0) {
    SDI_LOG(sdi, "SDIGetSensorType recieved error %i", result);
  } else {
    std::string_view field = SDIAnswerField(SDIText(answer));
    // An answer with nothing after the address names no type.
    if (!field.empty()) {
      sdi.sensorType = static_cast<uint8_t>(field.front());
      result = 1;
    } else {
      result = 0;
    }
  }
  if (result != 1) {
    if (SDIText(sdi.sensorIdent).empty()) SDIGetSensorVersion(sdi);
    std::string_view ident = SDIText(sdi.sensorIdent);
    uint8_t type = 0;
    if (ident.find("3KA   ") != std::string_view::npos) type = kSensorType3KA;
    if (ident.find("SX-KB ") != std::string_view::npos) type = kSensorTypeSXKB;
    if (ident.find("SX-KA ") != std::string_view::npos) type = kSensorTypeSXKA;
    if (type != 0) {
      sdi.sensorType = type;
      result = 1;
    } else if (result >= 0) {
      result = -1;
    }
  }
  if (result == 1) {
    SDI_LOG(sdi, "SDIGetSensorType found sensor type as \"%c\"", static_cast<char>(sdi.sensorType));
  } else {
    SDI_LOG(sdi, "SDIGetSensorType couldn't detirmine sensor type");
  }
  return result;
}
