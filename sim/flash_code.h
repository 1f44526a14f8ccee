#pragma once
// The application code as the device finds it in flash at the start of its flash area:
// 16 bytes of model text ("MTQ 3.61", NUL-padded), the CRC-16 of the code (little-endian),
// the code length L (little-endian), then L bytes of code. The reset vector points at the code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sim/flash_layout.h"
#include "sim/flash_memory.h"

inline constexpr uint32_t kModelTextSize = 16;
inline constexpr uint32_t kCodeCheckOffset = 0x10;
inline constexpr uint32_t kCodeLengthOffset = 0x12;
inline constexpr uint32_t kCodeOffset = 0x14;
inline constexpr uint32_t kResetVector = 0xFFFE;

struct FlashCode {
  bool runnable = false;  // model text of the form "CODE M.DD" and the reset vector at the code
  bool good = false;      // the CRC over the programmed code matches its check value
  std::string code;       // "MTQ"
  std::string version;    // "3.61"
};

// CRC-16, polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR.
uint16_t CodeCrc16(std::span<const uint8_t> bytes);

// Reads the code's identity and checks it, as the device's start-up code and "post" do.
FlashCode ReadFlashCode(const FlashMemory& flash, const FlashLayout& layout);

// Splits "CODE M.DD" into code and version; false when the text does not have that form.
bool SplitModelText(std::string_view text, std::string* code, std::string* version);

// Fills a new device's memory as it left the factory running modelText ("MTQ 3.50"): the
// application flash holds code from end to end (nothing in it reads as erased), INFO holds
// calibration data, the bootloader and a vector table pointing at the code sit at the top.
void InstallFactoryFirmware(FlashMemory& flash, const FlashLayout& layout, std::string_view modelText);
