#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "serial/comm_port_enum.h"

int PortsCommand(bool all, bool json) {
  QuilSerial enumPort;
  CommPortEntry list[16];
  int32_t count = 16;
  if (CommPortEnum(&enumPort, list, &count, all) < 0) count = 0;
  if (json) {
    nlohmann::ordered_json ports = nlohmann::ordered_json::array();
    for (int32_t i = 0; i < count; ++i)
      ports.push_back({{"port", list[i].portName}, {"text", list[i].displayText},
                       {"busy", list[i].displayText.ends_with(" (busy)")}});
    std::printf("%s\n", ports.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  } else {
    if (count == 0) std::printf("No Comm Ports Found\n");
    for (int32_t i = 0; i < count; ++i)
      std::printf("%-32s %s\n", list[i].portName.c_str(), list[i].displayText.c_str());
  }
  return 0;
}
