#pragma once
// The newer-version check for a terminal program: every outcome in words, and as JSON.

#include <cstdint>
#include <string>

struct TerminalVersionCheck {
  uint32_t found = 0;   // the version the service names, 0 when none was read
  int32_t outcome = 0;  // VersionOutcome: 0 no check, 1 newer, 2 latest, 3 older, -1001, -1002
  std::string message;  // what to print: the window's text for the outcome
  std::string webAddress;
};

// Runs the check of this build (thisVersion, its version-finder path and product text
// "Vapora MTQ Firmware Updater") against the service. Creates a Qt core application for the
// time of the check when there is none, and leaves the C locale as it found it.
TerminalVersionCheck VersionCheckForTerminal(uint32_t thisVersion, const std::string& path,
                                             const std::string& productText, int timeoutMs);

// One line of JSON: {"version":362,"outcome":1,"message":"..."} (plus "address" when known).
std::string VersionCheckJson(const TerminalVersionCheck& check);
