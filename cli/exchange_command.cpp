#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "serial/quil_serial.h"

// Sends one command line to a device's command interpreter and prints the answer.
int ExchangeCommand(const std::string& portName, const std::string& command) {
  QuilSerial port;
  int32_t rc = QSOpen(port, portName.c_str(), 9600);
  if (rc == kQSErrPermission) {
    std::fprintf(stderr, "%s\n", QSPermissionMessage(portName).c_str());
    return 1;
  }
  if (rc < 0) {
    std::fprintf(stderr, "Comm Port \"%s\" can't be opened (error %d)\n", portName.c_str(), rc);
    return 1;
  }
  std::string line = command + "\r";
  uint32_t written = 0;
  QSPurge(port, 1);
  QSWrite(port, line.data(), static_cast<uint32_t>(line.size()), written);
  int32_t hit = QSWait(port, 1000, '>');
  char answer[kQSBufferSize];
  uint32_t count = 0;
  QSRead(port, answer, sizeof answer, count);
  std::string text(answer, count);
  for (char& c : text)
    if (c == '\r') c = '\n';
  std::printf("> %s%s\n", command.c_str(), text.c_str());
  QSClose(port);
  return hit > 0 ? 0 : 1;
}
