// The service's address and its override from the environment.

#include "web/service_address.h"

#include <gtest/gtest.h>

#include "web/deployment.h"

namespace {

struct AddressCase {
  const char* environment;
  const char* path;
  const char* url;  // "" for refused
};

TEST(ServiceAddress, EnvironmentOverridesTheDeployment) {
  const AddressCase cases[] = {
      {"http://127.0.0.1:8080", "/versionfinder/Mtq-Firmware.txt",
       "http://127.0.0.1:8080/versionfinder/Mtq-Firmware.txt"},
      {"http://127.0.0.1:8080/", "/", "http://127.0.0.1:8080/"},
      {"https://svc.example.org/quil/", "/php-bin/app_feedback.php",
       "https://svc.example.org/quil/php-bin/app_feedback.php"},
      {"  http://svc.example.org  ", "/", "http://svc.example.org/"},
      {"ftp://svc.example.org", "/", ""},
      {"svc.example.org", "/", ""},
      {"http://", "/", ""},
      {"http://svc.example.org/?q=1", "/", ""},
  };
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.environment);
    qputenv("QUILBSL_SERVICE_URL", c.environment);
    QString error;
    const QUrl url = ServiceUrl(c.path, &error);
    EXPECT_EQ(url.toString(), QString(c.url));
    EXPECT_EQ(error.isEmpty(), url.isValid());
  }
  qunsetenv("QUILBSL_SERVICE_URL");
  EXPECT_EQ(ServiceBaseUrl(), QString(kServiceUrl));
  qputenv("QUILBSL_SERVICE_URL", "");
  EXPECT_EQ(ServiceBaseUrl(), QString(kServiceUrl));
  qunsetenv("QUILBSL_SERVICE_URL");
}

}  // namespace
