#pragma once
// The instrument update sequence: connect, check, save the settings, hand the port to the
// bootloader, erase and program, restart, reconnect, check the code, restore the settings,
// set the clock, erase old data. It reaches the user only through s.ui.
//
// UpdateInstrument's result: 1 updated; -20 first connection failed; -40 the user cancelled at
// the settings question; -110 bootloader not reachable; -112 no working bootloader; -120
// firmware too old or outside the version window; -121 wrong device; -130 battery too low;
// otherwise the failing operation's own code.

#include <cstdint>

#include "app/updater_state.h"

int32_t UpdateInstrument(UpdaterState& s);

// The version window of info: true when the version lies in it or the user chose OK.
bool CheckFirmwareWindow(UpdaterState& s, const DeviceInfo& info);

// The calibration notice after a successful update (TQ, RD60 and SG have one).
void ShowCalibrationNotice(UpdaterState& s, int type);

// The bootloader's progress: 'W' adds progressStep to progressValue and sets the bar to
// progressValue + 0.5 truncated; 'X' advances the bar by progressMode. Then processes
// pending messages and returns whether to go on.
bool UpdateProgressTick(UpdaterState& s, char kind);

struct UpdateOutcome {
  int32_t result = 0;
  uint32_t seconds = 0;  // elapsed seconds of a successful update
};

// One update as the window's timerStart runs it, without the widgets: the instruction line,
// the settings file name, clearing the earlier device's state, the status texts, the sequence,
// then the result handling (the "Finished updating device in %d seconds" line, deleting the
// settings file, the window's lines). The caller disables and re-enables its controls.
UpdateOutcome RunUpdate(UpdaterState& s);
