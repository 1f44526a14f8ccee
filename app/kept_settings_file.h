#pragma once
// A settings file whose restore failed holds the only copy of the device's settings. It is
// moved to a name of its own, which the next update's save cannot overwrite.

#include <ctime>
#include <string>

// folder + "/" + name + " YYYY-MM-DD HH-MM-SS.settings.txt" for local time `when`.
std::string DatedSettingsFileName(const std::string& folder, const std::string& name,
                                  std::time_t when);

// Moves the file at path to its dated name (" (2)", " (3)", ... added when that is taken;
// never replaces an existing file). Returns the new path; the old path when the file could not
// be moved; "" when there is no file at path.
std::string KeepSettingsFile(const std::string& path, const std::string& folder,
                             const std::string& name, std::time_t when);
