#pragma once
// The firmware file commands of the File menu, without their file dialogs: open a TI-Text file
// as the image an update loads, and write the image out. Messages go through s.ui.

#include <cstdint>
#include <string>

#include "app/updater_state.h"

// Loads the TI-Text file at path into the host's image. Negative: the "File Error" message,
// nothing else changes. A file name that names no known device: the build's type is assumed
// with the "File Name Error" warning, names and firmwareVersion unchanged. A known type:
// deviceName, firmwareVersion and settingsFileName follow the file. Either way the progress
// values follow the new image and the success beep sounds. Returns BSLLoadTIFile's result.
int32_t OpenFirmwareFile(UpdaterState& s, const std::string& path);

// Writes the image as a dump to path; a failure is told (title "Error", a warning).
// Returns BSLWriteTIFile's result.
int32_t DumpFirmwareImage(UpdaterState& s, const std::string& path);

// The file's name without its folder ("/" or "\\").
std::string FileNameOnly(const std::string& path);
