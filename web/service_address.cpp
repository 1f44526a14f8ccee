#include "web/service_address.h"

#include "web/deployment.h"

QString ServiceBaseUrl() {
  const QString fromEnvironment = qEnvironmentVariable(kServiceUrlEnv).trimmed();
  return fromEnvironment.isEmpty() ? QString::fromUtf8(kServiceUrl) : fromEnvironment;
}

QUrl ServiceUrl(const QString& path, QString* error) {
  const QString base = ServiceBaseUrl();
  QUrl url(base, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != "http" && scheme != "https") ||
      url.hasQuery() || url.hasFragment()) {
    if (error) *error = "The web service address \"" + base + "\" is not an http or https address.";
    return QUrl();
  }
  QString prefix = url.path();
  while (prefix.endsWith('/')) prefix.chop(1);
  url.setPath(prefix + (path.startsWith('/') ? path : "/" + path));
  return url;
}
