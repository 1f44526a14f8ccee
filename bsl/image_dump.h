#pragma once
// The human-readable dump of a firmware image: word values as they stand in the image text.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Each section as its "@" line and then 32 characters a line; then the line @FFE0 and the 16
// vectors in two lines of eight "%04X" values. No "q": the dump is not read back.
std::string FormatImageDump(std::string_view imageText, std::span<const uint32_t> vectors);
