#include "app/window_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>

#include "app/update_sequence.h"
#include "app/update_texts.h"
#include "app/window_choices.h"
#include "app/window_icon.h"
#include "app/window_texts.h"
#include "ui_window_main.h"
#include "web/frm_web.h"

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QMessageBox::Icon IconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Confirmation:
      return QMessageBox::Question;
    case MessageKind::Custom:
      break;
  }
  return QMessageBox::NoIcon;
}

// The separators of a menu get the form's component names, in order.
void NameSeparators(QMenu* menu, const char* name) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator() && action->objectName().isEmpty()) {
      action->setObjectName(name);
      return;
    }
  }
}

}  // namespace

TfrmMain::TfrmMain(WindowOptions options, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmMain>()), options_(std::move(options)) {
  ui->setupUi(this);
  // A single-line border with the system menu and the close box alone.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  ui->Image1->setPixmap(WindowIconPixmap(48));
  setWindowIcon(QIcon(WindowIconPixmap(64)));
  NameSeparators(ui->File1, "N1");
  NameSeparators(ui->Help1, "N2");
  // The dump has no menu entry; its action belongs to the window so that its shortcut answers.
  addAction(ui->DumpFirmwareImage1);

  timerStart = new QTimer(this);
  timerStart->setObjectName("timerStart");
  timerStart->setSingleShot(true);
  timerStart->setInterval(100);
  timerConstructorErrors = new QTimer(this);
  timerConstructorErrors->setObjectName("timerConstructorErrors");
  timerConstructorErrors->setSingleShot(true);
  timerConstructorErrors->setInterval(100);

  OpenDialog1 = new QFileDialog(this, "Please select a firmware file");
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setNameFilters({"Firmware File (*.txt)", "Any File (*)"});
  OpenDialog1->setDefaultSuffix("txt");
  SaveDialog1 = new QFileDialog(this, "Save Firmware Image");
  SaveDialog1->setObjectName("SaveDialog1");
  SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1->setFileMode(QFileDialog::AnyFile);
  SaveDialog1->setDefaultSuffix("txt");

  s.ui = this;
  SetWebForm(nullptr);
  ConnectHandlers();
}

TfrmMain::~TfrmMain() {
  s.ui = nullptr;
}

void TfrmMain::SetWebForm(TfrmWeb* web) {
  web_ = web;
  ui->SendFeedbacktoQuillon1->setEnabled(web_ != nullptr && !s.updateRunning);
  ui->CheckforUpdates1->setEnabled(web_ != nullptr && !s.updateRunning);
}

void TfrmMain::ConnectHandlers() {
  connect(ui->btnStart, &QPushButton::clicked, this, &TfrmMain::btnStartClick);
  connect(ui->btnClose, &QPushButton::clicked, this, &TfrmMain::btnCloseClick);
  connect(timerStart, &QTimer::timeout, this, &TfrmMain::timerStartTimer);
  connect(timerConstructorErrors, &QTimer::timeout, this, &TfrmMain::timerConstructorErrorsTimer);
  connect(ui->cbCommPort, &CommPortBox::aboutToDropDown, this, &TfrmMain::cbCommPortDropDown);
  connect(ui->cbCommPort, &QComboBox::activated, this, &TfrmMain::cbCommPortChange);
  connect(ui->newSNstr, &QLineEdit::textChanged, this,
          [this](const QString& text) { s.newSerialNumber = text.toStdString(); });

  connect(ui->OpenFirmwareFile1, &QAction::triggered, this, &TfrmMain::OpenFirmwareFile1Click);
  connect(ui->UpdateFirmware1, &QAction::triggered, this, &TfrmMain::UpdateFirmware1Click);
  connect(ui->DumpFirmwareImage1, &QAction::triggered, this, &TfrmMain::DumpFirmwareImage1Click);
  connect(ui->Exit1, &QAction::triggered, this, &TfrmMain::Exit1Click);
  connect(ui->ForceFindAllCommPorts1, &QAction::triggered, this,
          &TfrmMain::ForceFindAllCommPorts1Click);
  connect(ui->DontEraseData1, &QAction::triggered, this, &TfrmMain::DontEraseData1Click);
  connect(ui->PromptforSerialNumber1, &QAction::triggered, this,
          &TfrmMain::PromptforSerialNumber1Click);
  connect(ui->Help2, &QAction::triggered, this, &TfrmMain::Help2Click);
  connect(ui->About1, &QAction::triggered, this, &TfrmMain::About1Click);
  connect(ui->SendFeedbacktoQuillon1, &QAction::triggered, this,
          &TfrmMain::SendFeedbacktoQuillon1Click);
  connect(ui->CheckforUpdates1, &QAction::triggered, this, &TfrmMain::CheckforUpdates1Click);

  // Start is the default button and Close the cancel button, as in a dialog.
  auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
  auto* keypadEnter = new QShortcut(QKeySequence(Qt::Key_Enter), this);
  for (QShortcut* shortcut : {enter, keypadEnter}) {
    connect(shortcut, &QShortcut::activated, this, [this] {
      for (QPushButton* button : {ui->btnStart, ui->btnClose}) {
        if (button->isDefault() && button->isEnabled()) button->animateClick();
      }
    });
  }
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (ui->btnClose->isEnabled()) ui->btnClose->animateClick();
  });
}

