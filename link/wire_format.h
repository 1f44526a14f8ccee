#pragma once
// Building command lines for the device, and keeping secrets out of the log.

#include <string>
#include <string_view>

// printf into a string (commands with %d, %u, %X, %s only: nothing locale-dependent).
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "%+.5f" in the C locale's form whatever the process locale ("+46.73210").
std::string FormatSignedDegrees(double value);

// Written in the log instead of the APN password and the authentication key.
inline constexpr const char* kMaskedSecret = "********";

// command with the value of a secret setting ("set -passwd", "set -authkey") replaced by
// kMaskedSecret; other commands unchanged.
std::string MaskSecrets(std::string_view command);
