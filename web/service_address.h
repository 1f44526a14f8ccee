#pragma once
// The address of a request to the maker's web service.

#include <QString>
#include <QUrl>

// The service's base address: QUILBSL_SERVICE_URL when set and not empty, else the
// deployment's. Read anew for every request.
QString ServiceBaseUrl();

// base + path ("/versionfinder/Mtq-Firmware.txt"), keeping a path prefix of the base.
// An invalid url when the base is no http or https address; *error then says why.
QUrl ServiceUrl(const QString& path, QString* error);
