#pragma once
// Result codes of the bootloader host (image, session and transfer). Negative values not
// listed here are the serial port's codes (serial/quil_serial.h).

#include <cstdint>

inline constexpr int32_t kBSLRefused = -1;          // "-" or "?", or an answer not understood
inline constexpr int32_t kBSLMissingArgument = -10;  // port name, answer buffer, payload, image
inline constexpr int32_t kBSLInvalidArgument = -11;  // payload too long, image text, protected area
inline constexpr int32_t kBSLNoAnswer = -21;         // no session, or no answer
inline constexpr int32_t kBSLNoAttempt = -22;        // retries is 0
inline constexpr int32_t kBSLCancelled = -40;        // the progress callback said stop
inline constexpr int32_t kBSLOutOfMemory = -60;
inline constexpr int32_t kBSLAlreadyActive = -80;    // bootloader running and attached
inline constexpr int32_t kBSLWaiting = -81;          // bootloader waiting for a host
inline constexpr int32_t kBSLInvalidTIText = -100;
inline constexpr int32_t kBSLImageDamaged = -101;    // embedded image failed its length/sum check
inline constexpr int32_t kBSLDeviceError = -110;     // "ERROR", or a wrong handshake answer
inline constexpr int32_t kBSLNoBootloader = -112;    // "QuilBSL MISSING", or silence
