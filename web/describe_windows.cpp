#include "web/describe_windows.h"

namespace {

std::string Win9xName(uint32_t major, uint32_t minor) {
  if (major != 4) return "Unknown Win32 ";
  switch (minor) {
    case 0:
      return "Windows 95 ";
    case 10:
      return "Windows 98 ";
    case 90:
      return "Windows ME ";
    default:
      return "";
  }
}

std::string WinNTName(uint32_t major, uint32_t minor) {
  if (major <= 4) return "Windows NT " + std::to_string(major) + "." + std::to_string(minor) + " ";
  if (major == 5) {
    switch (minor) {
      case 0:
        return "Windows 2000 ";
      case 1:
        return "Windows XP ";
      case 2:
        return "Windows Server 2003 ";
      default:
        return "";
    }
  }
  if (major == 6) return "Windows Vista ";
  return "Unknown WinNT ";
}

}  // namespace

std::string DescribeWindows(const WindowsVersion& version) {
  std::string name;
  uint32_t build = version.build;
  if (version.platform == kPlatformWin9x) {
    name = Win9xName(version.major, version.minor);
    build &= 0xFFFF;
  } else if (version.platform == kPlatformWinNT) {
    name = WinNTName(version.major, version.minor);
  } else {
    name = "Unknown Windows Platform ";
  }
  return name + version.servicePack + " (Version " + std::to_string(version.major) + "." +
         std::to_string(version.minor) + " build " + std::to_string(build) + ")";
}
