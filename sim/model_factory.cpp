#include "sim/model_factory.h"

#include "sim/sim_device.h"

std::unique_ptr<DeviceModel> MakeDeviceModel(const SimOptions& options) {
  return std::make_unique<SimDevice>(options);
}
