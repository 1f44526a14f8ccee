#pragma once
// SIGINT, SIGTERM and SIGHUP while an update runs.
//   Idle (no update, or before the bootloader starts): the signal's default action.
//   Bootloader phase: the quit guard's text, and the update goes on; a second SIGINT within 3 s
//   of the first cancels (the bootloader's progress callback then returns false).
//   After the bootloader phase (restart, reconnection, restore): the quit guard's text only.

#include <string>

enum class GuardPhase { Idle, Bootloader, Finishing };

// Installs the handlers; guardText is what a guarded signal prints on stderr.
void InstallSignalGuard(const std::string& guardText);
void SetGuardPhase(GuardPhase phase);
// True once a second SIGINT cancelled the bootloader phase.
bool GuardCancelled();

inline constexpr int kCancelWindowMs = 3000;
