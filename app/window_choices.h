#pragma once
// The user's choices kept from one run to the next (organisation "Quillon Devices, Inc",
// application "QuilBSL"), and the folder for the log and the settings files.

#include <QString>
#include <QVariant>
#include <optional>
#include <string>

class QSettings;

inline constexpr const char* kSettingsOrganisation = "Quillon Devices, Inc";
inline constexpr const char* kSettingsApplication = "QuilBSL";

struct StoredChoices {
  bool findAllComms = false;
  bool commPortExists = false;  // a "CommPort" value was found
  std::string commPort;
};

// A stored boolean: true or false, or "true" / "false" as the settings file keeps them.
// Anything else (another text, a number, a list) counts as missing.
std::optional<bool> StoredBool(const QVariant& value);
// A stored text; a value of another type counts as missing.
std::optional<std::string> StoredText(const QVariant& value);

// Reads "FindAllComms" and "CommPort"; missing or ill-typed values leave the defaults.
StoredChoices ReadStoredChoices(QSettings& settings);
// Writes "FindAllComms", "VerboseLog" and "CommPort", in that order, and flushes them.
void WriteStoredChoices(QSettings& settings, bool findAllComms, bool verboseLog,
                        const std::string& commPort);

// The generic data location + "/Quillon/QuilBSL", created with its parents; the program's
// own folder when that cannot be had.
QString WindowDataFolder();
