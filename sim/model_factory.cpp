#include "sim/model_factory.h"

#include "sim/logger_model.h"
#include "sim/sim_device.h"

std::unique_ptr<DeviceModel> MakeDeviceModel(const SimOptions& options) {
  if (auto logger = MakeLoggerModel(options)) return logger;
  return std::make_unique<SimDevice>(options);
}
