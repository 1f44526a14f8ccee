#pragma once
// SOLIX_Protocol: the link to a device's text command interpreter over a serial line or a
// radio link. A plain record with free operations taking the link first; every operation
// returns a signed 32-bit result (positive success, negative failure) and logs one line.
//
// Common codes: -10 missing argument, -11 invalid argument, -13 not served, -20 nothing
// listening, -21 no byte received, -22 silence after an answer, -23 radio module not
// programmable, -30 unexpected answer, -31 prompt alone, -32 echoed command, -33 relay
// repeats the query, -34 the device refused the command, -35 some items failed,
// -40 cancelled by the progress hook. Serial codes (quil_serial.h) pass through.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/logger_settings.h"
#include "link/logger_types.h"
#include "serial/quil_log.h"
#include "serial/quil_serial.h"

// Connection kinds.
inline constexpr uint8_t kConnSerial = 10;
inline constexpr uint8_t kConnRadio = 30;

struct SolixOptions {
  uint8_t keepPortOpen = 0;   // keep the port open at 9600 after a disconnect or failed connect
  uint32_t serialTries = 3;   // attempts per exchange on a serial line, 0..12 (0 means 3)
  uint32_t radioTries = 5;    // attempts per exchange over the radio, 0..12 (0 means 5)
  uint8_t showProgress = 0;   // report long operations to DeviceProgress
  int8_t traceMode = 0;       // 1 answers, 2 commands, 3 both to DeviceTrace
  uint32_t extraWaitMs = 0;   // added to every exchange's timeout, 0..30000
};

// Filled by the caller; zero everything it does not set.
struct SolixConnection {
  std::string port;           // port name (ttyUSB0, pts/4) or absolute path
  uint8_t kind = 0;           // kConnSerial or kConnRadio
  uint8_t baudIndex = 0;      // in and out: index into kSolixBaudRates, 0 means 2 (9600)
  FixedText<9> deviceName{};  // radio, in and out: the device to log into ("" = query)
  int32_t rch = 0;            // radio: value for the module's ATHP
  int32_t rsch = 0;           // radio: value for the module's ATDT
  uint8_t radioKnown = 0;     // radio: program rch and rsch before the login
};

// Indexed by baudIndex; index 0 is no rate.
inline constexpr std::array<uint32_t, 9> kSolixBaudRates = {
    0, 1200, 9600, 19200, 38400, 57600, 115200, 230400, 460800};
inline constexpr uint8_t kBaudIndex9600 = 2;

// Progress phases.
inline constexpr int kProgressStep = 1;
inline constexpr int kProgressDone = 2;
inline constexpr int kProgressQuery = 4;

inline constexpr uint32_t kSolixAnswerSize = 2049;
inline constexpr uint32_t kSolixReadAheadSize = kQSBufferSize;  // 2048

struct SOLIX_Protocol {
  explicit SOLIX_Protocol(QuilLog* log);
  ~SOLIX_Protocol();  // disconnects a connected device (keepPortOpen cleared)
  SOLIX_Protocol(const SOLIX_Protocol&) = delete;
  SOLIX_Protocol& operator=(const SOLIX_Protocol&) = delete;

  QuilSerial port;               // first member; its read buffer is readAhead
  int32_t status = 1;            // 1 after construction
  SolixOptions options;
  LoggerSettings settings;       // cleared at every connect and disconnect
  SolixConnection connection;    // kind 0 while nothing is connected
  uint32_t tries = 3;            // attempts per exchange in force
  int32_t resets = 0;            // reset count of old-firmware loggers ("show")
  std::array<char, kSolixAnswerSize> answer{};  // raw text of the last answer, NUL-terminated
  std::array<char, kSolixReadAheadSize> readAhead{};
  QuilLog* log = nullptr;        // not owned, may be null

  // Behind DeviceProgress and DeviceTrace; empty by default (progress goes on, no trace).
  std::function<bool(uint32_t total, uint32_t done, int phase)> progressHook;
  std::function<void(const char* text)> traceHook;
};

// ---- Command exchange ----

// Mode 0 copies the link's options into options; any other mode validates and stores
// them (0 tries replaced by the default, also in the caller's record). 1 or -11.
int32_t DeviceOptions(SOLIX_Protocol& link, SolixOptions& options, int mode);

