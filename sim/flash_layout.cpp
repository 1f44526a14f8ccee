#include "sim/flash_layout.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr FlashLayout kStandard{0x1100, kProtectedStart, 0x1000, 2, 128, 9600};
constexpr FlashLayout kWide{0x2100, 0x20000, 0x1000, 3, 64, 57600};
constexpr FlashLayout kQhm{0x5C00, 0x3C000, 0x1800, 3, 128, 57600};
constexpr FlashLayout kSensorSmall = kStandard;
constexpr FlashLayout kSensorLarge{0x8000, kProtectedStart, 0x1000, 3, 64, 9600};

struct TypeLayout {
  std::string_view code;
  FlashLayout layout;
};

// Types not listed use the standard layout. The digital sensor is handled by version.
constexpr std::array kTypeLayouts{
    TypeLayout{"RV", kWide},
    TypeLayout{"V8X", kWide},
    TypeLayout{"TRNK6", kWide},
    TypeLayout{"QHM", kQhm},
};

bool SameCode(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    return up(x) == up(y);
  });
}

// "2.49" -> 249, "2.5" -> 250; 0 when unreadable.
unsigned VersionNumber(std::string_view text) {
  size_t dot = text.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 3 || text.size() < dot + 2 || text.size() > dot + 3)
    return 0;
  unsigned value = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == dot) continue;
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return text.size() == dot + 2 ? value * 10 : value;
}

}  // namespace

FlashLayout FlashLayoutFor(const SimOptions& options) {
  if (SameCode(options.type, "SOLIX-KA")) {
    // Sensors with firmware before 2.50 are the small hardware revision.
    unsigned v = VersionNumber(options.version);
    return (v != 0 && v < 250) ? kSensorSmall : kSensorLarge;
  }
  for (const auto& row : kTypeLayouts)
    if (SameCode(options.type, row.code)) return row.layout;
  return kStandard;
}

MemoryRegion RegionOf(const FlashLayout& l, uint32_t a) {
  if (a >= l.infoStart && a < InfoEnd(l)) return MemoryRegion::Info;
  if (a >= kProtectedStart && a < kProtectedEnd) return MemoryRegion::Protected;
  if (a >= l.flashStart && a < l.flashLimit) return MemoryRegion::Flash;
  return MemoryRegion::None;
}

uint32_t MemorySize(const FlashLayout& l) { return std::max(l.flashLimit, kProtectedEnd); }

AddressRange PieceAt(const FlashLayout& l, uint32_t a) {
  switch (RegionOf(l, a)) {
    case MemoryRegion::Info:
      return {l.infoStart, InfoEnd(l)};
    case MemoryRegion::Flash:
      if (a < kProtectedStart) return {l.flashStart, std::min(l.flashLimit, kProtectedStart)};
      return {kProtectedEnd, l.flashLimit};
    default:
      return {a, a};
  }
}

AddressRange SegmentAt(const FlashLayout& l, uint32_t a) {
  AddressRange piece = PieceAt(l, a);
  if (piece.start == piece.end) return piece;
  uint32_t size = RegionOf(l, a) == MemoryRegion::Info ? l.infoSegmentSize : kFlashSegmentSize;
  uint32_t start = piece.start + (a - piece.start) / size * size;
  return {start, std::min(start + size, piece.end)};
}
