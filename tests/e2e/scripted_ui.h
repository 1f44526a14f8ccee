#pragma once
// The update sequence's user for tests: records everything it is shown and answers questions
// from a script keyed by the question's title. Logs told messages as the window's ErrorOK does.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/update_ui.h"
#include "app/updater_state.h"

class ScriptedUI : public UpdateUI {
 public:
  struct Shown {
    std::string title;
    std::string text;
    MessageKind kind = MessageKind::Error;
    std::optional<bool> answer;  // questions only
  };

  void SetLog(const QuilLog* log) { log_ = log; }

  // The answer to the question with this title (true OK). A question without an answer fails
  // the test and is cancelled.
  std::map<std::string, bool> answers;
  // Asked by the bootloader's progress callback; empty means go on.
  std::function<bool()> keepGoing;

  std::vector<std::string> statuses;
  std::vector<std::string> instructions;
  std::vector<int> progress;
  std::vector<Shown> shown;  // messages and questions in order
  std::vector<bool> phases;  // BootloaderPhase calls
  bool statusHidden = false;
  int beeps = 0;
  int processed = 0;

  void SetStatus(const std::string& text) override {
    statuses.push_back(text);
    statusHidden = false;
  }
  void HideStatus() override { statusHidden = true; }
  void SetInstruction(const std::string& text) override { instructions.push_back(text); }
  void SetProgress(int position) override { progress.push_back(position); }
  void StepProgress() override {
    progress.push_back(progress.empty() ? 2 : std::min(progress.back() + 2, 100));
  }
  void Tell(const std::string& text, const std::string& title, MessageKind kind) override {
    LogToldUser(log_, text);
    shown.push_back({title, text, kind, std::nullopt});
  }
  bool AskOkCancel(const std::string& text, const std::string& title) override {
    auto it = answers.find(title);
    bool ok = false;
    if (it == answers.end()) {
      ADD_FAILURE() << "unexpected question \"" << title << "\": " << text;
    } else {
      ok = it->second;
    }
    shown.push_back({title, text, MessageKind::Confirmation, ok});
    return ok;
  }
  void ProcessMessages() override { ++processed; }
  bool KeepGoing() override { return !keepGoing || keepGoing(); }
  void Beep() override { ++beeps; }
  void BootloaderPhase(bool running) override { phases.push_back(running); }

  std::vector<std::string> Titles() const {
    std::vector<std::string> t;
    for (const Shown& s : shown) t.push_back(s.title);
    return t;
  }

 private:
  const QuilLog* log_ = nullptr;
};
