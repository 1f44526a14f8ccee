#pragma once
#include <memory>

#include "sim/sim_link.h"

// The device on the pty for these options: a SimDevice, or the radio module with loggers
// behind it when options.radioLoggers is not empty.
std::unique_ptr<DeviceModel> MakeDeviceModel(const SimOptions& options);
