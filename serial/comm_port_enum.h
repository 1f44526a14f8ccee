#pragma once
// The computer's serial ports for the port list: sysfs, the maker's adapters, busy marks,
// probing of unlisted nodes, and the simulator's announced ports.

#include <cstdint>
#include <string>

#include "serial/quil_serial.h"

struct CommPortEntry {
  std::string portName;     // what QSOpen takes: ttyUSB0, or an absolute path
  std::string displayText;  // what the list shows
  int32_t portNumber = 0;   // for sorting: the node's number
};

struct CommPortEnumOptions {
  std::string sysfsRoot = "/sys";  // fixture trees in tests
  std::string devRoot = "/dev";
  std::string announceDir;         // empty: ${XDG_RUNTIME_DIR:-/tmp}/quilbsl/ports
};

// Fills list (capacity entries, count in: capacity, out: filled).
// Returns the number of ports sysfs delivered (or 1 when probing added one),
// -10 missing list or count, -11 capacity 0.
int32_t CommPortEnum(QuilSerial* port, CommPortEntry* list, int32_t* count, bool forceAll,
                     const CommPortEnumOptions& options = {});

// Folder where the simulator announces its ports.
std::string SimAnnounceDir();
