#pragma once
// The smallest command interpreter: "get -ver" answers the running firmware's identity,
// "post" checks the code, anything else is refused.

#include "sim/sim_device.h"

class BasicInterpreter : public SimInterpreter {
 public:
  void OnLine(const std::string& line, SimDevice& dev, SimLink& link) override;
};
