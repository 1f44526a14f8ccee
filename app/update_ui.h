#pragma once
// The update sequence reaches the user only through this interface: the window implements it
// with widgets, quilbsl-cli with the terminal, tests with a scripted answerer.

#include <string>

enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

class UpdateUI {
 public:
  virtual ~UpdateUI() = default;

  // The status line: show text, repaint, process pending messages.
  virtual void SetStatus(const std::string& text) = 0;
  virtual void HideStatus() = 0;
  // The instruction line ("Connect ... to computer comm port.", "Do NOT disconnect ...").
  virtual void SetInstruction(const std::string& text) = 0;
  // The progress bar: position 0..100, and the step of 2.
  virtual void SetProgress(int position) = 0;
  virtual void StepProgress() = 0;
  // A message that needs no decision. Implementations log it as the window's ErrorOK does:
  // level 1, source "ErrorOK Told User:", the text.
  virtual void Tell(const std::string& text, const std::string& title, MessageKind kind) = 0;
  // An OK/Cancel question; true for OK. Questions are not logged.
  virtual bool AskOkCancel(const std::string& text, const std::string& title) = 0;
  // Repaint and dispatch pending messages without waiting.
  virtual void ProcessMessages() = 0;
  // Returned by the bootloader's progress callback: false cancels the running step.
  virtual bool KeepGoing() = 0;
  // The success beep.
  virtual void Beep() = 0;
  // The bootloader phase begins (running) or ends: meanwhile the device has no working
  // firmware. quilbsl-cli guards its signals in between; the window needs nothing here.
  virtual void BootloaderPhase(bool running) { (void)running; }
};
