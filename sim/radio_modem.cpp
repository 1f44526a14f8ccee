#include "sim/radio_modem.h"

#include <cctype>
#include <cstdio>

#include "sim/logger_parse.h"

namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

}  // namespace

void RadioModem::Reset() {
  commandMode_ = false;
  pluses_ = 0;
  line_.clear();
}

void RadioModem::Feed(std::string_view bytes, uint64_t nowMs, std::string& air, std::string& reply) {
  if (bytes.empty()) return;
  bool silentBefore = !heardAny_ || nowMs - lastRxMs_ >= kGuardMs;
  heardAny_ = true;
  lastRxMs_ = nowMs;
  if (commandMode_ && nowMs - lastCommandMs_ >= kCommandModeTimeoutMs) Reset();
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (commandMode_) {
      if (c == '\n') continue;
      if (c != '\r') {
        if (line_.size() < 64) line_.push_back(c);
        continue;
      }
      std::string line;
      line.swap(line_);
      lastCommandMs_ = nowMs;
      Execute(line, reply);
      continue;
    }
    // Only a "+" that follows the guard time, or the pluses held after it, can escape.
    if (c == '+' && (pluses_ > 0 || (i == 0 && silentBefore))) {
      if (++pluses_ == 3) {
        pluses_ = 0;
        commandMode_ = true;
        lastCommandMs_ = nowMs;
        line_.clear();
        reply += "OK\r";
      }
      continue;
    }
    if (pluses_ > 0) {
      air.append(static_cast<size_t>(pluses_), '+');
      pluses_ = 0;
    }
    air.push_back(c);
  }
}

void RadioModem::Execute(const std::string& line, std::string& reply) {
  std::string upper;
  for (char c : line) upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  std::string_view cmd = TrimBlanks(upper);
  if (cmd.empty()) return;
  if (cmd.substr(0, 2) != "AT") {
    reply += "ERROR\r";
    return;
  }
  std::string_view name = cmd.substr(2, 2);
  std::string_view arg = cmd.size() > 4 ? cmd.substr(4) : std::string_view();
  if (name == "HP" || name == "DT") {
    uint32_t& value = name == "HP" ? values_.rch : values_.rsch;
    if (arg.empty()) {
      reply += Hex(value) + "\r";
      return;
    }
    auto v = ParseHex(arg, name == "HP" ? kMaxChannel : kMaxSystemId);
    if (!v) {
      reply += "ERROR\r";
      return;
    }
    value = *v;
    reply += "OK\r";
  } else if (name == "VR" && arg.empty()) {
    reply += (versionZero ? std::string("0000") : values_.version) + "\r";
  } else if (name == "WR" && arg.empty()) {
    reply += "OK\r";
  } else if (name == "CN" && arg.empty()) {
    reply += "OK\r";
    Reset();
  } else {
    reply += "ERROR\r";
  }
}
