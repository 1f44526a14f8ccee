#include "sim/flash_code.h"

#include <algorithm>
#include <array>
#include <vector>

uint16_t CodeCrc16(std::span<const uint8_t> bytes) {
  uint16_t crc = 0xFFFF;
  for (uint8_t b : bytes) {
    crc = static_cast<uint16_t>(crc ^ (b << 8));
    for (int i = 0; i < 8; ++i)
      crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code area must lie in the flash piece that starts at flashStart.
uint32_t CodeAreaEnd(const FlashLayout& l) { return std::min(l.flashLimit, kProtectedStart); }

}  // namespace

bool SplitModelText(std::string_view text, std::string* code, std::string* version) {
  size_t space = text.find(' ');
  if (space == std::string_view::npos || space == 0) return false;
  std::string_view c = text.substr(0, space), v = text.substr(space + 1);
  for (char ch : c)
    if (ch <= ' ' || ch > '~') return false;
  // M.DD: one or two digits, a point, two digits.
  size_t dot = v.find('.');
  if (dot == std::string_view::npos || dot < 1 || dot > 2 || v.size() != dot + 3) return false;
  for (size_t i = 0; i < v.size(); ++i)
    if (i != dot && !IsDigit(v[i])) return false;
  if (code) *code = std::string(c);
  if (version) *version = std::string(v);
  return true;
}

FlashCode ReadFlashCode(const FlashMemory& flash, const FlashLayout& layout) {
  FlashCode result;
  auto header = flash.Read(layout.flashStart, kCodeOffset);
  if (header.size() != kCodeOffset) return result;

  // The text ends at its first NUL; everything after it must be NUL padding.
  auto text_end = std::find(header.begin(), header.begin() + kModelTextSize, uint8_t{0});
  if (std::any_of(text_end, header.begin() + kModelTextSize, [](uint8_t b) { return b != 0; })) return result;
  std::string text(header.begin(), text_end);
  if (!SplitModelText(text, &result.code, &result.version)) return result;

  uint32_t entry = layout.flashStart + kCodeOffset;
  uint32_t length = flash.Word(layout.flashStart + kCodeLengthOffset);
  if (flash.Word(kResetVector) != entry || length == 0 || entry + length > CodeAreaEnd(layout)) {
    result.code.clear();
    result.version.clear();
    return result;
  }
  result.runnable = true;
  result.good = CodeCrc16(flash.Read(entry, length)) == flash.Word(layout.flashStart + kCodeCheckOffset);
  return result;
}

void InstallFactoryFirmware(FlashMemory& flash, const FlashLayout& layout, std::string_view modelText) {
  // A fixed pseudo-random fill that never reads as erased, so that programming over it without
  // an erase is noticed anywhere.
  uint32_t seed = 0x2545F491;
  auto fill = [&](uint32_t start, uint32_t end) {
    std::vector<uint8_t> bytes(end > start ? end - start : 0);
    for (auto& b : bytes) {
      seed = seed * 1103515245u + 12345u;
      b = static_cast<uint8_t>(seed >> 16);
      if (b == 0xFF) b = 0x3F;
    }
    flash.Overwrite(start, bytes);
  };
  fill(layout.infoStart, InfoEnd(layout));
  fill(layout.flashStart, CodeAreaEnd(layout));
  if (layout.flashLimit > kProtectedEnd) fill(kProtectedEnd, layout.flashLimit);
  fill(kProtectedStart, kVectorStart);  // the bootloader itself

  std::array<uint8_t, kCodeOffset> header{};
  std::copy_n(modelText.begin(), std::min<size_t>(modelText.size(), kModelTextSize - 1), header.begin());
  uint32_t entry = layout.flashStart + kCodeOffset;
  uint32_t length = std::min<uint32_t>(0x2000, CodeAreaEnd(layout) - entry);
  uint16_t crc = CodeCrc16(flash.Read(entry, length));
  header[kCodeCheckOffset] = static_cast<uint8_t>(crc);
  header[kCodeCheckOffset + 1] = static_cast<uint8_t>(crc >> 8);
  header[kCodeLengthOffset] = static_cast<uint8_t>(length);
  header[kCodeLengthOffset + 1] = static_cast<uint8_t>(length >> 8);
  flash.Overwrite(layout.flashStart, header);

  std::array<uint8_t, kVectorCount * 2> vectors{};
  for (uint32_t i = 0; i < kVectorCount; ++i) {
    vectors[2 * i] = static_cast<uint8_t>(entry);
    vectors[2 * i + 1] = static_cast<uint8_t>(entry >> 8);
  }
  flash.Overwrite(kVectorStart, vectors);
}
