#pragma once
// The newer-version check without its dialogs: fetch this build's version-finder file and
// compare the version it names with this build's.

#include <QString>
#include <cstdint>

#include "web/version_texts.h"

class QNetworkAccessManager;

// No request at all when path is empty or thisVersion is 0 (outcome kVersionNoCheck).
// A failed request gives kVersionConnectError with its message, an unreadable file
// kVersionParseError; otherwise the comparison's outcome with the file's contents.
// Waits in a local event loop; requires a QCoreApplication.
VersionCheckResult RunVersionCheck(QNetworkAccessManager& http, uint32_t thisVersion,
                                   const QString& path, int timeoutMs);
