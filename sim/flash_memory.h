#pragma once
// The device's flash: erased bytes read 0xFF, and programming can only clear bits of an erased
// byte. A block is programmed whole or not at all.

#include <cstdint>
#include <span>
#include <vector>

class FlashMemory {
 public:
  // size bytes from address 0, all erased.
  explicit FlashMemory(uint32_t size);

  uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }

  // Sets [start, end) to 0xFF. False (nothing erased) when the range leaves the memory.
  bool Erase(uint32_t start, uint32_t end);

  enum class ProgramResult { Ok, OutOfRange, NotErased };
  // Programs bytes from address. Every byte must be erased or already hold its new value
  // (writing the same data twice changes nothing); otherwise nothing is written.
  ProgramResult Program(uint32_t address, std::span<const uint8_t> data);

  // Writes without the erase rule: the bootloader rewriting its own vector table, or the
  // factory filling the memory. False when the range leaves the memory.
  bool Overwrite(uint32_t address, std::span<const uint8_t> data);

  // Bytes [address, address + count), cut short at the end of the memory.
  std::span<const uint8_t> Read(uint32_t address, uint32_t count) const;
  uint16_t Word(uint32_t address) const;  // little-endian; 0xFFFF outside the memory

 private:
  bool Fits(uint32_t address, uint64_t count) const { return address + count <= bytes_.size(); }
  std::vector<uint8_t> bytes_;
};
