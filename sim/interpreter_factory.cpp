#include <memory>

#include "sim/basic_interpreter.h"
#include "sim/sim_device.h"

// Each device family adds its interpreter here.
std::unique_ptr<SimInterpreter> MakeInterpreter(const SimOptions& options) {
  (void)options;
  return std::make_unique<BasicInterpreter>();
}
