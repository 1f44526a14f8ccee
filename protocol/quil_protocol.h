#pragma once
// Quil_protocol: the update sequence's one handle on the connected device. It owns the logger
// command link and the SDI-12 sensor object, keeps the device's identity and settings between
// saving them before a firmware update and restoring them afterwards, and runs the short device
// operations around an update.
//
// Every operation takes the object first and returns a signed 32-bit result: positive is
// success. Codes of this module: -1 corrupt firmware code, -10 missing argument, -11 bad
// record set type, -12 the instrument rejected the serial number, -13 not available for this
// device type, -20 nothing connected, -25 login failed, -30 unexpected answer, -35 some
// settings not transferred, -36 uninitialised logger, -60 out of memory, -65 broken DataFlash,
// -80/-81 the bootloader answers, -102/-105/-106 settings file missing/denied/bad handle,
// -120 device or firmware not supported. Codes of the link pass through.
// Log lines use the source "Quil_protocol".

#include <cstdint>
#include <memory>
#include <string_view>

#include "bsl/device_types.h"
#include "link/logger_settings.h"
#include "link/solix_protocol.h"
#include "protocol/inst_settings.h"
#include "sdi12/quil_sdi12.h"
#include "serial/quil_log.h"

struct Quil_protocol {
  explicit Quil_protocol(QuilLog* log);
  ~Quil_protocol();  // the link disconnects a connected device
  Quil_protocol(const Quil_protocol&) = delete;
  Quil_protocol& operator=(const Quil_protocol&) = delete;

  std::unique_ptr<SOLIX_Protocol> link;
  std::unique_ptr<QuilSDI12> sensor;    // over the same log and the link's port
  LoggerSettings loggerSettings;        // a data logger's settings; validMask first
  InstrumentSettings instrumentSettings;  // an instrument's settings; mask first
  DeviceType deviceType = DT_UNKNOWN;   // from identity at connect
  DeviceInfo identity;                  // the identity built at connect
  bool settingsHeld = false;            // settings collected from the device or read from file
  RecordSet userRecords;
  RecordSet eqnRecords;
  QuilLog* log = nullptr;               // not owned
  uint32_t heldMask = 0;                // field-present mask of the settings held
};

// Forgets every setting of an earlier device: both settings records, the record sets,
// settingsHeld and heldMask (the update sequence runs this at the start of each update).
void QPForgetSettings(Quil_protocol& qp);

// ---- Session and checks ----

// Opens portName at kSolixBaudRates[baudIndex] and logs into the command interpreter with
// `tries` attempts per exchange (0 means 3), identifies the device into *identity, and logs
// in with the access code where the type needs it. >= 0 connected; -10 no port or identity;
// -20 nothing answers; -80/-81 the bootloader is listening; -120 not supported; -25 the
// access-code login failed; or a code of the link. A failure leaves deviceType and identity.
int32_t QPConnect(Quil_protocol& qp, const char* portName, uint8_t baudIndex, uint32_t tries,
                  DeviceInfo* identity);
// The access-code login (called by QPConnect): 1 (or the last positive result) or -25.
int32_t QPLogin(Quil_protocol& qp);
// Sends "logout" first when the type needs the login and sendLogout is true; then
// disconnects. The result of the disconnect.
int32_t QPLogout(Quil_protocol& qp, bool sendLogout);
// "get -batt": 1 with *percent set; -10 no percent; -30 no number (percent kept); the
// exchange's code (percent -1).
int32_t QPCheckBattery(Quil_protocol& qp, int32_t* percent);
// "post -init" or "post": 1 code good, -1 code corrupt, -30 no verdict, or the exchange's code.
int32_t QPCheckFirmware(Quil_protocol& qp, bool initialise);
// Erases the device's stored data: 1; -13 not for this type; -30, -65, or a code.
int32_t QPEraseData(Quil_protocol& qp);
// Sets the device clock to the computer's local time: -13 no clock; -30; or the clock
// exchange's result.
int32_t QPSetTime(Quil_protocol& qp);

// Sends command (without line end) and copies the first line of the answer, at most maxChars
// characters, into dest (which holds maxChars + 1). 1, or the last negative code.
int32_t GetValueString(Quil_protocol& qp, const char* command, uint32_t timeoutMs, char* dest,
                       uint32_t maxChars);
// Sends command and reads a signed decimal number after the answer's first carriage return.
// 1 with *value set, or the last negative code.
int32_t GetValueLong(Quil_protocol& qp, const char* command, uint32_t timeoutMs, int32_t* value);

// ---- Instrument settings transfer ----

// Reads (GetInstInfo) or writes (SetInstInfo) the values of instrumentSettings selected by
// requestMask, in the instrument's fixed order. 1 all done; 0 empty mask; -35 some failed;
// -21/-32 (and -33 for SetInstInfo) end the transfer at once and are returned.
int32_t GetInstInfo(Quil_protocol& qp, uint32_t requestMask);
int32_t SetInstInfo(Quil_protocol& qp, uint32_t requestMask);

// Record lists of type kRecordsEqn or kRecordsUser.
// From the instrument: 1 read; 0 none; -11 bad type; -60 no memory.
int32_t GetRecords_Serial(Quil_protocol& qp, RecordSet& set, int type);
// To the instrument, sorted by name and numbered anew: 1; 0 empty set; -11 bad type.
int32_t SetRecords_Serial(Quil_protocol& qp, RecordSet& set, int type);
// From the settings file's text (keys eqn00.., user00..): 1; 0 none; -11; -60.
int32_t GetRecords_File(Quil_protocol& qp, RecordSet& set, int type, std::string_view fileText);
// Sorts by recordName, case-insensitively, an equal or shorter name first: 1 or -11.
int32_t AlphabetizeRecords(Quil_protocol& qp, RecordSet& set, int type);
// Derives each record's name from its value: 1; -10 no records; -11 bad type.
int32_t ExtractNames(Quil_protocol& qp, RecordSet& set, int type);

// ---- Settings save and restore ----

// Collects the connected device's settings into memory and writes them to the settings file
// at path. 1 saved; -13 no settings for this type; -36 uninitialised logger; or a code.
// A failed file write keeps the settings held in memory.
int32_t QPSaveInfo(Quil_protocol& qp, const char* path);
// Writes the held settings back (reading them from the file at path first when none are held),
// with replacementSn (may be null) as the new serial number. The restoring operation's result,
// or a negative code.
int32_t QPRestoreInfo(Quil_protocol& qp, const char* path, const char* replacementSn);

// Device seconds for the "set -sec" clock: local wall-clock seconds since 2000-01-01 00:00.
int64_t QPDeviceSeconds(int64_t systemSeconds, int32_t zoneOffsetSeconds);
