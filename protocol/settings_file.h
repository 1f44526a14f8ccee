#pragma once
// The settings file: a plain 8-bit text file of key="value" lines ended by "\r\n", after the
// header "***** Auto-Generated Settings File -- DO NOT EDIT *****". One writer and one reader
// per device family (data logger, instrument, digital sensor). The file holds passwords and
// keys in clear text, so it is created readable and writable by its owner only, and it is
// written to a temporary file beside it that is renamed over the old one: a failed write
// never leaves a half-written file in place of a good one.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/quil_protocol.h"

inline constexpr const char* kSettingsFileHeader =
    "***** Auto-Generated Settings File -- DO NOT EDIT *****\r\n\r\n";

// Writes the held settings of qp's device type. 1; -10 no path; the negated errno.
int32_t WriteInfoFile(Quil_protocol& qp, const char* path);
// Reads the file into qp's settings for qp's device type. 1; -10 no path; -13 no settings for
// this type; -30 the type line is another device's; -60; -102 missing; -105 denied; -106 bad
// handle; the negated errno.
int32_t ReadInfoFile(Quil_protocol& qp, const char* path);

// The family writers and readers (text is the whole file).
int32_t WriteLoggerInfo(const Quil_protocol& qp, std::string& out);
int32_t WriteInstInfo(const Quil_protocol& qp, std::string& out);
int32_t WriteSensorInfo(const Quil_protocol& qp, std::string& out);
int32_t ReadLoggerInfo(Quil_protocol& qp, std::string_view text);
int32_t ReadInstInfo(Quil_protocol& qp, std::string_view text);
int32_t ReadSensorInfo(Quil_protocol& qp, std::string_view text);

// Whether the text holds, at the start of a line, a type line that the reader accepts for type.
bool HasTypeLine(std::string_view text, DeviceType type);

// Key lookup: a key counts only at the start of a line and directly followed by "=", so a key
// text inside another line's value is never taken for it. Returns the position just after the
// double quote that opens the value, or npos when the key or the quote is missing.
size_t FindFileValue(std::string_view text, std::string_view key);

// Text value: dest is emptied first; up to the next double quote (or the end), at most
// width - 1 characters. True when the value is not empty.
bool GetFileString(std::string_view text, std::string_view key, char* dest, size_t width);
template <size_t N>
bool GetFileString(std::string_view text, std::string_view key, std::array<char, N>& dest) {
  return GetFileString(text, key, dest.data(), N);
}
// Signed decimal number; no digits give 0. True when key and quote exist; dest untouched
// otherwise.
bool GetFileLong(std::string_view text, std::string_view key, int32_t& dest);
// Decimal floating-point number (C locale); like GetFileLong.
bool GetFileDouble(std::string_view text, std::string_view key, double& dest);
// Five unsigned numbers separated by white space, stored as bytes only when all five are read.
bool GetFileBytes5(std::string_view text, std::string_view key, std::array<uint8_t, 5>& dest);
