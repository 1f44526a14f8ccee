#pragma once
// A web form talking to a local test server, with its dialogs and browser captured.

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <QUrl>
#include <vector>

#include "tests/web/http_test_server.h"
#include "web/frm_web.h"

struct ShownDialog {
  QString text;
  QString caption;
  bool yesNo = false;
  int kind = -1;
};

class WebFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("QUILBSL_SERVICE_URL", server.Url().toUtf8());
    QSettings("Quillon Devices, Inc", "FeedbackForm").clear();
    form.SetRequestTimeoutMs(30000);
    form.SetDialogHook([this](const QString& text, const QString& caption, bool yesNo, int kind) {
      shown.push_back({text, caption, yesNo, kind});
      return answerYes;
    });
    form.SetUrlOpener([this](const QUrl& url) {
      opened.push_back(url);
      return browserWorks;
    });
  }
  void TearDown() override {
    form.hide();
    qunsetenv("QUILBSL_SERVICE_URL");
  }

  HttpTestServer server;
  TfrmWeb form;
  std::vector<ShownDialog> shown;
  bool answerYes = true;
  std::vector<QUrl> opened;
  bool browserWorks = true;
};

// A control of the form by its component name.
template <typename Widget>
Widget* Control(QObject& form, const char* name) {
  Widget* widget = form.findChild<Widget*>(name);
  if (widget == nullptr) ADD_FAILURE() << "no control " << name;
  return widget;
}
