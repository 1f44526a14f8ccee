#include "web/version_check.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "web/http_exchange.h"
#include "web/service_address.h"

namespace {
// A version-finder file is a line; anything near this size is not one.
constexpr qint64 kMaxVersionReplyBytes = 1 << 20;
}  // namespace

VersionCheckResult RunVersionCheck(QNetworkAccessManager& http, uint32_t thisVersion,
                                   const QString& path, int timeoutMs) {
  VersionCheckResult result;
  if (path.isEmpty() || thisVersion == 0) return result;

  QString addressError;
  const QUrl url = ServiceUrl(path, &addressError);
  if (!url.isValid()) {
    result.outcome = kVersionConnectError;
    result.errorText = addressError.toStdString();
    return result;
  }
  const HttpOutcome reply =
      AwaitReply(http.get(ServiceRequest(url)), timeoutMs, kMaxVersionReplyBytes);
  if (!reply.ok) {
    result.outcome = kVersionConnectError;
    result.errorText = reply.error.toStdString();
    return result;
  }
  if (ParseVersionReply(std::string_view(reply.body.constData(), reply.body.size()),
                        &result.reply) < 0) {
    result.outcome = kVersionParseError;
    return result;
  }
  result.outcome = CompareVersions(result.reply.version, thisVersion);
  return result;
}
