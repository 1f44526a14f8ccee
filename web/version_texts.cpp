#include "web/version_texts.h"

int32_t CompareVersions(uint32_t found, uint32_t thisVersion) {
  if (found > thisVersion) return kVersionNewer;
  if (found == thisVersion) return kVersionLatest;
  return kVersionOlder;
}

namespace {

std::string ConnectErrorText(const std::string& errorText) {
  std::string text =
      "Error connecting to Quillon's version check service.\n"
      "This feature requires your computer to be connected \n"
      "to the internet.\n"
      "\n\nPlease make a connection to the internet and try again.";
  if (!errorText.empty()) text += "\n\nError: " + errorText;
  return text;
}

std::string ParseErrorText(int32_t code) {
  return "Error parsing the version information returned by \n"
         "Quillon's version check service.\n"
         "[error " +
         std::to_string(code) + "]" + "\n\nPlease try again or contact Quillon for help.";
}

std::string NewerVersionQuestion(const VersionReply& reply, const std::string& productText) {
  if (reply.download) {
    return "There is newer version of " + productText + " available for download." +
           "\n\nWould you like to download this new version with your web browser now?";
  }
  return "There is information about a newer version of " + productText + "\navailable at " +
         reply.webAddress + "\n\nWould you like to visit this page with your web browser now?";
}

std::string LatestVersionText(const std::string& productText) {
  return "You are using the latest version of " + productText + ".";
}

std::string OlderVersionText(const std::string& productText) {
  return "You are running a newer version of " + productText +
         "\nthan is available from Quillon's web site.";
}

}  // namespace

std::optional<DialogText> VersionCheckDialog(const VersionCheckResult& result,
                                             const std::string& productText, bool silent) {
  switch (result.outcome) {
    case kVersionConnectError:
      if (silent) return std::nullopt;
      return DialogText{"Version Check Error", ConnectErrorText(result.errorText), kDialogError,
                        false};
    case kVersionParseError:
      if (silent) return std::nullopt;
      return DialogText{"Version Check Error", ParseErrorText(result.outcome), kDialogError, false};
    case kVersionNewer:
      return DialogText{"New Version Available", NewerVersionQuestion(result.reply, productText),
                        kDialogInformation, true};
    case kVersionLatest:
      if (silent) return std::nullopt;
      return DialogText{"Version Finder", LatestVersionText(productText), kDialogInformation,
                        false};
    case kVersionOlder:
      if (silent) return std::nullopt;
      return DialogText{"Version Finder", OlderVersionText(productText), kDialogInformation, false};
    default:
      return std::nullopt;
  }
}

DialogText BrowserLaunchErrorDialog(const std::string& productText, const std::string& address) {
  return DialogText{"Web Browser Launch Error",
                    productText + " had trouble launching your web browser.\n" +
                        "Please try manually going to:\n" + address,
                    kDialogWarning, false};
}

std::string VersionCheckTerminalText(const VersionCheckResult& result,
                                     const std::string& productText) {
  switch (result.outcome) {
    case kVersionNoCheck:
      return "No version-finder file is known for " + productText + ": nothing was checked.";
    case kVersionNewer:
      if (result.reply.download) {
        return "There is newer version of " + productText + " available for download.\n" +
               result.reply.webAddress;
      }
      return "There is information about a newer version of " + productText + "\navailable at " +
             result.reply.webAddress;
    default: {
      std::optional<DialogText> dialog = VersionCheckDialog(result, productText, false);
      return dialog ? dialog->text : std::string();
    }
  }
}
