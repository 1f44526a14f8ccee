#include "cli/terminal_ui.h"

#include <unistd.h>

#include <cctype>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/updater_state.h"
#include "cli/signal_guard.h"
#include "serial/timing.h"

namespace {

constexpr int kBarWidth = 30;
constexpr uint32_t kRedrawMs = 500;    // the time estimate's refresh while the bar stands
constexpr int kEstimateFrom = 21;      // the upload: the long, steady part of an update
constexpr int kEstimateAfterSteps = 3;

// "ok"/"o"/"y"... true, "cancel"/"c"/"n"... false, anything else: ask again.
std::optional<bool> ParseAnswer(std::string line) {
  for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  if (line == "o" || line == "ok" || line == "y" || line == "yes") return true;
  if (line == "c" || line == "cancel" || line == "n" || line == "no") return false;
  return std::nullopt;
}

}  // namespace

TerminalUI::TerminalUI(std::FILE* out, std::optional<bool> answer, const QuilLog* log)
    : out_(out), tty_(isatty(fileno(out)) == 1), answer_(answer), log_(log) {}

void TerminalUI::ClearBar() {
  if (barShown_) std::fputs("\r\033[K", out_);
  barShown_ = false;
}

std::string TerminalUI::Remaining() const {
  if (startPosition_ < 0 || position_ - startPosition_ < kEstimateAfterSteps) return "--:--";
  uint32_t elapsed = MillisecondClock() - startMs_;
  double perStep = static_cast<double>(elapsed) / (position_ - startPosition_);
  auto seconds = static_cast<unsigned>(perStep * (100 - position_) / 1000.0 + 0.5);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u:%02u", seconds / 60, seconds % 60);
  return buf;
}

void TerminalUI::DrawBar(bool force) {
  if (!tty_) return;
  uint32_t now = MillisecondClock();
  if (!force && position_ == lastDrawnPosition_ && now - lastDrawMs_ < kRedrawMs) return;
  lastDrawMs_ = now;
  lastDrawnPosition_ = position_;
  int filled = position_ * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '.');
  std::fprintf(out_, "\r\033[K[%s] %3d%%  %s left", bar.c_str(), position_, Remaining().c_str());
  std::fflush(out_);
  barShown_ = true;
}

void TerminalUI::SetStatus(const std::string& text) {
  statuses_.push_back(text);
  ClearBar();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
  DrawBar(true);
}

void TerminalUI::HideStatus() { ClearBar(); }

void TerminalUI::SetInstruction(const std::string& text) {
  ClearBar();
  std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

void TerminalUI::SetProgress(int position) {
  position_ = position;
  if (position_ >= kEstimateFrom && startPosition_ < 0) {
    startPosition_ = position_;
    startMs_ = MillisecondClock();
  }
  if (position_ == 0) startPosition_ = -1;
  DrawBar(false);
}

void TerminalUI::StepProgress() { SetProgress(position_ + 2 > 100 ? 100 : position_ + 2); }

void TerminalUI::Tell(const std::string& text, const std::string& title, MessageKind) {
  LogToldUser(log_, text);
  messages_.push_back({title, text, std::nullopt});
  ClearBar();
  std::fprintf(out_, "\n[%s]\n%s\n\n", title.c_str(), text.c_str());
  std::fflush(out_);
}

bool TerminalUI::AskOkCancel(const std::string& text, const std::string& title) {
  ClearBar();
  std::fprintf(out_, "\n[%s]\n%s\n", title.c_str(), text.c_str());
  bool ok = false;
  if (answer_) {
    ok = *answer_;
    std::fprintf(out_, "Answered %s (--answer).\n\n", ok ? "OK" : "Cancel");
  } else if (isatty(STDIN_FILENO) == 1) {
    std::optional<bool> a;
    while (!a) {
      std::fprintf(out_, "OK or Cancel? [o/c] ");
      std::fflush(out_);
      std::string line;
      if (!std::getline(std::cin, line)) {
        a = false;
        break;
      }
      a = ParseAnswer(line);
    }
    ok = *a;
    std::fprintf(out_, "\n");
  } else {
    std::fprintf(out_, "Answered Cancel (no terminal to ask on; see --answer).\n\n");
  }
  std::fflush(out_);
  messages_.push_back({title, text, ok});
  return ok;
}

void TerminalUI::ProcessMessages() { DrawBar(false); }

bool TerminalUI::KeepGoing() { return !GuardCancelled(); }

void TerminalUI::Beep() {
  if (tty_) {
    std::fputc('\a', out_);
    std::fflush(out_);
  }
}

void TerminalUI::BootloaderPhase(bool running) {
  SetGuardPhase(running ? GuardPhase::Bootloader : GuardPhase::Finishing);
}

void TerminalUI::Finish() {
  ClearBar();
  std::fflush(out_);
}

std::string JsonSummary(int32_t result, std::optional<uint32_t> seconds, const TerminalUI& ui) {
  nlohmann::ordered_json messages = nlohmann::ordered_json::array();
  for (const ShownMessage& m : ui.messages()) {
    nlohmann::ordered_json answer = nullptr;
    if (m.answer) answer = *m.answer ? "ok" : "cancel";
    messages.push_back({{"title", m.title}, {"text", m.text}, {"answer", answer}});
  }
  nlohmann::ordered_json j = {{"result", result},
                      {"seconds", seconds ? nlohmann::ordered_json(*seconds) : nlohmann::ordered_json(nullptr)},
                      {"messages", messages},
                      {"status", ui.statuses()}};
  return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
