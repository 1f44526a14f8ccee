// The Windows description rule of "Computer Information".

#include "web/describe_windows.h"

#include <gtest/gtest.h>

namespace {

struct WindowsCase {
  WindowsVersion version;
  const char* text;
};

TEST(DescribeWindows, FollowsTheTable) {
  const WindowsCase cases[] = {
      {{kPlatformWin9x, 4, 0, 0x040003B6, ""}, "Windows 95  (Version 4.0 build 950)"},
      {{kPlatformWin9x, 4, 10, 0x040A08AE, " A"}, "Windows 98  A (Version 4.10 build 2222)"},
      {{kPlatformWin9x, 4, 90, 0x045A0BB8, ""}, "Windows ME  (Version 4.90 build 3000)"},
      {{kPlatformWin9x, 4, 3, 1, ""}, " (Version 4.3 build 1)"},
      {{kPlatformWin9x, 5, 0, 0x00010002, ""}, "Unknown Win32  (Version 5.0 build 2)"},
      {{kPlatformWinNT, 3, 51, 1057, ""}, "Windows NT 3.51  (Version 3.51 build 1057)"},
      {{kPlatformWinNT, 4, 0, 1381, "Service Pack 6"},
       "Windows NT 4.0 Service Pack 6 (Version 4.0 build 1381)"},
      {{kPlatformWinNT, 5, 0, 2195, "Service Pack 4"},
       "Windows 2000 Service Pack 4 (Version 5.0 build 2195)"},
      {{kPlatformWinNT, 5, 1, 2600, "Service Pack 2"},
       "Windows XP Service Pack 2 (Version 5.1 build 2600)"},
      {{kPlatformWinNT, 5, 2, 3790, ""}, "Windows Server 2003  (Version 5.2 build 3790)"},
      {{kPlatformWinNT, 5, 3, 1, ""}, " (Version 5.3 build 1)"},
      {{kPlatformWinNT, 6, 1, 7601, "Service Pack 1"},
       "Windows Vista Service Pack 1 (Version 6.1 build 7601)"},
      {{kPlatformWinNT, 10, 0, 0x00019045, ""}, "Unknown WinNT  (Version 10.0 build 102469)"},
      {{0, 1, 0, 5, ""}, "Unknown Windows Platform  (Version 1.0 build 5)"},
  };
  for (const WindowsCase& c : cases) EXPECT_EQ(DescribeWindows(c.version), c.text);
}

}  // namespace
