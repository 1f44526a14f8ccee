#pragma once
// The resident QuilBSL bootloader of a simulated device, with the device's flash memory.
//
// Waiting for a host: every "\r" is answered "$", a "P" at the start of a line "#" (attached),
// anything else is ignored. Attached: a bare "\r" gets "?"; a line starting with "g" gets
// "+<version>+\r"; the framed commands "@" (address), "W" (program 16-bit words, each as four
// hexadecimal digits, low byte at the lower address), "X" (erase segment) get
// "+\r" or "-\r" (refused, or a frame that fails its checksum), "V" (vector table) a lone "+";
// any other line gets "?\r".
//
// A close of the port ends the host's session. When the last session left a complete
// programming behind (a vector table after the last erase or data block) and the flash holds
// runnable code, the device restarts into it; otherwise the bootloader stays as it was.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/bootloader_faults.h"
#include "sim/flash_layout.h"
#include "sim/flash_memory.h"
#include "sim/sim_device.h"

inline constexpr int kBootloaderVersion = 12;

class QuilBootloader : public SimBootloader {
 public:
  explicit QuilBootloader(const SimOptions& options);

  void Enter(SimDevice& dev, SimLink& link, bool attached) override;
  void OnBytes(std::string_view bytes, SimDevice& dev, SimLink& link) override;
  bool OnHostClose(SimDevice& dev, SimLink& link) override;
  void OnTick(SimDevice& dev, SimLink& link) override;

  const FlashLayout& layout() const { return layout_; }
  const FlashMemory& flash() const { return flash_; }

 private:
  enum class State { Waiting, Attached, PoweredOff };
  struct Outcome {
    std::string answer;
    uint32_t busyMs = 0;  // time the flash operation takes before the answer
    bool blockDone = false;
  };

  void Attach();
  void OnLine(SimLink& link);
  Outcome Framed(char command, std::string_view payload);
  Outcome SetAddress(std::string_view payload);
  Outcome EraseSegment(std::string_view payload);
  Outcome ProgramBlock(std::string_view payload);
  Outcome ProgramVectors(std::string_view payload);

  FlashLayout layout_;
  FlashMemory flash_;
  BootloaderFaults faults_;
  bool realtime_ = false;

  State state_ = State::Waiting;
  bool baudPending_ = false;  // the UART moves to the boot rate once the interpreter's "OK" is out
  bool lineStart_ = true;     // waiting: the next character starts a line
  std::string line_;          // attached: the line so far, without its "\r"
  bool lineTooLong_ = false;
  std::optional<uint32_t> address_;  // where the next data block goes
  uint32_t blocksDone_ = 0;          // data blocks programmed since the host attached
  uint32_t framedCommands_ = 0;      // since power-up
  uint32_t refusals_ = 0;
  bool powerLost_ = false;
  bool unfinished_ = false;  // erased or programmed since the last vector table
};
