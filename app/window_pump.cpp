#include "app/window_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "serial/timing.h"

void WindowPump(uint32_t maxWaitMs) {
  if (maxWaitMs == 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(maxWaitMs));
  loop.exec();
  // A loop refused by a quitting application returns at once: sleep out the rest rather than
  // let the caller spin.
  if (timer.isActive()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(timer.remainingTime()));
  }
}

WindowPumpInstalled::WindowPumpInstalled() {
  SetMessagePump(WindowPump);
}

WindowPumpInstalled::~WindowPumpInstalled() {
  SetMessagePump(nullptr);
}
