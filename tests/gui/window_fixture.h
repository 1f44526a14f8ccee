#pragma once
// A main window in a world of its own: settings, data folder, sysfs and /dev trees and the
// simulator's announcement folder in a temporary folder; message boxes and file dialogs
// answered by the test.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/window_choices.h"
#include "app/window_main.h"
#include "tests/support/sim_fixture.h"
#include "tests/web/http_test_server.h"
#include "web/frm_web.h"

// A control of the window by its component name.
template <typename Widget>
Widget* Control(QObject& window, const char* name) {
  Widget* widget = window.findChild<Widget*>(name);
  if (widget == nullptr) ADD_FAILURE() << "no component " << name;
  return widget;
}

inline QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    for (const char* sub : {"sys/class/tty", "dev", "ports", "data", "config"}) {
      fs::create_directories(dir.File(sub));
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(dir.File("config")));
    qputenv("XDG_DATA_HOME", dir.File("data").c_str());
    options.ports.sysfsRoot = dir.File("sys");
    options.ports.devRoot = dir.File("dev");
    options.ports.announceDir = dir.File("ports");
  }

  void TearDown() override {
    if (window) window->hide();
    window.reset();
  }

  // A serial port that sysfs lists, with a device behind it.
  void AddSysfsPort(const std::string& name) {
    std::filesystem::create_directories(dir.File("sys/class/tty/" + name + "/device"));
  }
  void RemoveSysfsPort(const std::string& name) {
    std::filesystem::remove_all(dir.File("sys/class/tty/" + name));
  }

  // A stored choice, as an earlier run (or another program) left it.
  void Store(const char* key, const QVariant& value) {
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    settings.setValue(key, value);
    settings.sync();
  }
  // The settings file's own text.
  std::string StoredFile() const {
    return ReadWholeFile(dir.File("config/Quillon Devices, Inc/QuilBSL.conf"));
  }

  // Creates and shows the window (start-up runs).
  TfrmMain& Open() {
    window = std::make_unique<TfrmMain>(options);
    window->SetMessageHook([this](const MessageRequest& request) {
      shown.push_back(request);
      if (onMessage) onMessage(request);
      auto it = answers.find(request.title.toStdString());
      return it == answers.end() ? QMessageBox::Ok : it->second;
    });
    window->SetFileDialogHook([this](QFileDialog& dialog) {
      dialogs.push_back(&dialog);
      return chosenFile;
    });
    window->show();
    return *window;
  }

  // Clicks Start and waits for the update's end (a guard against a hang, not a time limit).
  int RunUpdateThroughWindow() {
    QSignalSpy finished(window.get(), &TfrmMain::UpdateFinished);
    Control<QPushButton>(*window, "btnStart")->click();
    if (!finished.wait(150000)) {
      ADD_FAILURE() << "the update did not end";
      return 0;
    }
    return finished.takeFirst().at(0).toInt();
  }

  std::vector<std::string> Titles() const {
    std::vector<std::string> t;
    for (const MessageRequest& m : shown) t.push_back(m.title.toStdString());
    return t;
  }
  std::string Log() const { return ReadWholeFile(window->state().logFileName); }
  std::string DataFolder() const { return dir.File("data") + "/Quillon/QuilBSL"; }

  TempDir dir;
  WindowOptions options;
  std::unique_ptr<TfrmMain> window;
  std::vector<MessageRequest> shown;
  std::map<std::string, QMessageBox::StandardButton> answers;
  std::function<void(const MessageRequest&)> onMessage;
  std::vector<QFileDialog*> dialogs;
  QString chosenFile;  // what the file dialogs answer; "" is Cancel
};

// A window with the web form beside it, talking to a local HTTP server; the web form's dialogs
// and browser are captured.
class WindowWebTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    qputenv("QUILBSL_SERVICE_URL", server.Url().toUtf8());
    QSettings("Quillon Devices, Inc", "FeedbackForm").clear();
  }
  void TearDown() override {
    if (web) web->hide();
    web.reset();
    WindowTest::TearDown();
    qputenv("QUILBSL_SERVICE_URL", HttpTestServer::DeadUrl().toUtf8());
  }

  // Creates the window, then the web form, as the entry point does, and shows the window.
  TfrmMain& OpenWithWeb() {
    window = std::make_unique<TfrmMain>(options);
    web = std::make_unique<TfrmWeb>(window.get());
    web->SetDialogHook([this](const QString& text, const QString& caption, bool, int) {
      webShown.push_back({text, caption});
      return false;
    });
    web->SetUrlOpener([](const QUrl&) { return true; });
    window->SetWebForm(web.get());
    window->SetMessageHook([this](const MessageRequest& request) {
      shown.push_back(request);
      if (onMessage) onMessage(request);
      auto it = answers.find(request.title.toStdString());
      return it == answers.end() ? QMessageBox::Ok : it->second;
    });
    window->show();
    return *window;
  }

  // Dispatches events until pred holds (a guard against a hang, not a time limit).
  static bool WaitFor(const std::function<bool()>& pred) {
    QDeadlineTimer guard(60000);
    while (!pred() && !guard.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return pred();
  }

  HttpTestServer server;
  std::unique_ptr<TfrmWeb> web;
  std::vector<std::pair<QString, QString>> webShown;  // text, caption
};
