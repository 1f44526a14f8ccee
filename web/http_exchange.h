#pragma once
// One HTTP request to the service, waited for in a local event loop so that the windows
// keep painting and answering while it runs.

#include <QByteArray>
#include <QString>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

struct HttpOutcome {
  bool ok = false;  // the request completed with a 2xx status
  int status = 0;   // the HTTP status, 0 when none arrived
  QByteArray body;
  QString error;  // why it failed, for the user
};

// Cookies kept, redirects followed, no proxy.
void ConfigureHttpClient(QNetworkAccessManager& http);

// A request for url with the client's fixed headers.
QNetworkRequest ServiceRequest(const QUrl& url);

// Called with the bytes sent and the total of an upload as it goes.
using UploadProgress = std::function<void(qint64 sent, qint64 total)>;

// Waits until reply ends, or gives it up when no byte has moved for idleTimeoutMs or the
// body grows beyond maxBody bytes. Takes ownership of reply (deleted later). A reply that
// somebody aborts meanwhile ends as a failure with Qt's text.
HttpOutcome AwaitReply(QNetworkReply* reply, int idleTimeoutMs, qint64 maxBody,
                       const UploadProgress& uploadProgress = {});
