#pragma once
// What the newer-version check tells the user, and when it stays silent.

#include <cstdint>
#include <optional>
#include <string>

#include "web/version_reply.h"

// Outcome codes of a check; the failures are the ones the dialogs name.
enum VersionOutcome : int32_t {
  kVersionNoCheck = 0,  // no path or no version of this build: nothing asked
  kVersionNewer = 1,    // the service offers a newer build
  kVersionLatest = 2,   // this build is the newest
  kVersionOlder = 3,    // this build is newer than the service's
  kVersionConnectError = -1001,
  kVersionParseError = -1002,
};

// Kinds of ShowMessageDialog.
enum DialogKind : int {
  kDialogWarning = 0,
  kDialogError = 1,
  kDialogInformation = 2,
  kDialogConfirmation = 3
};

struct VersionCheckResult {
  int32_t outcome = kVersionNoCheck;
  VersionReply reply;     // filled when the service's file was read
  std::string errorText;  // the request's error message, for kVersionConnectError
};

struct DialogText {
  std::string caption;
  std::string text;
  int kind = kDialogInformation;
  bool yesNo = false;
};

// Outcome of comparing the version found with this build's (unsigned comparison).
int32_t CompareVersions(uint32_t found, uint32_t thisVersion);

// The dialog the check shows for result, or none: a silent check shows only the offer of a
// newer build; no check shows nothing.
std::optional<DialogText> VersionCheckDialog(const VersionCheckResult& result,
                                             const std::string& productText, bool silent);

// Shown when the browser could not be started on the offered address.
DialogText BrowserLaunchErrorDialog(const std::string& productText, const std::string& address);

// The outcome in words for a terminal, which cannot answer the offer's question.
std::string VersionCheckTerminalText(const VersionCheckResult& result,
                                     const std::string& productText);
