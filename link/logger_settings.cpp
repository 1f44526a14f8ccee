#include "link/logger_settings.h"

namespace {

int32_t TraitHas(const LoggerSettings& settings, int32_t bit) {
  if ((settings.trait & kTraitValid) == 0) return -1;
  return (settings.trait & bit) != 0 ? 1 : 0;
}

}  // namespace

int32_t HasRadio(const LoggerSettings& settings) { return TraitHas(settings, kTraitRadio); }

int32_t HasCellular(const LoggerSettings& settings) { return TraitHas(settings, kTraitCellular); }
