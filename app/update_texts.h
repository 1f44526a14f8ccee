#pragma once
// Every text the update sequence shows the user, byte for byte as users and their logs know
// them (misspellings included). caption is the window caption, name the device name being
// updated, found the connected device's display name, port the port's display text.

#include <cstdint>
#include <string>

#include "bsl/device_types.h"

struct UpdaterState;

// A message or question: its title and text.
struct UpdateText {
  std::string title;
  std::string text;
};

// Step 1: the first connection failed with r.
UpdateText ConnectFailureText(const UpdaterState& s, int32_t r);
// Step 3: a device of another type (a question).
UpdateText WrongDeviceText(const UpdaterState& s);
// Step 4.
UpdateText FirmwareTooOldText(const UpdaterState& s);
// Step 6.
UpdateText BatteryTooLowText();
// Step 7 (a question).
UpdateText SettingsRetrieveText(const UpdaterState& s);
// Step 8: the bootloader could not be reached (r = -112, or anything else).
UpdateText LoaderFailureText(const UpdaterState& s, int32_t r);
// Steps 9 to 14: an operation failed with r.
std::string OperationFailureText(const UpdaterState& s, int32_t r);
// Said after the operation-failure text when the user cancelled the bootloader phase.
std::string ResumeAdviceText(const UpdaterState& s);
// Step 15.
UpdateText CorruptFirmwareText(const UpdaterState& s);
// Step 16: the restore's messages for r (one, or two for -102), title "Settings Error".
std::string RestoreFileMissingText(const UpdaterState& s);
std::string RestoreFileUnreadableText(const UpdaterState& s, int32_t r);
std::string RestorePartialText(const UpdaterState& s);
std::string RestoreFailedText(const UpdaterState& s, int32_t r);
// Added to a restore failure's message when the settings file was kept.
std::string SettingsKeptText(const std::string& path);
// Step 18.
UpdateText EraseDataFailureText(const UpdaterState& s, int32_t r);
// CheckFirmwareWindow's question for a version above the window (tooNew) or below it.
UpdateText VersionWindowText(const UpdaterState& s, uint32_t version, uint32_t limit,
                             bool tooNew);
// ShowCalibrationNotice's message for type; empty title for a type without a notice.
UpdateText CalibrationNoticeText(int type);

// The status line's texts.
std::string ConnectingStatus(const UpdaterState& s);
std::string SavingSettingsStatus(const UpdaterState& s);
std::string RestartingStatus(const UpdaterState& s);
std::string SuccessStatus(uint32_t seconds);
inline constexpr const char* kStatusBattery = "Checking battery power...";
inline constexpr const char* kStatusStartingLoader = "Starting the firmware loader...";
inline constexpr const char* kStatusErasing = "Erasing firmware memory...";
inline constexpr const char* kStatusUploading = "Uploading new firmware code...";
inline constexpr const char* kStatusChecking = "Checking new firmware...";
inline constexpr const char* kStatusRestoring = "Restoring settings...";
inline constexpr const char* kStatusErasingData = "Erasing old data...";

// The instruction line.
std::string ConnectInstruction(const std::string& name);
std::string DoNotDisconnectInstruction(const std::string& name);
std::string MayDisconnectInstruction(const std::string& name);

// The quit guard's warning (title "Don't Quit Now!").
std::string QuitGuardText(const UpdaterState& s);
inline constexpr const char* kQuitGuardTitle = "Don't Quit Now!";

// The construction error report for the host's constructStatus.
std::string ConstructionErrorText(const std::string& caption, int32_t status);

// Open Firmware File: the failure (title "File Error") and the unknown-type warning
// (title "File Name Error"); file is the name without its folder.
std::string FileOpenErrorText(const std::string& caption, const std::string& file, int32_t r);
std::string FileNameWarningText(const std::string& caption, const std::string& file, int type);
// Dump Firmware Image's failure (title "Error").
std::string DumpErrorText(int32_t r);

// The web address of the maker's literature page (end of the Stomagraph notice).
inline constexpr const char* kLiteraturePage = "http://www.example.com/literature";
