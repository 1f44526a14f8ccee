#pragma once
// TfrmMain: the updater's main window. Start-up, the stored choices, the log, ErrorOK, the quit
// guard, the port choice, the menus and the timer that runs an update. The update sequence
// reaches the user through this window's side of UpdateUI.

#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/update_ui.h"
#include "app/updater_state.h"
#include "app/window_pump.h"
#include "serial/comm_port_enum.h"
#include "serial/quil_serial.h"

class QFileDialog;
class QTimer;
class TfrmWeb;

namespace Ui {
class TfrmMain;
}

inline constexpr int32_t kPortListCapacity = 16;

// What the window sees of the world, for tests to change: where the port list comes from.
struct WindowOptions {
  CommPortEnumOptions ports;
};

// A message box about to be shown: ErrorOK's (OK alone, an icon by kind) or the application's
// box (a question with OK and Cancel, or the quit guard's warning with OK).
struct MessageRequest {
  QString text;
  QString title;
  MessageKind kind = MessageKind::Error;
  bool okCancel = false;
};

class TfrmMain : public QMainWindow, public UpdateUI {
  Q_OBJECT

 public:
  explicit TfrmMain(WindowOptions options = {}, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // The web form, created after this window at the entry point. Without one the two web
  // commands stay disabled.
  void SetWebForm(TfrmWeb* web);

  UpdaterState& state() { return s; }

  // Shows a modal message with OK (centred on this window, on top) and logs what the user was
  // told with the source "ErrorOK Told User:".
  void ErrorOK(const QString& text, const QString& title, MessageKind kind);
  // The application's message box: OK and Cancel (okCancel) or OK alone, exclamation icon.
  QMessageBox::StandardButton AppMessageBox(const QString& text, const QString& title,
                                            bool okCancel);

  // Test hooks: the message box's answer instead of showing it; the chosen file's path
  // instead of running the file dialog ("" for Cancel).
  using MessageHook = std::function<QMessageBox::StandardButton(const MessageRequest&)>;
  void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
  using FileDialogHook = std::function<QString(QFileDialog& dialog)>;
  void SetFileDialogHook(FileDialogHook hook) { fileDialogHook_ = std::move(hook); }

  // ---- Handlers, named after their components ----
  void FormShow();
  void FormClose();
  void btnStartClick();
  void btnCloseClick();
  void timerStartTimer();
  void timerConstructorErrorsTimer();
  void Exit1Click();
  void cbCommPortDropDown();
  void cbCommPortChange(int index);
  void UpdateFirmware1Click();
  void OpenFirmwareFile1Click();
  void DumpFirmwareImage1Click();
  void ForceFindAllCommPorts1Click();
  void DontEraseData1Click();
  void PromptforSerialNumber1Click();
  void Help2Click();
  void About1Click();
  void SendFeedbacktoQuillon1Click();
  void CheckforUpdates1Click();

  // ---- The port choice ----
  std::array<CommPortEntry, kPortListCapacity> portList{};
  int32_t portCount = 0;     // entries of portList filled by the last enumeration
  int32_t selectedPort = 0;  // index of the chosen port in portList
  QuilSerial enumPort;       // never opened; only lends its log to the enumeration
  bool findAllComms = false;
  bool storedPortExists = false;

  QTimer* timerStart = nullptr;
  QTimer* timerConstructorErrors = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
  QFileDialog* SaveDialog1 = nullptr;

  // ---- UpdateUI ----
  void SetStatus(const std::string& text) override;
  void HideStatus() override;
  void SetInstruction(const std::string& text) override;
  void SetProgress(int position) override;
  void StepProgress() override;
  void Tell(const std::string& text, const std::string& title, MessageKind kind) override;
  bool AskOkCancel(const std::string& text, const std::string& title) override;
  void ProcessMessages() override;
  bool KeepGoing() override;
  void Beep() override;
  void BootloaderPhase(bool running) override;

 signals:
  // An update started by Start or "Update Firmware" has ended with this result.
  void UpdateFinished(int result);
  // The device runs its bootloader (running) or no longer.
  void BootloaderPhaseChanged(bool running);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectHandlers();
  // Disables (running) or restores what must not be reached while an update runs.
  void SetUpdateControls(bool running);
  // Fills portList and cbCommPort; returns the ports found (0 when none or failed).
  int32_t EnumeratePorts();
  void ChoosePort(int32_t index);
  void ShowDeviceLabels(const std::string& name);
  void TellWebBuildIdentity();
  // The quit guard: true when the window must stay open.
  bool QuitGuardHolds();
  QString RunFileDialog(QFileDialog& dialog);

  std::unique_ptr<Ui::TfrmMain> ui;
  WindowOptions options_;
  WindowPumpInstalled pump_;
  UpdaterState s;
  TfrmWeb* web_ = nullptr;
  MessageHook messageHook_;
  FileDialogHook fileDialogHook_;
  bool shownOnce_ = false;
  bool quitChecked_ = false;  // Exit has asked the guard already
  std::string lastToldTitle_;
};
