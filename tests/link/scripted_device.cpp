#include "tests/link/scripted_device.h"

ScriptedDevice::ScriptedDevice() : peer_([this](std::string_view bytes) { OnBytes(bytes); }) {}

void ScriptedDevice::Script(std::vector<std::optional<std::string>> answers,
                            std::optional<std::string> fallback) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.assign(answers.begin(), answers.end());
  fallback_ = std::move(fallback);
}

std::vector<std::string> ScriptedDevice::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void ScriptedDevice::Dispatch(const std::string& command) {
  std::optional<std::string> answer;
  {
    // Recorded and answered under one lock: once a test sees the command, its answer is chosen.
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(command);
    if (!script_.empty()) {
      answer = script_.front();
      script_.pop_front();
    } else {
      answer = fallback_;
    }
  }
  if (answer && !answer->empty()) peer_.Send(*answer);
}

void ScriptedDevice::OnBytes(std::string_view bytes) {
  for (char c : bytes) {
    line_ += c;
    if (c == '\r' || line_ == "+++") {
      Dispatch(line_);
      line_.clear();
    }
  }
}
