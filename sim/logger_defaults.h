#pragma once
// Factory settings of each simulated logger family.

#include "sim/logger_families.h"
#include "sim/logger_memory.h"

struct LoggerDefaults {
  LoggerHardware hardware;
  LoggerSettingsMemory settings;
};

// The factory state of family; a family without a row gets the shared values.
LoggerDefaults DefaultsFor(const LoggerFamily& family);

// The radio values the loggers and the computer's radio module leave the factory with, so
// that they hear each other out of the box.
RadioValues DefaultRadioValues();