// One exchange: sends command as it is, waits up to timeoutMs (+ extraWaitMs) for
// terminator, retries silence and refusals up to `tries` attempts. answerOut (may be null)
// receives at most capacity - 1 characters; capacity returns the length delivered;
// elapsedMs the time of all attempts. Returns the bytes received, or -21, -22, -31, -32,
// -34 or a serial code.
int32_t DeviceCommand(SOLIX_Protocol& link, const char* command, char terminator,
                      uint32_t timeoutMs, char* answerOut, uint32_t& capacity,
                      int32_t& elapsedMs);

// The device-name rule: 1, or -50 bad character, -51 forbidden character, -52 reserved
// word, -53 empty, -54 longer than 8, -56 non-ASCII.
int32_t CheckDeviceName(const SOLIX_Protocol& link, const char* name);
int32_t CheckDeviceName(const char* name);

// The link's hooks: progress (false cancels; only asked with showProgress) and trace.
bool DeviceProgress(SOLIX_Protocol& link, uint32_t total, uint32_t done, int phase);
void DeviceTrace(SOLIX_Protocol& link, const char* text);

// ---- Identification ----

// "get -ver": fills type, version and capability word. loginMode 1 recognises an old Kt3
// without sending "show". 1, or -13, -21, -30, -32, -80 (bootloader '+'), -81 ('$').
int32_t VerCommand(SOLIX_Protocol& link, int loginMode);
// "show" of old Kt3 firmware. nameOut null: fills the identification; given: reads only
// the name. 1, -11 (not an old Kt3), -13 (below 1.10), -30, or a DeviceCommand code.
int32_t ParseShowCommand(SOLIX_Protocol& link, FixedText<9>* nameOut);
// Mode 1 sets the device name to name; any other mode reads it. 1, a name-rule code,
// -30, -36 (no name), or a DeviceCommand code.
int32_t NameCommand(SOLIX_Protocol& link, FixedText<9>& name, int mode);

// ---- Radio configuration ----

// The radio module in AT command mode. flags: request bits 0x400 rch, 0x800 rsch,
// 0x1000 version in; done bits out. Mode 1 writes and saves, other modes read.
// 1, -35, -23 (no command mode), -1 (module did not leave command mode), or a failure.
int32_t Qr7Config(SOLIX_Protocol& link, int32_t* rch, int32_t* rsch,
                  FixedText<9>* versionOut, int mode, uint32_t* flags);
// The logger's radio values. 1, 0 or -45 (no radio), -1 (no radio capability), -10
// (flags null), -12 (set over the radio), -21 (old non-Kt3 firmware), -35, or a failure.
int32_t MSRadioCommand(SOLIX_Protocol& link, int32_t* rch, int32_t* rsch,
                       FixedText<9>* versionOut, int mode, uint32_t* flags);

// ---- Connection and login ----

// Opens the port (unless already open on the same port) and logs in. Writes baudIndex
// and, over the radio, deviceName back into description. The login result, or -10,
// -11, -13, -23, -60 or an open code.
int32_t ConnectDevice(SOLIX_Protocol& link, SolixConnection* description);
// Logs out and closes (or keeps) the port. 1, 0 when nothing was connected, -22.
int32_t DisconnectDevice(SOLIX_Protocol& link, bool skipRadioLogout);
// The login step (also the re-login of DeviceSettings). 1, -20, -33, -40 or a failure.
int32_t DeviceLogin(SOLIX_Protocol& link, FixedText<9>& name, uint8_t& baudIndex);
// Radio query. Mode 1 reads a listening device's name into buffer; other modes > 0 wait
// for a prompt into buffer with mode as its capacity (at least 9 in mode 1). 1, -10, -22,
// -33, -40 or a failure.
int32_t QueryCommand(SOLIX_Protocol& link, char* buffer, int mode);
// "login <name>" ("login" for an empty name). 1, -30, -54 or a DeviceCommand code.
int32_t LoginCommand(SOLIX_Protocol& link, const char* name);
// The radio wake sequence: 909 carriage returns 55 ms apart (about 50 s). 1 or -40.
int32_t SendWake(SOLIX_Protocol& link);
// "set -baud": asks the device to switch to baud. 1, -1 (old firmware), -21, -30 or a code.
int32_t SetBaudCommand(SOLIX_Protocol& link, uint32_t baud);

