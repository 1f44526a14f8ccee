#include "sim/bootloader_frame.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<uint32_t> HexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return value;
}

std::optional<std::vector<uint8_t>> WordBytes(std::string_view text) {
  constexpr size_t kDigits = 4;
  if (text.size() % kDigits != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += kDigits) {
    auto word = HexNumber(text.substr(i, kDigits));
    if (!word) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*word & 0xFF));
    bytes.push_back(static_cast<uint8_t>(*word >> 8));
  }
  return bytes;
}

FrameStatus ReadBootFrame(std::string_view line, BootFrame* frame) {
  constexpr size_t kCheckDigits = 4;
  // command, ".", check digits at the least
  if (line.size() < 2 + kCheckDigits) return FrameStatus::Malformed;
  size_t dot = line.size() - kCheckDigits - 1;
  if (line[dot] != '.' || dot - 1 > kMaxFramePayload) return FrameStatus::Malformed;
  auto check = HexNumber(line.substr(dot + 1));
  if (!check) return FrameStatus::Malformed;

  uint32_t sum = 0;
  for (size_t i = 0; i <= dot; ++i) sum += static_cast<unsigned char>(line[i]);
  if (sum % 0xFFFF != *check) return FrameStatus::BadChecksum;

  frame->command = line[0];
  frame->payload = line.substr(1, dot - 1);
  return FrameStatus::Ok;
}
