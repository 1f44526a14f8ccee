#pragma once
// Reading the lines a host sends to the attached bootloader: the command character, the
// payload, ".", and four hexadecimal digits of the sum of every character before them
// (the "." included) modulo 0xFFFF.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

inline constexpr size_t kMaxFramePayload = 512;

enum class FrameStatus { Ok, Malformed, BadChecksum };

struct BootFrame {
  char command = 0;
  std::string_view payload;  // points into the line
};

// line is without its "\r".
FrameStatus ReadBootFrame(std::string_view line, BootFrame* frame);

// 1 to 8 hexadecimal digits (either case) as a number.
std::optional<uint32_t> HexNumber(std::string_view digits);
// Data of a "W" frame: 16-bit words of four hexadecimal digits each, most significant digit
// first, turned into the bytes they put in memory (low byte first: "40B2" is B2 40).
// nullopt when the count is not a multiple of four or a character is not a digit.
std::optional<std::vector<uint8_t>> WordBytes(std::string_view text);
