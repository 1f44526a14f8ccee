#include "sim/bootloader_faults.h"

#include <charconv>
#include <string>

namespace {

// A whole positive decimal number, else 0.
uint32_t Positive(std::string_view text) {
  uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return (ec == std::errc() && end == text.data() + text.size()) ? value : 0;
}

}  // namespace

BootloaderFaults ReadBootloaderFaults(const SimOptions& options) {
  BootloaderFaults f;
  if (auto v = options.FaultValue("refuse-block")) {
    std::string_view text = *v;
    size_t colon = text.find(':');
    f.refuseBlock = Positive(text.substr(0, colon));
    f.refuseTimes = colon == std::string_view::npos ? 1 : Positive(text.substr(colon + 1));
    if (f.refuseBlock == 0 || f.refuseTimes == 0) f.refuseBlock = f.refuseTimes = 0;
  }
  if (auto v = options.FaultValue("lose-answer")) f.loseAnswer = Positive(*v);
  if (auto v = options.FaultValue("power-loss")) f.powerLossAfterBlock = Positive(*v);
  return f;
}