// ---- Start-up and closing ----

void TfrmMain::showEvent(QShowEvent* event) {
  if (!shownOnce_ && !event->spontaneous()) {
    shownOnce_ = true;
    FormShow();
    if (const QScreen* screen = this->screen()) {
      adjustSize();
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QMainWindow::showEvent(event);
}

void TfrmMain::FormShow() {
  // 1. The version-finder path of the build's device type.
  if (web_ != nullptr) web_->SetVersionFinderPath(kBuildDeviceType);
  // 2. and 3. Names.
  s.deviceName = DeviceTypeName(kBuildDeviceType);
  s.caption = s.deviceName + " Firmware Updater";
  setWindowTitle(Q(s.caption));
  QCoreApplication::setApplicationName(Q(s.deviceName + " Updater"));
  ui->About1->setText(Q(AboutTitle(s.deviceName)));
  // 4.
  ui->OpenFirmwareFile1->setEnabled(true);
  ui->PromptforSerialNumber1->setVisible(true);
  ui->DontEraseData1->setVisible(true);
  // 5. The stored choices.
  {
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    const StoredChoices stored = ReadStoredChoices(settings);
    findAllComms = stored.findAllComms;
    ui->ForceFindAllCommPorts1->setChecked(findAllComms);
    s.verboseLog = true;
    ui->VerboseErrorFile1->setChecked(true);
    storedPortExists = stored.commPortExists;
    s.commPortName = stored.commPortExists ? stored.commPort : std::string();
  }
  // 6. to 9. and 12.: the data folder, the log and the device objects with the image's values.
  UpdaterStartup(s, WindowDataFolder().toStdString());
  // 10. The port list.
  enumPort.log = s.log.get();
  EnumeratePorts();
  int32_t chosen = 0;
  if (storedPortExists) {
    for (int32_t i = 0; i < portCount; ++i) {
      if (portList[i].portName == s.commPortName) {
        chosen = i;
        break;
      }
    }
  }
  selectedPort = chosen;
  if (portCount > 0) {
    ui->cbCommPort->setCurrentIndex(chosen);
    ChoosePort(chosen);
  } else {
    ui->cbCommPort->addItem("No Comm Ports Found");
    s.commPortName.clear();
    s.portDisplayText.clear();
    ui->btnStart->setEnabled(false);
  }
  // 11. Labels.
  ShowDeviceLabels(s.deviceName);
  ui->userText2->setText(Q(s.host->modelText));
  // 13. The automatic version check, 500 ms from now.
  if (web_ != nullptr) {
    TellWebBuildIdentity();
    web_->ArmVersionCheck();
  }
  // 14.
  if (s.host->constructStatus < 0) timerConstructorErrors->start();
}

void TfrmMain::FormClose() {
  if (!shownOnce_) return;  // nothing was read, so nothing is written back
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  WriteStoredChoices(settings, findAllComms, s.verboseLog, s.commPortName);
}

void TfrmMain::ShowDeviceLabels(const std::string& name) {
  ui->userText1->setText(Q("This utility updates " + name + " firmware to"));
  ui->commLabel->setText(Q("Connect to " + name + " with Comm Port"));
  ui->lblConnect->setText(Q(ConnectInstruction(name)));
}

void TfrmMain::TellWebBuildIdentity() {
  if (web_ != nullptr)
    web_->SetBuildIdentity(s.firmwareVersion, Q(s.deviceName + " Firmware Updater"));
}

void TfrmMain::timerConstructorErrorsTimer() {
  timerConstructorErrors->stop();
  ReportConstructionError(s);
  close();
}

// ---- The quit guard ----

bool TfrmMain::QuitGuardHolds() {
  if (!s.updateRunning) return false;
  return AppMessageBox(Q(QuitGuardText(s)), kQuitGuardTitle, false) == QMessageBox::Ok;
}

void TfrmMain::Exit1Click() {
  if (QuitGuardHolds()) return;
  s.keepGoing = false;
  quitChecked_ = true;
  close();
  quitChecked_ = false;
}

void TfrmMain::btnCloseClick() {
  close();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // The close box, Alt+F4 and the window manager's Close come here.
  if (!quitChecked_ && QuitGuardHolds()) {
    event->ignore();
    return;
  }
  s.keepGoing = false;
  timerStart->stop();
  FormClose();
  // The program ends with this window, whatever other window is open.
  if (web_ != nullptr) web_->close();
  event->accept();
}

// ---- Messages ----

void TfrmMain::ErrorOK(const QString& text, const QString& title, MessageKind kind) {
  QApplication::beep();
  if (messageHook_) {
    messageHook_({text, title, kind, false});
  } else {
    QMessageBox box(IconFor(kind), title, text, QMessageBox::Ok, this);
    box.setDefaultButton(QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
  }
  LogToldUser(s.log.get(), text.toStdString());
}

QMessageBox::StandardButton TfrmMain::AppMessageBox(const QString& text, const QString& title,
                                                    bool okCancel) {
  QApplication::beep();
  if (messageHook_) return messageHook_({text, title, MessageKind::Warning, okCancel});
  QMessageBox box(QMessageBox::Warning, title, text,
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, this);
  box.setDefaultButton(QMessageBox::Ok);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString TfrmMain::RunFileDialog(QFileDialog& dialog) {
  if (fileDialogHook_) return fileDialogHook_(dialog);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

// ---- An update ----

void TfrmMain::btnStartClick() {
  SetUpdateControls(true);
  timerStart->start();
}

void TfrmMain::UpdateFirmware1Click() {
  btnStartClick();
}

void TfrmMain::SetUpdateControls(bool running) {
  for (QWidget* control : {static_cast<QWidget*>(ui->btnStart), static_cast<QWidget*>(ui->btnClose),
                           static_cast<QWidget*>(ui->cbCommPort)}) {
    control->setEnabled(!running);
  }
  // Nothing reachable may replace the image under the transfer or hold the sequence in a dialog.
  for (QAction* action : {ui->UpdateFirmware1, ui->OpenFirmwareFile1, ui->DumpFirmwareImage1,
                          ui->Help2, ui->About1}) {
    action->setEnabled(!running);
  }
  ui->SendFeedbacktoQuillon1->setEnabled(!running && web_ != nullptr);
  ui->CheckforUpdates1->setEnabled(!running && web_ != nullptr);
  if (web_ != nullptr) web_->SetUpdateRunning(running);
}

void TfrmMain::timerStartTimer() {
  timerStart->stop();
  ui->cbCommPort->setEnabled(false);
  s.updateRunning = true;
  s.keepGoing = true;
  ui->statusBar->setValue(0);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  s.newSerialNumber = ui->newSNstr->text().toStdString();

  const UpdateOutcome out = RunUpdate(s);

  ui->btnStart->setDefault(false);
  ui->btnClose->setDefault(true);
  ui->PromptforSerialNumber1->setChecked(false);
  ui->newSNstr->hide();
  ui->newSN->hide();
  ui->newSNstr->clear();
  SetUpdateControls(false);
  QApplication::restoreOverrideCursor();
  s.updateRunning = false;
  emit UpdateFinished(out.result);
}

// ---- The sequence's user interface ----

void TfrmMain::SetStatus(const std::string& text) {
  ui->statusText->setText(Q(text));
  ui->statusText->show();
  ui->statusText->repaint();
  ProcessMessages();
}

void TfrmMain::HideStatus() {
  ui->statusText->hide();
}

void TfrmMain::SetInstruction(const std::string& text) {
  ui->lblConnect->setText(Q(text));
}

void TfrmMain::SetProgress(int position) {
  ui->statusBar->setValue(position);
}

void TfrmMain::StepProgress() {
  ui->statusBar->setValue(std::min(ui->statusBar->value() + 2, 100));
}

void TfrmMain::Tell(const std::string& text, const std::string& title, MessageKind kind) {
  lastToldTitle_ = title;
  ErrorOK(Q(text), Q(title), kind);
}

bool TfrmMain::AskOkCancel(const std::string& text, const std::string& title) {
  return AppMessageBox(Q(text), Q(title), true) != QMessageBox::Cancel;
}

void TfrmMain::ProcessMessages() {
  repaint();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TfrmMain::KeepGoing() {
  return s.keepGoing;
}

void TfrmMain::Beep() {
  QApplication::beep();
}

void TfrmMain::BootloaderPhase(bool running) {
  emit BootloaderPhaseChanged(running);
}
