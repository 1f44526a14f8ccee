#pragma once
// The serial port record and its operations: the program's only path to a device.
// POSIX termios on the device node; raw 8N1, no flow control, DTR and RTS raised.
//
// Result codes: positive for success, 0 when nothing was done or a wait timed out,
// -21 port closed or a read/write failed, -60 no read buffer, -6 baud change on a port
// never opened. Opening: -2 not available, -5 in use, -200 permission denied,
// -(2000 + errno) for any other failure.

#include <cstdint>
#include <memory>
#include <string>

#include "serial/quil_log.h"

inline constexpr uint32_t kQSBufferSize = 2048;
inline constexpr int kQSClosed = -1;         // portHandle of a closed port
inline constexpr int kQSInvalidHandle = -2;  // portHandle after a failed open

inline constexpr int32_t kQSErrNotAvailable = -2;
inline constexpr int32_t kQSErrInUse = -5;
inline constexpr int32_t kQSErrNeverOpened = -6;
inline constexpr int32_t kQSErrClosed = -21;
inline constexpr int32_t kQSErrNoBuffer = -60;
inline constexpr int32_t kQSErrPermission = -200;
inline constexpr int32_t kQSErrSystemBase = -2000;  // -(2000 + errno)

struct QuilSerial {
  QuilSerial() = default;
  QuilSerial(const QuilSerial&) = delete;
  QuilSerial& operator=(const QuilSerial&) = delete;
  ~QuilSerial();  // closes the port

  QuilLog* log = nullptr;        // not owned; null logs nothing
  int portHandle = kQSClosed;    // file descriptor, or kQSClosed / kQSInvalidHandle
  uint32_t baudRate = 0;         // the rate last applied
  std::string portName;          // as given to QSOpen (at most PATH_MAX); "" = never opened
  char* readBuffer = nullptr;    // kQSBufferSize bytes, NUL-terminated text not yet handed out
  bool waitHit = false;          // the next QSRead hands out only the buffered text
  bool ownsReadBuffer = false;   // QSOpen allocated readBuffer, QSClose frees it
  std::unique_ptr<char[]> ownedBuffer;
};

// Opens name (a name under /dev such as ttyUSB0 or pts/4, or an absolute path) at baud
// (0 means 9600). Exclusive: TIOCEXCL plus a non-blocking flock. Returns 1 or a negative code.
int32_t QSOpen(QuilSerial& port, const char* name, uint32_t baud);

// Lowers DTR and closes. 1 closed, 0 nothing to close, negative on failure.
int32_t QSClose(QuilSerial& port);

// Hands out the buffered text, then (unless waitHit was set) reads what the port has within
// 100 ms, up to capacity bytes. Sets count and returns it; no terminator is appended.
int32_t QSRead(QuilSerial& port, char* dest, uint32_t capacity, uint32_t& count);

// Writes length bytes (bounded by 10 ms per byte + 100 ms). Sets written and returns it, or -21.
int32_t QSWrite(QuilSerial& port, const void* data, uint32_t length, uint32_t& written);

// Discards the driver's receive queue when flushInput is 1; always empties readBuffer. Returns 0.
int32_t QSPurge(QuilSerial& port, int flushInput);

// Reads into readBuffer (from its start) until ch arrives or timeoutMs passes.
// Returns ch when found, 0 on timeout (the partial text stays buffered), -21 or -60.
int32_t QSWait(QuilSerial& port, uint32_t timeoutMs, char ch);

// Changes the baud rate of the open port: 0 unchanged, 1 changed, -6 never opened.
int32_t QSHostBaud(QuilSerial& port, uint32_t baud);

// Full device path for a port name: absolute paths stay, other names go under /dev.
std::string QSDevicePath(const std::string& name);

// The message the window and the CLI show for -200: names the group that owns the node.
std::string QSPermissionMessage(const std::string& port);
