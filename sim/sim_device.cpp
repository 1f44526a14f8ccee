#include "sim/sim_device.h"

#include <cctype>

namespace {

// The version as the device names itself: "3.50" stays, "3.5" becomes "3.50".
std::string NormalisedVersion(const std::string& v) {
  if (v.empty()) return "1.00";
  return v;
}

}  // namespace

SimDevice::SimDevice(const SimOptions& options)
    : options_(options), interpreter_(MakeInterpreter(options)), bootloader_(MakeBootloader(options)) {
  code = options.type;
  for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  version = NormalisedVersion(options.version);
  codeGood = !options.HasFault("code-corrupt");
  dataFlashFail = options.HasFault("dataflash-fail");
  if (!options.bootloader.empty() && bootloader_) mode_ = Mode::Bootloader;
}

SimDevice::~SimDevice() = default;

bool SimDevice::Silenced() const {
  // A device that stays silent for its first K sessions after a restart.
  long k = options_.FaultNumber("silent-sessions", 0);
  return k > 0 && restartedOnce_ && sessionsSinceRestart <= static_cast<uint32_t>(k);
}

void SimDevice::OnHostOpen(SimLink& link) {
  ++sessionsSinceRestart;
  if (mode_ == Mode::Bootloader && !bootloaderEntered_) {
    bootloaderEntered_ = true;
    bootloader_->Enter(*this, link, options_.bootloader == "attached");
  }
}

void SimDevice::OnHostClose(SimLink& link) {
  line_.clear();
  if (mode_ == Mode::Bootloader) {
    if (bootloader_->OnHostClose(*this, link)) Restart(link);
    return;
  }
  if (interpreter_) interpreter_->OnSessionEnd(*this);
}

void SimDevice::OnBytes(std::string_view bytes, SimLink& link) {
  if (mode_ == Mode::Bootloader) {
    bootloader_->OnBytes(bytes, *this, link);
    return;
  }
  if (Silenced()) return;
  if (interpreter_ && interpreter_->OnRawBytes(bytes, *this, link)) return;
  for (char c : bytes) {
    if (mode_ == Mode::Bootloader) {
      // "boot KELP" handed the line over: what follows is the bootloader's.
      bootloader_->OnBytes(std::string_view(&c, 1), *this, link);
      continue;
    }
    if (c == '\n') continue;
    if (c != '\r') {
      if (line_.size() < 1024) line_.push_back(c);
      continue;
    }
    std::string line;
    line.swap(line_);
    if (line.rfind("boot", 0) == 0 && (line.size() == 4 || line[4] == ' ')) {
      HandleBoot(line, link);
    } else if (interpreter_) {
      interpreter_->OnLine(line, *this, link);
    }
  }
}

void SimDevice::OnTick(SimLink& link) {
  if (mode_ == Mode::Bootloader && bootloader_) bootloader_->OnTick(*this, link);
}

void SimDevice::HandleBoot(const std::string& line, SimLink& link) {
  if (line != "boot KELP") {
    Answer(link, "ERROR");
  } else if (!bootloader_ || options_.HasFault("no-bootloader")) {
    Answer(link, "QuilBSL MISSING");
  } else {
    link.Send("\rOK\r");
    EnterBootloader(link, false);
  }
}

void SimDevice::Answer(SimLink& link, std::string_view body, uint32_t delayMs) {
  std::string text = "\r";
  text.append(body);
  text += "\r>";
  link.Send(text, delayMs);
}

void SimDevice::Prompt(SimLink& link, uint32_t delayMs) { link.Send("\r\r>", delayMs); }

void SimDevice::EnterBootloader(SimLink& link, bool attached) {
  if (!bootloader_) return;
  mode_ = Mode::Bootloader;
  bootloaderEntered_ = true;
  line_.clear();
  bootloader_->Enter(*this, link, attached);
}

void SimDevice::Restart(SimLink& link) {
  // The command interpreter always starts at 9600 baud.
  link.SetDeviceBaud(9600);
  mode_ = Mode::Interpreter;
  line_.clear();
  sessionsSinceRestart = 0;
  restartedOnce_ = true;
  if (interpreter_) interpreter_->OnRestart(*this);
}
