#pragma once
// The bootloader's injectable faults, read from the simulator's --fault options:
//   refuse-block=N:K  refuse data block N of a transfer (counted from 1) K times (K defaults to 1)
//   lose-answer=N     the answer to the N-th framed command since power-up never leaves the device
//   power-loss=N      the power fails just after data block N has been acknowledged
// Each fault strikes once in the life of the simulated device (refuse-block K times).

#include <cstdint>

#include "sim/sim_options.h"

struct BootloaderFaults {
  uint32_t refuseBlock = 0;  // 0 = off
  uint32_t refuseTimes = 0;
  uint32_t loseAnswer = 0;   // 0 = off
  uint32_t powerLossAfterBlock = 0;  // 0 = off
};

BootloaderFaults ReadBootloaderFaults(const SimOptions& options);
