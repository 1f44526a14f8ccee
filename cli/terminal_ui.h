#pragma once
// quilbsl-cli's side of the update sequence's user interface: status lines, a progress bar with
// the percentage and the time remaining on a terminal, messages, and questions asked on the
// terminal or answered by --answer. Everything shown is also kept for the --json summary.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/update_ui.h"
#include "serial/quil_log.h"

struct ShownMessage {
  std::string title;
  std::string text;
  std::optional<bool> answer;  // questions: true OK, false Cancel; messages: none
};

class TerminalUI : public UpdateUI {
 public:
  // out: where people read (stdout, or stderr when stdout carries JSON). answer: the preset
  // answer to every question; without one, questions are asked when stdin is a terminal and
  // cancelled otherwise. log: where told messages are logged (may be null).
  TerminalUI(std::FILE* out, std::optional<bool> answer, const QuilLog* log);

  void SetLog(const QuilLog* log) { log_ = log; }

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

  // Ends the progress line.
  void Finish();

  const std::vector<std::string>& statuses() const { return statuses_; }
  const std::vector<ShownMessage>& messages() const { return messages_; }

 private:
  void ClearBar();
  void DrawBar(bool force);
  std::string Remaining() const;

  std::FILE* out_;
  bool tty_;
  std::optional<bool> answer_;
  const QuilLog* log_;
  std::vector<std::string> statuses_;
  std::vector<ShownMessage> messages_;
  int position_ = 0;
  bool barShown_ = false;
  uint32_t lastDrawMs_ = 0;
  int lastDrawnPosition_ = -1;
  // The time estimate: the position and time at which the estimate's run began.
  uint32_t startMs_ = 0;
  int startPosition_ = -1;
};

// The --json summary: {"result", "seconds", "messages", "status"} on one line.
std::string JsonSummary(int32_t result, std::optional<uint32_t> seconds, const TerminalUI& ui);
