#include <memory>

#include "bsl/device_types.h"
#include "sim/basic_interpreter.h"
#include "sim/instrument_interpreter.h"
#include "sim/logger_model.h"
#include "sim/sim_device.h"

// Each device family adds its interpreter here.
std::unique_ptr<SimInterpreter> MakeInterpreter(const SimOptions& options) {
  if (const InstrumentModel* m = FindInstrumentModel(DeviceTypeFromCode(options.type.c_str())))
    return std::make_unique<InstrumentInterpreter>(options, *m);
  if (auto logger = MakeLoggerInterpreter(options)) return logger;
  return std::make_unique<BasicInterpreter>();
}
