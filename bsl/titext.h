#pragma once
// TI-Text firmware files: "@" address lines, lines of hexadecimal bytes, a closing "q".
// Pure parsing, no files and no logging: the build's embedding tool uses it too.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint32_t kTIVectorStart = 0xFFE0;
inline constexpr uint32_t kTIVectorEnd = 0xFFFE;
inline constexpr uint32_t kTISkipStart = 0xFA00;  // never programmed from a file
inline constexpr uint32_t kTISkipEnd = 0xFDFE;
inline constexpr uint32_t kTIMaxAddress = 0xFFFFF;  // five digits in the image text

struct TITextImage {
  // Sections "@%05X" then four hex digits per little-endian word (bytes B2 40 give 40B2).
  std::string imageText;
  // Words for 0xFFE0 ... 0xFFFE; 0xFFFF where the file sets none.
  std::array<uint32_t, 16> vectors{};
};

enum class TITextResult {
  Ok,
  NotTIText,  // does not start with "@" or has no "q" (callers say nothing about these)
  Invalid,    // a malformed section, a partial or overflowing vector section, no vectors
};

// Parses file into out. out is written only when the result is Ok. Throws std::bad_alloc
// when memory runs out (callers turn that into their code).
TITextResult ParseTIText(std::string_view file, TITextImage& out);