// ---- Logger settings ----
// Mode 1 writes the field to the device, other modes read into it. 1, -1 when the device
// lacks the capability (nothing sent), or a failure code.

int32_t DeviceIDCommand(SOLIX_Protocol& link, FixedText<9>& deviceId, int mode);
int32_t ReportCommand(SOLIX_Protocol& link, int32_t& reportMode, int mode);
int32_t DepthCommand(SOLIX_Protocol& link, std::array<uint8_t, 5>& depths, int mode);
int32_t SiteCommand(SOLIX_Protocol& link, FixedText<26>& site, int mode);
int32_t LatitudeCommand(SOLIX_Protocol& link, double& latitude, int mode);
int32_t LongitudeCommand(SOLIX_Protocol& link, double& longitude, int mode);
// timeZone -2 stands for the computer's zone (replaced in the field too).
int32_t TimeZoneCommand(SOLIX_Protocol& link, int32_t& timeZone, int mode);
int32_t SNCommand(SOLIX_Protocol& link, FixedText<16>& serialNumber, int mode);
int32_t WakeCommand(SOLIX_Protocol& link, int32_t& wakeInterval, int mode);
int32_t PADCCommand(SOLIX_Protocol& link, int32_t& samplingRate, int mode);
int32_t PortsCommand(SOLIX_Protocol& link, std::array<uint8_t, 5>& ports, int mode);
int32_t DataParameterCommand(SOLIX_Protocol& link, int32_t& dataParameter, int mode);
int32_t QuilBuildCommand(SOLIX_Protocol& link, FixedText<17>& buildInfo, int mode);
int32_t APNCommand(SOLIX_Protocol& link, FixedText<36>& apn, int mode);
int32_t APNUserCommand(SOLIX_Protocol& link, FixedText<36>& user, int mode);
int32_t APNPasswdCommand(SOLIX_Protocol& link, FixedText<36>& password, int mode);
int32_t AuthKeyCommand(SOLIX_Protocol& link, FixedText<33>& authKey, int mode);
int32_t HostCommand(SOLIX_Protocol& link, FixedText<64>& host, int mode);
int32_t IPPortCommand(SOLIX_Protocol& link, uint32_t& ipPort, int mode);
int32_t RmodeCommand(SOLIX_Protocol& link, uint32_t& radioMode, int mode);
int32_t TraitCommand(SOLIX_Protocol& link, int32_t& trait, int mode);
// which 1: "-adc30", 2: "-adc15". -11 for another which; -1 also for invalid values read.
int32_t ADCcalCommand(SOLIX_Protocol& link, int which, std::array<uint8_t, 5>& slopes,
                      std::array<uint8_t, 5>& offsets, int mode);

// Reads (mode 0) or writes (mode 1) the settings whose bits are in mask; mask returns the
// bits done. Re-logs in when the logger falls silent. 1, -1 (nothing done), -35 (some
// failed), -10, -11, -13, -21, -32, -33, -36, -40.
int32_t DeviceSettings(SOLIX_Protocol& link, LoggerSettings* record, uint32_t& mask, int mode);

// Device seconds: seconds since 2000-01-01 00:00:00 local wall-clock time.
inline constexpr int64_t kEpoch2000 = 946684800;
// Mode 1 sets the clock to *seconds (null or 0: the computer's clock) and returns the
// device seconds set in *seconds; mode 0 reads it (-1 on failure). 1, -1, -10, -30 or a code.
int32_t DeviceTime(SOLIX_Protocol& link, int64_t* seconds, int mode);

// Erases stored data after checking the device's name. 1, -37 (identity), -65 (DataFlash),
// -30 or a code.
int32_t EraseData(SOLIX_Protocol& link);

inline int32_t HasRadio(const SOLIX_Protocol& link) { return HasRadio(link.settings); }
inline int32_t HasCellular(const SOLIX_Protocol& link) { return HasCellular(link.settings); }
