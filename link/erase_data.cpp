// Erasing a logger's stored measurements, after making sure it is the logger we read.

#include <array>
#include <cstring>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"

namespace {

constexpr uint32_t kEraseTimeoutMs = 17000;

}  // namespace

int32_t EraseData(SOLIX_Protocol& link) {
  const bool newFirmware = link.settings.newFirmware != 0;
  FixedText<9> name{};
  int32_t r = newFirmware ? NameCommand(link, name, 0) : ParseShowCommand(link, &name);
  const char terminator = newFirmware ? '>' : '!';
  if (r <= 0) {
    LinkLog(link, kLogFailure, "EraseData failed checking the identity of device (error %d)", r);
    return -37;
  }
  if (std::strncmp(name.data(), link.settings.deviceName.data(), 8) != 0) {
    LinkLog(link, kLogFailure, "EraseData: Identity mismatch. Class: %s, Device: %s",
            TextString(link.settings.deviceName).c_str(), TextString(name).c_str());
    return -37;
  }

  std::array<char, 32> buffer{};
  uint32_t capacity = buffer.size();
  int32_t elapsed = 0;
  r = DeviceCommand(link, "yes\r", terminator, kEraseTimeoutMs, buffer.data(), capacity, elapsed);
  const std::string_view answer(buffer.data(), capacity);
  int32_t result;
  if (r > 0 && Contains(answer, "OK")) {
    LinkLog(link, kLogDetail, "InitializeDevice erased device data (%d ms)", elapsed);
    return 1;
  }
  if (r > 0) result = Contains(answer, "DataFlash FAIL") ? -65 : -30;
  else if (r == -34 || r == -22 || r == -21) result = -65;
  else result = r;

  if (result == -65) {
    LinkLog(link, kLogFailure, "EraseData failed due to a broken DataFlash (%d ms)", elapsed);
  } else {
    LinkLog(link, kLogFailure, "EraseData failed with error %d (%d ms)", result, elapsed);
  }
  return result;
}
