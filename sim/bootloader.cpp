#include "sim/bootloader.h"

#include <array>

#include "sim/bootloader_frame.h"
#include "sim/flash_code.h"

namespace {

// Longest line a host can mean: command, 512 payload characters, ".", four check digits.
constexpr size_t kMaxLine = 1 + kMaxFramePayload + 1 + 4;

// Flash timing of the device family; in tests the flash is instantaneous.
constexpr uint32_t kSegmentEraseMs = 16;
constexpr uint32_t kProgramUsPerByte = 50;
constexpr uint32_t kInterpreterBaud = 9600;
// Long enough for the interpreter's "\rOK\r" to leave at 9600 baud before the rate changes.
constexpr uint32_t kBaudSwitchMs = 20;

const std::string kAck = "+\r";
const std::string kRefused = "-\r";

bool AddressDigits(std::string_view payload) { return payload.size() == 4 || payload.size() == 5; }

}  // namespace

QuilBootloader::QuilBootloader(const SimOptions& options)
    : layout_(FlashLayoutFor(options)),
      flash_(MemorySize(layout_)),
      faults_(ReadBootloaderFaults(options)),
      realtime_(options.realtime) {
  InstallFactoryFirmware(flash_, layout_, options.type + " " + options.version);
  if (!options.bootloader.empty()) {
    // Started in the bootloader as after an interrupted update: INFO and the first flash
    // segment are erased, nothing runnable is left.
    flash_.Erase(layout_.infoStart, InfoEnd(layout_));
    AddressRange first = SegmentAt(layout_, layout_.flashStart);
    flash_.Erase(first.start, first.end);
    unfinished_ = true;
  }
}

void QuilBootloader::Enter(SimDevice&, SimLink& link, bool attached) {
  if (link.DeviceBaud() != layout_.bootBaud) {
    baudPending_ = true;
    link.WakeAfter(kBaudSwitchMs);
  }
  line_.clear();
  lineTooLong_ = false;
  lineStart_ = true;
  if (attached) {
    Attach();
  } else {
    state_ = State::Waiting;
  }
}

void QuilBootloader::OnTick(SimDevice&, SimLink& link) {
  if (!baudPending_) return;
  baudPending_ = false;
  link.SetDeviceBaud(layout_.bootBaud);
}

void QuilBootloader::Attach() {
  state_ = State::Attached;
  address_.reset();
  blocksDone_ = 0;
}

void QuilBootloader::OnBytes(std::string_view bytes, SimDevice&, SimLink& link) {
  for (char c : bytes) {
    switch (state_) {
      case State::PoweredOff:
        return;
      case State::Waiting:
        if (c == '\r') {
          link.Send("$");
          lineStart_ = true;
        } else if (c == 'P' && lineStart_) {
          link.Send("#");
          Attach();
        } else if (c != '\n') {
          lineStart_ = false;
        }
        break;
      case State::Attached:
        if (c == '\r') {
          OnLine(link);
          line_.clear();
          lineTooLong_ = false;
        } else if (c != '\n') {
          if (line_.size() < kMaxLine)
            line_ += c;
          else
            lineTooLong_ = true;
        }
        break;
    }
  }
}

void QuilBootloader::OnLine(SimLink& link) {
  if (line_.empty()) {
    link.Send("?");
    return;
  }
  char command = line_[0];
  if (command != 'g' && command != '@' && command != 'W' && command != 'X' && command != 'V') {
    link.Send("?\r");
    return;
  }

  Outcome outcome;
  if (command == 'g') {
    // Answered even without a valid frame, so that a host probing with "get -ver" learns
    // that the bootloader runs.
    outcome.answer = "+" + std::to_string(kBootloaderVersion) + "+\r";
  } else {
    BootFrame frame;
    if (lineTooLong_ || ReadBootFrame(line_, &frame) != FrameStatus::Ok)
      outcome.answer = kRefused;
    else
      outcome = Framed(frame.command, frame.payload);
  }

  ++framedCommands_;
  if (framedCommands_ != faults_.loseAnswer) link.Send(outcome.answer, realtime_ ? outcome.busyMs : 0);

  if (outcome.blockDone && !powerLost_ && blocksDone_ == faults_.powerLossAfterBlock) {
    powerLost_ = true;
    state_ = State::PoweredOff;
  }
}

