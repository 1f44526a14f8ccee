#pragma once
// Helpers shared by the QuilSDI12 operations.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "sdi12/quil_sdi12.h"

inline constexpr uint32_t kSDILogLevel = 30;
inline constexpr const char* kSDISource = "QuilSDI12";

#define SDI_LOG(sdi, ...) LogMessage((sdi).log, kSDILogLevel, kSDISource, __VA_ARGS__)

// The text of a NUL-terminated buffer, never past its end.
template <size_t N>
std::string_view SDIText(const std::array<char, N>& a) {
  return std::string_view(a.data(), strnlen(a.data(), N));
}

// Copies at most N - 1 characters of text and zero-fills the rest.
template <size_t N>
void SDISetText(std::array<char, N>& field, std::string_view text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field.data(), text.data(), n);
  std::memset(field.data() + n, 0, N - n);
}

// A field of an answer: the text after the address, with one leading blank skipped, cut at the
// line end.
std::string_view SDIAnswerField(std::string_view answer);

// Sends a command that the sensor acknowledges with "OK" or refuses with "ERROR", up to
// `attempts` times. result carries over between calls (a second string of one setting): "OK"
// makes a non-negative result 1, "ERROR" makes it -34, anything else makes a 0 result -22, and
// a failed last send makes it that send's error. Returns 1 when the sensor acknowledged, 0 when
// it did not, or the failed last send's error.
int32_t SDISendAcknowledged(QuilSDI12& sdi, const char* command, int32_t& result);
