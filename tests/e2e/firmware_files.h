#pragma once
// TI-Text firmware files for tests, in the layout that a simulated device runs and checks
// (firmware/LAYOUT.md): the model text, the CRC-16 and length of the code, the code; the reset
// vector pointing at the code.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace testfw {

inline uint16_t Crc16(const std::vector<uint8_t>& data) {
  uint16_t crc = 0xFFFF;
  for (uint8_t byte : data) {
    crc ^= static_cast<uint16_t>(byte << 8);
    for (int i = 0; i < 8; ++i)
      crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

inline void HexLines(std::string& out, const std::vector<uint8_t>& bytes) {
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
    out += buf;
    out += (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ";
  }
}

// A TI-Text file naming itself model ("HSRB 2.10"), with codeLength bytes of code at base.
inline std::string TiText(const std::string& model, uint32_t base = 0x1100,
                          size_t codeLength = 1024) {
  std::vector<uint8_t> code(codeLength);
  uint32_t seed = 12345;
  for (uint8_t& b : code) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  std::vector<uint8_t> section(16, 0);
  for (size_t i = 0; i < model.size() && i < 16; ++i) section[i] = static_cast<uint8_t>(model[i]);
  uint16_t crc = Crc16(code);
  section.push_back(static_cast<uint8_t>(crc));
  section.push_back(static_cast<uint8_t>(crc >> 8));
  section.push_back(static_cast<uint8_t>(codeLength));
  section.push_back(static_cast<uint8_t>(codeLength >> 8));
  section.insert(section.end(), code.begin(), code.end());

  char address[16];
  std::string out;
  std::snprintf(address, sizeof address, "@%04X\n", base);
  out += address;
  HexLines(out, section);
  std::vector<uint8_t> vectors(32, 0xFF);
  uint32_t entry = base + 0x14;
  vectors[30] = static_cast<uint8_t>(entry);
  vectors[31] = static_cast<uint8_t>(entry >> 8);
  out += "@FFE0\n";
  HexLines(out, vectors);
  out += "q\n";
  return out;
}

inline std::string WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

}  // namespace testfw
