#pragma once
// The simulated data loggers as the simulator's factories see them.

#include <memory>

#include "sim/sim_device.h"

// The interpreter of a logger family's type, or null for a type that is no logger.
std::unique_ptr<SimInterpreter> MakeLoggerInterpreter(const SimOptions& options);

// The device on the pty: the computer's radio module with the loggers behind it when
// options.radioLoggers is not empty, else a logger of options.type; null for other types.
std::unique_ptr<DeviceModel> MakeLoggerModel(const SimOptions& options);
