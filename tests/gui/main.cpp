// The window tests need a widget application (offscreen), and settings, data and the
// simulator's announcements kept out of the user's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>

#include "tests/web/http_test_server.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  qputenv("XDG_RUNTIME_DIR", home.filePath("runtime").toUtf8());
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  // No test reaches the maker's real service.
  qputenv("QUILBSL_SERVICE_URL", HttpTestServer::DeadUrl().toUtf8());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
