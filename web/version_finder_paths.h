#pragma once
// Where each device type's version-finder file lives on the service host.

// The path ("/versionfinder/Mtq-Firmware.txt") of type's file; "" for a type without one
// (and for anything out of range): no check is made for it.
const char* VersionFinderPath(int deviceType);
