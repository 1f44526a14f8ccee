#include "web/http_exchange.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

void ConfigureHttpClient(QNetworkAccessManager& http) {
  http.setProxy(QNetworkProxy::NoProxy);
  http.setCookieJar(new QNetworkCookieJar(&http));
  http.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QNetworkRequest ServiceRequest(const QUrl& url) {
  QNetworkRequest request(url);
  request.setRawHeader("Accept", "text/html, */*");
  // The service's scripts have always seen this agent; keep it.
  request.setHeader(QNetworkRequest::UserAgentHeader, "Mozilla/3.0 (compatible; Indy Library)");
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  return request;
}

HttpOutcome AwaitReply(QNetworkReply* reply, int idleTimeoutMs, qint64 maxBody,
                       const UploadProgress& uploadProgress) {
  HttpOutcome outcome;
  if (reply == nullptr) {
    outcome.error = "No request was made.";
    return outcome;
  }
  bool timedOut = false;
  bool tooLarge = false;
  QEventLoop loop;
  QTimer idle;
  idle.setSingleShot(true);
  idle.setInterval(idleTimeoutMs);

  QObject::connect(&idle, &QTimer::timeout, reply, [&] {
    timedOut = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
    idle.start();
    if (received > maxBody && !tooLarge) {
      tooLarge = true;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::uploadProgress, &loop, [&](qint64 sent, qint64 total) {
    idle.start();
    if (uploadProgress && total > 0) uploadProgress(sent, total);
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

  if (!reply->isFinished()) {
    idle.start();
    loop.exec();
  }
  idle.stop();

  outcome.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (timedOut) {
    outcome.error = QString("The service did not answer within %1 seconds.")
                        .arg(QString::number(idleTimeoutMs / 1000.0, 'g', 3));
  } else if (tooLarge) {
    outcome.error = QString("The service's reply is larger than %1 bytes.").arg(maxBody);
  } else if (reply->error() != QNetworkReply::NoError) {
    outcome.error = reply->errorString();
  } else if (outcome.status < 200 || outcome.status > 299) {
    outcome.error =
        QString("The service answered with HTTP status %1 %2.")
            .arg(outcome.status)
            .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
  } else {
    outcome.body = reply->readAll();
    outcome.ok = outcome.body.size() <= maxBody;
    if (!outcome.ok)
      outcome.error = QString("The service's reply is larger than %1 bytes.").arg(maxBody);
  }
  reply->deleteLater();
  return outcome;
}
