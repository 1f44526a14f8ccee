#pragma once
// Millisecond clock and the waits every device layer uses.

#include <cstdint>
#include <functional>

// Milliseconds from an arbitrary origin (monotonic), truncated to 32 bits.
uint32_t MillisecondClock();

// Waits ms milliseconds. Below 170 ms a plain sleep; from 170 ms on the installed
// message pump runs (it waits at most the remaining time for events and dispatches
// them) until the time is up. Without a pump it sleeps. Returns 0.
int32_t PumpedSleep(uint32_t ms);

// Local time's offset from UTC in seconds, east positive, including one hour while
// daylight saving time is in force.
int32_t TimeZoneOffsetSeconds();

// The message pump: called with the longest time in ms that it may wait for events;
// it dispatches what arrived and returns. 0 means: dispatch what is pending, don't wait.
using MessagePump = std::function<void(uint32_t maxWaitMs)>;

// Installs the pump (the window installs one; the CLI and tests may leave it empty).
void SetMessagePump(MessagePump pump);

// Dispatches pending messages without waiting, when a pump is installed.
void ProcessPendingMessages();

// The same, but only when the last dispatch through here is 50 ms or more ago: cheap enough to
// call between any two reads of a device exchange.
void ProcessPendingMessagesIfDue();
