#include "sim/logger_model.h"

#include "sim/logger_families.h"
#include "sim/logger_interpreter.h"
#include "sim/radio_module.h"

namespace {

// A logger on a serial line: the shared device, plus the logger's own timer (its rate
// change after answering "set -baud") and its noticing the line drop.
class LoggerDevice : public DeviceModel {
 public:
  explicit LoggerDevice(const SimOptions& options) : device_(options) {}

  void OnHostOpen(SimLink& link) override { device_.OnHostOpen(link); }
  void OnHostClose(SimLink& link) override {
    device_.OnHostClose(link);
    if (LoggerInterpreter* l = Logger()) l->OnHostClosed(link);
  }
  void OnBytes(std::string_view bytes, SimLink& link) override { device_.OnBytes(bytes, link); }
  void OnTick(SimLink& link) override {
    device_.OnTick(link);
    if (LoggerInterpreter* l = Logger()) l->OnTick(link);
  }

 private:
  // Null while the bootloader has the line.
  LoggerInterpreter* Logger() {
    if (device_.mode() != SimDevice::Mode::Interpreter) return nullptr;
    return dynamic_cast<LoggerInterpreter*>(device_.interpreter());
  }

  SimDevice device_;
};

}  // namespace

std::unique_ptr<SimInterpreter> MakeLoggerInterpreter(const SimOptions& options) {
  const LoggerFamily* family = FindLoggerFamily(options.type);
  if (family == nullptr) return nullptr;
  return std::make_unique<LoggerInterpreter>(*family, options);
}

std::unique_ptr<DeviceModel> MakeLoggerModel(const SimOptions& options) {
  if (!options.radioLoggers.empty()) return std::make_unique<RadioModule>(options);
  if (FindLoggerFamily(options.type) == nullptr) return nullptr;
  return std::make_unique<LoggerDevice>(options);
}
