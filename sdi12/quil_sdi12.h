#pragma once
// QuilSDI12: SDI-12 commands to a digital sensor, typed as text to the comm device that relays
// them onto the sensor bus. Every command goes to the wildcard address "?" (one sensor on the
// bus during an update), except the address change, which is always sent to address 0.
//
// Every operation takes the object first and returns a signed 32-bit result. Codes: -21 no
// answer even to the attention command, -22 empty answers or a write neither acknowledged nor
// refused, -30 the sensor did not take a new address, -34 the sensor answered "ERROR", -1 the
// sensor type could not be found; the serial layer's codes pass through. All log lines are
// written at level 30 with the source "QuilSDI12".

#include <array>
#include <cstdint>

#include "serial/quil_log.h"
#include "serial/quil_serial.h"

inline constexpr uint32_t kSDIAnswerTimeoutMs = 2000;
inline constexpr uint32_t kSDIAttempts = 5;
inline constexpr uint32_t kSDIAnswerChars = 255;

// Sensor type codes that change what is saved.
inline constexpr uint8_t kSensorTypeTwoCal = 121;  // 'y': a second calibration string
inline constexpr uint8_t kSensorType3KA = 122;     // 'z'
inline constexpr uint8_t kSensorTypeSXKB = 125;    // '}'
inline constexpr uint8_t kSensorTypeSXKA = 127;
inline constexpr uint8_t kSensorTypeOldCalU = 117;  // 'u'
inline constexpr uint8_t kSensorTypeOldCalT = 116;  // 't'
// Sensors of types 116 and 117 below this firmware keep the old nine-number calibration.
inline constexpr uint32_t kSensorNewCalVersion = 340;

struct QuilSDI12 {
  QuilSDI12(QuilLog* log, QuilSerial* port);
  QuilSDI12(const QuilSDI12&) = delete;
  QuilSDI12& operator=(const QuilSDI12&) = delete;

  char sensorAddress = '0';                   // from the identification
  std::array<char, 37> sensorIdent{};         // identification from the vendor field on
  std::array<char, 257> calibration{};        // "?X4!" / "?X5%s!"
  std::array<char, 257> calibration2{};       // type 121: "?Xa!" / "?Xb%s!"
  std::array<char, 33> serialNumber{};        // "?X#!" / "?X#%s!"
  uint8_t sensorType = 0;                     // digital sensor type code; 0 unknown
  uint32_t sensorVersion = 0;                 // 361 for firmware 3.61
  QuilLog* log = nullptr;                     // not owned
  QuilSerial* port = nullptr;                 // the comm device link's port; not owned
  std::array<char, kSDIAnswerChars + 1> lastAnswer{};
  uint32_t answerTimeoutMs = kSDIAnswerTimeoutMs;
  uint32_t attempts = kSDIAttempts;
};

// Sends one command and collects the answer, waking the bus with "|" and recovering with the
// attention command "?!" when the sensor stays silent. answer may be null; answerLength holds
// its room on entry and the length delivered on return (at most room - 1 characters, always
// terminated); elapsed receives the milliseconds used. Returns the full answer length (> 0),
// or -21, -22 or a serial code.
int32_t SDISendCommand(QuilSDI12& sdi, const char* command, char* answer,
                       uint32_t& answerLength, int32_t& elapsed);

// "?I!": fills sensorAddress, sensorIdent and sensorVersion. Returns sensorVersion (>= 0)
// or a negative code.
int32_t SDIGetSensorVersion(QuilSDI12& sdi);
// "0A<address>!": 1 when the sensor answers with the new address, -30 when it does not, or
// the command's error.
int32_t SDISetSensorAddress(QuilSDI12& sdi, char address);
// "?X4!" (and "?Xa!" for type 121) after the attention command: 1 or a negative code.
int32_t SDIGetSensorCalibration(QuilSDI12& sdi);
// Writes text (calibration when null): 1, 0 nothing to write, -22, -34 or a negative code.
int32_t SDISetSensorCalibration(QuilSDI12& sdi, const char* text);
// "?X#!": 1, 0 when the sensor has none, or a negative code.
int32_t SDIGetSensorSN(QuilSDI12& sdi);
// "?X#<serialNumber>!": 1, 0 nothing to write, -22, -34 or a negative code.
int32_t SDISetSensorSN(QuilSDI12& sdi);
// "?X8!", else the identification's model text: 1 with sensorType set, -1 when it cannot be
// found, or the command's error.
int32_t SDIGetSensorType(QuilSDI12& sdi);

// Reads everything an update loses (identification, type, serial number, calibration) and
// converts an old nine-number calibration. 1 or a negative code.
int32_t SDISaveInfo(QuilSDI12& sdi);
// Writes serial number, address and calibration back. 1 or a negative code.
int32_t SDIRestoreInfo(QuilSDI12& sdi);

// The conversion of an old (firmware below 3.40) nine-number calibration to the six numbers of
// the newer firmware. Returns the new text; a calibration whose a1 equals a2 has no defined
// conversion and is returned unchanged.
std::array<char, 257> SDIConvertCalibration(const std::array<char, 257>& calibration);
