#include "sim/sim_device.h"

// Replaced by the resident bootloader model; until then the device has none.
std::unique_ptr<SimBootloader> MakeBootloader(const SimOptions&) { return nullptr; }
