#pragma once
// The message pump through which the device layers' long waits keep the window painted and
// its events dispatched.

#include <cstdint>

// Waits up to maxWaitMs in a nested event loop that a timer ends, dispatching what arrives;
// 0 dispatches what is pending without waiting.
void WindowPump(uint32_t maxWaitMs);

// Installs WindowPump for the device layers while it lives.
class WindowPumpInstalled {
 public:
  WindowPumpInstalled();
  ~WindowPumpInstalled();
  WindowPumpInstalled(const WindowPumpInstalled&) = delete;
  WindowPumpInstalled& operator=(const WindowPumpInstalled&) = delete;
};
