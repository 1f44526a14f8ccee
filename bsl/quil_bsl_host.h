#pragma once
// The bootloader host: the firmware image, and the host side of a session with the device's
// resident bootloader (start, handshake, framed commands, erase and programming).
// Every operation takes the host first and returns a result code (bsl/bsl_codes.h); nothing
// is thrown. All waits go through PumpedSleep or QSWait.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bsl/bsl_codes.h"
#include "bsl/device_types.h"
#include "serial/quil_log.h"
#include "serial/quil_serial.h"

struct EmbeddedFirmware;

inline constexpr uint32_t kBSLModelTextMax = 64;
inline constexpr uint32_t kBSLVectorCount = 16;
inline constexpr uint32_t kBSLBufferSize = 544;      // frame and data buffers
inline constexpr uint32_t kBSLMaxTextPayload = 512;  // characters of a framed payload
inline constexpr uint32_t kBSLMaxNumbers = 128;      // numbers of a framed payload
inline constexpr uint32_t kBSLAnswerMax = 20;        // characters of an answer kept
inline constexpr uint32_t kBSLAnswerTimeoutMs = 1000;
inline constexpr uint32_t kBSLRetryPauseMs = 175;
inline constexpr uint32_t kBSLBlockChars = 512;      // image characters per data block
inline constexpr uint32_t kBSLFlashSegment = 512;    // bytes per flash segment
inline constexpr uint32_t kBSLProtectedStart = 0xFA00;
inline constexpr uint32_t kBSLProtectedEnd = 0xFFFF;
inline constexpr const char* kBSLBootKeyword = "KELP";

// Room for a framed command's answer: at most 20 characters and the terminator.
using BSLAnswer = std::array<char, kBSLAnswerMax + 1>;
using BSLVectors = std::array<uint32_t, kBSLVectorCount>;

// Called during the long transfer steps when showProgress is set: (total, done, phase 1 while
// running / 2 at the end, kind 'W' programming or 'X' erasing). false cancels the step (-40).
using BSLProgressCallback = std::function<bool(uint32_t total, uint32_t done, int phase, char kind)>;

// What a session programs: taken from the host's image when the session opens, so that
// loading another file meanwhile can never change a transfer under way.
struct BSLImageSnapshot {
  std::string imageText;
  BSLVectors vectors{};
};

struct QuilBSLHost {
  // Installs the embedded image (constructStatus tells how that went).
  explicit QuilBSLHost(QuilLog* log);
  QuilBSLHost(const QuilBSLHost&) = delete;
  QuilBSLHost& operator=(const QuilBSLHost&) = delete;
  ~QuilBSLHost();  // BSLDisconnect

  QuilSerial port;
  int32_t bslVersion = 0;  // reported by the last successful BSLConnect

  // The firmware image.
  std::string modelText;   // at most 64 characters, "MTQ 3.61"
  DeviceType imageType = DT_UNKNOWN;
  int32_t imageVersion = 0;      // from a loaded file's name; 0 for the embedded image
  int32_t constructStatus = 0;   // 0 good; -60 out of memory; -101 embedded image damaged
  uint32_t imageLength = 0;      // characters of imageText
  std::string imageText;         // "@01100" then four hex digits per word; sections repeat
  BSLVectors vectors{};          // words for 0xFFE0, 0xFFE2, ..., 0xFFFE; 0xFFFF = unused

  bool sessionOpen = false;
  bool showProgress = false;
  uint32_t retries = 3;
  BSLProgressCallback progress;  // empty: progress is not reported, nothing cancels

  std::array<char, kBSLBufferSize> frameBuffer{};
  std::array<char, kBSLBufferSize> dataBuffer{};

  // The image the open session programs (see BSLImageSnapshot); null without a session.
  std::shared_ptr<const BSLImageSnapshot> sessionImage;
};

// ---- Firmware image and TI-Text files ----

// Installs record as the host's image: model text, type, vectors and image text, checking the
// text's length and byte sum against the record's constants. The image stays installed either
// way. Returns 0, -101 when the check fails, -60 when memory is exhausted.
int32_t BSLInstallImage(QuilBSLHost& host, const EmbeddedFirmware& record);

// Reads a TI-Text file into the image and applies the file-name rule. 1 on success; -100 not a
// valid TI-Text file; -60 out of memory; -errno when it cannot be opened. On failure the image
// is unchanged.
int32_t BSLLoadTIFile(QuilBSLHost& host, const char* path);

// Writes the image as a human-readable dump (word values, no "q"). 1, or -errno.
int32_t BSLWriteTIFile(QuilBSLHost& host, const char* path);

// Sets modelText, imageType and imageVersion from a file's name ("MTQ 3-61.txt" gives
// "MTQ 3.61", MTQ, 361).
void ApplyImageFileName(QuilBSLHost& host, const char* path);

// ---- Session ----

// Opens portName at 9600 baud, starts the bootloader, attaches at bootBaud and asks its
// version. Returns the version or a negative code (the session is then closed).
int32_t BSLConnect(QuilBSLHost& host, const char* portName, uint32_t bootBaud, bool showProgress,
                   uint32_t retries);

// Whether the device on the port already runs its bootloader: -80 attached, -81 waiting for a
// host, -21 no answer, or the port's error. Leaves the session open. Takes about 1.2 s.
int32_t BSLCheck(QuilBSLHost& host, const char* portName, uint32_t baud);

// Starts the bootloader from the command interpreter ("boot KELP") and attaches ("\r", "P").
// 1 or a negative code.
int32_t BSLInvocation(QuilBSLHost& host, uint32_t bootBaud);

// Closes the session's port and waits 100 ms. The close result, or 0 without a session.
int32_t BSLDisconnect(QuilBSLHost& host);

// One framed command with a text payload (null only for 'g'), waiting up to 1000 ms for
// endChar. Positive (the answer's length) when acknowledged; -1 refused or not understood;
// -21 no session or no answer; -11 payload over 512 characters; -10 missing argument; or the
// port's error. answer receives the answer text; elapsed (may be null) the milliseconds from
// the write to the end of the read.
int32_t BSLCommand(QuilBSLHost& host, char command, const char* payload, uint32_t length,
                   char endChar, BSLAnswer* answer, uint32_t* elapsed);

// The same with count numbers as payload, each as four hex digits, or five when wide. A number
// that does not fit its digits, or a payload over 512 characters, gives -11.
int32_t BSLCommand(QuilBSLHost& host, char command, const uint32_t* numbers, uint32_t count,
                   char endChar, BSLAnswer* answer, uint32_t* elapsed, bool wide);

// ---- Transfer ----

// Erases count INFO segments from start on, segmentSize bytes apart. 1 or a negative code.
int32_t BSLEraseINFO(QuilBSLHost& host, uint32_t start, uint32_t count, uint32_t segmentSize,
                     bool wide);

// Erases the 512-byte flash segments from start up to end, jumping over 0xFA00-0xFFFF.
// -11 when start lies in that protected area (nothing is sent).
int32_t BSLEraseFlash(QuilBSLHost& host, uint32_t start, uint32_t end, bool wide);

// Sets the address of the following data blocks.
int32_t BSLSendAddress(QuilBSLHost& host, uint32_t address, bool wide);

// Programs the session's image text in blocks of 256 bytes.
int32_t BSLSendFirmware(QuilBSLHost& host, bool wide);

// Programs the 16 interrupt vectors of the session's image.
int32_t BSLSendVectors(QuilBSLHost& host);