QuilBootloader::Outcome QuilBootloader::Framed(char command, std::string_view payload) {
  switch (command) {
    case '@':
      return SetAddress(payload);
    case 'X':
      return EraseSegment(payload);
    case 'W':
      return ProgramBlock(payload);
    case 'V':
      return ProgramVectors(payload);
    default:
      return {kRefused};
  }
}

QuilBootloader::Outcome QuilBootloader::SetAddress(std::string_view payload) {
  auto address = AddressDigits(payload) ? HexNumber(payload) : std::nullopt;
  MemoryRegion region = address ? RegionOf(layout_, *address) : MemoryRegion::None;
  if (region != MemoryRegion::Info && region != MemoryRegion::Flash) return {kRefused};
  address_ = *address;
  return {kAck};
}

QuilBootloader::Outcome QuilBootloader::EraseSegment(std::string_view payload) {
  auto address = AddressDigits(payload) ? HexNumber(payload) : std::nullopt;
  // The protected area holds the bootloader itself; SegmentAt is empty there.
  AddressRange segment = address ? SegmentAt(layout_, *address) : AddressRange{};
  if (segment.start == segment.end || !flash_.Erase(segment.start, segment.end)) return {kRefused};
  unfinished_ = true;
  return {kAck, kSegmentEraseMs};
}

QuilBootloader::Outcome QuilBootloader::ProgramBlock(std::string_view payload) {
  auto data = payload.empty() ? std::nullopt : WordBytes(payload);
  if (!data || !address_) return {kRefused};

  uint32_t block = blocksDone_ + 1;
  if (block == faults_.refuseBlock && refusals_ < faults_.refuseTimes) {
    ++refusals_;
    return {kRefused};
  }

  // A block stays inside one piece of INFO or application flash.
  AddressRange piece = PieceAt(layout_, *address_);
  uint64_t end = uint64_t{*address_} + data->size();
  if (piece.start == piece.end || end > piece.end) return {kRefused};
  if (flash_.Program(*address_, *data) != FlashMemory::ProgramResult::Ok) return {kRefused};

  unfinished_ = true;
  *address_ += static_cast<uint32_t>(data->size());
  blocksDone_ = block;
  uint32_t busy = static_cast<uint32_t>((data->size() * kProgramUsPerByte + 999) / 1000);
  return {kAck, busy, true};
}

QuilBootloader::Outcome QuilBootloader::ProgramVectors(std::string_view payload) {
  constexpr size_t kDigits = 4;
  if (payload.size() != kVectorCount * kDigits) return {kRefused};
  std::array<uint8_t, kVectorCount * 2> table{};
  for (size_t i = 0; i < kVectorCount; ++i) {
    auto value = HexNumber(payload.substr(i * kDigits, kDigits));
    if (!value) return {kRefused};
    table[2 * i] = static_cast<uint8_t>(*value);
    table[2 * i + 1] = static_cast<uint8_t>(*value >> 8);
  }
  // The bootloader erases and rewrites its own top segment around the table.
  flash_.Overwrite(kVectorStart, table);
  unfinished_ = false;
  uint32_t busy = kSegmentEraseMs + static_cast<uint32_t>((table.size() * kProgramUsPerByte + 999) / 1000);
  return {"+", busy};
}

bool QuilBootloader::OnHostClose(SimDevice& dev, SimLink& link) {
  line_.clear();
  lineTooLong_ = false;
  if (state_ == State::PoweredOff) {
    // Power is back: the bootloader starts and waits for a host.
    state_ = State::Waiting;
    lineStart_ = true;
    return false;
  }
  if (unfinished_) return false;
  FlashCode code = ReadFlashCode(flash_, layout_);
  if (!code.runnable) return false;
  dev.code = code.code;
  dev.version = code.version;
  dev.codeGood = code.good;
  baudPending_ = false;
  link.SetDeviceBaud(kInterpreterBaud);
  return true;
}

std::unique_ptr<SimBootloader> MakeBootloader(const SimOptions& options) {
  return std::make_unique<QuilBootloader>(options);
}
