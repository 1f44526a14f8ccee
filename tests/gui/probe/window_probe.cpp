// quilbsl-window-probe [--fast]: how long the main window goes without processing events while
// it updates a simulated Vapora MTQ 3.50 at the device's real speed (9600 baud, realistic device
// times; --fast: the quick test device). A 5 ms timer ticks whenever the window processes its
// events; the longest pause between two ticks is the longest time the window was deaf. Goal:
// 120 ms or less in the bootloader phase. Prints the figures; asserts nothing.
//   QT_QPA_PLATFORM=offscreen build/bin/quilbsl-window-probe

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "app/update_texts.h"
#include "app/window_choices.h"
#include "app/window_main.h"
#include "sim/model_factory.h"
#include "sim/pty_server.h"

namespace {

constexpr qint64 kGoalMs = 120;

struct Gap {
  qint64 longestMs = 0;
  std::string during;  // the status text at the longest pause
};

// Per status text of the bootloader phase: the longest pause and the pauses above the goal.
struct StepGaps {
  qint64 longestMs = 0;
  int aboveGoal = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool fast = argc > 1 && std::strcmp(argv[1], "--fast") == 0;
  QTemporaryDir home;
  qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
  qputenv("QUILBSL_SERVICE_URL", "http://127.0.0.1:9");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));

  SimOptions o;
  o.type = "MTQ";
  o.version = "3.50";
  o.realtime = !fast;
  o.announceDir = home.filePath("ports").toStdString();
  PtyServer sim(o, MakeDeviceModel(o));
  if (!sim.Start()) {
    std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
    return 1;
  }
  QSettings(kSettingsOrganisation, kSettingsApplication)
      .setValue("CommPort", QString::fromStdString(sim.announcePath()));

  WindowOptions options;
  options.ports.sysfsRoot = home.filePath("sys").toStdString();
  options.ports.devRoot = home.filePath("dev").toStdString();
  options.ports.announceDir = o.announceDir;
  TfrmMain window(options);
  window.SetMessageHook([](const MessageRequest& m) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(m.title), qPrintable(m.text));
    return QMessageBox::Ok;
  });

  // The status text at the tick before a pause names where it happened.
  auto* statusText = window.findChild<QLabel*>("statusText");
  Gap whole, bootloader;
  std::map<std::string, StepGaps> steps;
  bool inBootloader = false;
  std::string status;
  QElapsedTimer clock;
  qint64 lastTick = -1;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (lastTick >= 0) {
      const qint64 gap = now - lastTick;
      if (inBootloader) {
        StepGaps& step = steps[status];
        step.longestMs = std::max(step.longestMs, gap);
        if (gap > kGoalMs) ++step.aboveGoal;
      }
      for (Gap* g : {&whole, inBootloader ? &bootloader : nullptr}) {
        if (g != nullptr && gap > g->longestMs) {
          g->longestMs = gap;
          g->during = status;
        }
      }
    }
    lastTick = now;
    status = statusText->text().toStdString();
  });
  QObject::connect(&window, &TfrmMain::BootloaderPhaseChanged, [&](bool running) {
    inBootloader = running;
    lastTick = clock.elapsed();  // a gap belongs to the phase it ends in
  });
  int result = 0;
  QElapsedTimer total;
  QObject::connect(&window, &TfrmMain::UpdateFinished, [&](int r) {
    result = r;
    app.quit();
  });

  window.show();
  QTimer::singleShot(200, &window, [&] {
    clock.start();
    total.start();
    probe.start();
    window.findChild<QPushButton*>("btnStart")->click();
  });
  app.exec();

  std::printf("update result %d in %.1f s (%s device)\n", result, total.elapsed() / 1000.0,
              fast ? "fast" : "real-speed");
  std::printf("longest pause in event processing, bootloader phase: %lld ms (during \"%s\")\n",
              static_cast<long long>(bootloader.longestMs), bootloader.during.c_str());
  std::printf("longest pause in event processing, whole update:     %lld ms (during \"%s\")\n",
              static_cast<long long>(whole.longestMs), whole.during.c_str());
  for (const auto& [text, step] : steps) {
    std::printf("  bootloader phase, \"%s\": longest %lld ms, %d pauses above %lld ms\n",
                text.c_str(), static_cast<long long>(step.longestMs), step.aboveGoal,
                static_cast<long long>(kGoalMs));
  }
  return result == 1 ? 0 : 1;
}
