// The port choice: the list filled at start-up and at every drop-down, and the user's pick.

#include "app/window_main.h"
#include "ui_window_main.h"

namespace {
constexpr const char* kNoPorts = "No Comm Ports Found";
}

int32_t TfrmMain::EnumeratePorts() {
  ui->cbCommPort->clear();
  int32_t count = kPortListCapacity;
  const int32_t r = CommPortEnum(&enumPort, portList.data(), &count, findAllComms, options_.ports);
  portCount = r > 0 ? count : 0;  // a failed enumeration counts as no ports
  for (int32_t i = 0; i < portCount; ++i) {
    ui->cbCommPort->addItem(QString::fromStdString(portList[i].displayText));
  }
  return portCount;
}

void TfrmMain::ChoosePort(int32_t index) {
  if (index >= 0 && index < portCount) {
    s.commPortName = portList[index].portName;
    s.portDisplayText = portList[index].displayText;
  } else {
    s.commPortName.clear();
    s.portDisplayText.clear();
  }
}

void TfrmMain::cbCommPortDropDown() {
  if (EnumeratePorts() == 0) {
    ui->cbCommPort->addItem(kNoPorts);
    return;
  }
  // The list may have shifted since the choice (a port unplugged before it): keep showing the
  // chosen port, so that the list never shows one port while an update would open another.
  for (int32_t i = 0; i < portCount; ++i) {
    if (!s.commPortName.empty() && portList[i].portName == s.commPortName) {
      selectedPort = i;
      break;
    }
  }
  ui->cbCommPort->setCurrentIndex(selectedPort < portCount ? selectedPort : 0);
}

void TfrmMain::cbCommPortChange(int index) {
  selectedPort = index;
  ChoosePort(index);
  if (!s.commPortName.empty()) ui->btnStart->setEnabled(true);
}
