#pragma once
// The bootloader's framed commands as byte strings: building a frame, reading an answer.
// Pure functions; the session (bsl_session.cpp) puts them on the wire.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Sum of the character codes modulo 65535 (not 65536).
uint32_t BSLChecksum(std::string_view text);

// command + payload + "." + checksum as "%04X" + "\r" into out. Returns the frame's length,
// or 0 when it does not fit.
uint32_t BSLBuildFrame(char command, std::string_view payload, std::span<char> out);

// Numbers as "%04X" each, or "%05X" when wide, into out. Returns the payload's length, or 0
// when a number does not fit its digits or the payload does not fit out.
uint32_t BSLFormatNumbers(const uint32_t* numbers, uint32_t count, bool wide, std::span<char> out);

// The meaning of an answer of count characters: count when acknowledged ("+" first, or "+"
// second), -1 refused or not understood, -21 when empty.
int32_t BSLClassifyAnswer(std::string_view answer);

// The version in a "+%d+" answer; false when no number follows the "+".
bool BSLParseVersion(std::string_view answer, int32_t& version);
