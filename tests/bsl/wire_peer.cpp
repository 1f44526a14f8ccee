#include "tests/bsl/wire_peer.h"

#include <gtest/gtest.h>

#include "sim/sim_link.h"

namespace {

class PeerModel : public DeviceModel {
 public:
  explicit PeerModel(std::shared_ptr<WirePeer::Shared> shared) : shared_(std::move(shared)) {}

  void OnHostClose(SimLink&) override { line_.clear(); }

  void OnBytes(std::string_view bytes, SimLink& link) override {
    for (char c : bytes) {
      line_.push_back(c);
      if (c == '\r' || (c == 'P' && line_.size() == 1)) Complete(link);
    }
  }

 private:
  void Complete(SimLink& link) {
    std::string unit;
    unit.swap(line_);
    std::string answer;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      shared_->units.push_back(unit);
      const size_t index = shared_->units.size() - 1;
      answer = shared_->script ? shared_->script(unit, index) : WirePeer::DefaultAnswer(unit);
    }
    if (!answer.empty()) link.Send(answer);
  }

  std::shared_ptr<WirePeer::Shared> shared_;
  std::string line_;
};

}  // namespace

std::string WirePeer::DefaultAnswer(const std::string& unit) {
  if (unit == "boot KELP\r") return "\rOK\r";
  if (unit == "\r") return "$";
  if (unit == "P") return "#";
  if (unit.rfind('g', 0) == 0) return "+12+\r";
  if (unit.rfind('V', 0) == 0) return "+";
  if (unit.find('.') != std::string::npos) return "+\r";
  return "?\r";
}

WirePeer::WirePeer(Script script) : shared_(std::make_shared<Shared>()) {
  shared_->script = std::move(script);
  SimOptions options;
  options.announce = false;
  server_ = std::make_unique<PtyServer>(options, std::make_unique<PeerModel>(shared_));
  if (!server_->Start()) ADD_FAILURE() << "wire peer did not start: " << server_->error();
}

WirePeer::~WirePeer() = default;

const std::string& WirePeer::path() const { return server_->slavePath(); }

std::vector<std::string> WirePeer::Units() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->units;
}

std::vector<std::string> WirePeer::Frames(char command) const {
  std::vector<std::string> frames;
  for (const std::string& u : Units()) {
    if (!u.empty() && u[0] == command && u.find('.') != std::string::npos) frames.push_back(u);
  }
  return frames;
}

void WirePeer::Clear() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->units.clear();
}

std::string FramePayload(const std::string& frame) {
  const size_t dot = frame.rfind('.');
  if (frame.empty() || dot == std::string::npos) return {};
  return frame.substr(1, dot - 1);
}
