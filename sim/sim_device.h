#pragma once
// A simulated device: a family's command interpreter in front, the resident bootloader behind.
// The core handles what every family shares: line assembly ("\r" ends a command, "\n" is
// ignored), "boot KELP", the restart after programming, and the faults of the session.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sim/sim_link.h"

class SimDevice;

// One device family's command interpreter.
class SimInterpreter {
 public:
  virtual ~SimInterpreter() = default;
  // One command line without its "\r". Answer with SimDevice::Answer and friends.
  virtual void OnLine(const std::string& line, SimDevice& dev, SimLink& link) = 0;
  // Bytes before line assembly; return true when the interpreter consumed them (for "+++",
  // the SDI-12 "|" wake-up, or an access code typed one character at a time).
  virtual bool OnRawBytes(std::string_view bytes, SimDevice& dev, SimLink& link) {
    (void)bytes, (void)dev, (void)link;
    return false;
  }
  // The host closed the port: a login ends.
  virtual void OnSessionEnd(SimDevice& dev) { (void)dev; }
  // The device restarted (after programming or a power cycle).
  virtual void OnRestart(SimDevice& dev) { (void)dev; }
};

// The resident bootloader with its flash memory.
class SimBootloader {
 public:
  virtual ~SimBootloader() = default;
  // The bootloader starts: waiting for a host, or already attached.
  virtual void Enter(SimDevice& dev, SimLink& link, bool attached) = 0;
  virtual void OnBytes(std::string_view bytes, SimDevice& dev, SimLink& link) = 0;
  // The host closed the port. Return true when the device should now restart into the
  // programmed code (SimDevice then calls Restart); false to keep waiting in the bootloader.
  virtual bool OnHostClose(SimDevice& dev, SimLink& link) = 0;
  virtual void OnTick(SimDevice& dev, SimLink& link) { (void)dev, (void)link; }
};

// Made by the families (sim/interpreter_factory.cpp) and by the bootloader (sim/bootloader*.cpp).
std::unique_ptr<SimInterpreter> MakeInterpreter(const SimOptions& options);
std::unique_ptr<SimBootloader> MakeBootloader(const SimOptions& options);

class SimDevice : public DeviceModel {
 public:
  explicit SimDevice(const SimOptions& options);
  ~SimDevice() override;

  enum class Mode { Interpreter, Bootloader };

  // DeviceModel
  void OnHostOpen(SimLink& link) override;
  void OnHostClose(SimLink& link) override;
  void OnBytes(std::string_view bytes, SimLink& link) override;
  void OnTick(SimLink& link) override;

  // Answers a command: "\r" + body + "\r>".
  void Answer(SimLink& link, std::string_view body, uint32_t delayMs = 0);
  // The prompt alone: "\r\r>".
  void Prompt(SimLink& link, uint32_t delayMs = 0);

  // Hands the line over to the bootloader (after "boot KELP" was acknowledged).
  void EnterBootloader(SimLink& link, bool attached);
  // Restarts into the interpreter; the running firmware is `code version`, codeGood as given.
  void Restart(SimLink& link);

  const SimOptions& options() const { return options_; }
  Mode mode() const { return mode_; }
  SimInterpreter* interpreter() { return interpreter_.get(); }
  SimBootloader* bootloader() { return bootloader_.get(); }

  // The running firmware's identity ("MTQ", "3.50") and whether its code is intact ("post").
  std::string code;
  std::string version;
  bool codeGood = true;
  // "post" answers "DataFlash FAIL" when set.
  bool dataFlashFail = false;
  // Host sessions (opens) since the last restart. With the fault "silent-sessions=K" the
  // device stays silent for its first K sessions after a restart.
  uint32_t sessionsSinceRestart = 0;

 private:
  bool Silenced() const;
  void HandleBoot(const std::string& line, SimLink& link);

  SimOptions options_;
  Mode mode_ = Mode::Interpreter;
  std::unique_ptr<SimInterpreter> interpreter_;
  std::unique_ptr<SimBootloader> bootloader_;
  std::string line_;
  bool bootloaderEntered_ = false;
  bool restartedOnce_ = false;
};
