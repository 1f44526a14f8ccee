// quilbsl-window-shot OUT.png [PORT]: shows the main window in a settings and data folder of
// its own, starts an update on PORT (a simulated device's announced port) and saves a picture
// of the window in the middle of the upload. Without PORT it pictures the window at rest.
// scripts/screenshot runs it under Xvfb for the README.

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "app/window_choices.h"
#include "app/window_main.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quilbsl-window-shot OUT.png [PORT]\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  qputenv("QUILBSL_SERVICE_URL", "http://127.0.0.1:9");  // no version check leaves the machine
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
  const QString out = QString::fromLocal8Bit(argv[1]);
  const bool update = argc > 2;
  if (update) {
    QSettings(kSettingsOrganisation, kSettingsApplication)
        .setValue("CommPort", QString::fromLocal8Bit(argv[2]));
  }

  TfrmMain window;
  window.SetMessageHook([](const MessageRequest& m) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(m.title), qPrintable(m.text));
    return QMessageBox::Ok;
  });
  int status = 1;
  auto save = [&] {
    status = window.grab().save(out, "PNG") ? 0 : 1;
    if (status != 0) std::fprintf(stderr, "could not write %s\n", qPrintable(out));
  };
  QObject::connect(&window, &TfrmMain::UpdateFinished, &app, &QApplication::quit);
  window.show();

  if (update) {
    auto* bar = window.findChild<QProgressBar*>("statusBar");
    bool taken = false;
    QObject::connect(bar, &QProgressBar::valueChanged, &window, [&](int value) {
      if (value < 50 || taken) return;
      taken = true;
      save();
      window.state().keepGoing = false;  // the picture is all we came for
    });
    QTimer::singleShot(300, &window, [&] { window.findChild<QPushButton*>("btnStart")->click(); });
  } else {
    QTimer::singleShot(300, &window, [&] {
      save();
      QApplication::quit();
    });
  }
  QTimer::singleShot(120000, &app, [] {
    std::fprintf(stderr, "the update did not reach the upload\n");
    QApplication::quit();
  });
  app.exec();
  return status;
}
