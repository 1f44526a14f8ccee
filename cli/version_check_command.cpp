#include <cstdio>

#include "app/updater_state.h"
#include "bsl/device_types.h"
#include "bsl/quil_bsl_host.h"
#include "cli/commands.h"
#include "web/deployment.h"
#include "web/version_check_terminal.h"
#include "web/version_finder_paths.h"

int VersionCheckCommand(bool json) {
  // The build's own version is the embedded image's, as in the window.
  QuilBSLHost host(nullptr);
  const uint32_t thisVersion = ImageVersionOf(host);
  const std::string product = std::string(DeviceTypeName(kBuildDeviceType)) + " Firmware Updater";
  TerminalVersionCheck check = VersionCheckForTerminal(
      thisVersion, VersionFinderPath(kBuildDeviceType), product, kRequestTimeoutMs);
  if (json) {
    std::printf("%s\n", VersionCheckJson(check).c_str());
  } else {
    std::printf("%s\n", check.message.c_str());
  }
  // Failures of the check itself are the failures; every reply that was read is a success.
  return check.outcome < 0 ? 1 : 0;
}
