#pragma once
// The "Computer Information" of a feedback: the running system in one line.

#include <cstdint>
#include <string>

// What Windows reports about itself.
struct WindowsVersion {
  uint32_t platform = 0;  // 1 the Windows 9x family, 2 the NT family
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string servicePack;  // "Service Pack 1", or empty
};

inline constexpr uint32_t kPlatformWin9x = 1;
inline constexpr uint32_t kPlatformWinNT = 2;

// "Windows XP Service Pack 2 (Version 5.1 build 2600)": a name for the platform and version,
// the service pack text, then the numbers. The 9x family reports the build in the low 16 bits.
std::string DescribeWindows(const WindowsVersion& version);

// The system this program runs on: distribution, kernel and processor architecture,
// for example "Debian GNU/Linux 12 (bookworm) (linux 6.1.0-13-amd64, x86_64)".
std::string DescribeRunningSystem();
