#include "sim/flash_memory.h"

#include <algorithm>

FlashMemory::FlashMemory(uint32_t size) : bytes_(size, 0xFF) {}

bool FlashMemory::Erase(uint32_t start, uint32_t end) {
  if (end < start || !Fits(start, uint64_t{end} - start)) return false;
  std::fill(bytes_.begin() + start, bytes_.begin() + end, uint8_t{0xFF});
  return true;
}

FlashMemory::ProgramResult FlashMemory::Program(uint32_t address, std::span<const uint8_t> data) {
  if (!Fits(address, data.size())) return ProgramResult::OutOfRange;
  for (size_t i = 0; i < data.size(); ++i) {
    uint8_t old = bytes_[address + i];
    if (old != 0xFF && old != data[i]) return ProgramResult::NotErased;
  }
  std::copy(data.begin(), data.end(), bytes_.begin() + address);
  return ProgramResult::Ok;
}

bool FlashMemory::Overwrite(uint32_t address, std::span<const uint8_t> data) {
  if (!Fits(address, data.size())) return false;
  std::copy(data.begin(), data.end(), bytes_.begin() + address);
  return true;
}

std::span<const uint8_t> FlashMemory::Read(uint32_t address, uint32_t count) const {
  if (address >= bytes_.size()) return {};
  uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(bytes_.size()) - address);
  return std::span<const uint8_t>(bytes_).subspan(address, n);
}

uint16_t FlashMemory::Word(uint32_t address) const {
  if (!Fits(address, 2)) return 0xFFFF;
  return static_cast<uint16_t>(bytes_[address] | (bytes_[address + 1] << 8));
}
