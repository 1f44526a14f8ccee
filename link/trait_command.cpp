// The trait: which options (radio, cellular modem) a logger has fitted.

#include <array>
#include <string>
#include <string_view>

#include "link/answer_parsing.h"
#include "link/link_log.h"
#include "link/solix_protocol.h"
#include "link/wire_format.h"

namespace {

constexpr uint32_t kTraitTimeoutMs = 1100;

int32_t Failed(SOLIX_Protocol& link, int32_t result, int32_t elapsed) {
  if (result < 0) {
    LinkLog(link, kLogFailure, "TraitCommand failed with error %d (%d ms)", result, elapsed);
  }
  return result;
}

}  // namespace

int32_t TraitCommand(SOLIX_Protocol& link, int32_t& trait, int mode) {
  const LoggerSettings& s = link.settings;
  std::array<char, 32> buffer{};
  uint32_t capacity = buffer.size();
  int32_t elapsed = 0;

  if (mode == 1) {
    if ((trait & kTraitValid) == 0) return Failed(link, -11, elapsed);
    if ((s.capabilities & kCapIdentity) == 0) return Failed(link, -12, elapsed);
    // The device counts its options down from 255.
    const std::string command = Printf("set -trait %d\r", 255 - (trait & 0xFF));
    int32_t r = DeviceCommand(link, command.c_str(), '>', kTraitTimeoutMs, buffer.data(), capacity,
                              elapsed);
    if (r < 1) return Failed(link, r, elapsed);
    if (!Contains(std::string_view(buffer.data(), capacity), "OK")) {
      return Failed(link, -30, elapsed);
    }
    LinkLog(link, kLogDetail, "TraitCommand set trait to %d (%d ms)", trait, elapsed);
    return 1;
  }

  if (s.loggerType == LT_HV) {
    trait = kTraitValid | kTraitRadio;
    LinkLog(link, kLogDetail, "TraitCommand: set trait to %d for HubVault", trait);
    return 1;
  }
  if ((s.capabilities & kCapTrait) != 0) {
    int32_t r = DeviceCommand(link, "get -trait\r", '>', kTraitTimeoutMs, buffer.data(), capacity,
                              elapsed);
    if (r < 1) return Failed(link, r, elapsed);
    std::string_view text(buffer.data(), capacity);
    std::optional<int32_t> d = ReadInt(text);
    if (!d || *d < 0 || *d > 255) return Failed(link, -30, elapsed);
    trait = (255 - *d) | kTraitValid;
    LinkLog(link, kLogDetail, "TraitCommand: found %d (%d ms)", trait, elapsed);
    return 1;
  }
  // No trait command: a radio is what the device's answers can tell.
  if ((s.capabilities & kCapRadio) == 0) {
    trait = kTraitValid;
    return 1;
  }
  if (link.connection.kind == kConnRadio) {
    trait = kTraitValid | kTraitRadio;
    LinkLog(link, kLogDetail, "TraitCommand (emulated): knows %d", trait);
    return 1;
  }
  FixedText<9> version{};
  uint32_t flags = kMaskRadioVersion;
  int32_t r = MSRadioCommand(link, nullptr, nullptr, &version, 0, &flags);
  trait = (flags & kMaskRadioVersion) != 0 ? (kTraitValid | kTraitRadio) : kTraitValid;
  if (r < 0) return 0;
  LinkLog(link, kLogDetail, "TraitCommand (emulated): found %d", trait);
  return 1;
}
