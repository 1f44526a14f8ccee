// What the version check shows, and its silent rules.

#include "web/version_texts.h"

#include <gtest/gtest.h>

namespace {

const char kProduct[] = "Vapora MTQ Firmware Updater";

VersionCheckResult Result(int32_t outcome, uint32_t version = 0, const char* address = "",
                          bool download = false, const char* error = "") {
  VersionCheckResult result;
  result.outcome = outcome;
  result.reply.version = version;
  result.reply.webAddress = address;
  result.reply.download = download;
  result.errorText = error;
  return result;
}

TEST(VersionTexts, ComparesUnsigned) {
  EXPECT_EQ(CompareVersions(362, 361), kVersionNewer);
  EXPECT_EQ(CompareVersions(361, 361), kVersionLatest);
  EXPECT_EQ(CompareVersions(360, 361), kVersionOlder);
  EXPECT_EQ(CompareVersions(0, 361), kVersionOlder);
}

struct SilenceCase {
  int32_t outcome;
  bool shownFromMenu;
  bool shownSilently;
  const char* caption;
};

TEST(VersionTexts, SilentCheckShowsOnlyTheOffer) {
  const SilenceCase cases[] = {
      {kVersionNoCheck, false, false, ""},
      {kVersionNewer, true, true, "New Version Available"},
      {kVersionLatest, true, false, "Version Finder"},
      {kVersionOlder, true, false, "Version Finder"},
      {kVersionConnectError, true, false, "Version Check Error"},
      {kVersionParseError, true, false, "Version Check Error"},
  };
  for (const SilenceCase& c : cases) {
    SCOPED_TRACE(c.outcome);
    const auto fromMenu =
        VersionCheckDialog(Result(c.outcome, 362, "http://x.example.com/"), kProduct, false);
    const auto silent =
        VersionCheckDialog(Result(c.outcome, 362, "http://x.example.com/"), kProduct, true);
    EXPECT_EQ(fromMenu.has_value(), c.shownFromMenu);
    EXPECT_EQ(silent.has_value(), c.shownSilently);
    if (fromMenu) {
      EXPECT_EQ(fromMenu->caption, c.caption);
    }
  }
}

TEST(VersionTexts, SampleTexts) {
  struct Sample {
    VersionCheckResult result;
    DialogText dialog;
  };
  const Sample samples[] = {
      {Result(kVersionNewer, 362, "http://x.example.com/MtqUpdater.exe", true),
       {"New Version Available",
        "There is newer version of Vapora MTQ Firmware Updater available for download.\n\n"
        "Would you like to download this new version with your web browser now?",
        kDialogInformation, true}},
      {Result(kVersionNewer, 500, "http://x.example.com/mtq.html"),
       {"New Version Available",
        "There is information about a newer version of Vapora MTQ Firmware Updater\n"
        "available at http://x.example.com/mtq.html\n\n"
        "Would you like to visit this page with your web browser now?",
        kDialogInformation, true}},
      {Result(kVersionLatest, 361),
       {"Version Finder", "You are using the latest version of Vapora MTQ Firmware Updater.",
        kDialogInformation, false}},
      {Result(kVersionOlder, 350),
       {"Version Finder",
        "You are running a newer version of Vapora MTQ Firmware Updater\n"
        "than is available from Quillon's web site.",
        kDialogInformation, false}},
      {Result(kVersionConnectError, 0, "", false, "Connection refused"),
       {"Version Check Error",
        "Error connecting to Quillon's version check service.\n"
        "This feature requires your computer to be connected \nto the internet.\n\n\n"
        "Please make a connection to the internet and try again.\n\nError: Connection refused",
        kDialogError, false}},
      {Result(kVersionConnectError),
       {"Version Check Error",
        "Error connecting to Quillon's version check service.\n"
        "This feature requires your computer to be connected \nto the internet.\n\n\n"
        "Please make a connection to the internet and try again.",
        kDialogError, false}},
      {Result(kVersionParseError),
       {"Version Check Error",
        "Error parsing the version information returned by \n"
        "Quillon's version check service.\n[error -1002]\n\n"
        "Please try again or contact Quillon for help.",
        kDialogError, false}},
  };
  for (const Sample& s : samples) {
    const auto dialog = VersionCheckDialog(s.result, kProduct, false);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->caption, s.dialog.caption);
    EXPECT_EQ(dialog->text, s.dialog.text);
    EXPECT_EQ(dialog->kind, s.dialog.kind);
    EXPECT_EQ(dialog->yesNo, s.dialog.yesNo);
  }
  const DialogText launch = BrowserLaunchErrorDialog(kProduct, "http://x.example.com/a.exe");
  EXPECT_EQ(launch.caption, "Web Browser Launch Error");
  EXPECT_EQ(launch.text,
            "Vapora MTQ Firmware Updater had trouble launching your web browser.\n"
            "Please try manually going to:\nhttp://x.example.com/a.exe");
  EXPECT_EQ(launch.kind, kDialogWarning);
}

}  // namespace
