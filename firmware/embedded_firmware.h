#pragma once
// The firmware image built into the program: generated from the TI-Text file in this folder
// when the program is built (see CMakeLists.txt).

#include <cstdint>

struct EmbeddedFirmware {
  char modelText[12];      // NUL-padded, "MTQ 3.61"
  int8_t deviceType;       // a DeviceType
  uint32_t vectors[16];    // words for 0xFFE0 ... 0xFFFE
  const char* imageText;   // NUL-terminated image text: "@01100" then four hex digits per word
  uint32_t expectedLength;  // build constants the host checks when it installs the image
  uint32_t expectedSum;     // sum of the character codes of the image text
};

extern const EmbeddedFirmware kEmbeddedFirmware;
