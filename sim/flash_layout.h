#pragma once
// Where a simulated device keeps its INFO memory, its application flash and its bootloader,
// and at what rate the bootloader talks: the device's own knowledge of its memory.

#include <cstdint>

#include "sim/sim_options.h"

// The bootloader and the interrupt vectors live here on every part; the application flash of
// the large parts continues above it.
inline constexpr uint32_t kProtectedStart = 0xFA00;
inline constexpr uint32_t kProtectedEnd = 0x10000;  // one past 0xFFFF
inline constexpr uint32_t kVectorStart = 0xFFE0;    // 16 little-endian words
inline constexpr uint32_t kVectorCount = 16;
inline constexpr uint32_t kFlashSegmentSize = 512;

struct FlashLayout {
  uint32_t flashStart = 0;  // first application address
  uint32_t flashLimit = 0;  // one past the last application address (may lie above 0x10000)
  uint32_t infoStart = 0;
  uint32_t infoSegments = 0;
  uint32_t infoSegmentSize = 0;
  uint32_t bootBaud = 9600;
};

enum class MemoryRegion { None, Info, Flash, Protected };

// The layout of the device these options describe (its type code and, for the digital
// sensor, its firmware version).
FlashLayout FlashLayoutFor(const SimOptions& options);

MemoryRegion RegionOf(const FlashLayout& layout, uint32_t address);
inline uint32_t InfoEnd(const FlashLayout& l) { return l.infoStart + l.infoSegments * l.infoSegmentSize; }
// Size of the memory array that holds every address of the layout, the vectors included.
uint32_t MemorySize(const FlashLayout& layout);

struct AddressRange {
  uint32_t start = 0;
  uint32_t end = 0;  // one past the last address
};

// The erase segment that holds address: an INFO segment, or a 512-byte flash segment on the
// grid that starts at flashStart (and again at 0x10000 above the protected area), cut short
// where the flash piece ends. Empty (start == end) outside INFO and application flash.
AddressRange SegmentAt(const FlashLayout& layout, uint32_t address);
// The contiguous piece of INFO or application flash that holds address (empty elsewhere).
AddressRange PieceAt(const FlashLayout& layout, uint32_t address);
